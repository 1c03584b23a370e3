// SPDX-License-Identifier: MIT
// The map file's calls on Windows: wide-character paths, so that a map whose name or folder
// holds letters of any language opens as it does on Linux, and positioned reads and writes
// through the file pointer of an OVERLAPPED offset.
#include <windows.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/FileIo.h"

namespace quarl {

namespace {

HANDLE Handle(FileId file) {
    return reinterpret_cast<HANDLE>(file);
}

// The UTF-16 form of a UTF-8 text; empty when it is not valid UTF-8.
std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

// A UTF-8 path as the wide calls take it. An absolute path becomes a \\?\ path, which is
// not cut at 260 characters whatever the LongPathsEnabled setting; Windows does not clean up
// such a path (slashes, "." and ".."), so GetFullPathNameW does that first.
std::wstring WidePath(const std::string& path) {
    const std::wstring wide = Wide(path);
    const bool absolute =
        wide.size() >= 3 && wide[1] == L':' && (wide[2] == L'\\' || wide[2] == L'/');
    const bool network = wide.size() >= 2 && (wide[0] == L'\\' || wide[0] == L'/') &&
                         (wide[1] == L'\\' || wide[1] == L'/') && wide.rfind(LR"(\\?\)", 0) != 0;
    if (!absolute && !network) return wide;
    const DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return wide;
    std::wstring full(length, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) return wide;
    full.resize(written);
    return network ? LR"(\\?\UNC)" + full.substr(1) : LR"(\\?\)" + full;
}

OVERLAPPED At(std::int64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return at;
}

// One call moves at most this many bytes; the map file's callers go on after a short count.
DWORD Chunk(std::size_t size) {
    constexpr std::size_t kMax = std::size_t{1} << 30;
    return static_cast<DWORD>(size < kMax ? size : kMax);
}

// The last error as errno, for the map file's choice between a replace and a write in place;
// never as an interruption to retry.
int ErrnoOfLastError() {
    switch (::GetLastError()) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        default:
            return EIO;
    }
}

std::int64_t Failed() {
    errno = ErrnoOfLastError();
    return -1;
}

bool Fails() {
    errno = ErrnoOfLastError();
    return false;
}

FileId NoFile() {
    errno = ErrnoOfLastError();
    return kNoFile;
}

// The attributes a new file can be given of the map's.
DWORD KeptAttributes(DWORD map) {
    const DWORD kept = map & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// Whether the map is one name of a file with others, or a link: a replace would part them.
bool IsLinked(const std::wstring& map, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
    HANDLE handle = ::CreateFileW(map.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool linked = ::GetFileInformationByHandle(handle, &info) && info.nNumberOfLinks > 1;
    ::CloseHandle(handle);
    return linked;
}

}  // namespace

FileId SystemFileIo::Open(const std::string& path, FileAccess access) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return kNoFile;
    const DWORD rights = access == FileAccess::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    // OPEN_EXISTING never creates a file; a folder cannot be opened without backup semantics.
    HANDLE handle = ::CreateFileW(wide.c_str(), rights, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileId>(handle);
}

bool SystemFileIo::RegularFileSize(FileId file, std::int64_t& size) {
    LARGE_INTEGER length{};
    if (::GetFileType(Handle(file)) != FILE_TYPE_DISK) return false;
    if (!::GetFileSizeEx(Handle(file), &length)) return false;
    size = length.QuadPart;
    return true;
}

std::int64_t SystemFileIo::ReadAt(FileId file, void* data, std::size_t size, std::int64_t offset) {
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    if (::ReadFile(Handle(file), data, Chunk(size), &done, &at)) return done;
    return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : Failed();
}

std::int64_t SystemFileIo::WriteAt(FileId file, const void* data, std::size_t size,
                                   std::int64_t offset) {
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    if (::WriteFile(Handle(file), data, Chunk(size), &done, &at)) return done;
    return Failed();
}

bool SystemFileIo::Sync(FileId file) {
    return ::FlushFileBuffers(Handle(file)) != 0;
}

bool SystemFileIo::Close(FileId file) {
    return ::CloseHandle(Handle(file)) != 0;
}

FileId SystemFileIo::CreateBeside(const std::string& path, std::string& target,
                                  std::string& beside) {
    const std::wstring map = WidePath(path);
    const DWORD attributes =
        map.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(map.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return NoFile();
    if (IsLinked(map, attributes)) {
        errno = EMLINK;
        return kNoFile;
    }
    target = path;
    const auto slash = path.find_last_of("/\\");
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    beside = path.substr(0, name) + BesideName(path.substr(name));
    const std::wstring wide = WidePath(beside);
    if (!::DeleteFileW(wide.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return NoFile();
    }
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  KeptAttributes(attributes), nullptr);
    if (handle == INVALID_HANDLE_VALUE) return NoFile();
    return reinterpret_cast<FileId>(handle);
}

// MoveFileExW, never ReplaceFileW: a ReplaceFileW that fails part-way without a backup name can
// leave the map under no name at all.
bool SystemFileIo::Replace(const std::string& beside, const std::string& target) {
    const std::wstring from = WidePath(beside);
    const std::wstring to = WidePath(target);
    if (::MoveFileExW(from.c_str(), to.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    return Fails();
}

// MOVEFILE_WRITE_THROUGH has put the folder on the disk already.
bool SystemFileIo::SyncFolder(const std::string& /*path*/) {
    return true;
}

bool SystemFileIo::Remove(const std::string& path) {
    return ::DeleteFileW(WidePath(path).c_str()) != 0 || Fails();
}

}  // namespace quarl
