// SPDX-License-Identifier: MIT
// The map model: the one document the editor holds for the life of the process.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quarl {

// One byte per tile, plus the spare entry past the last tile.
using TileLayer = std::vector<std::uint8_t>;

// View modes as the mode buttons set them; None means no button was pressed yet. A value past
// DrawLight is no mode: it shows no cells.
enum class ViewModeValue : std::int16_t {
    None = 0,
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
static_assert(std::all_of(kOres.begin(), kOres.end(),
                          [](const Ore& ore) {
                              return ore.Name != nullptr && ore.Name[0] != '\0' &&
                                     ore.Tiles.CenterType != 0;
                          }),
              "every ore has a name and its tiles: no row is left empty");
inline constexpr std::int32_t kMaxTileCount = 32767;

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
    ViewModeValue ViewMode = ViewModeValue::None;
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
    [[nodiscard]] TileLayer* LayerOf(ViewModeValue viewMode);
    [[nodiscard]] const TileLayer* LayerOf(ViewModeValue viewMode) const;

    friend bool operator==(const Types&, const Types&) = default;
};

// A layer of the map: the model's field that holds it, the byte of the tile record that it
// mirrors, the value that Clear Map writes, the view mode that shows and paints it, and the
// word for its value in a tile's description (none for the direction, which every description
// tells). A new attribute of a tile is one more row here, a field above, a colour rule and a
// mode button.
struct LayerInfo {
    TileLayer Types::*Field;
    int RecordByte;
    std::uint8_t ClearValue;
    ViewModeValue Mode;
    const char* Word;
};
inline constexpr std::array<LayerInfo, 6> kLayers = {{
    {&Types::TypeLayer, 0, 0, ViewModeValue::DrawType, "type"},
    {&Types::LightLayer, 1, 16, ViewModeValue::DrawLight, "light"},
    {&Types::HeightLayer, 2, 20, ViewModeValue::DrawHeight, "height"},
    {&Types::DirLayer, 3, 0, ViewModeValue::DrawDir, nullptr},
    {&Types::ObjectLayer, 5, 255, ViewModeValue::DrawObjects, "object"},
    {&Types::UsageLayer, 6, 255, ViewModeValue::DrawUsage, "usage"},
}};

// The row of the layer that a view mode shows; nullptr for a mode without one. Edit View shows
// the terrain type.
[[nodiscard]] const LayerInfo* LayerRowOf(ViewModeValue viewMode);

// The start-up values of the view state and the resource table.
void StartUp(Types& model);

}  // namespace quarl
