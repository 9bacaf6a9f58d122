// Test helper: a real full disk. A tmpfs of a few pages is mounted on a fresh folder for the
// test (mounting needs root: tests skip when the mount is refused for want of it, and fail on
// any other reason) and filled to its last byte on request.
#pragma once
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <unistd.h>
#include <algorithm>
#include <string>
#include <vector>

class FullDisk {
public:
    explicit FullDisk(int kilobytes = 64)
    {
        char pattern[] = "/tmp/vlm-fulldisk-XXXXXX";
        if (!mkdtemp(pattern)) {
            error_ = errno;
            failure_ = "cannot make a folder in /tmp";
            return;
        }
        dir_ = pattern;
        std::string options = "size=" + std::to_string(kilobytes) + "k";
        mounted_ = mount("tmpfs", dir_.c_str(), "tmpfs", 0, options.c_str()) == 0;
        if (!mounted_) {
            error_ = errno;
            failure_ = "cannot mount a tmpfs on " + dir_;
        }
    }
    ~FullDisk()
    {
        if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
        if (!dir_.empty()) rmdir(dir_.c_str());
    }
    bool mounted() const { return mounted_; }
    // The mount was refused for want of the right to mount (not root): the machine's doing.
    bool unprivileged() const { return !mounted_ && error_ == EPERM && !dir_.empty(); }
    // Why there is no disk, with the system's reason.
    std::string failure() const { return failure_ + ": " + strerror(error_); }
    const std::string &dir() const { return dir_; }
    std::string path(const std::string &name) const { return dir_ + "/" + name; }

    // Writes a filler file until the disk refuses another byte; true when it is full.
    bool fill()
    {
        int fd = open(path("filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd < 0) return false;
        std::vector<char> block(4096, 'x');
        ssize_t n;
        while ((n = write(fd, block.data(), block.size())) > 0) {}
        while ((n = write(fd, block.data(), 1)) > 0) {}
        int error = errno;
        close(fd);
        return n < 0 && error == ENOSPC;
    }
    // Frees the space the filler took.
    void makeRoom() { unlink(path("filler").c_str()); }

    // Names in the folder other than the filler, sorted.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        if (DIR *d = opendir(dir_.c_str())) {
            while (dirent *e = readdir(d)) {
                std::string name = e->d_name;
                if (name != "." && name != ".." && name != "filler") names.push_back(name);
            }
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string dir_;
    bool mounted_ = false;
    int error_ = 0;
    std::string failure_;
};
