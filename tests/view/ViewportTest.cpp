// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "view/Viewport.h"

namespace quarl {
namespace {

Types MapOf(std::int16_t width, std::int16_t height) {
    Types model;
    StartUp(model);
    model.MapWidth = width;
    model.MapHeight = height;
    model.TileCount = width * height;
    return model;
}

TEST(CellSizeTest, FloorsTheUsableAreaAndMultipliesByZoom) {
    Types model = MapOf(64, 50);
    // 1000 wide: 990 usable pixels for 64 columns.
    EXPECT_EQ(CellSize(model, 1000, 310).CellWidth, 15);
    EXPECT_EQ(CellSize(model, 1000, 310).CellHeight, 6);
    model.Zoom = 16;
    EXPECT_EQ(CellSize(model, 1000, 310).CellWidth, 240);
    EXPECT_EQ(CellSize(model, 1000, 310).CellHeight, 96);

    // The window's own area: 994 x 587 usable.
    const Types largest = MapOf(217, 151);
    EXPECT_EQ(CellSize(largest, kCanvasWidth, kCanvasHeight).CellWidth, 4);
    EXPECT_EQ(CellSize(largest, kCanvasWidth, kCanvasHeight).CellHeight, 3);
}

TEST(CellSizeTest, NoMapOrTooLargeAMapHasNoCells) {
    EXPECT_FALSE(CellSize(MapOf(0, 0), kCanvasWidth, kCanvasHeight).IsDrawable());
    EXPECT_FALSE(CellSize(MapOf(5, 0), kCanvasWidth, kCanvasHeight).IsDrawable());
    const auto wide = CellSize(MapOf(995, 10), kCanvasWidth, kCanvasHeight);
    EXPECT_EQ(wide.CellWidth, 0);
    EXPECT_EQ(wide.CellHeight, 58);
    EXPECT_FALSE(wide.IsDrawable());
    EXPECT_TRUE(CellSize(MapOf(994, 10), kCanvasWidth, kCanvasHeight).IsDrawable());
}

TEST(TileAtTest, FloorsPixelsIntoTilesAndInvertsCellRect) {
    Types model = MapOf(100, 50);
    const auto geometry = CellSize(model, 410, 310);
    ASSERT_EQ(geometry.CellWidth, 4);
    ASSERT_EQ(geometry.CellHeight, 6);
    EXPECT_EQ(TileAt(model, geometry, 0, 0), (TilePos{1, 1}));
    EXPECT_EQ(TileAt(model, geometry, 3, 5), (TilePos{1, 1}));
    EXPECT_EQ(TileAt(model, geometry, 4, 6), (TilePos{2, 2}));
    EXPECT_EQ(TileAt(model, geometry, -1, -1), (TilePos{0, 0}));
    EXPECT_EQ(TileAt(model, geometry, -4, -7), (TilePos{0, -1}));
    EXPECT_EQ(TileAt(model, geometry, 399, 299), (TilePos{100, 50}));
    EXPECT_EQ(TileAt(model, geometry, 400, 300), (TilePos{101, 51}));

    model.Zoom = 2;
    model.ScrollX = 21;
    const auto zoomed = CellSize(model, 410, 310);
    EXPECT_EQ(TileAt(model, zoomed, 7, 0).col, 21);
    EXPECT_EQ(TileAt(model, zoomed, 8, 0).col, 22);
    EXPECT_EQ(TileAt(model, zoomed, -1, 0).col, 20);

    EXPECT_EQ(CellRect(model, zoomed, 21, 1), (PixelRect{0, 0, 8, 12}));
    EXPECT_EQ(CellRect(model, zoomed, 20, 1), (PixelRect{-8, 0, 8, 12}));
    for (int x = -20; x < 60; ++x) {
        const auto col = TileAt(model, zoomed, x, 0).col;
        const auto cell = CellRect(model, zoomed, col, 1);
        EXPECT_TRUE(x >= cell.left && x < cell.left + cell.width) << x;
    }
}

TEST(TileAtTest, WithoutCellsEveryPositionIsOffTheMap) {
    const Types model = MapOf(995, 10);
    const auto geometry = CellSize(model, kCanvasWidth, kCanvasHeight);
    const auto tile = TileAt(model, geometry, 5, 5);
    EXPECT_FALSE(model.OnMap(tile.col, tile.row));
    const Types none = MapOf(5, 0);
    const auto empty = TileAt(none, CellSize(none, kCanvasWidth, kCanvasHeight), 0, 0);
    EXPECT_FALSE(none.OnMap(empty.col, empty.row));
}

TEST(ScrollTest, StepsOfTwentyWithinTheMap) {
    Types model = MapOf(64, 30);
    EXPECT_FALSE(ScrollLeft(model));
    EXPECT_FALSE(ScrollUp(model));
    std::vector<int> seen;
    for (int press = 0; press < 4; ++press) {
        const bool moved = ScrollRight(model);
        EXPECT_EQ(moved, press < 3);
        seen.push_back(model.ScrollX);
    }
    EXPECT_EQ(seen, (std::vector<int>{21, 41, 61, 61}));
    EXPECT_TRUE(ScrollDown(model));
    EXPECT_EQ(model.ScrollY, 21);
    EXPECT_FALSE(ScrollDown(model)) << "21 is not below 30 - 20";

    // A smaller map loaded later: scrolling back still works.
    model.MapWidth = 40;
    EXPECT_FALSE(ScrollRight(model));
    EXPECT_TRUE(ScrollLeft(model));
    EXPECT_TRUE(ScrollLeft(model));
    EXPECT_TRUE(ScrollLeft(model));
    EXPECT_EQ(model.ScrollX, 1);
    EXPECT_FALSE(ScrollLeft(model));

    Types narrow = MapOf(21, 21);
    EXPECT_FALSE(ScrollRight(narrow));
    EXPECT_FALSE(ScrollDown(narrow));
    Types none = MapOf(0, 0);
    EXPECT_FALSE(ScrollRight(none));
    EXPECT_FALSE(ScrollDown(none));
}

TEST(ZoomTest, DoublesUpToSixteenAndHalvesDownToOne) {
    Types model = MapOf(0, 0);
    EXPECT_FALSE(ZoomOut(model));
    std::vector<int> seen;
    while (ZoomIn(model)) seen.push_back(model.Zoom);
    EXPECT_EQ(seen, (std::vector<int>{2, 4, 8, 16}));
    EXPECT_EQ(model.Zoom, 16);
    EXPECT_TRUE(ZoomOut(model));
    EXPECT_EQ(model.Zoom, 8);
    EXPECT_EQ(model.ScrollX, 1) << "zooming keeps the scroll origin";
}

// The tiles whose cells start on the canvas: the whole map at the start, what is left of it
// when scrolled or zoomed, nothing without cells.
TEST(VisibleTilesTest, TheTilesWhoseCellsStartOnTheCanvas) {
    struct Row {
        std::int16_t width, height, zoom, scrollX, scrollY;
        int cols, rows;
    };
    const Row rows[] = {
        {30, 12, 1, 1, 1, 30, 12},   // cells of 33 x 48: all of it
        {30, 12, 2, 1, 1, 16, 7},    // 66 x 96: 1004 / 66 and 597 / 96, rounded up
        {30, 12, 1, 21, 1, 10, 12},  // scrolled right: columns 21 to 30
        {217, 151, 16, 201, 141, 16, 11},
        {995, 10, 1, 1, 1, 0, 0},  // too wide to draw
        {10, 700, 1, 1, 1, 0, 0},  // too high to draw: no column either
        {0, 0, 1, 1, 1, 0, 0},
    };
    for (const Row& row : rows) {
        Types model = MapOf(row.width, row.height);
        model.Zoom = row.zoom;
        model.ScrollX = row.scrollX;
        model.ScrollY = row.scrollY;
        const TileSpan span = VisibleTiles(model, kCanvasWidth, kCanvasHeight);
        EXPECT_EQ(span.cols, row.cols) << row.width << " wide at zoom " << row.zoom;
        EXPECT_EQ(span.rows, row.rows) << row.height << " high at zoom " << row.zoom;
        EXPECT_EQ(span.firstCol, row.scrollX);
    }
}

}  // namespace
}  // namespace quarl
