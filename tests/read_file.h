// Test helper: the whole of a file or a pipe, for suites that compare or parse what they read.
#pragma once
#include <stdio.h>
#include <string>

// Everything left to read in `stream` (a file or a pipe); the stream stays open.
inline std::string readStream(FILE *stream)
{
    std::string bytes;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, stream)) > 0) bytes.append(chunk, n);
    return bytes;
}

// The bytes of `path`; empty when it cannot be opened.
inline std::string readFile(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return std::string();
    std::string bytes = readStream(f);
    fclose(f);
    return bytes;
}
