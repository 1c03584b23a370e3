// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "view/Colours.h"
#include "view/RedrawMap.h"

namespace quarl {
namespace {

TEST(ColoursTest, CellColoursOfEveryMode) {
    EXPECT_EQ(CellColour(ViewModeValue::DrawType, 1), 0x000064u);
    EXPECT_EQ(CellColour(ViewModeValue::DrawType, 3), 0x00012Cu);
    EXPECT_EQ(CellColour(ViewModeValue::DrawType, 147), 0x00396Cu);
    EXPECT_EQ(CellColour(ViewModeValue::EditView, 255), 0x00639Cu);
    EXPECT_EQ(CellColour(ViewModeValue::DrawObjects, 2), 0x0000C8u);
    EXPECT_EQ(CellColour(ViewModeValue::DrawUsage, 0), 0x000000u);
    EXPECT_EQ(CellColour(ViewModeValue::DrawHeight, 255), 0xFFFFFFu);
    EXPECT_EQ(CellColour(ViewModeValue::DrawHeight, 200), 0xC8C8C8u);
    EXPECT_EQ(CellColour(ViewModeValue::DrawLight, 42), Rgb(252, 252, 252));
    EXPECT_EQ(CellColour(ViewModeValue::DrawLight, 43), 0xFFFFFFu);
    EXPECT_EQ(CellColour(ViewModeValue::DrawLight, 50), 0xFFFFFFu);
    EXPECT_EQ(CellColour(ViewModeValue::DrawDir, 7), 0x464646u);
    EXPECT_FALSE(CellColour(ViewModeValue::None, 7));
    EXPECT_FALSE(CellColour(static_cast<ViewModeValue>(8), 7));
}

TEST(ColoursTest, DirectionColours) {
    EXPECT_EQ(DirColour(0), 0x0000FFu);
    EXPECT_EQ(DirColour(1), 0xFF0000u);
    EXPECT_EQ(DirColour(2), 0x00FF00u);
    EXPECT_EQ(DirColour(3), 0x00FFFFu);
    EXPECT_EQ(DirColour(4), Rgb(40, 40, 40));
    EXPECT_EQ(DirColour(25), Rgb(250, 250, 250));
    EXPECT_EQ(DirColour(26), 0xFFFFFFu);
    EXPECT_EQ(DirColour(255), 0xFFFFFFu);
}

TEST(ColoursTest, MarkSitsAtTheCentreOffsetAndDoesNotGrowWithTheCell) {
    EXPECT_EQ(DirMark({0, 0, 15, 15}, 1), (PixelRect{7, 7, 1, 1}));
    EXPECT_EQ(DirMark({240, 480, 240, 240}, 16), (PixelRect{360, 600, 16, 16}));
    EXPECT_EQ(DirMark({2, 3, 1, 1}, 1), (PixelRect{2, 3, 1, 1}));
}

// Reads absolute pixels back, so that a red and blue swap cannot hide anywhere.
TEST(ColoursTest, CanvasHoldsRedInTheRedChannel) {
    Types model;
    StartUp(model);
    model.MapWidth = 2;
    model.MapHeight = 1;
    model.TileCount = 2;
    model.TypeLayer = {1, 0, 0};
    model.DirLayer = {1, 3, 0};
    for (TileLayer* layer :
         {&model.HeightLayer, &model.ObjectLayer, &model.UsageLayer, &model.LightLayer}) {
        layer->assign(3, 0);
    }
    model.ViewMode = ViewModeValue::DrawType;
    Canvas canvas(60, 40);  // 50 x 30 usable: cells of 25 x 30
    RedrawMap(canvas, model);
    EXPECT_EQ(canvas.PixelAt(0, 0), 0xFF640000u) << "type 1 is red 100";
    EXPECT_EQ(canvas.PixelAt(12, 15), 0xFF0000FFu) << "direction 1 is pure blue";
    EXPECT_EQ(canvas.PixelAt(37, 15), 0xFFFFFF00u) << "direction 3 is yellow";
    EXPECT_EQ(canvas.PixelAt(55, 5), Canvas::kBackground);
}

TEST(ColoursTest, FillCellClipsAndKeepsItsEdges) {
    Canvas canvas(10, 10);
    (void)canvas.TakeDirty();
    FillCell(canvas, 8, -3, 5, 5, 0x0000FF);
    EXPECT_EQ(canvas.PixelAt(8, 0), 0xFFFF0000u);
    EXPECT_EQ(canvas.PixelAt(9, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.PixelAt(9, 2), Canvas::kBackground) << "bottom edge excluded";
    EXPECT_EQ(canvas.PixelAt(7, 0), Canvas::kBackground);
    EXPECT_EQ(canvas.TakeDirty(), (PixelRect{8, 0, 2, 2}));

    FillCell(canvas, 2, 2, 0, 5, 0x0000FF);
    FillCell(canvas, 2, 2, 5, -1, 0x0000FF);
    FillCell(canvas, INT32_MAX, INT32_MAX, 100, 100, 0x0000FF);
    EXPECT_TRUE(canvas.TakeDirty().IsEmpty());
    EXPECT_EQ(canvas.PixelAt(2, 2), Canvas::kBackground);
}

}  // namespace
}  // namespace quarl
