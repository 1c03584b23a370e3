// SPDX-License-Identifier: MIT
// Every way a save can fail: each is reported, leaves the model as it was, changes no byte
// but the six of each record, and never truncates or creates the file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/MapFile.h"
#include "support/MapFiles.h"

namespace quarl {
namespace {

using mapgen::MakeMap;
using mapgen::ReadBytes;
using testing::LoadOrFail;
using testing::TempDir;
using testing::WriteMapFile;

enum class Call { Open, Stat, Read, Write, Sync, Close };

// One fault: the nth call of a kind fails with an errno, or a write returns 0 (error 0).
// Writes may also be cut short to at most shortWrites bytes each.
struct Fault {
    const char* name;
    Call call;
    int nth;
    int error;
    std::size_t shortWrites = 0;
    bool saves = false;  // the save goes through all the same
};

// The real file system, but for the fault.
class FaultyFileIo final : public PosixFileIo {
  public:
    explicit FaultyFileIo(const Fault& fault) : fault_(fault) {}

    int Open(const char* path, int flags) override {
        return Fails(Call::Open) ? -1 : PosixFileIo::Open(path, flags);
    }
    int Stat(int fd, struct stat& info) override {
        return Fails(Call::Stat) ? -1 : PosixFileIo::Stat(fd, info);
    }
    ssize_t ReadAt(int fd, void* data, std::size_t size, off_t offset) override {
        return Fails(Call::Read) ? -1 : PosixFileIo::ReadAt(fd, data, size, offset);
    }
    ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t offset) override {
        if (Fails(Call::Write)) return fault_.error == 0 ? 0 : -1;
        if (fault_.shortWrites > 0) size = std::min(size, fault_.shortWrites);
        return PosixFileIo::WriteAt(fd, data, size, offset);
    }
    int Sync(int fd) override { return Fails(Call::Sync) ? -1 : PosixFileIo::Sync(fd); }
    int Close(int fd) override {
        // The descriptor is closed all the same, as close(2) does on an error.
        const int result = PosixFileIo::Close(fd);
        return Fails(Call::Close) ? -1 : result;
    }

  private:
    bool Fails(Call call) {
        if (call != fault_.call || ++calls_ != fault_.nth) return false;
        errno = fault_.error;
        return true;
    }

    const Fault& fault_;
    int calls_ = 0;
};

bool IsRecordByte(std::size_t offset, std::int32_t tileCount) {
    if (offset < kHeaderSize) return false;
    const std::size_t record = (offset - kHeaderSize) / kRecordSize;
    const auto within = static_cast<int>((offset - kHeaderSize) % kRecordSize);
    return record < static_cast<std::size_t>(tileCount) && within != 4 && within < 7;
}

class SaveFailureTest : public ::testing::Test {
  protected:
    SaveFailureTest() { StartUp(model); }

    // A 20 x 30 map with trailing bytes, loaded and then changed everywhere.
    std::string LoadAndEdit(const std::vector<std::uint8_t>& bytes) {
        original = bytes;
        std::string path = WriteMapFile(dir, "map.map", bytes);
        LoadOrFail(model, path);
        for (TileLayer* layer : {&model.TypeLayer, &model.LightLayer, &model.HeightLayer,
                                 &model.DirLayer, &model.ObjectLayer, &model.UsageLayer}) {
            // Every tile; the spare entry past the last tile is never saved.
            for (std::int32_t i = 0; i < model.TileCount; ++i) (*layer)[i] ^= 0x5A;
        }
        return path;
    }

    // A failed save: reported, model as it was, file as long as it was, and every byte that
    // is not one of the six of a record as it was.
    void ExpectFailedSave(const std::string& path, const char* what) {
        const Types before = model;
        const auto result = SaveMap(model, io_ ? *io_ : posix_);
        EXPECT_EQ(result.error, kSaveError) << what;
        EXPECT_FALSE(result.status) << what;
        EXPECT_TRUE(model == before) << what;
        ExpectOnlyRecordBytesChanged(path, what);
    }

    void ExpectOnlyRecordBytesChanged(const std::string& path, const char* what) {
        const auto after = ReadBytes(path);
        ASSERT_EQ(after.size(), original.size()) << what << ": never truncated, never grown";
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (!IsRecordByte(i, model.TileCount)) {
                ASSERT_EQ(after[i], original[i]) << what << " at byte " << i;
            }
        }
    }

