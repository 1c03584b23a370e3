// SPDX-License-Identifier: MIT
// The map file's reading and writing go through this one narrow seam, so that tests can make
// any call fail the way a disk, a full file system or another program can make it fail, and so
// that the rest of the editor is the same on every system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarl {

// An open file of the seam: a descriptor or a handle.
using FileId = std::intptr_t;
inline constexpr FileId kNoFile = -1;

enum class FileAccess { Read, ReadWrite };

// The name of the file a save writes beside the map called name before it takes the map's
// place: hidden, and with an ending no map has, so that a file a crash left is never opened as
// a map.
inline constexpr std::string_view kBesideEnding = ".quarl-save";
inline std::string BesideName(const std::string& name) {
    return "." + name + std::string(kBesideEnding);
}

// Whether the last part of a path is such a name.
inline bool IsBesideName(const std::string& path) {
    const std::string_view suffix = kBesideEnding;
    const auto slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.size() > suffix.size() + 1 && name.front() == '.' &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The calls the map file needs.
class FileIo {
  public:
    FileIo() = default;
    FileIo(const FileIo&) = delete;
    FileIo& operator=(const FileIo&) = delete;
    virtual ~FileIo() = default;

    // Opens an existing file by its UTF-8 path, never creating one; kNoFile when it cannot.
    // Other programs may go on reading the file while it is open.
    virtual FileId Open(const std::string& path, FileAccess access) = 0;
    // The length of a regular file; false on an error and for a folder, a pipe or a device.
    virtual bool RegularFileSize(FileId file, std::int64_t& size) = 0;
    // Positioned reads and writes: the bytes done (0 at the end of the file), or -1 on an error
    // with errno set; EINTR means the call may simply be made again.
    virtual std::int64_t ReadAt(FileId file, void* data, std::size_t size, std::int64_t offset) = 0;
    virtual std::int64_t WriteAt(FileId file, const void* data, std::size_t size,
                                 std::int64_t offset) = 0;
    // Puts what was written on the disk.
    virtual bool Sync(FileId file) = 0;
    // Closes the file, whether or not it reports an error.
    virtual bool Close(FileId file) = 0;

    // Creates the file a save writes beside the map at path (BesideName, in the folder of the
    // file that path leads to, through any links), empty and open for writing, with the map's
    // permissions, owner and group, or its attributes; a file of that name left by an earlier
    // save is replaced. Sets target to the file the path leads to and beside to the new file's
    // path. kNoFile with errno when it cannot: EMLINK where replacing the map would part it
    // from another link to it, EPERM where its owner cannot be kept, EXDEV where it has no name
    // in a folder to be replaced under.
    virtual FileId CreateBeside(const std::string& path, std::string& target,
                                std::string& beside) = 0;
    // Puts the file beside in target's place in one step, or changes neither; false with errno,
    // EACCES where another program holds target open.
    virtual bool Replace(const std::string& beside, const std::string& target) = 0;
    // Puts the folder of path on the disk, with the name a replace gave.
    virtual bool SyncFolder(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;
};

// The file system of the system the editor was built for: POSIX calls or the Windows API,
// whichever the build chose.
class SystemFileIo : public FileIo {
  public:
    FileId Open(const std::string& path, FileAccess access) override;
    bool RegularFileSize(FileId file, std::int64_t& size) override;
    std::int64_t ReadAt(FileId file, void* data, std::size_t size, std::int64_t offset) override;
    std::int64_t WriteAt(FileId file, const void* data, std::size_t size,
                         std::int64_t offset) override;
    bool Sync(FileId file) override;
    bool Close(FileId file) override;
    FileId CreateBeside(const std::string& path, std::string& target, std::string& beside) override;
    bool Replace(const std::string& beside, const std::string& target) override;
    bool SyncFolder(const std::string& path) override;
    bool Remove(const std::string& path) override;
};

}  // namespace quarl
