// SPDX-License-Identifier: MIT
// The map file's calls on Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The names of a file's extended attributes; none where the file system keeps none.
bool AttributeNames(const std::string& path, int fd, std::vector<std::string>& names) {
    names.clear();
    std::string list;
    for (;;) {
        const ssize_t size =
            fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(path.c_str(), nullptr, 0);
        if (size < 0) return errno == ENOTSUP;
        list.resize(static_cast<std::size_t>(size));
        const ssize_t got = fd >= 0 ? ::flistxattr(fd, list.data(), list.size())
                                    : ::listxattr(path.c_str(), list.data(), list.size());
        if (got < 0 && errno == ERANGE) continue;  // it grew meanwhile
        if (got < 0) return false;
        list.resize(static_cast<std::size_t>(got));
        break;
    }
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = list.find('\0', at);
        names.push_back(list.substr(at, end - at));
        at = end == std::string::npos ? list.size() : end + 1;
    }
    return true;
}

bool AttributeValue(const std::string& path, const std::string& name, std::string& value) {
    for (;;) {
        const ssize_t size = ::getxattr(path.c_str(), name.c_str(), nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (got < 0 && errno == ERANGE) continue;
        if (got < 0) return false;
        value.resize(static_cast<std::size_t>(got));
        return true;
    }
}

bool StartsWith(const std::string& text, std::string_view start) {
    return text.compare(0, start.size(), start) == 0;
}

constexpr std::string_view kAccessAcl = "system.posix_acl_access";

// What a save carries over: not what the kernel computes over the contents, nor the trusted
// attributes, which only the superuser sees.
bool IsCarried(const std::string& name) {
    return !StartsWith(name, "trusted.") && name != "security.ima" && name != "security.evm";
}

// The rounds in which the attributes are set: the ACL after the mode, as setting it sets the
// group bits; the security label last, as the owner and the mode may decide it.
int RoundOf(const std::string& name) {
    if (name == kAccessAcl) return 1;
    return StartsWith(name, "security.") ? 2 : 0;
}

bool SetAttribute(int fd, const std::string& map, const std::string& name) {
    std::string value;
    return AttributeValue(map, name, value) &&
           ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) == 0;
}

// The folder and the name of a file the path leads to.
std::pair<std::string, std::string> Split(const std::string& target) {
    const auto slash = target.rfind('/');
    return {FolderOf(target), target.substr(slash + 1)};
}

// Whether the open file is still the one the name in the folder leads to.
bool IsNamed(int folder, const char* name, int fd) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Holds the file against other saves until it is closed. A file system without locks holds
// nothing, and no save removes a file it cannot lock.
bool Lock(int fd, int how) {
    int locked = 0;
    while ((locked = ::flock(fd, how)) != 0 && errno == EINTR) {
    }
    return locked == 0 || errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL;
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

Step SystemFileIo::CreateBeside(const std::string& path, std::string& target, std::string& beside,
                                FileId& file) {
    struct stat map {};
    struct stat named {};
    if (::stat(path.c_str(), &map) != 0 || !S_ISREG(map.st_mode)) return Step::Failed;
    if (!Resolve(path, target) || ::stat(target.c_str(), &named) != 0 ||
        named.st_dev != map.st_dev || named.st_ino != map.st_ino) {
        return Step::NoName;  // a memory file, a deleted one
    }
    if (map.st_nlink > 1) return Step::Linked;
    const auto [folder, name] = Split(target);
    const std::string ending(kBesideEnding);
    const std::string pattern =
        folder + "/" + BesidePrefix(name) + std::string(kBesideUnique, 'X') + ending;
    // Another save that removes a stale file may take this one between its making and its
    // lock: then make another.
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string made = pattern;
        const int fd = ::mkostemps(made.data(), static_cast<int>(ending.size()), O_CLOEXEC);
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            return Step::FolderLocked;
        }
        if (fd < 0) return errno == ENAMETOOLONG ? Step::LongName : Step::Failed;
        const bool locked = Lock(fd, LOCK_EX);
        const bool ours = IsNamed(AT_FDCWD, made.c_str(), fd);
        if (locked && ours) {
            beside = made;
            file = FileId{fd};
            return Step::Done;
        }
        if (ours) ::unlink(made.c_str());  // still ours, but it cannot be held
        ::close(fd);
        if (!locked) return Step::Failed;
    }
    return Step::Failed;
}

// The owner first, as a change of owner clears the set-ID bits; then what the new file gained
// that the map has not (an ACL from the folder's default ACL), before the mode, which removing
// an ACL would leave as the ACL's mask.
Step SystemFileIo::KeepAttributes(const std::string& target, FileId file) {
    const int fd = Descriptor(file);
    struct stat map {};
    if (::stat(target.c_str(), &map) != 0) return Step::Failed;
    if (::fchown(fd, map.st_uid, map.st_gid) != 0) return Step::Owner;
    std::vector<std::string> kept;
    std::vector<std::string> gained;
    if (!AttributeNames(target, -1, kept) || !AttributeNames({}, fd, gained)) {
        return Step::Attribute;
    }
    for (const std::string& name : gained) {
        if (IsCarried(name) && std::find(kept.begin(), kept.end(), name) == kept.end() &&
            ::fremovexattr(fd, name.c_str()) != 0) {
            return Step::Attribute;
        }
    }
    for (const int round : {0, 1, 2}) {
        if (round == 1 && ::fchmod(fd, map.st_mode & 07777) != 0) return Step::Owner;
        for (const std::string& name : kept) {
            if (IsCarried(name) && RoundOf(name) == round && !SetAttribute(fd, target, name)) {
                return Step::Attribute;
            }
        }
    }
    return Step::Done;
}

// The rename while the file is still held: no other save can remove it in between.
Step SystemFileIo::Replace(FileId file, const std::string& beside, const std::string& target) {
    const bool renamed = ::rename(beside.c_str(), target.c_str()) == 0;
    const int error = errno;
    ::close(Descriptor(file));
    if (renamed) return Step::Done;
    return error == EBUSY || error == EXDEV ? Step::NoName : Step::Failed;  // a mounted map
}

// A folder that may not be read cannot be opened to be flushed, and some file systems flush no
// folder (EINVAL): the rename is as safe there as it can be made.
Step SystemFileIo::SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES || errno == EPERM ? Step::Done : Step::Failed;
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (synced || error == EINVAL || error == EROFS || error == ENOTSUP || error == EBADF) {
        return Step::Done;
    }
    return Step::Failed;
}

bool SystemFileIo::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

// A file no save holds is one it can lock; it is removed only while it is still the file its
// name leads to.
int SystemFileIo::RemoveStale(const std::string& target) {
    const auto [folder, name] = Split(target);
    DIR* const dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsBesideOf(entry->d_name, name)) continue;
        const int fd =
            ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && IsNamed(::dirfd(dir), entry->d_name, fd) &&
            ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) {
            ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

}  // namespace quarl
