// SPDX-License-Identifier: MIT
// The map file's plain calls on Windows: wide-character paths, so that a map whose name or
// folder holds letters of any language opens as it does on Linux, and positioned reads and
// writes through the file pointer of an OVERLAPPED offset.
#include <windows.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/FileIo.h"
#include "document/WindowsPaths.h"

namespace quarl {

using windows::Handle;
using windows::WidePath;

namespace {

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

// The last error as errno for a read or a write, never as an interruption to retry.
int ErrnoOfLastError() {
    switch (::GetLastError()) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        default:
            return EIO;
    }
}

std::int64_t Failed() {
    errno = ErrnoOfLastError();
    return -1;
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

bool SystemFileIo::Remove(const std::string& path) {
    return ::DeleteFileW(WidePath(path).c_str()) != 0;
}

}  // namespace quarl
