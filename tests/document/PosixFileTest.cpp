// SPDX-License-Identifier: MIT
// Save failures that only POSIX systems have: a FIFO in the map's place, a file size limit, a
// file without write permission.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>

#include "document/SaveFailure.h"

namespace quarl {
namespace {

TEST_F(SaveFailureTest, TheFileReplacedByAFifo) {
    const std::string path = LoadAndEdit(MakeMap({.width = 4, .height = 4}));
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(SaveMap(model).error, kSaveError) << "and no wait for a reader";
    EXPECT_TRUE(std::filesystem::is_fifo(path));
}

// A short file must grow, but the process may not write past its current size: the write
// fails with EFBIG once SIGXFSZ is ignored.
TEST_F(SaveFailureTest, AFileThatMayNotGrow) {
    const std::string path = LoadAndEdit(MakeMap({.width = 10, .height = 10, .records = 40}));
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = original.size();
    auto* const previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const Types before = model;
    const auto result = SaveMap(model);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result.error, kSaveError);
    EXPECT_TRUE(model == before);
    EXPECT_EQ(ReadBytes(path).size(), original.size());
}

TEST_F(SaveFailureTest, AFileWithoutWritePermission) {
    const auto bytes = MakeMap({.width = 3, .height = 3, .seed = 8});
    const auto locked = WriteMapFile(dir, "locked.map", bytes);
    original = bytes;
    LoadOrFail(model, locked);
    model.TypeLayer[0] = static_cast<std::uint8_t>(bytes[kHeaderSize] + 1);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.File("").c_str(), 0755), 0);
    // The superuser may write any file: save as an ordinary user for the moment.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    const auto lockedResult = SaveMap(model);
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(lockedResult.error, kSaveError);
    EXPECT_EQ(ReadBytes(locked), bytes);
}

}  // namespace
}  // namespace quarl
