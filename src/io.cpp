// Packed data file reader: finds a record by searching the whole file for its name,
// checks its sizes text, inflates it and caches the result by name.
#include "io.h"
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

static const char *VFILE_PATH = "data.vfile";
static const size_t HEADER_WINDOW = 128;  // bytes of a record that may hold name + sizes

// One cached file: own copies of the name and of the inflated data.
struct CacheEntry {
    char *name;
    unsigned char *data;
    unsigned size;  // bytes
};

// Starts with room for 2048 entries and doubles when full rather than overflowing.
static CacheEntry *cache = nullptr;
static int cache_n = 0;
static int cache_capacity = 0;
static int no_vfile_error = 0;

// ------------------------------------------------------------------ record parsing

long vlm_io_findName(const unsigned char *image, size_t imageSize, const char *name)
{
    size_t length = strlen(name);
    if (length > imageSize) return -1;
    const void *hit = memmem(image, imageSize, name, length);
    return hit ? (long)((const unsigned char *)hit - image) : -1;
}

std::string vlm_io_recordHeader(const char *name, unsigned long plainSize,
                                unsigned long compressedSize)
{
    char sizes[48];
    snprintf(sizes, sizeof sizes, "[%lu][%lu]", plainSize, compressedSize);
    return std::string(name) + sizes;
}

// Reads "[digits]" at text[*at..end): plain decimal, no sign, no leading zero, at most
// INT32_MAX. Advances *at past the "]". False for anything else.
static bool readBracketedSize(const unsigned char *text, size_t end, size_t *at, int64_t *value)
{
    size_t i = *at;
    if (i >= end || text[i] != '[') return false;
    i++;
    size_t first = i;
    int64_t number = 0;  // 64 bits: ten digits must not wrap before the INT32_MAX test
    while (i < end && text[i] >= '0' && text[i] <= '9') {
        number = number * 10 + (text[i] - '0');
        if (number > INT32_MAX) return false;
        i++;
    }
    size_t digits = i - first;
    if (digits == 0 || (digits > 1 && text[first] == '0')) return false;
    if (i >= end || text[i] != ']') return false;
    *at = i + 1;
    *value = number;
    return true;
}

static VlmRecordResult fatal(std::string messages, const char *text)
{
    return {VLM_RECORD_FATAL, messages + text, {}};
}

// Inflates `compressedSize` bytes at `data` into exactly `plainSize` bytes.
static VlmRecordResult inflateRecord(std::string messages, const unsigned char *data,
                                     int64_t compressedSize, int64_t plainSize)
{
    VlmRecordResult result = {VLM_RECORD_FOUND, messages, {}};
    result.data.resize((size_t)plainSize);
    uLongf produced = (uLongf)plainSize;
    // zlib wants somewhere to write even for an empty file.
    unsigned char spare;
    Bytef *out = plainSize > 0 ? result.data.data() : &spare;
    int status = uncompress(out, &produced, data, (uLong)compressedSize);
    if (status != Z_OK || produced != (uLongf)plainSize)
        return fatal(messages, "\nUnable to decompress\n");
    return result;
}

VlmRecordResult vlm_io_parseRecord(const unsigned char *image, size_t imageSize,
                                   const char *name)
{
    std::string messages;
    long at = vlm_io_findName(image, imageSize, name);
    if (at < 0)
        return {VLM_RECORD_ABSENT, "File " + std::string(name) + " not found compressed.\n", {}};
    messages = "File " + std::string(name) + " found in " + VFILE_PATH + "\n";

    // The name and both sizes must lie inside the record's first 128 bytes.
    size_t windowEnd = (size_t)at + HEADER_WINDOW;
    if (windowEnd > imageSize) windowEnd = imageSize;
    size_t cursor = (size_t)at + strlen(name);
    int64_t plainSize = 0, compressedSize = 0;
    if (!readBracketedSize(image, windowEnd, &cursor, &plainSize) ||
        !readBracketedSize(image, windowEnd, &cursor, &compressedSize))
        return fatal(messages, "Unable to get sizes.\n");
    if ((size_t)compressedSize > imageSize - cursor)
        return fatal(messages, "Unable to get sizes.\n");
    // Deflate cannot expand more than about 1032:1; a larger claim is never allocated.
    if (plainSize > compressedSize * 1040 + 64)
        return fatal(messages, "\nUnable to decompress\n");
    return inflateRecord(messages, image + cursor, compressedSize, plainSize);
}

