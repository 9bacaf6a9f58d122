// Saving a user's file whole or not at all: the one way the framework writes files (camera
// tracks, screenshots, capture frames). Owns nothing; writes only the path it is given and a
// temporary file beside it.
#pragma once
#include <stddef.h>
#include <string>

enum VlmSaveResult {
    VLM_SAVED = 0,         // the file holds exactly the bytes given
    VLM_SAVE_CANNOT_OPEN,  // nothing could be created for it: a missing or unwritable folder,
                           // the path a directory, an existing file we may not write
    VLM_SAVE_FAILED,       // a write, the sync, the close or the rename failed (a full disk)
};

// Writes bytes[0..size) to `path` through a temporary file in the same folder, checking every
// write and the close, and renames it over `path` only when all went out (an old file is
// synced to disk first, so a crash leaves the old or the new file, never a mix). On failure
// the temporary file is removed, `path` keeps its old contents (or stays absent) and *error
// holds the errno. Targets that are not regular files (devices, pipes) are written in place.
VlmSaveResult vlm_io_saveFile(const char *path, const void *bytes, size_t size, int *error);

// The report of a failed save, one line:
// "[!] Could not save <path>: <system error text>. The file on disk is as it was.\n"
std::string vlm_io_saveFailure(const char *path, int error);

// True for the errors that mean the disk (or the file size limit) is full.
bool vlm_io_isFullDisk(int error);
