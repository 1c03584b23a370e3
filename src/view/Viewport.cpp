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

bool ScrollLeft(Types& model) {
    if (model.ScrollX <= kScrollStep) return false;
    model.ScrollX = static_cast<std::int16_t>(model.ScrollX - kScrollStep);
    return true;
}

bool ScrollRight(Types& model) {
    if (model.ScrollX >= model.MapWidth - kScrollStep) return false;
    model.ScrollX = static_cast<std::int16_t>(model.ScrollX + kScrollStep);
    return true;
}

bool ScrollUp(Types& model) {
    if (model.ScrollY <= kScrollStep) return false;
    model.ScrollY = static_cast<std::int16_t>(model.ScrollY - kScrollStep);
    return true;
}

bool ScrollDown(Types& model) {
    if (model.ScrollY >= model.MapHeight - kScrollStep) return false;
    model.ScrollY = static_cast<std::int16_t>(model.ScrollY + kScrollStep);
    return true;
}

bool ZoomIn(Types& model) {
    if (model.Zoom >= kMaxZoom) return false;
    model.Zoom = static_cast<std::int16_t>(model.Zoom * 2);
    return true;
}

bool ZoomOut(Types& model) {
    if (model.Zoom <= 1) return false;
    model.Zoom = static_cast<std::int16_t>(model.Zoom / 2);
    return true;
}

}  // namespace quarl
