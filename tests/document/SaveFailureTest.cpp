// SPDX-License-Identifier: MIT
// Every way a save can fail: each is reported and leaves the model and the file as they were,
// with nothing beside the map; and a save stopped at any point leaves the old map or the new one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "document/SaveFailure.h"
#include "support/SeamCall.h"

namespace quarl {
namespace {

using Call = testing::SeamCall;

enum class Ends { Failed, Replaced, InPlace };

// One fault: the nth call of a kind fails with an errno, or a write returns 0 (error 0), or a
// step of the replace answers step. Writes may also be cut short to at most shortWrites bytes.
struct Fault {
    const char* name;
    Call call;
    int nth;
    int error;
    std::size_t shortWrites = 0;
    Ends ends = Ends::Failed;
    Step step = Step::Failed;
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
        if (full_) {  // a full disk stays full
            errno = ENOSPC;
            return -1;
        }
        if (fault_.shortWrites > 0) size = std::min(size, fault_.shortWrites);
        return SystemFileIo::WriteAt(file, data, size, offset);
    }
    bool Sync(FileId file) override { return !Fails(Call::Sync) && SystemFileIo::Sync(file); }
    bool Close(FileId file) override {
        // The file is closed all the same, as close(2) does on an error.
        const bool closed = SystemFileIo::Close(file);
        return !Fails(Call::Close) && closed;
    }
    Step CreateBeside(const std::string& path, std::string& target, std::string& beside,
                      FileId& file) override {
        return Fails(Call::Create) ? fault_.step
                                   : SystemFileIo::CreateBeside(path, target, beside, file);
    }
    Step KeepAttributes(const std::string& target, FileId file) override {
        return Fails(Call::Attributes) ? fault_.step : SystemFileIo::KeepAttributes(target, file);
    }
    Step Replace(FileId file, const std::string& beside, const std::string& target) override {
        if (Fails(Call::Replace)) {
            SystemFileIo::Close(file);
            return fault_.step;
        }
        const Step step = SystemFileIo::Replace(file, beside, target);
        replaced = replaced || step == Step::Done;
        return step;
    }
    Step SyncFolder(const std::string& path) override {
        return Fails(Call::SyncFolder) ? fault_.step : SystemFileIo::SyncFolder(path);
    }
    int RemoveStale(const std::string& target) override {
        return Fails(Call::Stale) ? 0 : SystemFileIo::RemoveStale(target);
    }

    bool replaced = false;

  private:
    bool Fails(Call call) {
        if (call != fault_.call || ++calls_ != fault_.nth) return false;
        errno = fault_.error;
        full_ = call == Call::Write && fault_.error == ENOSPC;
        return true;
    }

    const Fault& fault_;
    int calls_ = 0;
    bool full_ = false;
};

TEST_F(SaveFailureTest, EveryFaultOfTheFileCalls) {
    constexpr Ends kReplaced = Ends::Replaced;
    constexpr Ends kInPlace = Ends::InPlace;
    constexpr Ends kFails = Ends::Failed;
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
        {"the file beside not made", Call::Create, 1, EIO},
        {"no room for the file beside", Call::Create, 1, ENOSPC, 0, kFails, Step::Failed},
        {"the map's attributes not read", Call::Attributes, 1, EIO, 0, kFails, Step::Failed},
        {"the replace fails", Call::Replace, 1, EIO},
        {"the folder not flushed after the replace", Call::SyncFolder, 1, EIO},
        {"the folder may not be written: saved in place", Call::Create, 1, 0, 0, kInPlace,
         Step::FolderLocked},
        {"another link to the map: saved in place", Call::Create, 1, 0, 0, kInPlace, Step::Linked},
        {"no name of its own: saved in place", Call::Create, 1, 0, 0, kInPlace, Step::NoName},
        {"an owner the new file cannot take: saved in place", Call::Attributes, 1, 0, 0, kInPlace,
         Step::Owner},
        {"an attribute the new file cannot take: saved in place", Call::Attributes, 1, 0, 0,
         kInPlace, Step::Attribute},
        {"the map held by another program: saved in place", Call::Replace, 1, 0, 0, kInPlace,
         Step::HeldOpen},
        {"stale files beside the map not removed", Call::Stale, 1, EIO, 0, kReplaced},
        {"interrupted header read", Call::Read, 1, EINTR, 0, kReplaced},
        {"interrupted record read", Call::Read, 2, EINTR, 0, kReplaced},
        {"interrupted write", Call::Write, 1, EINTR, 0, kReplaced},
        {"interrupted after short writes", Call::Write, 4, EINTR, 1000, kReplaced},
        {"short writes only", Call::Write, 0, 0, 999, kReplaced},
        {"one byte at a time", Call::Write, 0, 0, 1, kReplaced},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        const std::string path =
            LoadAndEdit(MakeMap({.width = 20, .height = 30, .seed = 5, .trailing = 9}));
        FaultyFileIo io(fault);
        io_ = &io;
        if (fault.ends == kFails) {
            ExpectFailedSave(path, fault.name);
            continue;
        }
        ASSERT_EQ(SaveMap(model, io).status, "Saved map as: map.map");
        ExpectSaved(path, fault.name);
        EXPECT_EQ(io.replaced, fault.ends == kReplaced);
    }
}

