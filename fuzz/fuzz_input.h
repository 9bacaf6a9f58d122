// Shared by the fuzz targets: how an input is cut into a name and a body, and how a broken
// invariant is reported (as a crash, so that libFuzzer keeps the input).
#pragma once
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

// Inputs that name something (a packed record, an MTL block) carry the name on their first
// line when that line is short and holds no NUL: "name\nbody". Otherwise the whole input is
// the body and `fallback` is the name, so that plain files work as seeds too.
struct FuzzNamedInput {
    std::string name;
    const uint8_t *body;
    size_t bodySize;
};

inline FuzzNamedInput fuzzSplitName(const uint8_t *data, size_t size, const char *fallback,
                                    size_t maxName = 200)
{
    const void *newline = memchr(data, '\n', size < maxName + 1 ? size : maxName + 1);
    if (newline) {
        size_t length = (const uint8_t *)newline - data;
        if (length > 0 && !memchr(data, '\0', length))
            return {std::string((const char *)data, length), data + length + 1,
                    size - length - 1};
    }
    return {fallback, data, size};
}

// A parser broke its contract: say which and crash so the input is saved.
#define FUZZ_CHECK(condition)                                                   \
    do {                                                                        \
        if (!(condition)) {                                                     \
            fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition,      \
                    __FILE__, __LINE__);                                        \
            abort();                                                            \
        }                                                                       \
    } while (0)

// A fatal message must be one the user can read: "[!] " first, or one of the loader's own
// untagged texts, and never empty.
inline bool fuzzTaggedMessage(const std::string &message)
{
    return message.compare(0, 4, "[!] ") == 0;
}
