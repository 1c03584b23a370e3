// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/MapFile.h"
#include "support/MapFiles.h"
#include "support/RecordBytes.h"

namespace quarl {
namespace {

using mapgen::MakeMap;
using mapgen::MapOptions;
using mapgen::Pattern;
using mapgen::ReadBytes;
using testing::LoadOrFail;
using testing::TempDir;
using testing::WriteMapFile;

// The real file, said to be 2 GiB long: more than the 32-bit file size holds.
class TwoGiBFileIo final : public SystemFileIo {
  public:
    bool RegularFileSize(FileId file, std::int64_t& size) override {
        const bool known = SystemFileIo::RegularFileSize(file, size);
        size = std::int64_t{1} << 31;
        return known;
    }
};

// The real file, but reading fails on the records' second chunk.
class LaterChunkFailsFileIo final : public SystemFileIo {
  public:
    std::int64_t ReadAt(FileId file, void* data, std::size_t size, std::int64_t offset) override {
        if (offset > kHeaderSize) {
            errno = EIO;
            return -1;
        }
        return SystemFileIo::ReadAt(file, data, size, offset);
    }
};

class MapFileTest : public ::testing::Test {
  protected:
    MapFileTest() { StartUp(model); }
    Types model;
    TempDir dir;
};

// The editor's table of layers against the test writer's own layout of a record: every layer
// sits at the writer's byte and clears to the writer's value, each writer field exactly once.
TEST(LayerTableTest, EveryLayerIsWhereTheWriterPutsIt) {
    const std::pair<TileLayer Types::*, std::string_view> names[] = {
        {&Types::TypeLayer, "type"},     {&Types::LightLayer, "light"},
        {&Types::HeightLayer, "height"}, {&Types::DirLayer, "direction"},
        {&Types::ObjectLayer, "object"}, {&Types::UsageLayer, "usage"},
    };
    ASSERT_EQ(kLayers.size(), std::size(mapgen::kRecordFields));
    std::set<std::string_view> seen;
    for (const LayerInfo& layer : kLayers) {
        const auto* name =
            std::find_if(std::begin(names), std::end(names),
                         [&layer](const auto& entry) { return entry.first == layer.Field; });
        ASSERT_NE(name, std::end(names)) << "a layer the test does not know: name it here";
        const auto* field =
            std::find_if(std::begin(mapgen::kRecordFields), std::end(mapgen::kRecordFields),
                         [name](const mapgen::RecordField& f) { return f.name == name->second; });
        ASSERT_NE(field, std::end(mapgen::kRecordFields)) << name->second;
        EXPECT_EQ(static_cast<std::size_t>(layer.RecordByte), field->at) << name->second;
        EXPECT_EQ(layer.ClearValue, field->cleared) << name->second;
        seen.insert(name->second);
    }
    EXPECT_EQ(seen.size(), kLayers.size());
}

TEST_F(MapFileTest, LoadsSmallMapAndReportsSizes) {
    const auto path = WriteMapFile(dir, "small.map", MakeMap({.width = 2, .height = 3}));
    const auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 146u);

    const auto result = LoadMap(model, path, "small.map");
    EXPECT_EQ(result.status, "Filesize: 146  Mapsize: 2 X 3");
    EXPECT_FALSE(result.error);
    EXPECT_EQ(result.buttons, ModeButtons::Enable);
    EXPECT_EQ(model.TileCount, 6);
    EXPECT_TRUE(model.IsLoaded());
    EXPECT_EQ(model.FileName, path);
    EXPECT_EQ(model.FileTitle, "small.map");

