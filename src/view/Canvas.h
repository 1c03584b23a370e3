// SPDX-License-Identifier: MIT
// The persistent image of the map area: a plain buffer of 32-bit pixels, and the one
// drawing primitive FillCell.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarl {

// A rectangle of pixels: left and top edges included, right and bottom edges excluded.
struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    [[nodiscard]] bool IsEmpty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Colours of the map are 0x00BBGGRR: red in the low byte.
using Colour = std::uint32_t;

// Pixels are stored as 0xFFRRGGBB, the layout a Qt RGB32 image shows without converting.
using Pixel = std::uint32_t;

[[nodiscard]] constexpr Pixel ToPixel(Colour colour) {
    return 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

class Canvas {
  public:
    // The map area's background: a muted blue that no cell colour can take.
    static constexpr Pixel kBackground = 0xFF2B3A55u;

    Canvas(int width, int height);

    [[nodiscard]] int Width() const { return width_; }
    [[nodiscard]] int Height() const { return height_; }
    [[nodiscard]] const Pixel* Pixels() const { return pixels_.data(); }
    [[nodiscard]] Pixel* Row(int y) {
        return pixels_.data() + static_cast<std::size_t>(y) * width_;
    }
    [[nodiscard]] Pixel PixelAt(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * width_ + x];
    }

    void Clear();

    // The part of a rectangle that lies on the canvas; edges in 64 bits, so that left + width
    // cannot overflow for any input.
    [[nodiscard]] PixelRect Clip(const PixelRect& rect) const {
        const auto left = std::max<std::int64_t>(rect.left, 0);
        const auto top = std::max<std::int64_t>(rect.top, 0);
        const auto right = std::min<std::int64_t>(std::int64_t{rect.left} + rect.width, width_);
        const auto bottom = std::min<std::int64_t>(std::int64_t{rect.top} + rect.height, height_);
        if (left >= right || top >= bottom) return {};
        return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
    }

    // Fills the part of the rectangle that lies on the canvas.
    void Fill(const PixelRect& rect, Pixel pixel);

    // Fills the pixels x0 <= x < x1, y0 <= y < y1, which the caller has clipped to the
    // canvas; for painters that mark what they change themselves.
    void FillClipped(int x0, int y0, int x1, int y1, Pixel pixel) {
        Pixel* row = pixels_.data() + static_cast<std::size_t>(y0) * width_;
        const auto count = static_cast<std::size_t>(x1 - x0);
        for (int y = y0; y < y1; ++y, row += width_) std::fill_n(row + x0, count, pixel);
    }

    // For painters that write whole pixel lines through Row().
    void MarkAllDirty() { dirty_ = {0, 0, width_, height_}; }

    // The bounding box of everything drawn since the last call; empty when nothing was.
    [[nodiscard]] PixelRect TakeDirty();

  private:
    void AddDirty(const PixelRect& rect);

    int width_;
    int height_;
    std::vector<Pixel> pixels_;
    PixelRect dirty_;
};

// One solid rectangle in a map colour.
void FillCell(Canvas& canvas, std::int32_t left, std::int32_t top, std::int32_t width,
              std::int32_t height, Colour colour);

inline void FillCell(Canvas& canvas, const PixelRect& rect, Colour colour) {
    FillCell(canvas, rect.left, rect.top, rect.width, rect.height, colour);
}

}  // namespace quarl
