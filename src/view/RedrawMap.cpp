// SPDX-License-Identifier: MIT
#include "view/RedrawMap.h"

#include <algorithm>
#include <array>
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

PixelTable CellPixels(int viewMode) {
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

// The repaint composes the canvas one pixel line at a time, each pixel written once, with the
// result of drawing every tile column by column, the cell before the mark. Marks never overlap
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
                std::fill(line + x, line + end, cellPixels_[*values++]);
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
        // A mark that spills down from the row above is covered by the cells of this row, but
        // for the part of the last column's mark that lies past the map.
        const bool spilled = *markRow != row;
        const int firstCol = cells && spilled ? model_.MapWidth : model_.ScrollX;
        const std::uint8_t* directions =
            model_.DirLayer.data() + model_.TileIndex(firstCol, *markRow);
        Pixel* line = canvas_.Row(y);
        for (int col = firstCol; col <= lastCol_; ++col) {
            const int left = (col - model_.ScrollX) * cellWidth_;
            int from = left + cellWidth_ / 2;
            int to = from + zoom_;
            if (cells && col < model_.MapWidth) to = std::min(to, left + cellWidth_);
            if (cells && spilled) from = std::max(from, left + cellWidth_);
            to = std::min(to, canvas_.Width());
            if (from < to) std::fill(line + from, line + to, dirPixels_[*directions]);
            ++directions;
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
