// SPDX-License-Identifier: MIT
// The map file's calls on Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/FileIo.h"

namespace quarl {

namespace {

int Descriptor(FileId file) {
    return static_cast<int>(file);
}

}  // namespace

FileId SystemFileIo::Open(const std::string& path, FileAccess access) {
    // Without blocking: a FIFO in the map's place must not make the editor wait for a writer.
    const int mode = access == FileAccess::Read ? O_RDONLY : O_RDWR;
    const int fd = ::open(path.c_str(), mode | O_CLOEXEC | O_NONBLOCK);
    return fd < 0 ? kNoFile : FileId{fd};
}

bool SystemFileIo::RegularFileSize(FileId file, std::int64_t& size) {
    struct stat info {};
    if (::fstat(Descriptor(file), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size = info.st_size;
    return true;
}

std::int64_t SystemFileIo::ReadAt(FileId file, void* data, std::size_t size, std::int64_t offset) {
    return ::pread(Descriptor(file), data, size, static_cast<off_t>(offset));
}

std::int64_t SystemFileIo::WriteAt(FileId file, const void* data, std::size_t size,
                                   std::int64_t offset) {
    return ::pwrite(Descriptor(file), data, size, static_cast<off_t>(offset));
}

bool SystemFileIo::Sync(FileId file) {
    return ::fsync(Descriptor(file)) == 0;
}

bool SystemFileIo::Close(FileId file) {
    return ::close(Descriptor(file)) == 0;
}

}  // namespace quarl
