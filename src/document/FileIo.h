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

// What a step of a replace came to: done, failed, or why the file must be written in place
// instead, because a replace would lose something or cannot be done at all.
enum class Step : std::uint8_t {
    Done,
    Failed,
    Linked,        // the file has another hard link, which a replace would part from it
    Owner,         // the new file cannot take the file's owner, group or mode
    Attribute,     // nor one of its extended attributes, its ACL or its security label
    Streams,       // the file has named streams (Windows), which a replace would drop
    FolderLocked,  // the user may not write the file's folder
    HeldOpen,      // another program holds the file open and keeps it in its place (Windows)
    NoName,        // no name of its own in a folder: a memory file, a file mounted on another
    LongName,      // no room in the file's name for the name of a file beside it
};

inline constexpr bool WritesInPlace(Step step) {
    return step >= Step::Linked;
}

// The files a save writes beside the map called NAME before one takes the map's place:
// .NAME.XXXXXX.quarl-save, hidden, unique to the save, and with an ending no map has, so that
// a file a crash left is never opened as a map.
inline constexpr std::string_view kBesideEnding = ".quarl-save";
inline constexpr std::size_t kBesideUnique = 6;  // the letters that make the name unique

// The start of the beside files' names of the map called name.
inline std::string BesidePrefix(const std::string& name) {
    return "." + name + ".";
}

// Whether file is the name of a beside file of the map called name.
inline bool IsBesideOf(const std::string& file, const std::string& name) {
    const std::string prefix = BesidePrefix(name);
    const std::string_view ending = kBesideEnding;
    return file.size() == prefix.size() + kBesideUnique + ending.size() &&
           file.compare(0, prefix.size(), prefix) == 0 &&
           file.find('.', prefix.size()) == file.size() - ending.size() &&
           file.compare(file.size() - ending.size(), ending.size(), ending) == 0;
}

// Whether the last part of a path is a beside file's name, of any map.
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

    // Creates a new, empty file beside the file that path leads to, through any links, open for
    // writing and held so that no other save removes it: sets target to the file path leads to,
    // beside to the new file's path (in target's folder, named as above) and file to it. Done,
    // Failed, or why target must be written in place instead.
    virtual Step CreateBeside(const std::string& path, std::string& target, std::string& beside,
                              FileId& file) = 0;
    // Gives the new file everything target has besides its bytes: owner, group, mode,
    // extended attributes, ACL and security label, or on Windows its DACL, attributes and
    // creation time; and takes away what the new file gained that target has not.
    virtual Step KeepAttributes(const std::string& target, FileId file) = 0;
    // Puts the file beside, open as file, in target's place in one step, or changes neither;
    // closes file either way. HeldOpen where another program keeps target in its place.
    virtual Step Replace(FileId file, const std::string& beside, const std::string& target) = 0;
    // Puts the folder of path on the disk, with the name a replace gave. A folder the file
    // system cannot put on the disk by itself counts as done; a failure of the disk does not.
    virtual Step SyncFolder(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Removes the files beside target that a stopped save left, never one that a save still
    // holds; returns how many it removed.
    virtual int RemoveStale(const std::string& target) = 0;
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
    Step CreateBeside(const std::string& path, std::string& target, std::string& beside,
                      FileId& file) override;
    Step KeepAttributes(const std::string& target, FileId file) override;
    Step Replace(FileId file, const std::string& beside, const std::string& target) override;
    Step SyncFolder(const std::string& path) override;
    bool Remove(const std::string& path) override;
    int RemoveStale(const std::string& target) override;
};

}  // namespace quarl