    // Column 2, row 1 is record 1, at offset 31.
    const auto i = model.TileIndex(2, 1);
    ASSERT_EQ(i, 1);
    EXPECT_EQ(model.TypeLayer[i], bytes[31]);
    EXPECT_EQ(model.LightLayer[i], bytes[32]);
    EXPECT_EQ(model.HeightLayer[i], bytes[33]);
    EXPECT_EQ(model.DirLayer[i], bytes[34]);
    EXPECT_EQ(model.ObjectLayer[i], bytes[36]);
    EXPECT_EQ(model.UsageLayer[i], bytes[37]);
    for (const LayerInfo& layer : kLayers) {
        ASSERT_EQ((model.*layer.Field).size(), 7u);
        EXPECT_EQ((model.*layer.Field).back(), 0) << "the spare entry is never loaded";
    }
}

TEST_F(MapFileTest, LoadKeepsViewState) {
    LoadOrFail(model, WriteMapFile(dir, "a.map", MakeMap({.width = 40, .height = 30})));
    model.ViewMode = ViewModeValue::DrawLight;
    model.Zoom = 4;
    model.ScrollX = 21;
    model.ScrollY = 41;
    LoadOrFail(model, WriteMapFile(dir, "b.map", MakeMap({.width = 3, .height = 3})));
    EXPECT_EQ(model.ViewMode, ViewModeValue::DrawLight);
    EXPECT_EQ(model.Zoom, 4);
    EXPECT_EQ(model.ScrollX, 21);
    EXPECT_EQ(model.ScrollY, 41);
    EXPECT_EQ(model.MapWidth, 3);
}

TEST_F(MapFileTest, EveryTileComesFromItsRecord) {
    for (const std::int16_t width :
         {std::int16_t{1}, std::int16_t{7}, std::int16_t{9}, std::int16_t{217}}) {
        const auto bytes = MakeMap({.width = width, .height = 151, .seed = 11u + width});
        LoadOrFail(model, WriteMapFile(dir, "all.map", bytes));
        for (std::int32_t i = 0; i < model.TileCount; ++i) {
            const std::uint8_t* record = &bytes[kHeaderSize + kRecordSize * i];
            for (const LayerInfo& layer : kLayers) {
                ASSERT_EQ((model.*layer.Field)[i], record[layer.RecordByte]) << i;
            }
        }
    }
}

TEST_F(MapFileTest, SizeLimitsOfTheTileCount) {
    LoadOrFail(model, WriteMapFile(dir, "max.map", MakeMap({.width = 181, .height = 181})));
    EXPECT_EQ(model.TileCount, 32761);
    LoadOrFail(model, WriteMapFile(dir, "big.map", MakeMap({.width = 217, .height = 151})));
    EXPECT_EQ(model.TileCount, 32767);

    for (const auto& [w, h] : {std::pair{182, 181}, {200, 200}, {32767, 2}}) {
        const auto path = WriteMapFile(dir, "over.map",
                                       MakeMap({.width = static_cast<std::int16_t>(w),
                                                .height = static_cast<std::int16_t>(h),
                                                .records = 1}));
        EXPECT_EQ(LoadMap(model, path, "over.map").error, kLoadError) << w << " x " << h;
    }
}

TEST_F(MapFileTest, EmptyMapOfZeroRowsLoads) {
    const auto path = WriteMapFile(dir, "flat.map", MakeMap({.width = 5, .height = 0}));
    const auto result = LoadMap(model, path, "flat.map");
    EXPECT_EQ(result.status, "Filesize: 8  Mapsize: 5 X 0");
    EXPECT_TRUE(model.IsLoaded());
    EXPECT_EQ(model.TileCount, 0);
    EXPECT_EQ(model.TypeLayer.size(), 1u);
    EXPECT_EQ(SaveMap(model).status, "Saved map as: flat.map");
    ClearMap(model);
    EXPECT_EQ(model.LightLayer, TileLayer{16});
}

TEST_F(MapFileTest, EveryFailedLoadLeavesThePreviousMap) {
    const auto good = WriteMapFile(dir, "good.map", MakeMap({.width = 4, .height = 3}));
    LoadOrFail(model, good);
    model.TypeLayer[5] = 99;  // an unsaved edit survives the failures too
    const Types before = model;

    auto header = [](std::int16_t w, std::int16_t h) {
        return MakeMap({.width = w, .height = h, .records = 2});
    };
    std::filesystem::create_directory(dir.File("folder.map"));
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> bad = {
        {"empty.map", {}},
        {"five.map", {1, 0, 0, 0, 1}},
        {"negw.map", header(-2, -3)},
        {"negh.map", header(3, -1)},
        {"wide.map", header(-1, 0)},
        {"over.map", header(182, 181)},
        {"huge.map", header(200, 200)},
        // Stopped saves': this editor's, and the one name earlier versions used.
        {BesidePrefix("good.map") + "a1B2c3.quarl-save", MakeMap({.width = 4, .height = 3})},
        {".good.map.quarl-save", MakeMap({.width = 4, .height = 3})},
    };
    for (const auto& [name, bytes] : bad) {
        const auto path = WriteMapFile(dir, name, bytes);
        const auto result = LoadMap(model, path, name);
        EXPECT_EQ(result.error, kLoadError) << name;
        EXPECT_FALSE(result.status) << name;
        EXPECT_EQ(result.buttons, ModeButtons::Disable) << name;
        EXPECT_TRUE(model == before) << name;
    }
    for (const std::string& path : {dir.File("missing.map"), dir.File("folder.map")}) {
        EXPECT_EQ(LoadMap(model, path, "x").error, kLoadError) << path;
        EXPECT_TRUE(model == before) << path;
    }
    TwoGiBFileIo twoGiB;
    EXPECT_EQ(LoadMap(model, good, "good.map", twoGiB).error, kLoadError);
    EXPECT_TRUE(model == before) << "2 GiB";
    LaterChunkFailsFileIo laterChunk;  // 2,400 records: two chunks
    const auto large = WriteMapFile(dir, "large.map", MakeMap({.width = 60, .height = 40}));
    EXPECT_EQ(LoadMap(model, large, "large.map", laterChunk).error, kLoadError);
    EXPECT_TRUE(model == before) << "a read error on the second chunk";

    // Save still goes into the file the map came from, and a good load works again.
    EXPECT_EQ(SaveMap(model).status, "Saved map as: good.map");
    EXPECT_EQ(ReadBytes(good)[kHeaderSize + 5 * kRecordSize], 99);  // the type
    LoadOrFail(model, WriteMapFile(dir, "next.map", MakeMap({.width = 6, .height = 2})));
    EXPECT_EQ(model.TileCount, 12);
}

TEST_F(MapFileTest, CancelledDialogKeepsTheFile) {
    const auto path = WriteMapFile(dir, "keep.map", MakeMap({.width = 3, .height = 2}));
    LoadOrFail(model, path);
    const auto result = LoadMap(model, "", "");
    EXPECT_FALSE(result.status);
    EXPECT_FALSE(result.error);
    EXPECT_EQ(result.buttons, ModeButtons::Keep);
    EXPECT_EQ(model.FileName, path);

    model.HeightLayer[0] = 201;
    EXPECT_EQ(SaveMap(model).status, "Saved map as: keep.map");
    EXPECT_EQ(ReadBytes(path)[kHeaderSize + 2], 201);  // the height
}

TEST_F(MapFileTest, NothingHappensBeforeTheFirstLoad) {
    const Types before = model;
    const auto saved = SaveMap(model);
    EXPECT_FALSE(saved.status);
    EXPECT_FALSE(saved.error);
    ClearMap(model);
    EXPECT_TRUE(model == before);
}

TEST_F(MapFileTest, UnchangedMapSavesByteIdentical) {
    const auto bytes = MakeMap({.width = 13, .height = 7, .seed = 5, .trailing = 100});
    const auto path = WriteMapFile(dir, "same.map", bytes);
    LoadOrFail(model, path);
    EXPECT_EQ(SaveMap(model).status, "Saved map as: same.map");
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(MapFileTest, ChangedTilesChangeTheirBytesOnly) {
    struct Row {
        std::int16_t width, height, col, row;
        bool allSix;  // every layer of the tile changed, or its type alone
    };
    // The smallest map too: its one record is the whole span that a save writes.
    for (const Row& r : {Row{10, 10, 4, 6, false}, Row{1, 1, 1, 1, true}}) {
        SCOPED_TRACE(r.width);
        const auto bytes =
            MakeMap({.width = r.width, .height = r.height, .seed = 9, .trailing = 3});
        const auto path = WriteMapFile(dir, "one.map", bytes);
        LoadOrFail(model, path);
        const auto i = model.TileIndex(r.col, r.row);
        std::vector<std::size_t> expected;
        for (std::size_t l = 0; l < (r.allSix ? kLayers.size() : 1U); ++l) {
            TileLayer& layer = model.*kLayers[l].Field;
            layer[i] = static_cast<std::uint8_t>(layer[i] + 1);
            expected.push_back(kHeaderSize + kRecordSize * static_cast<std::size_t>(i) +
                               static_cast<std::size_t>(kLayers[l].RecordByte));
        }
        std::sort(expected.begin(), expected.end());
        ASSERT_FALSE(SaveMap(model).error);

        const auto after = ReadBytes(path);
        ASSERT_EQ(after.size(), bytes.size());
        std::vector<std::size_t> changed;
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            if (bytes[k] != after[k]) changed.push_back(k);
        }
        EXPECT_EQ(changed, expected);
    }
}

TEST_F(MapFileTest, RandomEditsTouchOnlyTheSixBytesOfEachRecord) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 60; ++round) {
        const auto w = static_cast<std::int16_t>(1 + random() % 60);
        const auto h = static_cast<std::int16_t>(1 + random() % 60);
        const auto bytes = MakeMap({.width = w,
                                    .height = h,
                                    .seed = static_cast<std::uint32_t>(random()),
                                    .trailing = random() % 50});
        const auto path = WriteMapFile(dir, "prop.map", bytes);
        LoadOrFail(model, path);
        for (unsigned edits = random() % 40; edits > 0; --edits) {
            (model.*kLayers[random() % kLayers.size()].Field)[random() % model.TileCount] =
                static_cast<std::uint8_t>(random());
        }
        if (random() % 4 == 0) ClearMap(model);
        ASSERT_FALSE(SaveMap(model).error);

        const auto after = ReadBytes(path);
        ASSERT_EQ(after.size(), bytes.size());
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            if (!testing::IsRecordByte(k, model.TileCount)) {
                ASSERT_EQ(after[k], bytes[k]) << "round " << round << " offset " << k;
            }
        }
        // Reading the file back gives the model that was saved.
        Types reread;
        LoadOrFail(reread, path);
        for (const LayerInfo& layer : kLayers) {
            const TileLayer& saved = model.*layer.Field;
            const TileLayer& read = reread.*layer.Field;
            ASSERT_EQ(std::vector(read.begin(), read.end() - 1),
                      std::vector(saved.begin(), saved.end() - 1))
                << "byte " << layer.RecordByte;
        }
    }
}

