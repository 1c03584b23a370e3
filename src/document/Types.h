// SPDX-License-Identifier: MIT
// The map model: the one document the editor holds for the life of the process.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quarl {

// One byte per tile, plus the spare entry past the last tile.
using TileLayer = std::vector<std::uint8_t>;

// View modes as the mode buttons set them; 0 means no button was pressed yet.
enum ViewModeValue : std::int16_t {
    NoViewMode = 0,
    DrawType = 1,
    DrawHeight = 2,
    DrawObjects = 3,
    DrawUsage = 4,
    DrawDir = 5,
    EditView = 6,
    DrawLight = 7,
};

struct EditTile {
    std::uint8_t CenterType = 0;
    std::uint8_t EdgeType = 0;
    std::uint8_t OuterCornerType = 0;
    std::uint8_t InnerCornerType = 0;
    friend bool operator==(const EditTile&, const EditTile&) = default;
};

inline constexpr int kEditTileCount = 7;

// The ores that Edit View places, in the order of the Ore box: each one's name and tiles. A new
// ore is one more row here.
struct Ore {
    const char* Name;
    EditTile Tiles;
};
inline constexpr std::array<Ore, 2> kOres = {{
    {"GOLD", {147, 172, 180, 176}},
    {"IRON", {151, 168, 188, 184}},
}};
static_assert(kOres.size() <= kEditTileCount, "the resource table holds every ore");
inline constexpr std::int32_t kMaxTileCount = 32767;

// Clear Map values, also the layer order of a tile record.
inline constexpr std::uint8_t kClearType = 0;
inline constexpr std::uint8_t kClearLight = 16;
inline constexpr std::uint8_t kClearHeight = 20;
inline constexpr std::uint8_t kClearDir = 0;
inline constexpr std::uint8_t kClearObject = 255;
inline constexpr std::uint8_t kClearUsage = 255;

struct TilePos {
    std::int16_t col = 0;
    std::int16_t row = 0;
    friend bool operator==(const TilePos&, const TilePos&) = default;
};

struct Types {
    // View state.
    std::int16_t Zoom = 0;
    std::int16_t ScrollX = 0;
    std::int16_t ScrollY = 0;

    // Map size from the header; the map is loaded when MapWidth != 0.
    std::int16_t MapWidth = 0;
    std::int16_t MapHeight = 0;

    TileLayer TypeLayer;
    TileLayer HeightLayer;
    TileLayer ObjectLayer;
    TileLayer UsageLayer;
    TileLayer DirLayer;
    TileLayer LightLayer;

    std::array<EditTile, kEditTileCount> EditTileTable{};

    // Document fields of the window.
    std::int32_t FileSize = 0;
    std::string FileTitle;
    std::string FileName;
    std::int32_t TileCount = 0;
    std::int16_t ViewMode = NoViewMode;
    std::int16_t LastTileX = 0;
    std::int16_t LastTileY = 0;

    [[nodiscard]] bool IsLoaded() const { return MapWidth != 0; }

    [[nodiscard]] bool OnMap(int col, int row) const {
        return col >= 1 && col <= MapWidth && row >= 1 && row <= MapHeight;
    }

    // Row-major index of a tile; the caller checks OnMap first.
    [[nodiscard]] std::int32_t TileIndex(int col, int row) const {
        return static_cast<std::int32_t>(row - 1) * MapWidth + (col - 1);
    }

    // The layer that a view mode shows and paints; nullptr for a mode without one.
    [[nodiscard]] TileLayer* LayerOf(int viewMode);
    [[nodiscard]] const TileLayer* LayerOf(int viewMode) const;

    friend bool operator==(const Types&, const Types&) = default;
};

// The start-up values of the view state and the resource table.
void StartUp(Types& model);

}  // namespace quarl
