// SPDX-License-Identifier: MIT
#include "view/RedrawMap.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

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

PixelTable CellPixels(ViewModeValue viewMode) {
    PixelTable table{};
    for (int v = 0; v < 256; ++v) {
        table[v] = ToPixel(CellColour(viewMode, static_cast<std::uint8_t>(v)).value_or(0));
    }
    return table;
}

const PixelTable& DirPixelTable() {
    static const PixelTable table = DirPixels();
    return table;
}

// The repaint writes the canvas one pixel line at a time, with the result of drawing every tile
// column by column, the cell before the mark: the first line of each band of cells composed in
// runs, the band's other lines copied from it, then the marks set on the lines they cover, so
// that the canvas is written once but for the marks' own pixels. Marks never overlap
// one another (a mark is Zoom pixels and cells are a whole multiple of Zoom), so the order
// shows only where a mark reaches past its own cell (a base cell of 1 pixel with Zoom 2 or
// more): there the cells drawn later, of the next column and of the rows below, cover it, and
// only the parts past the map's last column and last row stay visible.
class Painter {
  public:
    Painter(Canvas& canvas, const Types& model, CellGeometry geometry)
        : canvas_(canvas),
          model_(model),
          cellWidth_(geometry.CellWidth),
          cellHeight_(geometry.CellHeight),
          zoom_(model.Zoom),
          layer_(model.LayerOf(model.ViewMode)),
          cellPixels_(CellPixels(model.ViewMode)),
          dirPixels_(DirPixelTable()),
          // The last column whose cell starts on the canvas; marks start inside their cell.
          lastCol_(std::min<int>(model.MapWidth,
                                 model.ScrollX + (canvas.Width() - 1) / geometry.CellWidth)) {}

    void Paint() {
        for (int top = 0, row = model_.ScrollY; top < canvas_.Height(); top += cellHeight_, ++row) {
            PaintBand(top, std::min(top + cellHeight_, canvas_.Height()), row);
        }
    }

  private:
    // The pixel lines of one row of cells: the first composed, the others copies of it, then
    // the marks that fall on each line.
    void PaintBand(int top, int bottom, int row) {
        const bool cells = layer_ != nullptr && row <= model_.MapHeight;
        ComposeCells(canvas_.Row(top), cells ? row : 0);
        const Pixel* first = canvas_.Row(top);
        for (int y = top + 1; y < bottom; ++y) {
            std::copy(first, first + canvas_.Width(), canvas_.Row(y));
            OverlayMarks(y, row, cells);
        }
        OverlayMarks(top, row, cells);
    }

    // The cells of a row in runs of their colour, and the background past them; row 0 for a
    // line with no cells.
    void ComposeCells(Pixel* line, int row) const {
        int x = 0;
        if (row != 0) {
            const std::uint8_t* values = layer_->data() + model_.TileIndex(model_.ScrollX, row);
            for (int col = model_.ScrollX; col <= lastCol_; ++col, x += cellWidth_) {
                const int end = std::min(x + cellWidth_, canvas_.Width());
                const Pixel pixel = cellPixels_[*values++];
                for (int px = x; px < end; ++px) line[px] = pixel;
            }
            x = std::min(x, canvas_.Width());
        }
        std::fill(line + x, line + canvas_.Width(), Canvas::kBackground);
    }

    // The row of the marks that cover pixel line y, if any.
    [[nodiscard]] std::optional<int> MarkRow(int y) const {
        const int fromFirstMark = y - cellHeight_ / 2;
        if (fromFirstMark < 0 || fromFirstMark % cellHeight_ >= zoom_) return std::nullopt;
        const int row = model_.ScrollY + fromFirstMark / cellHeight_;
        if (row > model_.MapHeight) return std::nullopt;
        return row;
    }

    // The visible part of each mark on line y, which lies in the cells of row (cells: the
    // line has cells in this view mode).
    void OverlayMarks(int y, int row, bool cells) const {
        const std::optional<int> markRow = MarkRow(y);
        if (!markRow) return;
        Pixel* line = canvas_.Row(y);
        const std::uint8_t* directions =
            model_.DirLayer.data() + model_.TileIndex(model_.ScrollX, *markRow);
        const int half = cellWidth_ / 2;
        // Every column but the map's last: the part of a mark past its cell is covered by the
        // next cell, and a mark that spills down from the row above by this row's cells.
        const bool spilled = *markRow != row;
        if (!(cells && spilled)) {
            const int width = cells ? std::min(zoom_, cellWidth_ - half) : zoom_;
            const int columns = std::min(lastCol_, model_.MapWidth - 1) - model_.ScrollX + 1;
            PaintMarks(line, directions, columns, half, width);
        }
        // The map's last column: nothing covers what lies past its right edge.
        if (lastCol_ == model_.MapWidth) {
            const int left = (model_.MapWidth - model_.ScrollX) * cellWidth_;
            const int from = cells && spilled ? left + cellWidth_ : left + half;
            const int to = std::min(left + half + zoom_, canvas_.Width());
            const Pixel pixel = dirPixels_[directions[model_.MapWidth - model_.ScrollX]];
            for (int x = from; x < to; ++x) line[x] = pixel;
        }
    }

    // Marks of width pixels at offset from the left of each of the first columns on show.
    // Plain loops, not std::fill: runs of a few pixels, where its setup would cost more than
    // the stores.
    void PaintMarks(Pixel* line, const std::uint8_t* directions, int columns, int offset,
                    int width) const {
        const int canvasWidth = canvas_.Width();
        for (int col = 0, from = offset; col < columns; ++col, from += cellWidth_) {
            const int to = std::min(from + width, canvasWidth);
            const Pixel pixel = dirPixels_[directions[col]];
            for (int x = from; x < to; ++x) line[x] = pixel;
        }
    }

    Canvas& canvas_;
    const Types& model_;
    int cellWidth_;
    int cellHeight_;
    int zoom_;
    const TileLayer* layer_;  // nullptr: marks only
    PixelTable cellPixels_;
    const PixelTable& dirPixels_;
    int lastCol_;
};

}  // namespace

void RedrawMap(Canvas& canvas, const Types& model) {
    const CellGeometry geometry = CellSize(model, canvas.Width(), canvas.Height());
    canvas.MarkAllDirty();
    if (model.MapWidth <= 0 || model.MapHeight <= 0 || !geometry.IsDrawable() ||
        model.ScrollX > model.MapWidth || model.ScrollY > model.MapHeight) {
        canvas.Clear();
        return;
    }
    Painter(canvas, model, geometry).Paint();
}

}  // namespace quarl
