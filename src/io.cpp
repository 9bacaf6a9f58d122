// Packed data file reader: finds a record by searching the whole file for its name,
// checks its sizes text, inflates it and caches the result by name.
#include "io.h"
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <new>

static const char *VFILE_PATH = "data.vfile";

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

bool vlm_io_readRecordHeader(const unsigned char *image, size_t imageSize, size_t recordStart,
                             size_t nameLength, VlmRecordHeader *header)
{
    size_t windowEnd = recordStart + VLM_IO_HEADER_WINDOW;
    if (windowEnd > imageSize) windowEnd = imageSize;
    size_t cursor = recordStart + nameLength;
    if (!readBracketedSize(image, windowEnd, &cursor, &header->plainSize) ||
        !readBracketedSize(image, windowEnd, &cursor, &header->compressedSize))
        return false;
    if ((size_t)header->compressedSize > imageSize - cursor) return false;
    header->dataOffset = cursor;
    return true;
}

static VlmRecordResult fatal(std::string messages, const char *text)
{
    VlmRecordResult result;
    result.messages = messages;
    vlm_parseFail(&result, text, 0);
    return result;
}

static const size_t FIRST_OUTPUT = 65536;  // bytes of room before the first inflate call

// Grows `out` towards `plainSize` (doubling, never past it); false when memory runs out.
static bool growOutput(std::vector<unsigned char> *out, size_t plainSize)
{
    size_t wanted = out->size() < FIRST_OUTPUT / 2 ? FIRST_OUTPUT : 2 * out->size();
    if (wanted > plainSize) wanted = plainSize;
    try {
        out->resize(wanted);
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

// Inflates `compressedSize` bytes at `data` into exactly `plainSize` bytes. The output grows
// as zlib fills it, so a record that claims more than its stream holds never costs the claim.
static VlmRecordResult inflateRecord(std::string messages, const unsigned char *data,
                                     int64_t compressedSize, int64_t plainSize)
{
    VlmRecordResult result;
    result.messages = messages;
    z_stream z = {};
    if (inflateInit(&z) != Z_OK) return fatal(messages, "unable to do a fecking malloc\n");
    z.next_in = (Bytef *)data;
    z.avail_in = (uInt)compressedSize;
    std::vector<unsigned char> &out = result.data;
    size_t produced = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        if (produced == out.size() && produced == (size_t)plainSize) {
            // All the claimed bytes are here: the stream must end without another byte.
            unsigned char spare;
            z.next_out = &spare;
            z.avail_out = 1;
            status = inflate(&z, Z_FINISH);
            if (z.avail_out == 0) status = Z_DATA_ERROR;
            break;
        }
        if (produced == out.size() && !growOutput(&out, (size_t)plainSize)) {
            inflateEnd(&z);
            return fatal(messages, "unable to do a fecking malloc\n");
        }
        z.next_out = out.data() + produced;
        z.avail_out = (uInt)(out.size() - produced);
        status = inflate(&z, Z_NO_FLUSH);
        produced = out.size() - z.avail_out;
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END || produced != (size_t)plainSize)
        return fatal(messages, "\nUnable to decompress\n");
    result.found = true;
    return result;
}

VlmRecordResult vlm_io_parseRecord(const unsigned char *image, size_t imageSize,
                                   const char *name)
{
    std::string messages;
    long at = vlm_io_findName(image, imageSize, name);
    if (at < 0) {
        VlmRecordResult absent;
        absent.messages = "File " + std::string(name) + " not found compressed.\n";
        return absent;
    }
    messages = "File " + std::string(name) + " found in " + VFILE_PATH + "\n";

    VlmRecordHeader header;
    if (!vlm_io_readRecordHeader(image, imageSize, (size_t)at, strlen(name), &header))
        return fatal(messages, "Unable to get sizes.\n");
    // Deflate cannot expand more than about 1032:1; a larger claim is never allocated.
    if (header.plainSize > header.compressedSize * 1040 + 64)
        return fatal(messages, "\nUnable to decompress\n");
    return inflateRecord(messages, image + header.dataOffset, header.compressedSize,
                         header.plainSize);
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

// A file larger than VLM_FILE_MAX_BYTES is named and the process ends with `status`, before
// anything is allocated: the same refusal whether size_t and long are 32 or 64 bits wide.
static void refuseTooLarge(FILE *file, const char *path, const struct stat &info, int status)
{
    if ((uint64_t)info.st_size <= VLM_FILE_MAX_BYTES) return;
    fclose(file);
    printf("[!] %s is too large: %llu bytes, more than %llu\n", path,
           (unsigned long long)info.st_size, (unsigned long long)VLM_FILE_MAX_BYTES);
    fflush(stdout);
    exit(status);
}

// The whole packed file in a malloc'ed buffer; null (flag set) when it cannot be opened.
static unsigned char *readPackedFile(const char *name, size_t *filesize)
{
    FILE *file = fopen(VFILE_PATH, "rb");
    if (!file) {
        printf("Error reading datafile.\n");
        no_vfile_error = 1;
        return nullptr;
    }
    // Measured by the file system: ftell's long cannot tell a size past 2 GiB on i386.
    struct stat info;
    long length = -1;
    if (fstat(fileno(file), &info) == 0) {
        refuseTooLarge(file, VFILE_PATH, info, 0);
        length = (long)info.st_size;
    }
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

    vlm_reportOutcome(record);
    if (!record.found) return nullptr;
    unsigned length = (unsigned)record.data.size();
    addCacheEntry(name, record.data.data(), length);
    *size = length;
    return copyOut(record.data.data(), length);
}

// ------------------------------------------------------------------ whole files

// The packed record of `path`, or null when it has none (or an empty one, if so asked).
static char *readPacked(const char *path, VlmFileSource source, size_t *size)
{
    unsigned packedSize = 0;
    char *packed = vlm_io_uncompress(path, &packedSize);
    if (packed && packedSize == 0 && source == VLM_FROM_NONEMPTY_PACKED_OR_DISK) {
        free(packed);
        return nullptr;
    }
    *size = packedSize;
    return packed;
}

// Appends a zero after `size` bytes so text loaders can use the buffer as a string.
static VlmFile withTerminator(VlmFileStatus status, char *bytes, size_t size, bool packed)
{
    char *grown = (char *)realloc(bytes, size + 1);
    if (!grown) {
        free(bytes);
        return {VLM_FILE_NO_MEMORY, nullptr, size, packed};
    }
    grown[size] = 0;
    return {status, grown, size, packed};
}

// Anything but a regular file would answer a nonsense size (a directory) or never end (a
// device, a pipe): it is named and the process ends.
static void refuseIrregular(int fd, const char *path)
{
    close(fd);
    printf("[!] %s is not a regular file\n", path);
    fflush(stdout);
    exit(-1);
}

// A regular disk file, read in full; its size comes from the file system, never from seeking.
// Opened without blocking, so a pipe with no writer is refused rather than waited on.
static VlmFile readDisk(const char *path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {VLM_FILE_MISSING, nullptr, 0, false};
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) refuseIrregular(fd, path);
    FILE *file = fdopen(fd, "rb");
    if (!file) {
        close(fd);
        return {VLM_FILE_MISSING, nullptr, 0, false};
    }
    refuseTooLarge(file, path, info, -1);
    size_t size = info.st_size > 0 ? (size_t)info.st_size : 0;
    char *bytes = (char *)malloc(size + 1);
    if (!bytes) {
        fclose(file);
        return {VLM_FILE_NO_MEMORY, nullptr, size, false};
    }
    size_t got = fread(bytes, 1, size, file);
    fclose(file);
    bytes[got] = 0;
    return {got == size ? VLM_FILE_READ : VLM_FILE_SHORT, bytes, got, false};
}

VlmFile vlm_io_readFile(const char *path, VlmFileSource source)
{
    if (source != VLM_FROM_DISK) {
        size_t size = 0;
        char *packed = readPacked(path, source, &size);
        if (packed) return withTerminator(VLM_FILE_READ, packed, size, true);
    }
    return readDisk(path);
}

// ------------------------------------------------------------------ parser outcomes

bool vlm_parseFail(VlmParseOutcome *outcome, const std::string &message, int status)
{
    outcome->ok = false;
    outcome->messages += message;
    outcome->exitStatus = status;
    return false;
}

void vlm_reportOutcome(const VlmParseOutcome &outcome)
{
    fputs(outcome.messages.c_str(), stdout);
    if (outcome.ok) return;
    fflush(stdout);
    exit(outcome.exitStatus);
}

ssize_t vlm_io_getline(char **line, size_t *capacity, FILE *stream)
{
    return getline(line, capacity, stream);
}
