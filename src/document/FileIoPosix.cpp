// SPDX-License-Identifier: MIT
// The map file's calls on Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "document/FileIo.h"

namespace quarl {

namespace {

int Descriptor(FileId file) {
    return static_cast<int>(file);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path leads to, through every link, as an absolute path.
bool Resolve(const std::string& path, std::string& target) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    if (!real) return false;
    target = real.get();
    return true;
}

// Gives the new file the map's owner, group and permissions; the owner first, as a change of
// owner clears the set-ID bits.
bool KeepOwnerAndMode(int fd, const struct stat& map) {
    if (::fchown(fd, map.st_uid, map.st_gid) != 0) {
        errno = EPERM;
        return false;
    }
    return ::fchmod(fd, map.st_mode & 07777) == 0;
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

FileId SystemFileIo::CreateBeside(const std::string& path, std::string& target,
                                  std::string& beside) {
    struct stat map {};
    struct stat named {};
    if (::stat(path.c_str(), &map) != 0) return kNoFile;
    if (!Resolve(path, target) || ::stat(target.c_str(), &named) != 0 ||
        named.st_dev != map.st_dev || named.st_ino != map.st_ino) {
        errno = EXDEV;  // no name in a folder to replace: a memory file, a deleted one
        return kNoFile;
    }
    if (map.st_nlink > 1) {
        errno = EMLINK;
        return kNoFile;
    }
    const auto slash = target.rfind('/');
    beside = target.substr(0, slash + 1) + BesideName(target.substr(slash + 1));
    if (::unlink(beside.c_str()) != 0 && errno != ENOENT) return kNoFile;
    // O_EXCL and O_NOFOLLOW: never write through a link someone else put in that name.
    const int fd = ::open(beside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) return kNoFile;
    if (!KeepOwnerAndMode(fd, map)) {
        const int error = errno;
        ::close(fd);
        ::unlink(beside.c_str());
        errno = error;
        return kNoFile;
    }
    return FileId{fd};
}

bool SystemFileIo::Replace(const std::string& beside, const std::string& target) {
    return ::rename(beside.c_str(), target.c_str()) == 0;
}

bool SystemFileIo::SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

bool SystemFileIo::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace quarl
