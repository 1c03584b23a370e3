// SPDX-License-Identifier: MIT
#include "editing/Editing.h"

#include <algorithm>
#include <cstddef>

#include "editing/PlaceResource.h"
#include "editing/TextNumber.h"
#include "view/Colours.h"
#include "view/Viewport.h"

namespace quarl {

namespace {

TilePos PointerTile(const EditContext& context, double x, double y) {
    const CellGeometry geometry =
        CellSize(context.model, context.canvas.Width(), context.canvas.Height());
    return TileAt(context.model, geometry, x, y);
}

std::optional<std::string> LayerText(const Types& model, TilePos tile) {
    const TileLayer* layer = model.LayerOf(model.ViewMode);
    if (layer == nullptr) return std::nullopt;
    return std::to_string((*layer)[static_cast<std::size_t>(model.TileIndex(tile.col, tile.row))]);
}

bool WritesLayer(ViewModeValue viewMode) {
    return viewMode != ViewModeValue::EditView && LayerRowOf(viewMode) != nullptr;
}

// The mode pass of a layer-writing mode: value v over the footprint, row by row, leaving
// out the tiles past the last column or row.
void PaintFootprint(EditContext& context, TilePos tile, int size, std::uint8_t v) {
    Types& model = context.model;
    TileLayer& layer = *model.LayerOf(model.ViewMode);
    const Colour colour = *CellColour(model.ViewMode, v);
    const CellGeometry geometry = CellSize(model, context.canvas.Width(), context.canvas.Height());
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            const int col = tile.col + j;
            const int row = tile.row + i;
            if (!model.OnMap(col, row)) continue;
            layer[static_cast<std::size_t>(model.TileIndex(col, row))] = v;
            FillCell(context.canvas, CellRect(model, geometry, col, row), colour);
        }
    }
}

// The mark pass: the direction marks of the footprint, column by column.
void MarkFootprint(EditContext& context, TilePos tile, int size) {
    const Types& model = context.model;
    const CellGeometry geometry = CellSize(model, context.canvas.Width(), context.canvas.Height());
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            if (model.OnMap(tile.col + i, tile.row + j)) {
                DrawDirMark(context.canvas, model, geometry, tile.col + i, tile.row + j);
            }
        }
    }
}

// The tiles of a square of SIZE tiles from (col, row) on that lie on the map.
TileSpan SquareOnMap(const Types& model, int col, int row, int size) {
    const int left = std::max(col, 1);
    const int top = std::max(row, 1);
    const int right = std::min(col + size - 1, static_cast<int>(model.MapWidth));
    const int bottom = std::min(row + size - 1, static_cast<int>(model.MapHeight));
    return {static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
            std::max(0, right - left + 1), std::max(0, bottom - top + 1)};
}

// Returns the tiles it wrote, if it wrote a layer.
std::optional<TileSpan> Stroke(EditContext& context, TilePos tile, const Controls& controls) {
    Types& model = context.model;
    const int size = controls.SizeIndex + 1;
    std::optional<TileSpan> written;
    if (WritesLayer(model.ViewMode)) {
        const auto v = ReadByte(controls.TxtEdit);
        if (!v) return std::nullopt;  // not a value: the whole stroke does nothing
        PaintFootprint(context, tile, size, *v);
        written = SquareOnMap(model, tile.col, tile.row, size);
    } else if (model.ViewMode == ViewModeValue::EditView) {
        if (controls.EditIndex >= 0 && controls.EditIndex < kEditTileCount) {
            PlaceResource(model, context.canvas, context.random, tile.col, tile.row,
                          model.EditTileTable[static_cast<std::size_t>(controls.EditIndex)]);
            written = SquareOnMap(model, tile.col - 1, tile.row - 1, 3);
        }
    }
    MarkFootprint(context, tile, size);
    return written;
}

// Records the tile, then paints it when it is on the map. Returns the tiles the stroke wrote.
std::optional<TileSpan> BrushAt(EditContext& context, TilePos tile, const Controls& controls) {
    context.model.LastTileX = tile.col;
    context.model.LastTileY = tile.row;
    if (!context.model.OnMap(tile.col, tile.row)) return std::nullopt;
    return Stroke(context, tile, controls);
}

// The left button's press on a tile: its stroke, and what the stroke wrote.
void LeftPress(EditContext& context, TilePos tile, const Controls& controls, Readout& readout) {
    const auto written = BrushAt(context, tile, controls);
    if (written && written->cols * written->rows > 0) readout.Changed = Change{tile, *written};
}

