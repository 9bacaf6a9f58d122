// Test helper for the resource suites: real files in a fresh directory, packed records.
#pragma once
#include "io.h"
#include "read_file.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>
#include <string>

inline void writeFile(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// A fresh empty directory under /tmp, made the working directory.
inline std::string enterTempDir()
{
    char pattern[] = "/tmp/vlm-res-XXXXXX";
    std::string dir = mkdtemp(pattern);
    EXPECT_EQ(chdir(dir.c_str()), 0);
    return dir;
}

// One packed-file record made with zlib: name, "[plain][compressed]", zlib stream.
inline std::string packedRecord(const std::string &name, const std::string &plain)
{
    uLongf size = compressBound(plain.size());
    std::string out(size, '\0');
    compress((Bytef *)&out[0], &size, (const Bytef *)plain.data(), plain.size());
    out.resize(size);
    return vlm_io_recordHeader(name.c_str(), plain.size(), size) + out;
}
