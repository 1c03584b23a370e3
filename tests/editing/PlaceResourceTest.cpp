// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "editing/PlaceResource.h"
#include "support/Maps.h"
#include "view/Colours.h"
#include "view/Viewport.h"

namespace quarl {
namespace {

using testing::ScriptedRandom;
using testing::UniformMap;

constexpr std::uint8_t kCentre = 147, kEdge = 172, kOuter = 180, kInner = 176;

class PlaceResourceTest : public ::testing::Test {
  protected:
    // Foreign terrain of type 5, heights and light above every threshold.
    Types model = UniformMap(10, 10, 5);
    Canvas canvas{kCanvasWidth, kCanvasHeight};
    ScriptedRandom random;

    void Place(int x, int y, int entry = 0) {
        PlaceResource(model, canvas, random, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), model.EditTileTable[entry]);
    }
    std::size_t At(int x, int y) const { return static_cast<std::size_t>(model.TileIndex(x, y)); }
    int Type(int x, int y) const { return model.TypeLayer[At(x, y)]; }
    int Dir(int x, int y) const { return model.DirLayer[At(x, y)]; }
    int Usage(int x, int y) const { return model.UsageLayer[At(x, y)]; }

    void ExpectTile(int x, int y, int type, int dir, int usage) const {
        EXPECT_EQ(Type(x, y), type) << "type at " << x << "," << y;
        EXPECT_EQ(Dir(x, y), dir) << "direction at " << x << "," << y;
        EXPECT_EQ(Usage(x, y), usage) << "usage at " << x << "," << y;
    }
};

TEST_F(PlaceResourceTest, LoneDepositGetsEdgesAndOuterCorners) {
    const Types before = model;
    Place(5, 5);
    ExpectTile(5, 5, kCentre, 30, 0);
    ExpectTile(5, 6, kEdge, 0, 241);
    ExpectTile(4, 5, kEdge, 1, 241);
    ExpectTile(5, 4, kEdge, 2, 241);
    ExpectTile(6, 5, kEdge, 3, 241);
    ExpectTile(4, 6, kOuter, 0, 241);
    ExpectTile(4, 4, kOuter, 1, 241);
    ExpectTile(6, 4, kOuter, 2, 241);
    ExpectTile(6, 6, kOuter, 3, 241);
    EXPECT_EQ(model.ObjectLayer, before.ObjectLayer);
    EXPECT_EQ(random.draws, 1) << "only the light draw of the centre";
    for (int y = 1; y <= 10; ++y) {
        for (int x = 1; x <= 10; ++x) {
            if (std::abs(x - 5) <= 1 && std::abs(y - 5) <= 1) continue;
            EXPECT_EQ(Type(x, y), 5);
            EXPECT_EQ(Dir(x, y), 30);
        }
    }
}

TEST_F(PlaceResourceTest, DepositOnAnEdgeExtendsTheDeposit) {
    Place(5, 5);
    Place(6, 5);
    ExpectTile(6, 5, kCentre, 3, 0);
    ExpectTile(6, 4, kEdge, 2, 241);
    ExpectTile(6, 6, kEdge, 0, 241);
    ExpectTile(7, 5, kEdge, 3, 241);
    ExpectTile(7, 4, kOuter, 2, 241);
    ExpectTile(7, 6, kOuter, 3, 241);
    ExpectTile(5, 5, kCentre, 30, 0);
    ExpectTile(5, 4, kEdge, 2, 241);
    ExpectTile(5, 6, kEdge, 0, 241);
    ExpectTile(4, 5, kEdge, 1, 241);
    ExpectTile(4, 4, kOuter, 1, 241);
}

TEST_F(PlaceResourceTest, DepositOnAnOuterCornerMakesInnerCorners) {
    Place(5, 5);
    Place(6, 6);
    ExpectTile(6, 5, kInner, 2, 241);
    ExpectTile(5, 6, kInner, 0, 241);
    ExpectTile(5, 5, kCentre, 30, 0);
    ExpectTile(6, 6, kCentre, 3, 0);
    ExpectTile(6, 7, kEdge, 0, 241);
    ExpectTile(7, 6, kEdge, 3, 241);
    ExpectTile(7, 7, kOuter, 3, 241);
    ExpectTile(5, 7, kOuter, 0, 241);
    ExpectTile(7, 5, kOuter, 2, 241);

    // A click on the first centre turns the inner corners in its edge slots back into edges.
    Place(5, 5);
    ExpectTile(6, 5, kEdge, 3, 241);
    ExpectTile(5, 6, kEdge, 0, 241);
}

TEST_F(PlaceResourceTest, SecondClickOnACentreChangesOnlyHeightAndLight) {
    model = UniformMap(10, 10, 5, 10, 50);
    Place(5, 5);
    const Types once = model;
    Place(5, 5);
    EXPECT_EQ(model.TypeLayer, once.TypeLayer);
    EXPECT_EQ(model.DirLayer, once.DirLayer);
    EXPECT_EQ(model.UsageLayer, once.UsageLayer);
}

TEST_F(PlaceResourceTest, IronTreatsGoldAsForeignTerrain) {
    Place(5, 5);     // gold edge at (6, 5), code 3
    Place(7, 5, 1);  // iron: (6, 5) is its left edge slot
    ExpectTile(7, 5, 151, 30, 0);
    ExpectTile(6, 5, 168, 1, 241);
}

TEST_F(PlaceResourceTest, HeightsRiseBelowTheirThresholds) {
    random = ScriptedRandom({}, 0.999f);
    model = UniformMap(10, 10, 5, 30, 119);
    model.HeightLayer[At(5, 6)] = 79;  // edge slot 0
    model.HeightLayer[At(4, 6)] = 69;  // corner slot 4
    model.HeightLayer[At(4, 5)] = 80;  // edge slot 1
    model.HeightLayer[At(4, 4)] = 70;  // corner slot 5
    Place(5, 5);
    EXPECT_EQ(model.HeightLayer[At(5, 5)], 134);
    EXPECT_EQ(model.HeightLayer[At(5, 6)], 89);
    EXPECT_EQ(model.HeightLayer[At(4, 6)], 74);
    EXPECT_EQ(model.HeightLayer[At(4, 5)], 80);
    EXPECT_EQ(model.HeightLayer[At(4, 4)], 70);

    model = UniformMap(10, 10, 5, 30, 120);
    Place(5, 5);
    EXPECT_EQ(model.HeightLayer[At(5, 5)], 120);
}

TEST_F(PlaceResourceTest, ExactSumsRoundHalvesToEven) {
    random = ScriptedRandom({}, 0.25f);
    model = UniformMap(10, 10, 5, 30, 200);
    model.HeightLayer[At(5, 6)] = 40;  // 42.5 -> 42
    model.HeightLayer[At(4, 5)] = 41;  // 43.5 -> 44
    Place(5, 5);
    EXPECT_EQ(model.HeightLayer[At(5, 6)], 42);
    EXPECT_EQ(model.HeightLayer[At(4, 5)], 44);
}

TEST_F(PlaceResourceTest, LightOfTheCentreAndTheRim) {
    // Centre at 24, n = B(9.99) = 10: 14.
    model = UniformMap(10, 10, 5, 24);
    random = ScriptedRandom({0.999f}, 0.999f);
    Place(5, 5);
    EXPECT_EQ(model.LightLayer[At(5, 5)], 14);
    EXPECT_EQ(model.LightLayer[At(5, 6)], 26) << "24 + 2 x 0.999";

    // At 5 with n = 5 the result would not exceed 0: it stays.
    model = UniformMap(10, 10, 5, 5);
    random = ScriptedRandom({0.5f});
    Place(5, 5);
    EXPECT_EQ(model.LightLayer[At(5, 5)], 5);

    // At 25 it stays, and n is drawn all the same.
    model = UniformMap(10, 10, 5, 25);
    random = ScriptedRandom({0.999f});
    Place(5, 5);
    EXPECT_EQ(model.LightLayer[At(5, 5)], 25);
    EXPECT_EQ(model.LightLayer[At(5, 6)], 25);
    EXPECT_EQ(random.draws, 1);
}

TEST_F(PlaceResourceTest, DrawsComeInSlotOrder) {
    // Heights low everywhere, light high: centre height, centre light, then one height draw
    // per slot; slot 0 gets the third value, slot 7 the last.
    model = UniformMap(10, 10, 5, 30, 0);
    random = ScriptedRandom({0, 0, 0.5f, 0, 0, 0, 0, 0, 0, 0.99f});
    Place(5, 5);
    EXPECT_EQ(random.draws, 10);
    EXPECT_EQ(model.HeightLayer[At(5, 6)], 5);  // slot 0: 10 x 0.5
    EXPECT_EQ(model.HeightLayer[At(6, 6)], 5);  // slot 7: B(5 x 0.99) = 5
    EXPECT_EQ(model.HeightLayer[At(4, 5)], 0);
}

TEST_F(PlaceResourceTest, BordersAndCornersChangeNothingOutsideTheBlock) {
    for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {3, 3}, {5, 4}, {1, 6}, {7, 1}}) {
        for (int y = 1; y <= h; ++y) {
            for (int x = 1; x <= w; ++x) {
                model = UniformMap(static_cast<std::int16_t>(w), static_cast<std::int16_t>(h), 5,
                                   10, 10);
                const Types before = model;
                random = ScriptedRandom({}, 0.5f);
                Place(x, y);
                int onMap = 0;
                for (int ty = 1; ty <= h; ++ty) {
                    for (int tx = 1; tx <= w; ++tx) {
                        const bool inBlock = std::abs(tx - x) <= 1 && std::abs(ty - y) <= 1;
                        onMap += inBlock ? 1 : 0;
                        if (inBlock) continue;
                        const auto i = At(tx, ty);
                        ASSERT_EQ(model.TypeLayer[i], before.TypeLayer[i]) << w << "x" << h;
                        ASSERT_EQ(model.HeightLayer[i], before.HeightLayer[i]);
                        ASSERT_EQ(model.LightLayer[i], before.LightLayer[i]);
                        ASSERT_EQ(model.DirLayer[i], before.DirLayer[i]);
                        ASSERT_EQ(model.UsageLayer[i], before.UsageLayer[i]);
                    }
                }
                EXPECT_EQ(Type(x, y), kCentre);
                EXPECT_EQ(model.TypeLayer.back(), before.TypeLayer.back()) << "spare entry";
                // Two draws for the centre and two for each neighbour on the map.
                EXPECT_EQ(random.draws, 2 * onMap) << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(PlaceResourceTest, RepaintsTheBlockWithoutMarksExceptInTheLastColumnOrRow) {
    (void)canvas.TakeDirty();
    Place(10, 5);
    EXPECT_TRUE(canvas.TakeDirty().IsEmpty()) << "last column: no repaint";
    Place(5, 10);
    EXPECT_TRUE(canvas.TakeDirty().IsEmpty()) << "last row: no repaint";

    Place(1, 1);
    const CellGeometry geometry = CellSize(model, canvas.Width(), canvas.Height());
    const PixelRect centre = CellRect(model, geometry, 1, 1);
    EXPECT_EQ(canvas.TakeDirty(),
              (PixelRect{0, 0, 2 * geometry.CellWidth, 2 * geometry.CellHeight}));
    const PixelRect mark = DirMark(centre, model.Zoom);
    EXPECT_EQ(canvas.PixelAt(mark.left, mark.top), ToPixel(kCentre * 100u)) << "no mark drawn";
    const PixelRect right = CellRect(model, geometry, 2, 1);
    EXPECT_EQ(canvas.PixelAt(right.left, right.top), ToPixel(kEdge * 100u));
}

// The rim rules, written out as data: what a neighbour of each kind becomes in each slot.
namespace rules {

// Positions of the edge slots (below, left, above, right) and corner slots (below left,
// above left, above right, below right) around the clicked tile (5, 5).
constexpr int kSlotX[8] = {5, 4, 5, 6, 4, 4, 6, 6};
constexpr int kSlotY[8] = {6, 5, 4, 5, 6, 4, 4, 6};

// An edge in edge slot k whose deposit lies on a perpendicular side: old code -> new code.
struct Turn {
    int from;
    int to;
};
constexpr Turn kEdgeToInner[4][2] = {
    {{1, 0}, {3, 3}}, {{0, 0}, {2, 1}}, {{1, 1}, {3, 2}}, {{2, 2}, {0, 3}}};
// The corner codes that touch the side of edge slot k.
constexpr int kTouching[4][2] = {{0, 3}, {0, 1}, {1, 2}, {2, 3}};

constexpr std::uint8_t kForeign = 5;
constexpr int kUntouched = 9;

struct Tile {
    int type;
    int dir;
    int usage;
};

Tile EdgeSlot(int k, int oldType, int d) {
    switch (oldType) {
        case kEdge:
            for (const Turn& turn : kEdgeToInner[k]) {
                if (turn.from == d) return {kInner, turn.to, kUntouched};
            }
            return {kEdge, d, kUntouched};
        case kOuter: {
            const bool touches = kTouching[k][0] == d || kTouching[k][1] == d;
            return {touches ? kEdge : kOuter, k, kUntouched};
        }
        case kCentre:
            return {kCentre, d, 0};
        default:  // foreign terrain and inner corners
            return {kEdge, k, 241};
    }
}

Tile CornerSlot(int k, int oldType, int d) {
    if (oldType == kEdge || oldType == kOuter || oldType == kInner || oldType == kCentre) {
        return {oldType, d, kUntouched};
    }
    return {kOuter, k - 4, 241};
}

}  // namespace rules

TEST(PlaceResourceRulesTest, EverySlotEveryOldTypeEveryOldDirection) {
    for (int k = 0; k < 8; ++k) {
        for (const std::uint8_t oldType : {kCentre, kEdge, kOuter, kInner, rules::kForeign}) {
            for (int d = 0; d <= 4; ++d) {
                Types model = UniformMap(10, 10, rules::kForeign, 30, 200, 30, 9, 9);
                const auto at =
                    static_cast<std::size_t>(model.TileIndex(rules::kSlotX[k], rules::kSlotY[k]));
                model.TypeLayer[at] = static_cast<std::uint8_t>(oldType);
                model.DirLayer[at] = static_cast<std::uint8_t>(d);
                Canvas canvas(kCanvasWidth, kCanvasHeight);
                ScriptedRandom random;
                PlaceResource(model, canvas, random, 5, 5, model.EditTileTable[0]);
                const rules::Tile want =
                    k < 4 ? rules::EdgeSlot(k, oldType, d) : rules::CornerSlot(k, oldType, d);
                EXPECT_EQ(model.TypeLayer[at], want.type)
                    << "slot " << k << " old type " << oldType << " old direction " << d;
                EXPECT_EQ(model.DirLayer[at], want.dir)
                    << "slot " << k << " old type " << oldType << " old direction " << d;
                EXPECT_EQ(model.UsageLayer[at], want.usage)
                    << "slot " << k << " old type " << oldType << " old direction " << d;
            }
        }
    }
}

}  // namespace
}  // namespace quarl