// The machine stops after a number of the seam's calls, with no cleanup: later calls do nothing
// and fail, and a write it stops in writes only the first half of its bytes.
class PowerCut final : public SystemFileIo {
  public:
    explicit PowerCut(int calls) : left_(calls) {}

    FileId Open(const std::string& path, FileAccess access) override {
        return On() ? SystemFileIo::Open(path, access) : kNoFile;
    }
    bool RegularFileSize(FileId file, std::int64_t& size) override {
        return On() && SystemFileIo::RegularFileSize(file, size);
    }
    std::int64_t ReadAt(FileId file, void* data, std::size_t size, std::int64_t offset) override {
        return On() ? SystemFileIo::ReadAt(file, data, size, offset) : -1;
    }
    std::int64_t WriteAt(FileId file, const void* data, std::size_t size,
                         std::int64_t offset) override {
        if (left_ == 1 && size > 1) {
            (void)SystemFileIo::WriteAt(file, data, size / 2, offset);
            left_ = 0;
        }
        return On() ? SystemFileIo::WriteAt(file, data, size, offset) : -1;
    }
    bool Sync(FileId file) override { return On() && SystemFileIo::Sync(file); }
    bool Close(FileId file) override { return SystemFileIo::Close(file) && On(); }
    Step CreateBeside(const std::string& path, std::string& target, std::string& beside,
                      FileId& file) override {
        return On() ? SystemFileIo::CreateBeside(path, target, beside, file) : Step::Failed;
    }
    Step KeepAttributes(const std::string& target, FileId file) override {
        return On() ? SystemFileIo::KeepAttributes(target, file) : Step::Failed;
    }
    // A machine that stops lets go of every file it held.
    Step Replace(FileId file, const std::string& beside, const std::string& target) override {
        if (!On()) {
            SystemFileIo::Close(file);
            return Step::Failed;
        }
        replaced = SystemFileIo::Replace(file, beside, target) == Step::Done;
        return replaced ? Step::Done : Step::Failed;
    }
    Step SyncFolder(const std::string& path) override {
        return On() ? SystemFileIo::SyncFolder(path) : Step::Failed;
    }
    bool Remove(const std::string& path) override { return On() && SystemFileIo::Remove(path); }
    int RemoveStale(const std::string& target) override {
        return On() ? SystemFileIo::RemoveStale(target) : 0;
    }

    bool replaced = false;

  private:
    bool On() {
        errno = EIO;
        return left_-- > 0;
    }
    int left_;
};