// What the readout shows of a tile on the map; taken before the brush writes, so that a newly
// painted tile shows its old value.
void ReadTile(const Types& model, TilePos tile, Readout& readout) {
    readout.TxtX = std::to_string(tile.col);
    readout.TxtY = std::to_string(tile.row);
    readout.TxtDir = std::to_string(
        model.DirLayer[static_cast<std::size_t>(model.TileIndex(tile.col, tile.row))]);
    readout.TxtValue = LayerText(model, tile);
    readout.Tile = tile;
}

}  // namespace

Readout MouseDown(EditContext& context, int button, double x, double y, const Controls& controls) {
    Readout readout;
    if (!context.model.IsLoaded()) return readout;
    if (button == kRightButton) {
        const TilePos tile = PointerTile(context, x, y);
        if (context.model.OnMap(tile.col, tile.row))
            readout.TxtEdit = LayerText(context.model, tile);
    }
    if (button == kLeftButton) LeftPress(context, PointerTile(context, x, y), controls, readout);
    return readout;
}

Readout PressTile(EditContext& context, TilePos tile, const Controls& controls) {
    Readout readout;
    if (!context.model.IsLoaded() || !context.model.OnMap(tile.col, tile.row)) return readout;
    ReadTile(context.model, tile, readout);
    LeftPress(context, tile, controls, readout);
    return readout;
}

Readout MouseMove(EditContext& context, int buttons, double x, double y, const Controls& controls) {
    Readout readout;
    const Types& model = context.model;
    if (!model.IsLoaded()) return readout;
    const TilePos tile = PointerTile(context, x, y);
    if (model.OnMap(tile.col, tile.row)) ReadTile(model, tile, readout);
    // One stroke per tile entered: a drag within the recorded tile paints nothing.
    if (buttons == kLeftButton && !(tile.col == model.LastTileX && tile.row == model.LastTileY)) {
        const auto written = BrushAt(context, tile, controls);
        if (written && written->cols * written->rows > 0) readout.Drawn = *written;
    }
    return readout;
}

std::optional<TilePos> KeyTile(const Types& model, const Controls& controls) {
    const auto col = ReadRoundedNumber(controls.TxtX);
    const auto row = ReadRoundedNumber(controls.TxtY);
    if (!col || !row || !model.OnMap(*col, *row)) return std::nullopt;
    return TilePos{static_cast<std::int16_t>(*col), static_cast<std::int16_t>(*row)};
}

std::optional<TilePos> KeyDown(EditContext& context, int key, const Controls& controls) {
    Types& model = context.model;
    if (key != kSpaceKey) return std::nullopt;
    const auto tile = KeyTile(model, controls);
    if (!tile) return std::nullopt;
    const auto direction = ReadByte(controls.TxtEditDir);
    if (!direction) return std::nullopt;

    model.DirLayer[static_cast<std::size_t>(model.TileIndex(tile->col, tile->row))] = *direction;
    // Only the mark: in the direction view the cell keeps its old colour until a repaint.
    const CellGeometry geometry = CellSize(model, context.canvas.Width(), context.canvas.Height());
    if (geometry.IsDrawable()) DrawDirMark(context.canvas, model, geometry, tile->col, tile->row);
    return tile;
}

std::string DescribeTile(const Types& model, int col, int row) {
    const auto index = static_cast<std::size_t>(model.TileIndex(col, row));
    std::string text = "column " + std::to_string(col) + ", row " + std::to_string(row);
    const LayerInfo* layer = LayerRowOf(model.ViewMode);
    if (layer != nullptr && layer->Word != nullptr) {
        text +=
            std::string(", ") + layer->Word + " " + std::to_string((model.*layer->Field)[index]);
    }
    return text + ", direction " + std::to_string(model.DirLayer[index]);
}

// No default: a new view mode gets its words here, or the compiler says so.
std::string DescribeView(ViewModeValue viewMode) {
    switch (viewMode) {
        case ViewModeValue::None:
            return "No view chosen yet: press a Draw button";
        case ViewModeValue::DrawType:
            return "Draw Type: terrain type";
        case ViewModeValue::DrawHeight:
            return "Draw Height: height";
        case ViewModeValue::DrawObjects:
            return "Draw Objects: objects";
        case ViewModeValue::DrawUsage:
            return "Draw Usage: usage";
        case ViewModeValue::DrawDir:
            return "Draw Dir: direction";
        case ViewModeValue::EditView:
            return "Edit View: terrain type, the left button places ore";
        case ViewModeValue::DrawLight:
            return "Draw Light: light";
    }
    return "";
}

}  // namespace quarl
