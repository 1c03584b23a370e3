// SPDX-License-Identifier: MIT
// Every way a save can fail: each is reported, leaves the model as it was, changes no byte
// but the six of each record, and never truncates or creates the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "document/SaveFailure.h"

namespace quarl {
namespace {

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
class FaultyFileIo final : public SystemFileIo {
  public:
    explicit FaultyFileIo(const Fault& fault) : fault_(fault) {}

    FileId Open(const std::string& path, FileAccess access) override {
        return Fails(Call::Open) ? kNoFile : SystemFileIo::Open(path, access);
    }
    bool RegularFileSize(FileId file, std::int64_t& size) override {
        return !Fails(Call::Stat) && SystemFileIo::RegularFileSize(file, size);
    }
    std::int64_t ReadAt(FileId file, void* data, std::size_t size, std::int64_t offset) override {
        return Fails(Call::Read) ? -1 : SystemFileIo::ReadAt(file, data, size, offset);
    }
    std::int64_t WriteAt(FileId file, const void* data, std::size_t size,
                         std::int64_t offset) override {
        if (Fails(Call::Write)) return fault_.error == 0 ? 0 : -1;
        if (fault_.shortWrites > 0) size = std::min(size, fault_.shortWrites);
        return SystemFileIo::WriteAt(file, data, size, offset);
    }
    bool Sync(FileId file) override { return !Fails(Call::Sync) && SystemFileIo::Sync(file); }
    bool Close(FileId file) override {
        // The file is closed all the same, as close(2) does on an error.
        const bool closed = SystemFileIo::Close(file);
        return !Fails(Call::Close) && closed;
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
        {"one byte at a time", Call::Write, 0, 0, 1, true},
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

TEST_F(SaveFailureTest, TheFileReplacedByAFolder) {
    const std::string path = LoadAndEdit(MakeMap({.width = 4, .height = 4}));
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(SaveMap(model).error, kSaveError);
    EXPECT_TRUE(std::filesystem::is_directory(path));
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
