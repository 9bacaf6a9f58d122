// Packed data file: compressed copies of data files in "data.vfile", found by path.
// Owns the lookup cache (2048 entries to start, grown when needed) and the
// "packed file missing" flag. Reads "data.vfile" from the working directory only.
#pragma once
#include <stddef.h>
#include <stdio.h>
#include <sys/types.h>
#include <string>
#include <vector>

// Returns a malloc'ed copy (caller frees) of the contents of the record called `name`
// and stores its length in bytes in *size; the data is not zero-terminated.
// Returns null, *size untouched, when "data.vfile" is missing or holds no such record.
// A broken record prints its message and ends the process with status 0.
char *vlm_io_uncompress(const char *name, unsigned *size);

// Reads one line of a disk file like POSIX getline: grows *line, keeps the newline,
// returns the characters read or -1 at end of file.
ssize_t vlm_io_getline(char **line, size_t *capacity, FILE *stream);

// --- record parsing, apart from the exit policy (used by the reader, the packer and tests)

// Byte offset of the first occurrence of `name` in the image, or -1. Positions are tried
// from the start; only those where the whole name fits are tried.
long vlm_io_findName(const unsigned char *image, size_t imageSize, const char *name);

// Outcome of looking `name` up in a packed file image.
enum VlmRecordStatus { VLM_RECORD_FOUND, VLM_RECORD_ABSENT, VLM_RECORD_FATAL };
struct VlmRecordResult {
    VlmRecordStatus status;
    std::string messages;             // what the reader prints, in order
    std::vector<unsigned char> data;  // the inflated contents when found
};

// Finds, checks and inflates the record `name` inside image[0..imageSize); never reads
// outside the image whatever its bytes say. Fatal results end the process with status 0.
VlmRecordResult vlm_io_parseRecord(const unsigned char *image, size_t imageSize,
                                   const char *name);

// The record header text for a name and sizes: name "[" plain "][" compressed "]".
std::string vlm_io_recordHeader(const char *name, unsigned long plainSize,
                                unsigned long compressedSize);

// Number of entries in the lookup cache (distinct names read from the packed file so far).
int vlm_io_cacheCount(void);
