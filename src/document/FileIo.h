// SPDX-License-Identifier: MIT
// The map file's reading and writing go through this one narrow seam, so that tests can make
// any call fail the way a disk, a full file system or another program can make it fail.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>

namespace quarl {

// The six calls the map file needs, with the results and errno of their POSIX namesakes.
class FileIo {
  public:
    FileIo() = default;
    FileIo(const FileIo&) = delete;
    FileIo& operator=(const FileIo&) = delete;
    virtual ~FileIo() = default;

    virtual int Open(const char* path, int flags) = 0;
    virtual int Stat(int fd, struct stat& info) = 0;
    virtual ssize_t ReadAt(int fd, void* data, std::size_t size, off_t offset) = 0;
    virtual ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t offset) = 0;
    virtual int Sync(int fd) = 0;
    virtual int Close(int fd) = 0;
};

// The real file system.
class PosixFileIo : public FileIo {
  public:
    int Open(const char* path, int flags) override { return ::open(path, flags); }
    int Stat(int fd, struct stat& info) override { return ::fstat(fd, &info); }
    ssize_t ReadAt(int fd, void* data, std::size_t size, off_t offset) override {
        return ::pread(fd, data, size, offset);
    }
    ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t offset) override {
        return ::pwrite(fd, data, size, offset);
    }
    int Sync(int fd) override { return ::fsync(fd); }
    int Close(int fd) override { return ::close(fd); }
};

}  // namespace quarl
