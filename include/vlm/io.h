/// @file
/// Packed data file and whole-file reading: compressed copies of data files in "data.vfile",
/// found by path, and the one reader every loader takes its files from (packed, else disk).
/// Owns the lookup cache (2048 entries to start, grown when needed) and the
/// "packed file missing" flag. Reads "data.vfile" from the working directory only.
/// A name is found in data.vfile wherever it occurs inside a record's name ("house.mtl" finds
/// "data/models/house.mtl"), so write paths whole, as the demo asks for them from the run
/// folder. Without a data.vfile the first lookup prints "Error reading datafile." (once per
/// process) and every loader reads the disk: that line says only that nothing is packed.
/// Also holds the outcome every parser hands its loader (messages, and the exit status).
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/types.h>
#include <string>
#include <vector>

/// Returns a malloc'ed copy (caller frees) of the contents of the record called `name`
/// and stores its length in bytes in *size; the data is not zero-terminated.
/// Returns null, *size untouched, when "data.vfile" is missing (the first time printing
/// "Error reading datafile.") or holds no such record ("File NAME not found compressed.");
/// a found record prints "File NAME found in data.vfile". Cached: a name is inflated once.
/// A broken record, or a packed file larger than VLM_FILE_MAX_BYTES, prints its message and
/// ends the process with status 0.
char *vlm_io_uncompress(const char *name, unsigned *size);

/// Reads one line of a disk file like POSIX getline: grows *line, keeps the newline,
/// returns the characters read or -1 at end of file.
ssize_t vlm_io_getline(char **line, size_t *capacity, FILE *stream);

// ---------------------------------------------------------------- whole files

/// Where vlm_io_readFile looks for a path.
enum VlmFileSource {
    VLM_FROM_DISK,                   ///< the disk only
    VLM_FROM_PACKED_OR_DISK,         ///< data.vfile, then the disk when it has no record
    VLM_FROM_NONEMPTY_PACKED_OR_DISK ///< likewise, an empty record counting as none
};

/// What vlm_io_readFile made of a path.
enum VlmFileStatus {
    VLM_FILE_READ,         ///< all of it is in `bytes`
    VLM_FILE_MISSING,      ///< cannot be opened
    VLM_FILE_NO_MEMORY,    ///< `size` bytes (the file's size) could not be allocated
    VLM_FILE_SHORT         ///< a read failed: `bytes` holds the `size` bytes read before it
};

/// A whole file as read by vlm_io_readFile.
struct VlmFile {
    VlmFileStatus status; ///< what became of the read
    char *bytes;   ///< malloc'ed (caller frees), `size` bytes and a zero after them; null unless
                   /// READ or SHORT
    size_t size;   ///< bytes in `bytes`; for NO_MEMORY the size that was asked for
    bool packed;   ///< true when the bytes came from data.vfile
};

/// The largest file the readers take, in bytes (2 GiB - 1): the loaders count a file's bytes
/// in an int, and the packed file's records in 32 bits.
const unsigned long long VLM_FILE_MAX_BYTES = 2147483647ull;

/// Reads the whole of `path` from where `source` says. A disk path that is not a regular file
/// (a directory, a device, a pipe) prints "[!] <path> is not a regular file", and one larger
/// than VLM_FILE_MAX_BYTES "[!] <path> is too large: <size> bytes, more than 2147483647"; both
/// end the process with -1 (255). Otherwise prints only what the packed file lookup prints, and
/// the caller reports every other failure with its own message.
VlmFile vlm_io_readFile(const char *path, VlmFileSource source);

// ---------------------------------------------------------------- parser outcomes

/// What a parser hands its loader: the messages to print, in order, and whether the load ends
/// the process there (then the last message says why).
struct VlmParseOutcome {
    bool ok = true;          ///< false: the loader prints `messages` and exits with `exitStatus`
    std::string messages;    ///< printed in order
    int exitStatus = -1;     ///< when !ok: -1 (seen as 255) for the loaders, 0 for data.vfile
};

/// Appends the fatal `message` and marks the outcome failed; returns false.
bool vlm_parseFail(VlmParseOutcome *outcome, const std::string &message, int status = -1);
/// Prints the messages; a failed outcome then ends the process with its status.
void vlm_reportOutcome(const VlmParseOutcome &outcome);

// --- record parsing, apart from the exit policy (used by the reader, the packer and tests)

/// Byte offset of the first occurrence of `name` in the image, or -1. Positions are tried
/// from the start; only those where the whole name fits are tried.
long vlm_io_findName(const unsigned char *image, size_t imageSize, const char *name);

/// Bytes at the start of a record that hold its name and sizes text; the sizes are looked for
/// only there.
static const size_t VLM_IO_HEADER_WINDOW = 128;

/// Where a record's parts lie, as its header says.
struct VlmRecordHeader {
    int64_t plainSize = 0;       ///< bytes the record inflates to
    int64_t compressedSize = 0;  ///< bytes of its zlib stream
    size_t dataOffset = 0;       ///< where that stream starts in the image
};

/// Reads the sizes text "[plain][compressed]" after a name of `nameLength` bytes that starts at
/// image[recordStart]: both sizes plain decimals (no sign, no leading zero, at most INT32_MAX)
/// ending inside the record's first VLM_IO_HEADER_WINDOW bytes, and the stream inside the
/// image. False when any of that fails; never reads outside the image.
bool vlm_io_readRecordHeader(const unsigned char *image, size_t imageSize, size_t recordStart,
                             size_t nameLength, VlmRecordHeader *header);

/// Outcome of looking `name` up in a packed file image; a fatal one ends the process with 0.
struct VlmRecordResult : VlmParseOutcome {
    bool found = false;               ///< ok and found: `data` holds the record's contents
    std::vector<unsigned char> data;  ///< the inflated contents when found
};

/// Finds, checks and inflates the record `name` inside image[0..imageSize); never reads
/// outside the image whatever its bytes say. Fatal results end the process with status 0.
VlmRecordResult vlm_io_parseRecord(const unsigned char *image, size_t imageSize,
                                   const char *name);

/// The record header text for a name and sizes: name "[" plain "][" compressed "]".
std::string vlm_io_recordHeader(const char *name, unsigned long plainSize,
                                unsigned long compressedSize);

/// Number of entries in the lookup cache (distinct names read from the packed file so far).
int vlm_io_cacheCount(void);
