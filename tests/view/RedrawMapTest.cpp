// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "support/Maps.h"
#include "view/Colours.h"
#include "view/RedrawMap.h"
#include "view/Viewport.h"

namespace quarl {
namespace {

int Mode(const Types& model) {
    return static_cast<int>(model.ViewMode);
}

// A map of the given size with random values; directions mostly from the coloured codes, so
// that marks stand out.
Types RandomValues(std::mt19937& random, int width, int height) {
    Types model =
        testing::UniformMap(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
    for (TileLayer* layer : {&model.TypeLayer, &model.LightLayer, &model.HeightLayer,
                             &model.DirLayer, &model.ObjectLayer, &model.UsageLayer}) {
        for (auto& value : *layer) value = static_cast<std::uint8_t>(random());
    }
    for (auto& dir : model.DirLayer) dir = static_cast<std::uint8_t>(dir % 2 ? dir % 4 : dir);
    return model;
}

Types RandomMap(std::mt19937& random, int maxWidth, int maxHeight) {
    const int width = static_cast<int>(1 + random() % maxWidth);
    const int height =
        static_cast<int>(1 + random() % std::min<int>(maxHeight, kMaxTileCount / width));
    return RandomValues(random, width, height);
}

// The repaint written as plainly as it can be: every tile from the scroll origin on, column
// by column, a clipped cell and a clipped mark, with the colour rules spelled out again.
class ReferencePainter {
  public:
    ReferencePainter(int width, int height)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height)) {}

    void Paint(const Types& m) {
        std::fill(pixels_.begin(), pixels_.end(), Canvas::kBackground);
        if (m.MapWidth <= 0 || m.MapHeight <= 0) return;
        const int cw = (width_ - 10) / m.MapWidth * m.Zoom;
        const int ch = (height_ - 10) / m.MapHeight * m.Zoom;
        if (cw == 0 || ch == 0) return;
        for (int col = m.ScrollX; col <= m.MapWidth; ++col) {
            for (int row = m.ScrollY; row <= m.MapHeight; ++row) {
                const int i = (row - 1) * m.MapWidth + (col - 1);
                const int left = (col - m.ScrollX) * cw;
                const int top = (row - m.ScrollY) * ch;
                if (Mode(m) >= 1 && Mode(m) <= 7) {
                    Fill(left, top, cw, ch, CellPixel(m, i));
                }
                Fill(left + cw / 2, top + ch / 2, m.Zoom, m.Zoom, DirPixel(m.DirLayer[i]));
            }
        }
    }

    [[nodiscard]] std::uint32_t At(int x, int y) const { return pixels_[y * width_ + x]; }

  private:
    static std::uint32_t Grey(int level) {
        const auto v = static_cast<std::uint32_t>(std::min(level, 255));
        return 0xFF000000u | v << 16 | v << 8 | v;
    }
    static std::uint32_t Product(int value) {  // value x 100 as 0x00BBGGRR, shown as RGB
        const int bgr = value * 100;
        return 0xFF000000u | static_cast<std::uint32_t>((bgr & 0xFF) << 16 | (bgr & 0xFF00));
    }
    static std::uint32_t DirPixel(int d) {
        static const std::uint32_t codes[] = {0xFFFF0000u, 0xFF0000FFu, 0xFF00FF00u, 0xFFFFFF00u};
        return d < 4 ? codes[d] : Grey(10 * d);
    }
    static std::uint32_t CellPixel(const Types& m, int i) {
        switch (Mode(m)) {
            case 1:
            case 6:
                return Product(m.TypeLayer[i]);
            case 2:
                return Grey(m.HeightLayer[i]);
            case 3:
                return Product(m.ObjectLayer[i]);
            case 4:
                return Product(m.UsageLayer[i]);
            case 5:
                return DirPixel(m.DirLayer[i]);
            default:
                return Grey(6 * m.LightLayer[i]);
        }
    }
    void Fill(int left, int top, int w, int h, std::uint32_t pixel) {
        for (int y = std::max(top, 0); y < std::min(top + h, height_); ++y) {
            for (int x = std::max(left, 0); x < std::min(left + w, width_); ++x) {
                pixels_[y * width_ + x] = pixel;
            }
        }
    }

    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

void ExpectSameAsReference(const Types& model, int width, int height, int round) {
    Canvas canvas(width, height);
    RedrawMap(canvas, model);
    ReferencePainter reference(width, height);
    reference.Paint(model);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(canvas.PixelAt(x, y), reference.At(x, y))
                << "round " << round << " at (" << x << ", " << y << ") map " << model.MapWidth
                << " x " << model.MapHeight << " mode " << Mode(model) << " zoom " << model.Zoom
                << " scroll " << model.ScrollX << "," << model.ScrollY << " canvas " << width
                << " x " << height;
        }
    }
}

// Any zoom from 1 to 16, not only the powers of two the buttons reach, so that a mark of odd
// size is covered too.
void RandomView(std::mt19937& random, Types& model) {
    model.ViewMode = static_cast<ViewModeValue>(random() % 9);
    model.Zoom = static_cast<std::int16_t>(1 + random() % 16);
    model.ScrollX = static_cast<std::int16_t>(1 + 20 * (random() % 4));
    model.ScrollY = static_cast<std::int16_t>(1 + 20 * (random() % 3));
}

