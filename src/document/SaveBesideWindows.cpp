// SPDX-License-Identifier: MIT
// The map file's replace on Windows: a new file beside the map that takes the map's attributes
// and DACL, and is moved into the map's place.
#include <aclapi.h>
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/FileIo.h"
#include "document/WindowsPaths.h"

namespace quarl {

using windows::Handle;
using windows::Narrow;
using windows::WidePath;

namespace {

// Closes the handle when it goes.
class Owned {
  public:
    explicit Owned(HANDLE handle) : handle_(handle) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    [[nodiscard]] HANDLE get() const { return handle_; }
    [[nodiscard]] bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenForAttributes(const std::wstring& path, DWORD rights, DWORD flags) {
    return ::CreateFileW(path.c_str(), rights, kShareAll, nullptr, OPEN_EXISTING,
                         flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The attributes a new file can be given of the map's.
DWORD KeptAttributes(DWORD map) {
    const DWORD kept = map & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// Whether the file at path is a link to another name (a symbolic link, a junction), whose
// target a save replaces, rather than the file itself in another form (cloud files,
// deduplication), which is replaced as any file is.
bool IsNameSurrogate(const std::wstring& path) {
    const Owned file(OpenForAttributes(path, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT));
    FILE_ATTRIBUTE_TAG_INFO info{};
    return file.ok() &&
           ::GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &info, sizeof info) &&
           (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           IsReparseTagNameSurrogate(info.ReparseTag);
}

// The path of the file that the link at path leads to.
bool LinkTarget(const std::wstring& path, std::string& target) {
    const Owned file(OpenForAttributes(path, FILE_READ_ATTRIBUTES, 0));
    if (!file.ok()) return false;
    const DWORD length = ::GetFinalPathNameByHandleW(file.get(), nullptr, 0, VOLUME_NAME_DOS);
    if (length == 0) return false;
    std::wstring final(length, L'\0');
    const DWORD written =
        ::GetFinalPathNameByHandleW(file.get(), final.data(), length, VOLUME_NAME_DOS);
    if (written == 0 || written >= length) return false;
    final.resize(written);
    target = Narrow(final);
    return !target.empty();
}

// Whether the file has streams besides its data, which a new file would not have.
bool HasNamedStreams(const std::wstring& path) {
    WIN32_FIND_STREAM_DATA stream{};
    HANDLE find = ::FindFirstStreamW(path.c_str(), FindStreamInfoStandard, &stream, 0);
    if (find == INVALID_HANDLE_VALUE) return false;  // none, or a file system without streams
    bool named = false;
    do {
        named = named || std::wstring(stream.cStreamName) != L"::$DATA";
    } while (!named && ::FindNextStreamW(find, &stream));
    ::FindClose(find);
    return named;
}

// The name a new file beside the map gets, unique to the save with a good chance: the process,
// the time and a count, in letters and digits.
std::string UniquePart() {
    static std::atomic<unsigned> count{0};
    std::uint64_t mix = (std::uint64_t{::GetCurrentProcessId()} << 32) ^ ::GetTickCount64() ^
                        (std::uint64_t{count++} * 0x9E3779B97F4A7C15u);
    constexpr std::string_view letters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string part;
    for (std::size_t i = 0; i < kBesideUnique; ++i) {
        mix = mix * 6364136223846793005u + 1442695040888963407u;
        part += letters[(mix >> 33) % letters.size()];
    }
    return part;
}

// The explicit entries of a DACL that inherits the rest from its folder: the entries it
// inherited come again from the folder of the new file, which is the same.
std::vector<std::uint8_t> ExplicitEntries(const ACL* dacl) {
    ACL_SIZE_INFORMATION size{};
    if (!::GetAclInformation(const_cast<ACL*>(dacl), &size, sizeof size, AclSizeInformation)) {
        return {};
    }
    std::vector<std::uint8_t> acl(size.AclBytesInUse);
    if (!::InitializeAcl(reinterpret_cast<ACL*>(acl.data()), static_cast<DWORD>(acl.size()),
                         dacl->AclRevision)) {
        return {};
    }
    for (DWORD i = 0; i < size.AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(const_cast<ACL*>(dacl), i, &ace)) return {};
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        if ((header->AceFlags & INHERITED_ACE) != 0) continue;
        if (!::AddAce(reinterpret_cast<ACL*>(acl.data()), dacl->AclRevision, MAXDWORD, ace,
                      header->AceSize)) {
            return {};
        }
    }
    return acl;
}

// Gives the new file the map's own DACL and its protection from inheritance.
bool KeepDacl(HANDLE map, HANDLE file) {
    ACL* dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(map, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                          nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    bool kept = false;
    if (dacl == nullptr) {
        kept = true;  // a null DACL: the new file's own is at least as strict
    } else if (::GetSecurityDescriptorControl(descriptor, &control, &revision)) {
        const bool isProtected = (control & SE_DACL_PROTECTED) != 0;
        std::vector<std::uint8_t> own;
        if (!isProtected) own = ExplicitEntries(dacl);
        ACL* const given = isProtected ? dacl : reinterpret_cast<ACL*>(own.data());
        // A DACL all inherited is the one the new file inherited from the same folder.
        if (!isProtected && !own.empty() && given->AceCount == 0) {
            ::LocalFree(descriptor);
            return true;
        }
        const SECURITY_INFORMATION what =
            DACL_SECURITY_INFORMATION | (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                                                     : UNPROTECTED_DACL_SECURITY_INFORMATION);
        kept = given != nullptr && ::SetSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr,
                                                     given, nullptr) == ERROR_SUCCESS;
    }
    ::LocalFree(descriptor);
    return kept;
}

// What another program that holds the map open makes a replace fail with: access denied where
// it does not let the map be deleted.
bool IsHeldOpen(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

}  // namespace

Step SystemFileIo::CreateBeside(const std::string& path, std::string& target, std::string& beside,
                                FileId& file) {
    const std::wstring map = WidePath(path);
    const DWORD attributes =
        map.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(map.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Step::Failed;
    target = path;
    if (IsNameSurrogate(map) && !LinkTarget(map, target)) return Step::Failed;
    const std::wstring wideTarget = WidePath(target);
    BY_HANDLE_FILE_INFORMATION info{};
    {
        const Owned named(OpenForAttributes(wideTarget, FILE_READ_ATTRIBUTES, 0));
        if (!named.ok() || !::GetFileInformationByHandle(named.get(), &info)) return Step::Failed;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Step::Failed;
    if (info.nNumberOfLinks > 1) return Step::Linked;
    if (HasNamedStreams(wideTarget)) return Step::Streams;
    const auto slash = target.find_last_of("/\\");
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    for (int attempt = 0; attempt < 8; ++attempt) {
        beside = target.substr(0, name) + BesidePrefix(target.substr(name)) + UniquePart() +
                 std::string(kBesideEnding);
        // No sharing: while it is written, no other program opens it, and no other save removes
        // it.
        HANDLE handle =
            ::CreateFileW(WidePath(beside).c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr,
                          CREATE_NEW, KeptAttributes(info.dwFileAttributes), nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            file = reinterpret_cast<FileId>(handle);
            return Step::Done;
        }
        switch (::GetLastError()) {
            case ERROR_FILE_EXISTS:
            case ERROR_ALREADY_EXISTS:
                continue;
            case ERROR_ACCESS_DENIED:
            case ERROR_WRITE_PROTECT:
                return Step::FolderLocked;
            case ERROR_FILENAME_EXCED_RANGE:
                return Step::LongName;
            default:
                return Step::Failed;
        }
    }
    return Step::Failed;
}

Step SystemFileIo::KeepAttributes(const std::string& target, FileId file) {
    const Owned map(OpenForAttributes(WidePath(target), READ_CONTROL | FILE_READ_ATTRIBUTES, 0));
    FILE_BASIC_INFO basic{};
    if (!map.ok() ||
        !::GetFileInformationByHandleEx(map.get(), FileBasicInfo, &basic, sizeof basic)) {
        return Step::Failed;
    }
    if (!KeepDacl(map.get(), Handle(file))) return Step::Attribute;
    // The creation time and the attributes; the times left at 0 stay as they are.
    FILE_BASIC_INFO kept{};
    kept.CreationTime = basic.CreationTime;
    kept.FileAttributes = KeptAttributes(basic.FileAttributes);
    if (!::SetFileInformationByHandle(Handle(file), FileBasicInfo, &kept, sizeof kept)) {
        return Step::Attribute;
    }
    return Step::Done;
}

// MoveFileExW, never ReplaceFileW: a ReplaceFileW that fails part-way without a backup name can
// leave the map under no name at all. A virus scanner or a sync client that holds the map for a
// moment is waited for, for a moment.
Step SystemFileIo::Replace(FileId file, const std::string& beside, const std::string& target) {
    ::CloseHandle(Handle(file));
    const std::wstring from = WidePath(beside);
    const std::wstring to = WidePath(target);
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return Step::Done;
        }
        if (!IsHeldOpen(::GetLastError()) || attempt == 20) break;
        ::Sleep(50);
    }
    return IsHeldOpen(::GetLastError()) ? Step::HeldOpen : Step::Failed;
}

// MOVEFILE_WRITE_THROUGH has put the folder on the disk already.
Step SystemFileIo::SyncFolder(const std::string& /*path*/) {
    return Step::Done;
}

// A file a save still writes is open without sharing, and so cannot be removed.
int SystemFileIo::RemoveStale(const std::string& target) {
    const auto slash = target.find_last_of("/\\");
    const std::size_t at = slash == std::string::npos ? 0 : slash + 1;
    const std::string folder = target.substr(0, at);
    const std::string name = target.substr(at);
    WIN32_FIND_DATAW found{};
    const std::wstring pattern =
        WidePath(folder + BesidePrefix(name) + "*" + std::string(kBesideEnding));
    HANDLE find = ::FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        const std::string file = Narrow(found.cFileName);
        if (IsBesideOf(file, name) && ::DeleteFileW(WidePath(folder + file).c_str())) ++removed;
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return removed;
}

}  // namespace quarl
