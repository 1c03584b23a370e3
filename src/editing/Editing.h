// SPDX-License-Identifier: MIT
// The editing commands of the map area: pointer readout and pick, the brush, the Space
// command. Each takes what the window reads from its controls and returns what it must show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "document/Types.h"
#include "editing/Random.h"
#include "view/Canvas.h"
#include "view/Viewport.h"

namespace quarl {

// Mouse buttons as the map area reports them: a press names one, a move sums those held.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kSpaceKey = 32;

// The controls that the editing commands read.
struct Controls {
    std::string TxtEdit = "0";  // the value the brush writes
    std::string TxtX = "0";     // the tile of the Space command
    std::string TxtY = "0";
    std::string TxtEditDir = "0";  // the direction the Space command writes
    int SizeIndex = 0;             // SIZEBOX: a brush of SizeIndex + 1 tiles square
    int EditIndex = 0;             // EDITBOX: the entry of the resource table
};

// What a press's stroke wrote: the tile pressed and the block of tiles written on the map,
// the brush's footprint or the deposit's 3 x 3 block, each cut at the map's edges.
struct Change {
    TilePos tile;
    TileSpan written;
};

// The texts that the window must show; empty fields leave a box as it is. What was drawn
// is in the canvas's dirty rectangle.
struct Readout {
    std::optional<std::string> TxtX;
    std::optional<std::string> TxtY;
    std::optional<std::string> TxtDir;
    std::optional<std::string> TxtValue;
    std::optional<std::string> TxtEdit;
    std::optional<TilePos> Tile;    // the tile the readout now names
    std::optional<Change> Changed;  // what a left press wrote, when it wrote any tile
    std::optional<TileSpan> Drawn;  // what a drag's stroke wrote, when it wrote any tile
};

// The map, the picture it is drawn on and the random numbers of deposits.
struct EditContext {
    Types& model;
    Canvas& canvas;
    RandomSource& random;
};

// A mouse button went down over the map area at pixel (x, y) of its drawing area.
[[nodiscard]] Readout MouseDown(EditContext& context, int button, double x, double y,
                                const Controls& controls);

// A screen reader pressed the tile's cell: what moving the pointer onto the tile and pressing
// the left button there does, the readout taken before the stroke; nothing off the map.
[[nodiscard]] Readout PressTile(EditContext& context, TilePos tile, const Controls& controls);

// The pointer moved over the map area with the buttons held.
[[nodiscard]] Readout MouseMove(EditContext& context, int buttons, double x, double y,
                                const Controls& controls);

// The tile that Column and Row name, when it lies on the map: the tile of the Space command.
[[nodiscard]] std::optional<TilePos> KeyTile(const Types& model, const Controls& controls);

// A key went down while the map area had the focus. Returns the tile whose direction it set.
std::optional<TilePos> KeyDown(EditContext& context, int key, const Controls& controls);

// A tile in words, as a screen reader says it: "column 5, row 7, height 120, direction 2".
// The value of the layer on show is left out before the first mode and in the direction view,
// where it is the direction itself. The caller checks that the tile is on the map.
[[nodiscard]] std::string DescribeTile(const Types& model, int col, int row);

// What the map area shows in a view mode, in words.
[[nodiscard]] std::string DescribeView(ViewModeValue viewMode);

}  // namespace quarl
