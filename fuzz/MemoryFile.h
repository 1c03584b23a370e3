// SPDX-License-Identifier: MIT
// A file in memory, reachable by path like any map on disk: the fuzzers' map files.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class MemoryFile {
  public:
    MemoryFile(const std::uint8_t* data, std::size_t size)
        : fd_(::memfd_create("map", MFD_CLOEXEC)) {
        if (fd_ < 0 || (size > 0 && ::write(fd_, data, size) != static_cast<ssize_t>(size))) {
            std::abort();
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { ::close(fd_); }
    [[nodiscard]] std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }
    [[nodiscard]] std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(::lseek(fd_, 0, SEEK_END)));
        if (::pread(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
            std::abort();
        }
        return bytes;
    }

  private:
    int fd_;
};
