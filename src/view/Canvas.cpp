// SPDX-License-Identifier: MIT
#include "view/Canvas.h"

#include <algorithm>
#include <cstddef>

namespace quarl {

Canvas::Canvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, kBackground) {}

void Canvas::Clear() {
    std::fill(pixels_.begin(), pixels_.end(), kBackground);
    dirty_ = {0, 0, width_, height_};
}

void Canvas::Fill(const PixelRect& rect, Pixel pixel) {
    const PixelRect on = Clip(rect);
    if (on.IsEmpty()) return;
    FillClipped(on.left, on.top, on.left + on.width, on.top + on.height, pixel);
    AddDirty(on);
}

PixelRect Canvas::TakeDirty() {
    const PixelRect dirty = dirty_;
    dirty_ = {};
    return dirty;
}

void Canvas::AddDirty(const PixelRect& rect) {
    if (dirty_.IsEmpty()) {
        dirty_ = rect;
        return;
    }
    const auto left = std::min(dirty_.left, rect.left);
    const auto top = std::min(dirty_.top, rect.top);
    const auto right = std::max(dirty_.left + dirty_.width, rect.left + rect.width);
    const auto bottom = std::max(dirty_.top + dirty_.height, rect.top + rect.height);
    dirty_ = {left, top, right - left, bottom - top};
}

void FillCell(Canvas& canvas, std::int32_t left, std::int32_t top, std::int32_t width,
              std::int32_t height, Colour colour) {
    canvas.Fill({left, top, width, height}, ToPixel(colour));
}

}  // namespace quarl
