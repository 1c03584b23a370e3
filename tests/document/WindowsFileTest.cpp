// SPDX-License-Identifier: MIT
// Save failures that only Windows has: a map another program holds open without sharing it, a
// read-only file, a drive that went away; and a map replaced, or saved in place where another
// program holds it open.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "document/SaveFailure.h"

namespace quarl {
namespace {

std::wstring Wide(const std::string& utf8) {
    return mapgen::PathOf(utf8).make_preferred().wstring();
}

TEST_F(SaveFailureTest, AMapAnotherProgramHoldsWithoutSharing) {
    const std::string path = LoadAndEdit(MakeMap({.width = 6, .height = 5, .trailing = 3}));
    HANDLE other = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const Types before = model;
    const auto result = SaveMap(model);
    ::CloseHandle(other);
    EXPECT_EQ(result.error, kSaveError);
    EXPECT_TRUE(model == before);
    EXPECT_EQ(ReadBytes(path), original) << "nothing changed";
}

TEST_F(SaveFailureTest, AReadOnlyFile) {
    const std::string path = LoadAndEdit(MakeMap({.width = 3, .height = 3, .seed = 8}));
    ASSERT_TRUE(::SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
    const auto result = SaveMap(model);
    ::SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(result.error, kSaveError);
    EXPECT_EQ(ReadBytes(path), original);
}

// A map on a drive that is gone, as a removed stick's is: it does not load, and a map loaded
// from it is not saved.
TEST_F(SaveFailureTest, ADriveThatIsGone) {
    const DWORD used = ::GetLogicalDrives();
    char letter = 'Z';
    while (letter > 'D' && (used & (1u << (letter - 'A'))) != 0) --letter;
    ASSERT_GT(letter, 'D') << "no free drive letter";
    const std::string gone = std::string(1, letter) + ":\\maps\\stick.map";
    const Types before = model;
    const auto load = LoadMap(model, gone, "stick.map");
    EXPECT_EQ(load.error, kLoadError);
    EXPECT_TRUE(model == before);

    LoadAndEdit(MakeMap({.width = 4, .height = 4}));
    model.FileName = gone;  // the drive the map came from went away
    const Types edited = model;
    EXPECT_EQ(SaveMap(model).error, kSaveError);
    EXPECT_TRUE(model == edited);
}

// A map whose full path is longer than Windows' 260 characters loads and saves. The folders and
// the file are made through \\?\ paths, as nothing else reaches them.
TEST_F(SaveFailureTest, AMapWithAPathOfOver260Characters) {
    std::string path = dir.File("");
    std::wstring wide = LR"(\\?\)" + Wide(path);
    for (const char* folder : {"a-folder-name-of-fifty-letters-or-so-for-a-long-path",
                               "and-a-second-one-of-about-as-many-letters-for-it",
                               "and-a-third-one-which-takes-the-path-well-beyond",
                               "the-two-hundred-and-sixty-characters-of-windows"}) {
        path += std::string(folder) + "/";
        wide += Wide(folder) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(wide.c_str(), nullptr));
    }
    path += "a-map-at-the-end-of-a-long-path.map";
    wide += L"a-map-at-the-end-of-a-long-path.map";
    ASSERT_GT(path.size(), 260u);
    const auto bytes = MakeMap({.width = 4, .height = 3, .seed = 4});
    auto file = [&](DWORD access, DWORD creation) {
        return ::CreateFileW(wide.c_str(), access, 0, nullptr, creation, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    };
    HANDLE out = file(GENERIC_WRITE, CREATE_NEW);
    DWORD done = 0;
    ASSERT_TRUE(::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
    ::CloseHandle(out);

    ASSERT_FALSE(LoadMap(model, path, "long.map").error);
    model.TypeLayer[5] = static_cast<std::uint8_t>(bytes[kHeaderSize + 5 * kRecordSize] + 1);
    ASSERT_EQ(SaveMap(model).status, "Saved map as: long.map");
    std::vector<std::uint8_t> saved(bytes.size() + 1);
    HANDLE in = file(GENERIC_READ, OPEN_EXISTING);
    ASSERT_TRUE(::ReadFile(in, saved.data(), static_cast<DWORD>(saved.size()), &done, nullptr));
    ::CloseHandle(in);
    ASSERT_EQ(done, bytes.size());
    EXPECT_EQ(saved[kHeaderSize + 5 * kRecordSize], model.TypeLayer[5]);
}

// The file's index on its volume: a replaced map has another.
std::uint64_t FileIndex(const std::string& path) {
    HANDLE file = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(::GetFileInformationByHandle(file, &info));
    ::CloseHandle(file);
    return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

// A map is replaced by a whole new file with its attributes; one that another program holds
// open without letting it be deleted, as viewers do, cannot be and is saved in place, unless the
// program lets it go within a moment, as a virus scanner does.
TEST_F(SaveFailureTest, TheMapReplacedOrSavedInPlace) {
    struct Case {
        const char* name;
        bool held;
        int heldMs;  // how long, where not for the whole save
        bool replaced;
    };
    for (const Case& c : {Case{"a map no program holds", false, 0, true},
                          Case{"a map held open without FILE_SHARE_DELETE", true, 0, false},
                          Case{"a map held for a moment", true, 300, true}}) {
        SCOPED_TRACE(c.name);
        const std::string path = LoadAndEdit(MakeMap({.width = 8, .height = 6, .trailing = 2}),
                                             c.held ? "held.map" : "free.map");
        const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
        ASSERT_TRUE(::SetFileAttributesW(Wide(path).c_str(), attributes));
        HANDLE other = c.held ? ::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                              : INVALID_HANDLE_VALUE;
        ASSERT_EQ(other != INVALID_HANDLE_VALUE, c.held);
        std::thread release;
        if (c.heldMs > 0) {
            release = std::thread([other, ms = c.heldMs] {
                ::Sleep(static_cast<DWORD>(ms));
                ::CloseHandle(other);
            });
        }
        const std::uint64_t before = FileIndex(path);
        const auto result = SaveMap(model);
        if (release.joinable()) {
            release.join();
        } else if (c.held) {
            ::CloseHandle(other);
        }
        EXPECT_FALSE(result.error);
        ExpectSaved(path, c.name);
        EXPECT_EQ(FileIndex(path) != before, c.replaced) << "replaced";
        EXPECT_EQ(::GetFileAttributesW(Wide(path).c_str()), attributes);
    }
}

// The DACL of a file, its protection from inheritance and its explicit entries as bytes.
struct Dacl {
    bool isProtected = false;
    std::vector<std::vector<std::uint8_t>> entries;
    bool operator==(const Dacl&) const = default;
};

Dacl DaclOf(const std::string& path) {
    ACL* acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    Dacl dacl;
    EXPECT_EQ(::GetNamedSecurityInfoW(Wide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, &acl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (descriptor != nullptr && ::GetSecurityDescriptorControl(descriptor, &control, &revision)) {
        dacl.isProtected = (control & SE_DACL_PROTECTED) != 0;
    }
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(acl, i, &ace)) break;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        if ((header->AceFlags & INHERITED_ACE) != 0) continue;
        const auto* bytes = static_cast<const std::uint8_t*>(ace);
        dacl.entries.emplace_back(bytes, bytes + header->AceSize);
    }
    ::LocalFree(descriptor);
    return dacl;
}

// Gives the file a DACL of its own: its owner may do anything, and, where it also inherits the
// folder's entries, everyone may read it.
void SetOwnDacl(const std::string& path, bool isProtected) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY creator = SECURITY_CREATOR_SID_AUTHORITY;
    PSID everyone = nullptr;
    PSID owner = nullptr;
    ASSERT_TRUE(
        ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    ASSERT_TRUE(::AllocateAndInitializeSid(&creator, 1, SECURITY_CREATOR_OWNER_RID, 0, 0, 0, 0, 0,
                                           0, 0, &owner));
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    std::vector<std::uint8_t> user(256);
    DWORD size = 0;
    ASSERT_TRUE(::GetTokenInformation(token, TokenUser, user.data(),
                                      static_cast<DWORD>(user.size()), &size));
    ::CloseHandle(token);
    std::vector<std::uint8_t> acl(512);
    auto* list = reinterpret_cast<ACL*>(acl.data());
    ASSERT_TRUE(::InitializeAcl(list, static_cast<DWORD>(acl.size()), ACL_REVISION));
    if (!isProtected) {
        ASSERT_TRUE(::AddAccessAllowedAce(list, ACL_REVISION, FILE_GENERIC_READ, everyone));
    }
    ASSERT_TRUE(::AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS,
                                      reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid));
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::wstring wide = Wide(path);
    ASSERT_EQ(
        ::SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, what, nullptr, nullptr, list, nullptr),
        static_cast<DWORD>(ERROR_SUCCESS));
    ::FreeSid(everyone);
    ::FreeSid(owner);
}

FILETIME CreationTimeOf(const std::string& path) {
    FILETIME created{};
    HANDLE file = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_TRUE(::GetFileTime(file, &created, nullptr, nullptr));
    ::CloseHandle(file);
    return created;
}

// A replaced map keeps its own DACL, protected or not, and its creation time; a map behind a
// symbolic link is replaced at the file the link leads to; one with a named stream is saved in
// place.
TEST_F(SaveFailureTest, WhatAReplaceKeeps) {
    struct Case {
        const char* name;
        bool isProtected;
    };
    for (const Case& c : {Case{"a protected DACL of its own", true},
                          Case{"explicit entries beside the inherited ones", false}}) {
        SCOPED_TRACE(c.name);
        const std::string path = LoadAndEdit(MakeMap({.width = 5, .height = 4, .trailing = 2}),
                                             c.isProtected ? "protected.map" : "explicit.map");
        SetOwnDacl(path, c.isProtected);
        const Dacl before = DaclOf(path);
        // Wine 10 takes a DACL without a word, but keeps none: it reads back what the file's
        // Unix permissions give.
        const bool taken = before.entries.size() == (c.isProtected ? 1u : 2u);
        if (!taken) std::printf("the file system keeps no DACL of a file's own: %s\n", c.name);
        const FILETIME created = CreationTimeOf(path);
        const std::uint64_t index = FileIndex(path);
        ASSERT_FALSE(SaveMap(model).error);
        ExpectSaved(path, c.name);
        EXPECT_NE(FileIndex(path), index) << "replaced";
        if (taken) {
            EXPECT_TRUE(DaclOf(path) == before);
        }
        const FILETIME now = CreationTimeOf(path);
        if (CompareFileTime(&now, &created) != 0) {
            std::printf("the file system keeps no creation time of a renamed file: %s\n", c.name);
        }
    }

    const std::string target = LoadAndEdit(MakeMap({.width = 5, .height = 4}), "target.map");
    const std::string link = dir.File("link.map");
    const bool linked = ::CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(),
                                              SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    // Wine 10 makes the link, but then finds nothing at its name.
    if (linked && ::GetFileAttributesW(Wide(link).c_str()) != INVALID_FILE_ATTRIBUTES) {
        model.FileName = link;
        ASSERT_FALSE(SaveMap(model).error);
        ExpectSaved(target, "a map behind a symbolic link");
        EXPECT_NE(::GetFileAttributesW(Wide(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u)
            << "still a link";
    } else {
        std::printf("no symbolic link that can be opened can be made here (made: %d): error %lu\n",
                    linked, ::GetLastError());
    }

    const std::string streamed = LoadAndEdit(MakeMap({.width = 5, .height = 4}), "streams.map");
    HANDLE stream = ::CreateFileW(Wide(streamed + ":comment").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (stream != INVALID_HANDLE_VALUE) ::CloseHandle(stream);
    // Wine 10 makes a file of that name instead, and lists no stream.
    WIN32_FIND_STREAM_DATA found{};
    HANDLE streams = ::FindFirstStreamW(Wide(streamed).c_str(), FindStreamInfoStandard, &found, 0);
    bool named = false;
    while (streams != INVALID_HANDLE_VALUE && !named) {
        named = std::wstring(found.cStreamName) == L":comment:$DATA";
        if (!::FindNextStreamW(streams, &found)) break;
    }
    if (streams != INVALID_HANDLE_VALUE) ::FindClose(streams);
    if (named) {
        const std::uint64_t index = FileIndex(streamed);
        ASSERT_FALSE(SaveMap(model).error);
        ExpectSaved(streamed, "a map with a named stream");
        EXPECT_EQ(FileIndex(streamed), index) << "saved in place";
    } else {
        std::printf("no named stream can be made here\n");
    }
}

}  // namespace
}  // namespace quarl