TEST_F(SaveFailureTest, ASaveStoppedAnywhereLeavesTheOldMapOrTheNew) {
    const auto bytes = MakeMap({.width = 20, .height = 30, .seed = 6, .trailing = 5});
    const std::string path = LoadAndEdit(bytes);
    ASSERT_FALSE(SaveMap(model).error);
    const auto saved = ReadBytes(path);
    bool whole = false;
    bool left = false;
    for (int calls = 0; !whole; ++calls) {
        SCOPED_TRACE(calls);
        ASSERT_TRUE(mapgen::WriteBytes(path, bytes));
        PowerCut io(calls);
        whole = !SaveMap(model, io).error;
        EXPECT_EQ(ReadBytes(path), io.replaced ? saved : bytes);
        left = left || BesideLeft(path);
    }
    EXPECT_TRUE(left) << "a stopped save leaves its file beside the map";
    EXPECT_FALSE(BesideLeft(path)) << "which the next save removes";
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
// The same on a map that is replaced and on one with a second link, saved in place.
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
    for (const bool linked : {false, true}) {
        for (const Change& change : changes) {
            SCOPED_TRACE(std::string(change.name) + (linked ? ", saved in place" : ""));
            const std::string path = LoadAndEdit(same, linked ? "linked.map" : "map.map");
            ASSERT_TRUE(mapgen::WriteBytes(path, change.bytes));
            std::filesystem::remove(dir.File("link.map"));
            if (linked) {
                std::filesystem::create_hard_link(mapgen::PathOf(path),
                                                  mapgen::PathOf(dir.File("link.map")));
            }
            original = change.bytes;
            if (!change.saves) {
                ExpectFailedSave(path, change.name);
                continue;
            }
            ASSERT_FALSE(SaveMap(model).error);
            Types reloaded;
            StartUp(reloaded);
            LoadOrFail(reloaded, path);
            EXPECT_EQ(reloaded.HeightLayer, model.HeightLayer);
            EXPECT_EQ(reloaded.DirLayer, model.DirLayer);
            if (linked) {
                EXPECT_EQ(ReadBytes(dir.File("link.map")), ReadBytes(path));
            }
        }
    }
}

// The real file system, keeping the span of every write.
class WritesSeen final : public SystemFileIo {
  public:
    std::int64_t WriteAt(FileId file, const void* data, std::size_t size,
                         std::int64_t offset) override {
        const std::int64_t done = SystemFileIo::WriteAt(file, data, size, offset);
        if (done > 0) spans.emplace_back(offset, done);
        return done;
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> spans;  // offset and length
};

// Saved in place, the map gets only the runs of records that differ from the disk, so that a
// stop part-way can tear no more than the change; records past the end of a short file count
// as differing.
TEST_F(SaveFailureTest, ASaveInPlaceWritesOnlyTheRecordsThatChanged) {
    const auto bytes = MakeMap({.width = 10, .height = 10, .seed = 7});
    const std::string path = WriteMapFile(dir, "map.map", bytes);
    std::filesystem::create_hard_link(mapgen::PathOf(path), mapgen::PathOf(dir.File("link.map")));
    LoadOrFail(model, path);
    auto record = [](std::int64_t tile) { return kHeaderSize + tile * kRecordSize; };
    using Spans = std::vector<std::pair<std::int64_t, std::int64_t>>;
    struct Row {
        const char* name;
        std::vector<int> tiles;  // whose height changes
        std::size_t length;      // of the file on disk
        Spans spans;
    };
    const auto all = bytes.size();
    const std::int64_t last = 7;  // the span ends at the last record's sixth byte
    const Row rows[] = {
        {"nothing changed", {}, all, {}},
        {"one tile", {7}, all, {{record(7), kRecordSize}}},
        {"two apart, two together",
         {3, 50, 51},
         all,
         {{record(3), kRecordSize}, {record(50), 2 * kRecordSize}}},
        {"the last tile", {99}, all, {{record(99), last}}},
        {"a file cut after record 97",
         {5},
         static_cast<std::size_t>(record(97) + 4),
         {{record(5), kRecordSize}, {record(97), 2 * kRecordSize + 7}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(mapgen::WriteBytes(
            path, {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(row.length)}));
        LoadOrFail(model, dir.File("link.map"));
        for (const int tile : row.tiles) model.HeightLayer[tile] ^= 0x11;
        WritesSeen io;
        ASSERT_FALSE(SaveMap(model, io).error);
        EXPECT_EQ(io.spans, row.spans);
    }
}

}  // namespace
}  // namespace quarl
