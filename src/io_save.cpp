// Whole-or-nothing saves: temporary file beside the target, every step checked, then rename.
#include "io_save.h"
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// Writes all of bytes to fd; false with errno set when any write fails or makes no progress.
static bool writeAll(int fd, const unsigned char *bytes, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes += n;
        size -= (size_t)n;
    }
    return true;
}

// The file a save of `path` replaces: a symbolic link is followed, so the link stays a link.
static std::string resolveTarget(const char *path)
{
    struct stat link;
    char resolved[PATH_MAX];
    if (lstat(path, &link) == 0 && S_ISLNK(link.st_mode) && realpath(path, resolved))
        return resolved;
    return path;
}

// A device or a pipe cannot be replaced by a rename: it is written as it stands.
static VlmSaveResult saveInPlace(const char *path, const void *bytes, size_t size, int *error)
{
    int fd = open(path, O_WRONLY | O_TRUNC);
    if (fd < 0) {
        *error = errno;
        return VLM_SAVE_CANNOT_OPEN;
    }
    bool ok = writeAll(fd, (const unsigned char *)bytes, size);
    *error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        *error = errno;
    }
    return ok ? VLM_SAVED : VLM_SAVE_FAILED;
}

// Mode for the new file: an old file's own, else what creating it with fopen would give.
static mode_t newFileMode(const struct stat *old, bool exists)
{
    if (exists) return old->st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

static VlmSaveResult failWith(int fd, const std::string &temp, int *error, VlmSaveResult result)
{
    *error = errno;
    if (fd >= 0) close(fd);
    if (!temp.empty()) unlink(temp.c_str());
    return result;
}

VlmSaveResult vlm_io_saveFile(const char *path, const void *bytes, size_t size, int *error)
{
    std::string target = resolveTarget(path);
    struct stat old;
    bool exists = stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        *error = EISDIR;
        return VLM_SAVE_CANNOT_OPEN;
    }
    if (exists && !S_ISREG(old.st_mode)) return saveInPlace(target.c_str(), bytes, size, error);
    // The rename would replace a file we may not write: refuse as opening it would.
    if (exists && access(target.c_str(), W_OK) != 0) return failWith(-1, "", error, VLM_SAVE_CANNOT_OPEN);

    std::string temp = target + ".XXXXXX";
    size_t slash = target.rfind('/');
    temp.insert(slash == std::string::npos ? 0 : slash + 1, ".");  // hidden beside the target
    int fd = mkstemp(&temp[0]);
    if (fd < 0) return failWith(-1, "", error, VLM_SAVE_CANNOT_OPEN);
    if (fchmod(fd, newFileMode(&old, exists)) != 0 ||
        !writeAll(fd, (const unsigned char *)bytes, size) || (exists && fsync(fd) != 0))
        return failWith(fd, temp, error, VLM_SAVE_FAILED);
    if (close(fd) != 0) return failWith(-1, temp, error, VLM_SAVE_FAILED);
    if (rename(temp.c_str(), target.c_str()) != 0) return failWith(-1, temp, error, VLM_SAVE_FAILED);
    *error = 0;
    return VLM_SAVED;
}

std::string vlm_io_saveFailure(const char *path, int error)
{
    return "[!] Could not save " + std::string(path) + ": " + strerror(error) +
           ". The file on disk is as it was.\n";
}

bool vlm_io_isFullDisk(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}