TEST_F(MapFileTest, ShortFileReadsZerosAndGrowsOnlyToItsLastWrittenByte) {
    // Three full records of a 4 x 2 map, and two bytes of the fourth.
    auto bytes = MakeMap({.width = 4, .height = 2, .seed = 3, .records = 4});
    bytes.resize(kHeaderSize + 3 * kRecordSize + 2);
    const auto path = WriteMapFile(dir, "short.map", bytes);
    const auto result = LoadMap(model, path, "short.map");
    ASSERT_EQ(result.status, "Filesize: 79  Mapsize: 4 X 2");
    EXPECT_EQ(model.TypeLayer[3], bytes[kHeaderSize + 3 * kRecordSize]);
    EXPECT_EQ(model.LightLayer[3], bytes[kHeaderSize + 3 * kRecordSize + 1]);
    EXPECT_EQ(model.HeightLayer[3], 0);
    EXPECT_EQ(model.UsageLayer[7], 0);

    model.UsageLayer[7] = 77;
    ASSERT_FALSE(SaveMap(model).error);
    const auto after = ReadBytes(path);
    ASSERT_EQ(after.size(), static_cast<std::size_t>(kHeaderSize + 7 * kRecordSize + 7));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), after.begin()));
    EXPECT_EQ(after.back(), 77);
    EXPECT_EQ(after[kHeaderSize + 3 * kRecordSize + 4], 0) << "gaps are zero";
}

