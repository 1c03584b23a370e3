// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <utility>

#include "editing/Editing.h"
#include "support/Maps.h"
#include "view/Colours.h"
#include "view/Viewport.h"

namespace quarl {
namespace {

using testing::ScriptedRandom;
using testing::UniformMap;

class EditingTest : public ::testing::Test {
  protected:
    Types model = UniformMap(100, 50, 1, 30, 120, 2);
    Canvas canvas{410, 310};  // cells of 4 x 6 for a 100 x 50 map
    ScriptedRandom random;
    EditContext context{model, canvas, random};
    Controls controls;

    std::size_t At(int x, int y) const { return static_cast<std::size_t>(model.TileIndex(x, y)); }
    CellGeometry Geometry() const { return CellSize(model, canvas.Width(), canvas.Height()); }
    // The pixel position of the top-left corner of a tile's cell.
    std::pair<double, double> PixelOf(int x, int y) const {
        const PixelRect cell = CellRect(model, Geometry(), x, y);
        return {cell.left, cell.top};
    }
    Readout MoveTo(int buttons, int x, int y) {
        const auto [px, py] = PixelOf(x, y);
        return MouseMove(context, buttons, px, py, controls);
    }
    Readout PressAt(int button, int x, int y) {
        const auto [px, py] = PixelOf(x, y);
        return MouseDown(context, button, px, py, controls);
    }
    Pixel CellPixel(int x, int y) const {
        const PixelRect cell = CellRect(model, Geometry(), x, y);
        return canvas.PixelAt(cell.left, cell.top);
    }
    // What a press wrote, as (pressed column, row, first column, row, columns, rows).
    static std::tuple<int, int, int, int, int, int> Wrote(const Readout& readout) {
        if (!readout.Changed) return {};
        const Change& c = *readout.Changed;
        return {c.tile.col,         c.tile.row,     c.written.firstCol,
                c.written.firstRow, c.written.cols, c.written.rows};
    }
    Pixel MarkPixel(int x, int y) const {
        const PixelRect mark = DirMark(CellRect(model, Geometry(), x, y), model.Zoom);
        return canvas.PixelAt(mark.left, mark.top);
    }
};

TEST_F(EditingTest, ReadoutMapsPixelsToTiles) {
    model.ViewMode = ViewModeValue::DrawHeight;
    model.HeightLayer[At(3, 2)] = 120;
    model.DirLayer[At(3, 2)] = 2;
    const Readout readout = MouseMove(context, 0, 8, 6, controls);
    EXPECT_EQ(readout.TxtX, "3");
    EXPECT_EQ(readout.TxtY, "2");
    EXPECT_EQ(readout.TxtDir, "2");
    EXPECT_EQ(readout.TxtValue, "120");
    EXPECT_EQ(readout.Tile, (TilePos{3, 2}));

    EXPECT_EQ(MouseMove(context, 0, 0, 0, controls).TxtX, "1");
    EXPECT_EQ(MouseMove(context, 0, 3, 0, controls).TxtX, "1");
    EXPECT_EQ(MouseMove(context, 0, 4, 0, controls).TxtX, "2");
    EXPECT_EQ(MouseMove(context, 0, 399, 0, controls).TxtX, "100");
    EXPECT_FALSE(MouseMove(context, 0, 400, 0, controls).TxtX) << "column 101 is off the map";
    EXPECT_EQ(MouseMove(context, 0, 0, 299, controls).TxtY, "50");
    EXPECT_FALSE(MouseMove(context, 0, 0, 300, controls).TxtY);
    EXPECT_FALSE(MouseMove(context, 0, -1, 5, controls).TxtX);

    model.Zoom = 2;
    model.ScrollX = 21;
    EXPECT_EQ(MouseMove(context, 0, 7, 0, controls).TxtX, "21");
    EXPECT_EQ(MouseMove(context, 0, 8, 0, controls).TxtX, "22");
}

TEST_F(EditingTest, ReadoutWithoutModeOrMap) {
    const Readout noMode = MoveTo(0, 4, 4);
    EXPECT_EQ(noMode.TxtX, "4");
    EXPECT_EQ(noMode.TxtDir, "2");
    EXPECT_FALSE(noMode.TxtValue);

    Types empty;
    StartUp(empty);
    EditContext none{empty, canvas, random};
    const Readout nothing = MouseMove(none, 1, 5, 5, controls);
    EXPECT_FALSE(nothing.TxtX || nothing.TxtY || nothing.TxtDir || nothing.TxtValue);
    EXPECT_FALSE(MouseDown(none, 2, 5, 5, controls).TxtEdit);
}

TEST_F(EditingTest, RightButtonPicksTheValueOfTheModesLayer) {
    model.TypeLayer[At(6, 7)] = 44;
    model.DirLayer[At(6, 7)] = 3;
    model.ViewMode = ViewModeValue::EditView;
    EXPECT_EQ(PressAt(kRightButton, 6, 7).TxtEdit, "44");
    model.ViewMode = ViewModeValue::DrawDir;
    EXPECT_EQ(PressAt(kRightButton, 6, 7).TxtEdit, "3");
    EXPECT_FALSE(MouseDown(context, kRightButton, 400, 10, controls).TxtEdit) << "off the map";
    EXPECT_FALSE(PressAt(4, 6, 7).TxtEdit) << "the middle button picks nothing";
    model.ViewMode = ViewModeValue::None;
    EXPECT_FALSE(PressAt(kRightButton, 6, 7).TxtEdit);
}

TEST_F(EditingTest, ThreeByThreeHeightStroke) {
    model.ViewMode = ViewModeValue::DrawHeight;
    controls.TxtEdit = "200";
    controls.SizeIndex = 2;
    const Types before = model;
    EXPECT_EQ(Wrote(PressAt(kLeftButton, 10, 5)), std::make_tuple(10, 5, 10, 5, 3, 3));
    for (int y = 1; y <= 50; ++y) {
        for (int x = 1; x <= 100; ++x) {
            const bool inside = x >= 10 && x <= 12 && y >= 5 && y <= 7;
            ASSERT_EQ(model.HeightLayer[At(x, y)], inside ? 200 : before.HeightLayer[At(x, y)]);
        }
    }
    EXPECT_EQ(CellPixel(12, 7), ToPixel(0xC8C8C8));
    EXPECT_EQ(MarkPixel(12, 7), ToPixel(DirColour(2)));
    EXPECT_EQ(CellPixel(13, 7), Canvas::kBackground);
    EXPECT_EQ(model.LastTileX, 10);
    EXPECT_EQ(model.LastTileY, 5);
    EXPECT_EQ(model.TypeLayer, before.TypeLayer);
}

TEST_F(EditingTest, ColoursOfTheModePass) {
    model.ViewMode = ViewModeValue::DrawLight;
    controls.TxtEdit = "50";
    (void)PressAt(kLeftButton, 3, 3);
    EXPECT_EQ(model.LightLayer[At(3, 3)], 50);
    EXPECT_EQ(CellPixel(3, 3), ToPixel(0xFFFFFF));

    model.ViewMode = ViewModeValue::DrawDir;
    controls.TxtEdit = "7";
    (void)PressAt(kLeftButton, 5, 5);
    EXPECT_EQ(model.DirLayer[At(5, 5)], 7);
    EXPECT_EQ(CellPixel(5, 5), ToPixel(0x464646));
    EXPECT_EQ(MarkPixel(5, 5), ToPixel(0x464646));

    model.ViewMode = ViewModeValue::DrawType;
    controls.TxtEdit = "147";
    (void)PressAt(kLeftButton, 8, 8);
    EXPECT_EQ(CellPixel(8, 8), ToPixel(0x00396C));
}

TEST_F(EditingTest, BrushValueRoundsAndRefusesBadText) {
    model.ViewMode = ViewModeValue::DrawObjects;
    controls.TxtEdit = "2.5";
    (void)PressAt(kLeftButton, 1, 1);
    EXPECT_EQ(model.ObjectLayer[At(1, 1)], 2);
    controls.TxtEdit = "3.5";
    (void)PressAt(kLeftButton, 1, 1);
    EXPECT_EQ(model.ObjectLayer[At(1, 1)], 4);

    for (const char* bad : {"abc", "256", "-1", ""}) {
        controls.TxtEdit = bad;
        (void)canvas.TakeDirty();
        const Types before = model;
        EXPECT_FALSE(PressAt(kLeftButton, 20, 20).Changed) << bad;
        EXPECT_TRUE(model.ObjectLayer == before.ObjectLayer) << bad;
        EXPECT_TRUE(canvas.TakeDirty().IsEmpty()) << "no fill and no mark for " << bad;
    }
}

TEST_F(EditingTest, FootprintStopsAtTheRightAndBottomEdges) {
    model.ViewMode = ViewModeValue::DrawUsage;
    controls.TxtEdit = "77";
    controls.SizeIndex = 6;
    const Types before = model;
    EXPECT_EQ(Wrote(PressAt(kLeftButton, 99, 49)), std::make_tuple(99, 49, 99, 49, 2, 2));
    int changed = 0;
    for (std::size_t i = 0; i < model.UsageLayer.size(); ++i) {
        changed += model.UsageLayer[i] != before.UsageLayer[i] ? 1 : 0;
    }
    EXPECT_EQ(changed, 4);
    EXPECT_EQ(model.UsageLayer[At(100, 50)], 77);
    EXPECT_EQ(model.UsageLayer.back(), before.UsageLayer.back());
    EXPECT_EQ(model.UsageLayer[At(1, 50)], before.UsageLayer[At(1, 50)]);
}

TEST_F(EditingTest, DragPaintsEachTileEnteredOnce) {
    model.ViewMode = ViewModeValue::DrawType;
    controls.TxtEdit = "9";
    (void)PressAt(kLeftButton, 4, 4);
    EXPECT_EQ(model.TypeLayer[At(4, 4)], 9);

    model.TypeLayer[At(4, 4)] = 1;
    (void)MoveTo(kLeftButton, 4, 4);
    EXPECT_EQ(model.TypeLayer[At(4, 4)], 1) << "still in the tile the press painted";

    // The readout shows the value from before the stroke.
    const Readout entering = MoveTo(kLeftButton, 5, 4);
    EXPECT_EQ(entering.TxtValue, "1");
    EXPECT_FALSE(entering.Changed) << "a drag is told by its press alone";
    EXPECT_EQ(model.TypeLayer[At(5, 4)], 9);
    ASSERT_TRUE(entering.Drawn) << "the tiles a stroke wrote, for a reader's cache";
    EXPECT_EQ(std::tie(entering.Drawn->firstCol, entering.Drawn->firstRow, entering.Drawn->cols,
                       entering.Drawn->rows),
              std::make_tuple(5, 4, 1, 1));
    EXPECT_FALSE(MoveTo(kLeftButton, 5, 4).Drawn) << "nothing written within the tile";
    EXPECT_FALSE(MoveTo(0, 6, 4).Drawn) << "no button held";

    // Out over the edge and back into the same tile: painted again.
    model.TypeLayer[At(1, 4)] = 1;
    (void)MoveTo(kLeftButton, 1, 4);
    EXPECT_EQ(model.TypeLayer[At(1, 4)], 9);
    model.TypeLayer[At(1, 4)] = 1;
    (void)MouseMove(context, kLeftButton, -2, PixelOf(1, 4).second, controls);
    EXPECT_EQ(model.LastTileX, 0);
    (void)MoveTo(kLeftButton, 1, 4);
    EXPECT_EQ(model.TypeLayer[At(1, 4)], 9);

    // Left and right held together paint nothing; the readout still follows.
    const Readout both = MoveTo(kLeftButton | kRightButton, 8, 8);
    EXPECT_EQ(both.TxtX, "8");
    EXPECT_EQ(model.TypeLayer[At(8, 8)], 1);
}

// A screen reader's press on a tile does what the pointer's move onto it and its left press
// there do; off the map, nothing.
TEST_F(EditingTest, AReadersPressIsThePointersMoveAndPress) {
    model.ViewMode = ViewModeValue::DrawHeight;
    controls.TxtEdit = "77";
    controls.SizeIndex = 2;
    model.HeightLayer[At(5, 6)] = 12;
    const Types start = model;
    const Readout moved = MoveTo(0, 5, 6);
    const Readout pressed = PressAt(kLeftButton, 5, 6);
    const Types byPointer = model;
    model = start;
    const Readout reader = PressTile(context, {5, 6}, controls);
    EXPECT_EQ(reader.TxtValue, "12") << "read before the stroke";
    EXPECT_EQ(std::tie(reader.TxtX, reader.TxtY, reader.TxtDir, reader.TxtValue, reader.Tile),
              std::tie(moved.TxtX, moved.TxtY, moved.TxtDir, moved.TxtValue, moved.Tile));
    EXPECT_EQ(Wrote(reader), Wrote(pressed));
    EXPECT_EQ(Wrote(reader), std::make_tuple(5, 6, 5, 6, 3, 3));
    EXPECT_TRUE(model == byPointer);
    for (const TilePos off : {TilePos{0, 3}, TilePos{101, 3}, TilePos{4, 51}}) {
        const Readout none = PressTile(context, off, controls);
        EXPECT_FALSE(none.Tile || none.Changed) << off.col << ", " << off.row;
    }
    EXPECT_TRUE(model == byPointer);
}

TEST_F(EditingTest, PressBesideTheMapThenDragOntoIt) {
    model.ViewMode = ViewModeValue::DrawType;
    controls.TxtEdit = "9";
    (void)MouseDown(context, kLeftButton, 405, 10, controls);
    EXPECT_EQ(model.LastTileX, 102);
    (void)MoveTo(kLeftButton, 100, 2);
    EXPECT_EQ(model.TypeLayer[At(100, 2)], 9);
}

TEST_F(EditingTest, WithoutAModeTheStrokeOnlyDrawsMarks) {
    controls.SizeIndex = 1;
    const Types before = model;
    EXPECT_FALSE(PressAt(kLeftButton, 3, 3).Changed);
    EXPECT_TRUE(model.TypeLayer == before.TypeLayer && model.HeightLayer == before.HeightLayer);
    EXPECT_EQ(MarkPixel(4, 4), ToPixel(DirColour(2)));
    EXPECT_EQ(CellPixel(4, 4), Canvas::kBackground);
    EXPECT_EQ(model.LastTileX, 3);
}

TEST_F(EditingTest, EditViewPlacesTheSelectedResourceAndRedrawsTheMarks) {
    model.ViewMode = ViewModeValue::EditView;
    controls.SizeIndex = 2;
    controls.EditIndex = 1;
    controls.TxtEdit = "not a number";  // Edit View does not use it
    EXPECT_EQ(Wrote(PressAt(kLeftButton, 10, 10)), std::make_tuple(10, 10, 9, 9, 3, 3));
    EXPECT_EQ(Wrote(PressAt(kLeftButton, 1, 50)), std::make_tuple(1, 50, 1, 49, 2, 2));
    EXPECT_EQ(model.TypeLayer[At(10, 10)], 151);
    EXPECT_EQ(model.TypeLayer[At(11, 10)], 168);
    EXPECT_EQ(model.TypeLayer[At(12, 10)], 1) << "the brush size plays no part";
    EXPECT_EQ(MarkPixel(11, 10), ToPixel(DirColour(3)));
    EXPECT_EQ(MarkPixel(10, 10), ToPixel(DirColour(2)));
    EXPECT_EQ(MarkPixel(12, 12), ToPixel(DirColour(2)));
    EXPECT_EQ(CellPixel(12, 12), Canvas::kBackground) << "the placer paints only its block";
}

TEST_F(EditingTest, SpaceSetsTheDirectionOfTheReadoutTile) {
    model.ViewMode = ViewModeValue::DrawDir;
    controls.TxtX = "3";
    controls.TxtY = "4";
    controls.TxtEditDir = "1";
    EXPECT_EQ(KeyDown(context, kSpaceKey, controls), (TilePos{3, 4}));
    EXPECT_EQ(model.DirLayer[At(3, 4)], 1);
    EXPECT_EQ(MarkPixel(3, 4), ToPixel(0xFF0000));
    EXPECT_EQ(CellPixel(3, 4), Canvas::kBackground) << "only the mark is drawn";

    controls.TxtEditDir = "4";
    KeyDown(context, kSpaceKey, controls);
    EXPECT_EQ(MarkPixel(3, 4), ToPixel(Rgb(40, 40, 40)));
    controls.TxtEditDir = "30";
    KeyDown(context, kSpaceKey, controls);
    EXPECT_EQ(MarkPixel(3, 4), ToPixel(0xFFFFFF));

    controls.TxtEditDir = "2.5";
    EXPECT_FALSE(KeyDown(context, 'A', controls));
    EXPECT_EQ(model.DirLayer[At(3, 4)], 30) << "only Space acts";
    KeyDown(context, kSpaceKey, controls);
    EXPECT_EQ(model.DirLayer[At(3, 4)], 2);
}

TEST_F(EditingTest, SpaceIgnoresBadTexts) {
    const Types before = model;
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"0", "0", "1"},     {"101", "1", "1"}, {"1", "51", "1"},  {"-1", "1", "1"},
        {"x", "1", "1"},     {"1", "1", "256"}, {"1", "1", "abc"}, {"1", "1", "-1"},
        {"99999", "1", "1"}, {"1", "", "1"},    {"1e2", "1", "1"},
    };
    for (const auto& [x, y, dir] : cases) {
        controls.TxtX = x;
        controls.TxtY = y;
        controls.TxtEditDir = dir;
        EXPECT_FALSE(KeyDown(context, kSpaceKey, controls)) << x << " " << y << " " << dir;
        EXPECT_TRUE(model == before) << x << " " << y << " " << dir;
    }
    controls.TxtX = "100";
    controls.TxtY = "50";
    controls.TxtEditDir = "0";
    KeyDown(context, kSpaceKey, controls);
    EXPECT_EQ(model.DirLayer[At(100, 50)], 0) << "the last column and row are reachable";
}

