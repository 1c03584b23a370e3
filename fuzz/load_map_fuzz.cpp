// SPDX-License-Identifier: MIT
// Loads arbitrary bytes as a map file on top of a loaded map and checks that the model stays
// whole: either the new map with layers of TileCount + 1 entries, or the old map untouched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "MemoryFile.h"
#include "document/MapFile.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckWhole(const quarl::Types& model) {
    Check(model.TileCount >= 0 && model.TileCount <= quarl::kMaxTileCount);
    Check(model.TileCount == model.MapWidth * model.MapHeight);
    const auto entries = static_cast<std::size_t>(model.TileCount) + 1;
    for (const quarl::LayerInfo& layer : quarl::kLayers)
        Check((model.*layer.Field).size() == entries);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A 3 x 2 map to fall back on.
    std::vector<std::uint8_t> first(8 + 23 * 6, 7);
    first[0] = 3, first[1] = 0, first[4] = 2, first[5] = 0;
    quarl::Types model;
    quarl::StartUp(model);
    const MemoryFile good(first.data(), first.size());
    Check(!quarl::LoadMap(model, good.Path(), "good.map").error);
    const quarl::Types before = model;

    const MemoryFile input(data, size);
    const auto result = quarl::LoadMap(model, input.Path(), "input.map");
    CheckWhole(model);
    if (result.error) {
        Check(model == before);
        Check(result.buttons == quarl::ModeButtons::Disable && !result.status);
    } else {
        Check(result.buttons == quarl::ModeButtons::Enable && result.status.has_value());
        Check(model.FileSize == static_cast<std::int32_t>(size));
        for (std::int32_t i = 0; i < model.TileCount; ++i) {
            const std::size_t at = 8 + 23 * static_cast<std::size_t>(i);
            auto byte = [&](std::size_t k) { return at + k < size ? data[at + k] : 0; };
            for (const quarl::LayerInfo& layer : quarl::kLayers) {
                Check((model.*layer.Field)[i] == byte(static_cast<std::size_t>(layer.RecordByte)));
            }
        }
    }
    return 0;
}