TEST_F(MapFileTest, HeaderOnlyFileOfSixBytesLoadsAsZeros) {
    const std::vector<std::uint8_t> bytes = {2, 0, 9, 9, 1, 0};
    const auto path = WriteMapFile(dir, "six.map", bytes);
    ASSERT_EQ(LoadMap(model, path, "six.map").status, "Filesize: 6  Mapsize: 2 X 1");
    EXPECT_EQ(model.TypeLayer, (TileLayer{0, 0, 0}));
    ASSERT_FALSE(SaveMap(model).error);
    const auto after = ReadBytes(path);
    ASSERT_EQ(after.size(), static_cast<std::size_t>(kHeaderSize + kRecordSize + 7));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), after.begin()));
}

TEST_F(MapFileTest, SaveFailsOnADeletedFile) {
    const auto path = WriteMapFile(dir, "gone.map", MakeMap({.width = 3, .height = 3}));
    LoadOrFail(model, path);
    const Types before = model;
    std::filesystem::remove(path);
    const auto result = SaveMap(model);
    EXPECT_EQ(result.error, kSaveError);
    EXPECT_FALSE(result.status);
    EXPECT_FALSE(std::filesystem::exists(path)) << "save never creates a file";
    EXPECT_TRUE(model == before);
}

// A layer that no longer holds the map (only code that breaks the model can do that) is never
// read past its end: the save is refused and the file stays as it was.
TEST_F(MapFileTest, SaveRefusesALayerOfTheWrongSize) {
    const auto path = WriteMapFile(dir, "short.map", MakeMap({.width = 3, .height = 3, .seed = 2}));
    const auto bytes = ReadBytes(path);
    for (const LayerInfo& layer : kLayers) {
        LoadOrFail(model, path);
        (model.*layer.Field).pop_back();
        EXPECT_EQ(SaveMap(model).error, kSaveError) << layer.RecordByte;
        EXPECT_EQ(ReadBytes(path), bytes) << layer.RecordByte;
    }
}

