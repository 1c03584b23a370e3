// SPDX-License-Identifier: MIT
// Save failures that only Windows has: a map another program holds open without sharing it, a
// read-only file, a drive that went away; and a map replaced, or saved in place where another
// program holds it open.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
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
// open without letting it be deleted, as viewers do, cannot be and is saved in place.
TEST_F(SaveFailureTest, TheMapReplacedOrSavedInPlace) {
    struct Case {
        const char* name;
        bool held;
    };
    for (const Case& c : {Case{"a map no program holds", false},
                          Case{"a map held open without FILE_SHARE_DELETE", true}}) {
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
        const std::uint64_t before = FileIndex(path);
        const auto result = SaveMap(model);
        if (c.held) ::CloseHandle(other);
        EXPECT_FALSE(result.error);
        ExpectSaved(path, c.name);
        EXPECT_EQ(FileIndex(path) != before, !c.held) << "replaced";
        EXPECT_EQ(::GetFileAttributesW(Wide(path).c_str()), attributes);
    }
}

}  // namespace
}  // namespace quarl
