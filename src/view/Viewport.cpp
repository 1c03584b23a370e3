// SPDX-License-Identifier: MIT
#include "view/Viewport.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quarl {

namespace {

std::int16_t BaseCell(int inner, std::int16_t tiles, std::int16_t zoom) {
    const int usable = inner - kMargin;
    if (tiles <= 0 || usable <= 0 || zoom <= 0) return 0;
    return static_cast<std::int16_t>(usable / tiles * zoom);
}

std::int16_t ToTileCoordinate(double value) {
    constexpr double low = std::numeric_limits<std::int16_t>::min();
    constexpr double high = std::numeric_limits<std::int16_t>::max();
    if (std::isnan(value)) return 0;
    return static_cast<std::int16_t>(std::clamp(value, low, high));
}

// A view button acts only when its condition holds; it reports whether it changed the view.
bool ChangeIf(bool condition, std::int16_t& value, int changed) {
    if (condition) value = static_cast<std::int16_t>(changed);
    return condition;
}

}  // namespace

CellGeometry CellSize(const Types& model, int innerWidth, int innerHeight) {
    return {BaseCell(innerWidth, model.MapWidth, model.Zoom),
            BaseCell(innerHeight, model.MapHeight, model.Zoom)};
}

PixelRect CellRect(const Types& model, CellGeometry geometry, int col, int row) {
    return {(col - model.ScrollX) * geometry.CellWidth, (row - model.ScrollY) * geometry.CellHeight,
            geometry.CellWidth, geometry.CellHeight};
}

TilePos TileAt(const Types& model, CellGeometry geometry, double x, double y) {
    if (!geometry.IsDrawable()) return {0, 0};
    return {ToTileCoordinate(model.ScrollX + std::floor(x / geometry.CellWidth)),
            ToTileCoordinate(model.ScrollY + std::floor(y / geometry.CellHeight))};
}

namespace {

// How many tiles from first on, up to last, have cells of a drawable size that start within
// inner pixels.
int VisibleCount(int first, int last, int cell, int inner) {
    return std::max(0, std::min(last, first + (inner - 1) / cell) - first + 1);
}

}  // namespace

TileSpan VisibleTiles(const Types& model, int innerWidth, int innerHeight) {
    const CellGeometry geometry = CellSize(model, innerWidth, innerHeight);
    if (!geometry.IsDrawable()) return {model.ScrollX, model.ScrollY, 0, 0};
    return {model.ScrollX, model.ScrollY,
            VisibleCount(model.ScrollX, model.MapWidth, geometry.CellWidth, innerWidth),
            VisibleCount(model.ScrollY, model.MapHeight, geometry.CellHeight, innerHeight)};
}

bool ScrollLeft(Types& m) {
    return ChangeIf(m.ScrollX > kScrollStep, m.ScrollX, m.ScrollX - kScrollStep);
}

bool ScrollRight(Types& m) {
    return ChangeIf(m.ScrollX < m.MapWidth - kScrollStep, m.ScrollX, m.ScrollX + kScrollStep);
}

bool ScrollUp(Types& m) {
    return ChangeIf(m.ScrollY > kScrollStep, m.ScrollY, m.ScrollY - kScrollStep);
}

bool ScrollDown(Types& m) {
    return ChangeIf(m.ScrollY < m.MapHeight - kScrollStep, m.ScrollY, m.ScrollY + kScrollStep);
}

bool ZoomIn(Types& m) {
    return ChangeIf(m.Zoom < kMaxZoom, m.Zoom, m.Zoom * 2);
}

bool ZoomOut(Types& m) {
    return ChangeIf(m.Zoom > 1, m.Zoom, m.Zoom / 2);
}

}  // namespace quarl
