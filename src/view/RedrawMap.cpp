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

// What one repaint needs: the geometry, the visible tiles and the colours as pixels.
struct Repaint {
    Canvas& canvas;
    const Types& model;
    CellGeometry geometry;
    const TileLayer* layer;  // nullptr: marks only
    PixelTable cellPixels;
    std::int32_t lastCol;  // the last column and row that start on the canvas
    std::int32_t lastRow;
};

const PixelTable& DirPixelTable() {
    static const PixelTable table = DirPixels();
    return table;
}

// Column by column, each from the top, the cell before the mark: the order in which a mark
// that spills into the next cells is covered by them.
void PaintColumnMajor(const Repaint& r) {
    const PixelTable& dirPixels = DirPixelTable();
    for (std::int32_t col = r.model.ScrollX; col <= r.lastCol; ++col) {
        for (std::int32_t row = r.model.ScrollY; row <= r.lastRow; ++row) {
            const PixelRect cell = CellRect(r.model, r.geometry, col, row);
            const auto index = static_cast<std::size_t>(r.model.TileIndex(col, row));
            if (r.layer != nullptr) r.canvas.Paint(cell, r.cellPixels[(*r.layer)[index]]);
            r.canvas.Paint(DirMark(cell, r.model.Zoom), dirPixels[r.model.DirLayer[index]]);
        }
    }
}

// When every mark lies inside its own cell, no tile touches another's pixels and the order
// does not show: paint row by row, one pixel line of cells copied down the cell height.
void PaintRowMajor(const Repaint& r) {
    const PixelTable& dirPixels = DirPixelTable();
    const int cellWidth = r.geometry.CellWidth;
    const int cellHeight = r.geometry.CellHeight;
    const int canvasWidth = r.canvas.Width();
    const int lineEnd = std::min(canvasWidth, (r.lastCol - r.model.ScrollX + 1) * cellWidth);
    for (std::int32_t row = r.model.ScrollY; row <= r.lastRow; ++row) {
        const int top = (row - r.model.ScrollY) * cellHeight;
        const int bottom = std::min(top + cellHeight, r.canvas.Height());
        const auto first = static_cast<std::size_t>(r.model.TileIndex(r.model.ScrollX, row));
        const std::uint8_t* values = r.layer->data() + first;
        Pixel* line = r.canvas.Row(top);
        for (int left = 0, col = 0; left < lineEnd; left += cellWidth, ++col) {
            std::fill(line + left, line + std::min(left + cellWidth, lineEnd),
                      r.cellPixels[values[col]]);
        }
        for (int y = top + 1; y < bottom; ++y) std::copy(line, line + lineEnd, r.canvas.Row(y));
        const std::uint8_t* directions = r.model.DirLayer.data() + first;
        for (int left = 0, col = 0; left < lineEnd; left += cellWidth, ++col) {
            const PixelRect mark = DirMark({left, top, cellWidth, cellHeight}, r.model.Zoom);
            r.canvas.Paint(mark, dirPixels[directions[col]]);
        }
    }
}

}  // namespace

void RedrawMap(Canvas& canvas, const Types& model) {
    const CellGeometry geometry = CellSize(model, canvas.Width(), canvas.Height());
    if (model.MapWidth <= 0 || model.MapHeight <= 0 || !geometry.IsDrawable() ||
        model.ScrollX > model.MapWidth || model.ScrollY > model.MapHeight) {
        canvas.Clear();
        return;
    }
    // Cells and marks start at or right of and below their cell's corner: tiles whose cell
    // starts past the canvas draw nothing on it.
    const std::int32_t lastCol = std::min<std::int32_t>(
        model.MapWidth, model.ScrollX + (canvas.Width() - 1) / geometry.CellWidth);
    const std::int32_t lastRow = std::min<std::int32_t>(
        model.MapHeight, model.ScrollY + (canvas.Height() - 1) / geometry.CellHeight);
    const Repaint repaint{
        canvas,  model,  geometry, model.LayerOf(model.ViewMode), CellPixels(model.ViewMode),
        lastCol, lastRow};

    if (repaint.layer == nullptr) {
        canvas.Clear();
        PaintColumnMajor(repaint);
        return;
    }
    // Cells tile the area from (0, 0) to the end of the map without gaps: only the rest of
    // the canvas needs clearing first.
    canvas.ClearOutside((lastCol - model.ScrollX + 1) * geometry.CellWidth,
                        (lastRow - model.ScrollY + 1) * geometry.CellHeight);
    const bool marksInside = geometry.CellWidth / 2 + model.Zoom <= geometry.CellWidth &&
                             geometry.CellHeight / 2 + model.Zoom <= geometry.CellHeight;
    if (marksInside) {
        PaintRowMajor(repaint);
    } else {
        PaintColumnMajor(repaint);
    }
}

}  // namespace quarl
