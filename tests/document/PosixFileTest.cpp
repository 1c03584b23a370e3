// SPDX-License-Identifier: MIT
// Save failures that only POSIX systems have: a FIFO in the map's place, a file size limit, a
// file without write permission, a full disk; the maps that a replace would change, saved in
// place; and what a replace keeps of the map: owner, mode, ACL and extended attributes.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <map>
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

// A POSIX ACL as the kernel keeps it in system.posix_acl_*: a version, then tag, permissions
// and id of each entry, in order of tag and id.
std::string AclBytes(std::initializer_list<std::array<std::uint32_t, 3>> entries) {
    std::string bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(2, 4);
    for (const auto& [tag, permissions, id] : entries) {
        put(tag, 2);
        put(permissions, 2);
        put(id, 4);
    }
    return bytes;
}

constexpr std::uint32_t kAnyId = 0xFFFFFFFF;
enum AclTag : std::uint32_t { kOwner = 1, kUser = 2, kGroup = 4, kMask = 0x10, kOther = 0x20 };

// Every extended attribute of the file, by name.
std::map<std::string, std::string> AttributesOf(const std::string& path) {
    std::map<std::string, std::string> attributes;
    std::string names(4096, '\0');
    const ssize_t size = ::listxattr(path.c_str(), names.data(), names.size());
    EXPECT_GE(size, 0) << std::strerror(errno);
    for (std::size_t at = 0; size > 0 && at < static_cast<std::size_t>(size);) {
        const std::string name = names.c_str() + at;
        std::string value(4096, '\0');
        const ssize_t got = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        EXPECT_GE(got, 0) << name;
        value.resize(static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        attributes[name] = value;
        at += name.size() + 1;
    }
    return attributes;
}

// Where a replace would part the map from a link, its owner or an attribute, or its folder may
// not be written, the map is saved in place (the same file); elsewhere it is replaced, keeping
// its permissions, owner, ACL and extended attributes, and through a symbolic link the file it
// leads to is. Saved as an ordinary user, as the superuser may write any folder and keep any
// owner, except where a row says so.
TEST_F(SaveFailureTest, AMapAReplaceWouldChangeIsSavedInPlace) {
    const bool root = ::geteuid() == 0;
    const uid_t user = root ? 65534 : ::geteuid();
    const gid_t group = root ? 65534 : ::getegid();
    const std::string namedAcl = AclBytes({{kOwner, 6, kAnyId},
                                           {kUser, 6, 12345},
                                           {kGroup, 4, kAnyId},
                                           {kMask, 6, kAnyId},
                                           {kOther, 0, kAnyId}});
    const std::string defaultAcl = AclBytes({{kOwner, 7, kAnyId},
                                             {kUser, 7, 12345},
                                             {kGroup, 5, kAnyId},
                                             {kMask, 7, kAnyId},
                                             {kOther, 5, kAnyId}});
    struct Case {
        const char* name;
        mode_t folder;
        uid_t owner;
        mode_t mode;
        enum { None, Hard, Symbolic } link;
        bool replaced;
        std::map<std::string, std::string> attributes = {};  // set on the map
        bool folderAcl = false;  // the folder's default ACL gives new files an ACL
        bool byRoot = false;     // saved by the superuser
    };
    const Case cases[] = {
        {"a map of the user's own", 0755, user, 0604, Case::None, true},
        {"a map with a second link", 0755, user, 0604, Case::Hard, false},
        {"a folder the user may not write", 0555, user, 0604, Case::None, false},
        {"a map of another owner", 0777, 0, 0666, Case::None, false},
        {"a map behind a symbolic link", 0755, user, 0640, Case::Symbolic, true},
        {"a write-only folder, which cannot be flushed", 0333, user, 0600, Case::None, true},
        {"a map with an ACL entry and user attributes",
         0755,
         user,
         0640,
         Case::None,
         true,
         {{"system.posix_acl_access", namedAcl}, {"user.xdg.tags", "gold"}, {"user.x", ""}}},
        {"a map in a folder with a default ACL", 0755, user, 0644, Case::None, true, {}, true},
        {"a security attribute the user cannot set",
         0755,
         user,
         0644,
         Case::None,
         false,
         {{"security.quarl-test", "label"}}},
        {"a security attribute, saved by the superuser",
         0755,
         user,
         0644,
         Case::None,
         true,
         {{"security.quarl-test", "label"}, {"user.xdg.comment", "north"}},
         false,
         true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Only the superuser gives a file another owner or a security attribute.
        if (!root && (c.owner != user || c.byRoot || c.attributes.count("security.quarl-test"))) {
            std::printf("skipped as an ordinary user: %s\n", c.name);
            continue;
        }
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
        bool supported = true;
        for (const auto& [name, value] : c.attributes) {
            if (::setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) != 0) {
                // The superuser of a user namespace (a clean package build) may not set
                // security attributes either.
                const bool unprivileged = errno == EPERM && name.starts_with("security.");
                ASSERT_TRUE(errno == ENOTSUP || unprivileged) << name << ": " << errno;
                supported = false;
            }
        }
        if (c.folderAcl && ::setxattr(folder.c_str(), "system.posix_acl_default", defaultAcl.data(),
                                      defaultAcl.size(), 0) != 0) {
            ASSERT_EQ(errno, ENOTSUP);
            supported = false;
        }
        if (!supported) {
            std::printf("skipped, no such attributes can be set here: %s\n", c.name);
            continue;
        }
        ASSERT_EQ(::chown(folder.c_str(), user, group), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folder), 0);
        const struct stat before = StatusOf(path);
        const auto attributes = AttributesOf(path);

        const bool asUser = root && !c.byRoot;
        if (asUser) {
            ASSERT_EQ(::setegid(group) | ::seteuid(user), 0);
        }
        const auto result = SaveMap(model);
        if (asUser) {
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
        EXPECT_EQ(AttributesOf(path), attributes);
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

// A file system with no room for a second copy of the map: the save fails, and the map is as
// it was, as a save in place would leave it half written were the disk to fill part-way.
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
    ExpectFailedSave(path, "no room");
}

}  // namespace
}  // namespace quarl