TEST_F(EditingTest, SpaceReachesColumnsPast255) {
    model = UniformMap(300, 100);
    Canvas wide{kCanvasWidth, kCanvasHeight};
    EditContext large{model, wide, random};
    controls.TxtX = "300";
    controls.TxtY = "100";
    controls.TxtEditDir = "3";
    KeyDown(large, kSpaceKey, controls);
    EXPECT_EQ(model.DirLayer[At(300, 100)], 3);
    const CellGeometry geometry = CellSize(model, wide.Width(), wide.Height());
    const PixelRect mark = DirMark(CellRect(model, geometry, 300, 100), model.Zoom);
    EXPECT_EQ(wide.PixelAt(mark.left, mark.top), ToPixel(DirColour(3)));

    // A map too wide for its cells stores the value and draws nothing.
    model = UniformMap(1000, 2);
    (void)wide.TakeDirty();
    KeyDown(large, kSpaceKey, controls);
    controls.TxtY = "2";
    KeyDown(large, kSpaceKey, controls);
    EXPECT_EQ(model.DirLayer[At(300, 2)], 3);
    EXPECT_TRUE(wide.TakeDirty().IsEmpty());
}

// What a screen reader says of a tile and of the view, in every mode.
TEST_F(EditingTest, TilesAndViewsInWords) {
    const std::size_t i = At(5, 7);
    model.TypeLayer[i] = 11;
    model.LightLayer[i] = 12;
    model.HeightLayer[i] = 120;
    model.DirLayer[i] = 2;
    model.ObjectLayer[i] = 14;
    model.UsageLayer[i] = 15;
    const std::pair<ViewModeValue, const char*> rows[] = {
        {ViewModeValue::None, "column 5, row 7, direction 2"},
        {ViewModeValue::DrawType, "column 5, row 7, type 11, direction 2"},
        {ViewModeValue::DrawHeight, "column 5, row 7, height 120, direction 2"},
        {ViewModeValue::DrawObjects, "column 5, row 7, object 14, direction 2"},
        {ViewModeValue::DrawUsage, "column 5, row 7, usage 15, direction 2"},
        {ViewModeValue::DrawDir, "column 5, row 7, direction 2"},
        {ViewModeValue::EditView, "column 5, row 7, type 11, direction 2"},
        {ViewModeValue::DrawLight, "column 5, row 7, light 12, direction 2"},
    };
    for (const auto& [mode, words] : rows) {
        model.ViewMode = mode;
        EXPECT_EQ(DescribeTile(model, 5, 7), words);
        EXPECT_FALSE(DescribeView(mode).empty()) << words;
    }
    EXPECT_EQ(DescribeView(ViewModeValue::DrawHeight), "Draw Height: height");
    EXPECT_EQ(DescribeView(static_cast<ViewModeValue>(8)), "");
    EXPECT_EQ(DescribeView(static_cast<ViewModeValue>(-1)), "");
}

}  // namespace
}  // namespace quarl