TEST(RedrawMapTest, MatchesThePlainRepaintPixelForPixel) {
    std::mt19937 random(1207);
    // The map area, small ones, and ones smaller than a cell of a one-tile map.
    const std::pair<int, int> sizes[] = {
        {kCanvasWidth, kCanvasHeight}, {70, 50}, {13, 12}, {11, 11}};
    for (int round = 0; round < 400; ++round) {
        const auto [width, height] = sizes[round % 4];
        // Sometimes wider or higher than the usable area, so cells of 0 come up too.
        Types model = RandomMap(random, round % 7 == 0 ? 1200 : width, round % 5 == 0 ? 400 : 60);
        RandomView(random, model);
        ExpectSameAsReference(model, width, height, round);
    }
}

// Base cells of one pixel in one direction: marks reach into the next cells and past the
// map's last column or row, where the drawing order decides what shows.
TEST(RedrawMapTest, MarksThatSpillPastTheirCellMatchThePlainRepaint) {
    std::mt19937 random(2026);
    for (int round = 0; round < 120; ++round) {
        const bool wide = round % 2 == 0;
        const int spillSize = static_cast<int>(wide ? 498 + random() % 497 : 294 + random() % 294);
        const int other = static_cast<int>(1 + random() % (kMaxTileCount / spillSize));
        Types model = RandomValues(random, wide ? spillSize : other, wide ? other : spillSize);
        RandomView(random, model);
        if (round % 3 == 0) model.Zoom = static_cast<std::int16_t>(1 << (1 + random() % 4));
        // Scrolled anywhere on the map, so that the last column or row is often on show.
        model.ScrollX = static_cast<std::int16_t>(1 + 20 * (random() % (model.MapWidth / 20 + 1)));
        model.ScrollY = static_cast<std::int16_t>(1 + 20 * (random() % (model.MapHeight / 20 + 1)));
        ExpectSameAsReference(model, kCanvasWidth, kCanvasHeight, round);
    }
}

TEST(RedrawMapTest, OnePixelCellsShowTheirDirectionInEveryMode) {
    Types model = testing::UniformMap(200, 150, 9, 9, 9, 9, 9, 9);
    model.DirLayer[model.TileIndex(3, 2)] = 1;
    Canvas canvas(210, 160);
    for (std::int16_t mode = 0; mode <= 7; ++mode) {
        model.ViewMode = static_cast<ViewModeValue>(mode);
        RedrawMap(canvas, model);
        EXPECT_EQ(canvas.PixelAt(2, 1), 0xFF0000FFu) << mode;
        EXPECT_EQ(canvas.PixelAt(0, 0), ToPixel(Rgb(90, 90, 90))) << mode;
    }
}

TEST(RedrawMapTest, ScrolledPastTheLastColumnOrRowClearsTheWholeArea) {
    Types model = testing::UniformMap(40, 10, 1, 1, 1, 1, 1, 1);
    model.ViewMode = ViewModeValue::DrawType;
    Canvas canvas(kCanvasWidth, kCanvasHeight);
    for (const auto& [scrollX, scrollY] : {std::pair{61, 1}, std::pair{1, 21}}) {
        SCOPED_TRACE(scrollX * 100 + scrollY);
        model.ScrollX = model.ScrollY = 1;
        RedrawMap(canvas, model);
        ASSERT_NE(canvas.PixelAt(0, 0), Canvas::kBackground);
        model.ScrollX = static_cast<std::int16_t>(scrollX);
        model.ScrollY = static_cast<std::int16_t>(scrollY);
        (void)canvas.TakeDirty();
        RedrawMap(canvas, model);
        EXPECT_EQ(canvas.TakeDirty(), (PixelRect{0, 0, canvas.Width(), canvas.Height()}))
            << "the whole area is refreshed, its top row too";
        for (int y = 0; y < canvas.Height(); ++y) {
            for (int x = 0; x < canvas.Width(); ++x) {
                ASSERT_EQ(canvas.PixelAt(x, y), Canvas::kBackground) << x << "," << y;
            }
        }
    }
    model.ScrollX = 21;  // column 21 now starts at pixel 0
    model.ScrollY = 1;
    RedrawMap(canvas, model);
    EXPECT_EQ(canvas.PixelAt(0, 0), ToPixel(0x000064));
}

TEST(RedrawMapTest, WithoutAMapItOnlyClears) {
    Types model;
    StartUp(model);
    model.Zoom = 2;
    Canvas canvas(kCanvasWidth, kCanvasHeight);
    FillCell(canvas, 0, 0, 50, 50, 0x0000FF);
    RedrawMap(canvas, model);
    EXPECT_EQ(canvas.PixelAt(10, 10), Canvas::kBackground);
    model.MapWidth = 5;  // a 5 x 0 map counts as loaded but has no tiles
    model.TypeLayer = model.LightLayer = model.HeightLayer = model.DirLayer = {0};
    RedrawMap(canvas, model);
    EXPECT_EQ(canvas.PixelAt(10, 10), Canvas::kBackground);
}

}  // namespace
}  // namespace quarl
