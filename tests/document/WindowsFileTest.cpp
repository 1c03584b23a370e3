// SPDX-License-Identifier: MIT
// Save failures that only Windows has: a map another program holds open without sharing it, a
// read-only file, a drive that went away.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "document/SaveFailure.h"

namespace quarl {
namespace {

std::wstring Wide(const std::string& utf8) {
    return mapgen::PathOf(utf8).wstring();
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

// The map was loaded from a drive that is gone when it is saved, as a removed stick's is.
TEST_F(SaveFailureTest, ADriveThatWentAway) {
    WriteMapFile(dir, "stick.map", MakeMap({.width = 4, .height = 4}));
    wchar_t drive[] = L"Q:";
    const DWORD used = ::GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter > L'D'; --letter) {
        if ((used & (1u << (letter - L'A'))) == 0) {
            drive[0] = letter;
            break;
        }
    }
    ASSERT_TRUE(::DefineDosDeviceW(0, drive, Wide(dir.File("")).c_str()));
    std::string letter(1, static_cast<char>(drive[0]));
    const std::string path = letter + ":\\stick.map";
    LoadOrFail(model, path);
    ASSERT_TRUE(::DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive, nullptr));
    const Types before = model;
    const auto result = SaveMap(model);
    EXPECT_EQ(result.error, kSaveError);
    EXPECT_TRUE(model == before);
}

}  // namespace
}  // namespace quarl
