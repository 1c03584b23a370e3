// SPDX-License-Identifier: MIT
// Save failures that only POSIX systems have: a FIFO in the map's place, a file size limit, a
// file without write permission; and the maps that a replace would change, saved in place.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
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

struct stat StatusOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status;
}

// Where a replace would part the map from a link or its owner, or its folder may not be
// written, the map is saved in place (the same file); elsewhere it is replaced, keeping its
// permissions and owner, and through a symbolic link the file it leads to is. Saved as an
// ordinary user, as the superuser may write any folder and keep any owner.
TEST_F(SaveFailureTest, AMapAReplaceWouldChangeIsSavedInPlace) {
    const bool root = ::geteuid() == 0;
    const uid_t user = root ? 65534 : ::geteuid();
    const gid_t group = root ? 65534 : ::getegid();
    struct Case {
        const char* name;
        mode_t folder;
        uid_t owner;
        mode_t mode;
        enum { None, Hard, Symbolic } link;
        bool replaced;
    };
    const Case cases[] = {
        {"a map of the user's own", 0755, user, 0604, Case::None, true},
        {"a map with a second link", 0755, user, 0604, Case::Hard, false},
        {"a folder the user may not write", 0555, user, 0604, Case::None, false},
        {"a map of another owner", 0777, 0, 0666, Case::None, false},
        {"a map behind a symbolic link", 0755, user, 0640, Case::Symbolic, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.owner != user && !root) continue;  // only the superuser gives a file another owner
        const std::string folder = dir.File(std::to_string(++n));
        std::filesystem::create_directory(folder);
        const std::string path = LoadAndEdit(
            MakeMap(
                {.width = 9, .height = 7, .seed = static_cast<std::uint32_t>(n), .trailing = 4}),
            std::to_string(n) + "/map.map");
        if (c.link == Case::Hard) {
            ASSERT_EQ(::link(path.c_str(), (folder + "/other.map").c_str()), 0);
        }
        if (c.link == Case::Symbolic) {
            ASSERT_EQ(::symlink("map.map", (folder + "/link.map").c_str()), 0);
            model.FileName = folder + "/link.map";
        }
        ASSERT_EQ(::chown(path.c_str(), c.owner, c.owner == 0 ? 0 : group), 0);
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        ASSERT_EQ(::chown(folder.c_str(), user, group), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folder), 0);
        const struct stat before = StatusOf(path);

        if (root) {
            ASSERT_EQ(::setegid(group) | ::seteuid(user), 0);
        }
        const auto result = SaveMap(model);
        if (root) {
            ASSERT_EQ(::seteuid(0) | ::setegid(0), 0);
        }
        ::chmod(folder.c_str(), 0755);

        EXPECT_FALSE(result.error);
        ExpectSaved(path, c.name);
        const struct stat after = StatusOf(path);
        EXPECT_EQ(after.st_ino != before.st_ino, c.replaced) << "replaced";
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        if (c.link == Case::Hard) {
            EXPECT_EQ(ReadBytes(folder + "/other.map"), ReadBytes(path));
        }
        if (c.link == Case::Symbolic) {
            EXPECT_TRUE(std::filesystem::is_symlink(folder + "/link.map"));
            EXPECT_FALSE(BesideLeft(folder + "/link.map"));
        }
    }
}

// A map with no name in a folder, reached through /proc/self/fd, is saved in place.
TEST_F(SaveFailureTest, AMemoryFileIsSavedInPlace) {
    const int fd = ::memfd_create("map", MFD_CLOEXEC);
    original = MakeMap({.width = 5, .height = 4, .seed = 2, .trailing = 3});
    ASSERT_EQ(::write(fd, original.data(), original.size()), static_cast<ssize_t>(original.size()));
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    LoadOrFail(model, path);
    model.HeightLayer[7] ^= 0x40;
    EXPECT_FALSE(SaveMap(model).error);
    ExpectSaved(path, "a memory file");
    ::close(fd);
}

// A file system with no room for a second copy of the map: it is saved in place.
TEST_F(SaveFailureTest, NoRoomForASecondCopy) {
    const std::string disk = dir.File("disk");
    std::filesystem::create_directory(disk);
    if (::mount("quarl-test", disk.c_str(), "tmpfs", 0, "size=32k") != 0) {
        GTEST_SKIP() << "no small file system can be mounted here: " << std::strerror(errno);
    }
    struct Unmount {
        const std::string& disk;
        ~Unmount() { ::umount(disk.c_str()); }
    } unmount{disk};
    // 27,608 bytes: seven of its eight pages.
    const std::string path =
        LoadAndEdit(MakeMap({.width = 20, .height = 60, .seed = 3}), "disk/map.map");
    const ino_t before = StatusOf(path).st_ino;
    EXPECT_FALSE(SaveMap(model).error);
    ExpectSaved(path, "saved in place");
    EXPECT_EQ(StatusOf(path).st_ino, before);
}

}  // namespace
}  // namespace quarl
