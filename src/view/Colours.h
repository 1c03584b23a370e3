// SPDX-License-Identifier: MIT
// The colour rules of the view modes and the direction mark, shared by the full repaint and
// every single-tile repaint.
#pragma once

#include <cstdint>
#include <optional>

#include "document/Types.h"
#include "view/Canvas.h"
#include "view/Viewport.h"

namespace quarl {

// (r, g, b) as a map colour; a component above 255 counts as 255.
[[nodiscard]] constexpr Colour Rgb(int r, int g, int b) {
    auto clamp = [](int v) { return static_cast<Colour>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return clamp(r) + 256 * clamp(g) + 65536 * clamp(b);
}

[[nodiscard]] Colour DirColour(std::uint8_t direction);

// The colour of a cell showing value in a view mode; nothing for a mode without cells.
[[nodiscard]] std::optional<Colour> CellColour(ViewModeValue viewMode, std::uint8_t value);

// The cell colour of the tile at index in the current view mode.
[[nodiscard]] std::optional<Colour> CellColourAt(const Types& model, std::int32_t index);

// The direction mark of a tile: Zoom x Zoom pixels at the centre offset of its cell.
[[nodiscard]] PixelRect DirMark(const PixelRect& cell, std::int16_t zoom);

// Draws the direction mark of the tile at (col, row) from its stored direction.
void DrawDirMark(Canvas& canvas, const Types& model, CellGeometry geometry, int col, int row);

}  // namespace quarl