// A map whose path holds letters beyond ASCII, in its folder and its name.
TEST_F(MapFileTest, LoadsAndSavesAtAPathOfAnyLetters) {
    const std::string folder = dir.File("Karten \xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD1\x8B");
    std::filesystem::create_directory(mapgen::PathOf(folder));
    const std::string path = folder + "/\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD0\xB0 \xC3\xBC.map";
    const auto bytes = MakeMap({.width = 4, .height = 2, .seed = 3, .trailing = 5});
    ASSERT_TRUE(mapgen::WriteBytes(path, bytes));
    ASSERT_EQ(LoadMap(model, path, "x").status,
              "Filesize: " + std::to_string(bytes.size()) + "  Mapsize: 4 X 2");
    model.HeightLayer[model.TileIndex(2, 2)] ^= 0xFF;
    ASSERT_FALSE(SaveMap(model).error);
    auto expected = bytes;
    expected[kHeaderSize + kRecordSize * 5 + 2] ^= 0xFF;  // the height
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(MapFileTest, ClearMapSetsEveryEntryTheSpareToo) {
    LoadOrFail(model, WriteMapFile(dir, "clear.map", MakeMap({.width = 5, .height = 4})));
    const auto size = model.TypeLayer.size();
    ClearMap(model);
    for (const LayerInfo& layer : kLayers) {
        EXPECT_EQ(model.*layer.Field, TileLayer(size, layer.ClearValue)) << layer.RecordByte;
    }
    EXPECT_EQ(model.MapWidth, 5);
}

}  // namespace
}  // namespace quarl