// ------------------------------------------------------------------ cache

static int findCached(const char *name)
{
    for (int i = 0; i < cache_n; i++)
        if (strcmp(cache[i].name, name) == 0) return i;
    return -1;
}

static void addCacheEntry(const char *name, const unsigned char *data, unsigned size)
{
    if (cache_n == cache_capacity) {
        int capacity = cache_capacity ? cache_capacity * 2 : 2048;
        CacheEntry *grown = (CacheEntry *)realloc(cache, sizeof(CacheEntry) * capacity);
        if (!grown) {
            printf("unable to do a fecking malloc\n");
            exit(0);
        }
        cache = grown;
        cache_capacity = capacity;
    }
    CacheEntry *entry = &cache[cache_n];
    entry->name = strdup(name);
    entry->data = (unsigned char *)malloc(size ? size : 1);
    if (!entry->name || !entry->data) {
        printf("unable to do a fecking malloc\n");
        exit(0);
    }
    memcpy(entry->data, data, size);
    entry->size = size;
    cache_n++;
}

static char *copyOut(const unsigned char *data, unsigned size)
{
    char *copy = (char *)malloc(size ? size : 1);
    if (!copy) {
        printf("unable to do a fecking malloc\n");
        exit(0);
    }
    memcpy(copy, data, size);
    return copy;
}

int vlm_io_cacheCount(void)
{
    return cache_n;
}

// ------------------------------------------------------------------ the reader

// The whole packed file in a malloc'ed buffer; null (flag set) when it cannot be opened.
static unsigned char *readPackedFile(const char *name, size_t *filesize)
{
    FILE *file = fopen(VFILE_PATH, "rb");
    if (!file) {
        printf("Error reading datafile.\n");
        no_vfile_error = 1;
        return nullptr;
    }
    fseek(file, 0, SEEK_END);
    long length = ftell(file);
    fseek(file, 0, SEEK_SET);
    unsigned char *in_data = (unsigned char *)malloc(length > 0 ? (size_t)length : 1);
    if (length < 0 || !in_data) {
        printf("could not allocate memory\n");
        exit(0);
    }
    if (fread(in_data, 1, (size_t)length, file) != (size_t)length) {
        printf("error reading %s filename\n", name);
        exit(0);
    }
    fclose(file);
    *filesize = (size_t)length;
    return in_data;
}

char *vlm_io_uncompress(const char *name, unsigned *size)
{
    int cached = findCached(name);
    if (cached >= 0) {
        *size = cache[cached].size;
        return copyOut(cache[cached].data, cache[cached].size);
    }
    if (no_vfile_error) return nullptr;

    size_t filesize = 0;
    unsigned char *in_data = readPackedFile(name, &filesize);
    if (!in_data) return nullptr;
    VlmRecordResult record = vlm_io_parseRecord(in_data, filesize, name);
    free(in_data);

    fputs(record.messages.c_str(), stdout);
    if (record.status == VLM_RECORD_FATAL) {
        fflush(stdout);
        exit(0);
    }
    if (record.status == VLM_RECORD_ABSENT) return nullptr;
    unsigned length = (unsigned)record.data.size();
    addCacheEntry(name, record.data.data(), length);
    *size = length;
    return copyOut(record.data.data(), length);
}

ssize_t vlm_io_getline(char **line, size_t *capacity, FILE *stream)
{
    return getline(line, capacity, stream);
}