    Types model;
    TempDir dir;
    std::vector<std::uint8_t> original;
    PosixFileIo posix_;
    FileIo* io_ = nullptr;
};

TEST_F(SaveFailureTest, EveryFaultOfTheFileCalls) {
    const Fault faults[] = {
        {"open refused", Call::Open, 1, EACCES},
        {"no status", Call::Stat, 1, EIO},
        {"header unreadable", Call::Read, 1, EIO},
        {"records unreadable", Call::Read, 2, EIO},
        {"file system full", Call::Write, 1, ENOSPC},
        {"disk error on the first write", Call::Write, 1, EIO},
        {"disk error after short writes", Call::Write, 3, EIO, 1000},
        {"full after short writes", Call::Write, 5, ENOSPC, 777},
        {"a write that writes nothing", Call::Write, 1, 0},
        {"fsync fails", Call::Sync, 1, EIO},
        {"close fails", Call::Close, 1, EIO},
        {"interrupted header read", Call::Read, 1, EINTR, 0, true},
        {"interrupted record read", Call::Read, 2, EINTR, 0, true},
        {"interrupted write", Call::Write, 1, EINTR, 0, true},
        {"interrupted after short writes", Call::Write, 4, EINTR, 1000, true},
        {"short writes only", Call::Write, 0, 0, 999, true},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        const std::string path =
            LoadAndEdit(MakeMap({.width = 20, .height = 30, .seed = 5, .trailing = 9}));
        FaultyFileIo io(fault);
        io_ = &io;
        if (!fault.saves) {
            ExpectFailedSave(path, fault.name);
            continue;
        }
        ASSERT_EQ(SaveMap(model, io).status, "Saved map as: map.map");
        ExpectOnlyRecordBytesChanged(path, fault.name);
        Types reloaded;
        StartUp(reloaded);
        LoadOrFail(reloaded, path);
        EXPECT_EQ(reloaded.TypeLayer, model.TypeLayer);
        EXPECT_EQ(reloaded.UsageLayer, model.UsageLayer);
    }
}

TEST_F(SaveFailureTest, TheFileReplacedByADirectoryOrAFifo) {
    const std::string path = LoadAndEdit(MakeMap({.width = 4, .height = 4}));
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(SaveMap(model).error, kSaveError);
    EXPECT_TRUE(std::filesystem::is_directory(path));

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

// Another program rewrote the map: a header with another size, or one too short to hold
// both size fields, gets nothing written; the same size saves as ever, whatever the length.
TEST_F(SaveFailureTest, AMapThatChangedOnDisk) {
    struct Change {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool saves;
    };
    auto resized = [](std::vector<std::uint8_t> bytes, std::size_t size) {
        bytes.resize(size, 0xEE);
        return bytes;
    };
    const auto same = MakeMap({.width = 12, .height = 8, .seed = 2});
    const Change changes[] = {
        {"wider", MakeMap({.width = 13, .height = 8, .seed = 3}), false},
        {"lower", MakeMap({.width = 12, .height = 7, .seed = 3}), false},
        {"width and height swapped", MakeMap({.width = 8, .height = 12, .seed = 3}), false},
        {"cut to five bytes", resized(same, 5), false},
        {"emptied", {}, false},
        {"grown past its records", resized(same, same.size() + 100), true},
        {"cut inside its records", resized(same, 300), true},
        {"the same size, other tiles", MakeMap({.width = 12, .height = 8, .seed = 4}), true},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        const std::string path = LoadAndEdit(same);
        ASSERT_TRUE(mapgen::WriteBytes(path, change.bytes));
        original = change.bytes;
        if (!change.saves) {
            ExpectFailedSave(path, change.name);
            EXPECT_EQ(ReadBytes(path), change.bytes) << "nothing written";
            continue;
        }
        ASSERT_FALSE(SaveMap(model).error);
        Types reloaded;
        StartUp(reloaded);
        LoadOrFail(reloaded, path);
        EXPECT_EQ(reloaded.HeightLayer, model.HeightLayer);
        EXPECT_EQ(reloaded.DirLayer, model.DirLayer);
    }
}

}  // namespace
}  // namespace quarl
