// SPDX-License-Identifier: MIT
// A map loaded and changed everywhere, and the checks of a save that failed: shared by the
// save failures of every system and those of one system only.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/MapFile.h"
#include "support/MapFiles.h"
#include "support/RecordBytes.h"

namespace quarl {

using mapgen::MakeMap;
using mapgen::ReadBytes;
using testing::IsRecordByte;
using testing::LoadOrFail;
using testing::TempDir;
using testing::WriteMapFile;

inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

// How many files saves left beside the map at path.
inline int BesideCount(const std::string& path) {
    const auto map = mapgen::PathOf(path);
    const std::string name = Utf8(map.filename());
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(map.parent_path())) {
        count += IsBesideOf(Utf8(entry.path().filename()), name) ? 1 : 0;
    }
    return count;
}

inline bool BesideLeft(const std::string& path) {
    return BesideCount(path) > 0;
}

class SaveFailureTest : public ::testing::Test {
  protected:
    SaveFailureTest() { StartUp(model); }

    // A 20 x 30 map with trailing bytes, loaded and then changed everywhere.
    std::string LoadAndEdit(const std::vector<std::uint8_t>& bytes,
                            const std::string& name = "map.map") {
        original = bytes;
        std::string path = WriteMapFile(dir, name, bytes);
        LoadOrFail(model, path);
        for (const LayerInfo& layer : kLayers) {
            // Every tile; the spare entry past the last tile is never saved.
            for (std::int32_t i = 0; i < model.TileCount; ++i) (model.*layer.Field)[i] ^= 0x5A;
        }
        return path;
    }

    // A failed save: reported, model as it was, the file byte for byte as it was, and nothing
    // left beside it.
    void ExpectFailedSave(const std::string& path, const char* what) {
        const Types before = model;
        const auto result = SaveMap(model, io_ ? *io_ : system_);
        EXPECT_EQ(result.error, kSaveError) << what;
        EXPECT_FALSE(result.status) << what;
        EXPECT_TRUE(model == before) << what;
        EXPECT_EQ(ReadBytes(path), original) << what;
        EXPECT_FALSE(BesideLeft(path)) << what;
    }

    // A save that went through, in place or by a replace: only the six bytes of each record
    // changed, they hold the model's values, and nothing is left beside the map.
    void ExpectSaved(const std::string& path, const char* what) {
        ExpectOnlyRecordBytesChanged(path, what);
        EXPECT_FALSE(BesideLeft(path)) << what;
        Types reloaded;
        StartUp(reloaded);
        LoadOrFail(reloaded, path);
        EXPECT_EQ(reloaded.TypeLayer, model.TypeLayer) << what;
        EXPECT_EQ(reloaded.UsageLayer, model.UsageLayer) << what;
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
    SystemFileIo system_;
    FileIo* io_ = nullptr;
};

}  // namespace quarl
