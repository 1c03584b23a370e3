// SPDX-License-Identifier: MIT
// Cell geometry: from the map area's size, the map's size and the zoom to cell sizes, and
// between tiles and pixels; the scroll and zoom actions.
#pragma once

#include <cstdint>

#include "document/Types.h"
#include "view/Canvas.h"

namespace quarl {

// The inner drawing area of the map area, in pixels.
inline constexpr int kCanvasWidth = 1004;
inline constexpr int kCanvasHeight = 597;
// Spare pixels at the right and bottom of the map at zoom 1.
inline constexpr int kMargin = 10;
inline constexpr std::int16_t kScrollStep = 20;
inline constexpr std::int16_t kMaxZoom = 16;

struct CellGeometry {
    std::int16_t CellWidth = 0;
    std::int16_t CellHeight = 0;
    // A cell size of 0 (no map, or a map larger than the area) shows nothing of the map.
    [[nodiscard]] bool IsDrawable() const { return CellWidth > 0 && CellHeight > 0; }
};

[[nodiscard]] CellGeometry CellSize(const Types& model, int innerWidth, int innerHeight);

[[nodiscard]] PixelRect CellRect(const Types& model, CellGeometry geometry, int col, int row);

// The tile under a pixel of the map area, on the map or not. With a cell size of 0 every
// position maps to column 0, row 0, which is off every map.
[[nodiscard]] TilePos TileAt(const Types& model, CellGeometry geometry, double x, double y);

// The tiles of the map whose cells start on a canvas of the given size: the first column and
// row (the scroll origin) and how many of each. None when the map cannot be drawn.
struct TileSpan {
    std::int16_t firstCol = 1;
    std::int16_t firstRow = 1;
    int cols = 0;
    int rows = 0;
};
[[nodiscard]] TileSpan VisibleTiles(const Types& model, int innerWidth, int innerHeight);

// Each returns whether it changed the view, and so whether the map is to be repainted.
[[nodiscard]] bool ScrollLeft(Types& model);
[[nodiscard]] bool ScrollRight(Types& model);
[[nodiscard]] bool ScrollUp(Types& model);
[[nodiscard]] bool ScrollDown(Types& model);
[[nodiscard]] bool ZoomIn(Types& model);
[[nodiscard]] bool ZoomOut(Types& model);

}  // namespace quarl
