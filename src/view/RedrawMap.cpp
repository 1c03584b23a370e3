#include "view/RedrawMap.h"

#include <algorithm>
#include <array>

#include "view/Colours.h"
#include "view/Viewport.h"

namespace quarl {

namespace {

using PixelTable = std::array<Pixel, 256>;

PixelTable DirPixels() {
    PixelTable table{};
    for (int v = 0; v < 256; ++v) table[v] = ToPixel(DirColour(static_cast<std::uint8_t>(v)));
    return table;
}

PixelTable CellPixels(int viewMode) {
    PixelTable table{};
    for (int v = 0; v < 256; ++v) {
        table[v] = ToPixel(CellColour(viewMode, static_cast<std::uint8_t>(v)).value_or(0));
    }
    return table;
}

// Paints the part of a rectangle that lies on the canvas.
void Paint(Canvas& canvas, const PixelRect& rect, Pixel pixel) {
    const int x0 = std::max(rect.left, 0);
    const int y0 = std::max(rect.top, 0);
    const int x1 = std::min(rect.left + rect.width, canvas.Width());
    const int y1 = std::min(rect.top + rect.height, canvas.Height());
    if (x0 < x1 && y0 < y1) canvas.FillClipped(x0, y0, x1, y1, pixel);
}

}  // namespace

void RedrawMap(Canvas& canvas, const Types& model) {
    const CellGeometry geometry = CellSize(model, canvas.Width(), canvas.Height());
    if (model.MapWidth <= 0 || model.MapHeight <= 0 || !geometry.IsDrawable()) {
        canvas.Clear();
        return;
    }
    const TileLayer* layer = model.LayerOf(model.ViewMode);
    const std::int32_t width = model.MapWidth;
    const std::int32_t height = model.MapHeight;

    // Cells tile the area from (0, 0) to the end of the map without gaps: only the rest of
    // the canvas needs clearing first.
    if (layer != nullptr) {
        canvas.ClearOutside(std::max(0, width - model.ScrollX + 1) * geometry.CellWidth,
                            std::max(0, height - model.ScrollY + 1) * geometry.CellHeight);
    } else {
        canvas.Clear();
    }

    static const PixelTable dirPixels = DirPixels();
    const PixelTable cellPixels = CellPixels(model.ViewMode);
    for (std::int32_t col = model.ScrollX; col <= width; ++col) {
        // Cells and marks start at or right of the cell's left edge: once a column starts
        // past the canvas, so does everything after it.
        if (CellRect(model, geometry, col, model.ScrollY).left >= canvas.Width()) break;
        for (std::int32_t row = model.ScrollY; row <= height; ++row) {
            const PixelRect cell = CellRect(model, geometry, col, row);
            if (cell.top >= canvas.Height()) break;
            const auto index = static_cast<std::size_t>(model.TileIndex(col, row));
            if (layer != nullptr) Paint(canvas, cell, cellPixels[(*layer)[index]]);
            Paint(canvas, DirMark(cell, model.Zoom), dirPixels[model.DirLayer[index]]);
        }
    }
}

}  // namespace quarl
