// SPDX-License-Identifier: MIT
#include "view/Colours.h"

#include <cstddef>

namespace quarl {

Colour DirColour(std::uint8_t direction) {
    switch (direction) {
        case 0:
            return Rgb(255, 0, 0);
        case 1:
            return Rgb(0, 0, 255);
        case 2:
            return Rgb(0, 255, 0);
        case 3:
            return Rgb(255, 255, 0);
        default:
            return Rgb(10 * direction, 10 * direction, 10 * direction);
    }
}

std::optional<Colour> CellColour(ViewModeValue viewMode, std::uint8_t value) {
    switch (viewMode) {
        case ViewModeValue::DrawType:
        case ViewModeValue::DrawObjects:
        case ViewModeValue::DrawUsage:
        case ViewModeValue::EditView:
            return Colour{value} * 100;  // red and green from the product, never blue
        case ViewModeValue::DrawHeight:
            return Rgb(value, value, value);
        case ViewModeValue::DrawDir:
            return DirColour(value);
        case ViewModeValue::DrawLight:
            return Rgb(6 * value, 6 * value, 6 * value);
        case ViewModeValue::None:
            return std::nullopt;
    }
    // No default above: a new view mode gets its rule there, or the compiler says so.
    return std::nullopt;
}

std::optional<Colour> CellColourAt(const Types& model, std::int32_t index) {
    const TileLayer* layer = model.LayerOf(model.ViewMode);
    if (layer == nullptr) return std::nullopt;
    return CellColour(model.ViewMode, (*layer)[static_cast<std::size_t>(index)]);
}

PixelRect DirMark(const PixelRect& cell, std::int16_t zoom) {
    // Cell sizes are never negative, so halving is the floor.
    return {cell.left + cell.width / 2, cell.top + cell.height / 2, zoom, zoom};
}

void DrawDirMark(Canvas& canvas, const Types& model, CellGeometry geometry, int col, int row) {
    const auto direction = model.DirLayer[static_cast<std::size_t>(model.TileIndex(col, row))];
    FillCell(canvas, DirMark(CellRect(model, geometry, col, row), model.Zoom),
             DirColour(direction));
}

}  // namespace quarl
