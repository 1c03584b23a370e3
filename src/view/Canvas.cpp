#include "view/Canvas.h"

#include <algorithm>

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
    // 64-bit edges: left + width must not overflow for any 32-bit input.
    const auto left = std::max<std::int64_t>(rect.left, 0);
    const auto top = std::max<std::int64_t>(rect.top, 0);
    const auto right = std::min<std::int64_t>(std::int64_t{rect.left} + rect.width, width_);
    const auto bottom = std::min<std::int64_t>(std::int64_t{rect.top} + rect.height, height_);
    if (left >= right || top >= bottom) return;

    Pixel* row = pixels_.data() + top * width_ + left;
    const auto count = static_cast<std::size_t>(right - left);
    for (auto y = top; y < bottom; ++y, row += width_) std::fill_n(row, count, pixel);
    AddDirty({static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
              static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)});
}

void Canvas::ClearOutside(int right, int bottom) {
    right = std::clamp(right, 0, width_);
    bottom = std::clamp(bottom, 0, height_);
    FillClipped(right, 0, width_, bottom, kBackground);
    FillClipped(0, bottom, width_, height_, kBackground);
    dirty_ = {0, 0, width_, height_};
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
