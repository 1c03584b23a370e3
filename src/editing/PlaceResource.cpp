// SPDX-License-Identifier: MIT
#include "editing/PlaceResource.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "view/Colours.h"
#include "view/Viewport.h"

namespace quarl {

namespace {

struct Slot {
    int dx;
    int dy;
};

// Edge slots 0 to 3 (below, left, above, right), then corner slots 4 to 7 (below left,
// above left, above right, below right). A slot's number is also the code it receives
// (less 4 for the corners).
constexpr std::array<Slot, 8> kSlots = {
    {{0, 1}, {-1, 0}, {0, -1}, {1, 0}, {-1, 1}, {-1, -1}, {1, -1}, {1, 1}}};

// An edge of another deposit in edge slot k whose deposit lies on a perpendicular side
// becomes the inner corner between the two sides: old direction -> new code, or -1.
constexpr int kInnerCornerCode[4][4] = {
    {-1, 0, -1, 3},  // slot 0: 1 -> 0, 3 -> 3
    {0, -1, 1, -1},  // slot 1: 0 -> 0, 2 -> 1
    {-1, 1, -1, 2},  // slot 2: 1 -> 1, 3 -> 2
    {3, -1, 2, -1},  // slot 3: 0 -> 3, 2 -> 2
};

// Whether corner code d touches side e: corner c lies between sides c and c + 1.
bool CornerTouchesSide(int d, int e) {
    return d == e || d == (e + 3) % 4;
}

// Brings an exact sum to the nearest whole number, halves to the even one.
std::uint8_t RoundToByte(double value) {
    return static_cast<std::uint8_t>(std::nearbyint(value));
}

class Deposit {
  public:
    Deposit(Types& model, RandomSource& random, const EditTile& tiles)
        : m_(model), random_(random), tiles_(tiles) {}

    void Place(int x, int y) {
        const std::size_t centre = Index(x, y);
        for (int k = 0; k < 8; ++k) {
            const int col = x + kSlots[k].dx;
            const int row = y + kSlots[k].dy;
            onMap_[k] = m_.OnMap(col, row);
            if (onMap_[k]) {
                index_[k] = Index(col, row);
                type_[k] = m_.TypeLayer[index_[k]];
            }
        }
        Centre(centre);
        for (int k = 0; k < 4; ++k) {
            if (onMap_[k]) EdgeSlot(k);
        }
        for (int k = 4; k < 8; ++k) {
            if (onMap_[k]) CornerSlot(k);
        }
        m_.TypeLayer[centre] = tiles_.CenterType;
        for (int k = 0; k < 8; ++k) {
            if (onMap_[k]) m_.TypeLayer[index_[k]] = type_[k];
        }
    }

    [[nodiscard]] bool OnMap(int k) const { return onMap_[k]; }

  private:
    [[nodiscard]] std::size_t Index(int col, int row) const {
        return static_cast<std::size_t>(m_.TileIndex(col, row));
    }

    [[nodiscard]] double R() { return static_cast<double>(random_.Next()); }

    void Centre(std::size_t c) {
        if (m_.HeightLayer[c] < 120) m_.HeightLayer[c] = RoundToByte(m_.HeightLayer[c] + 15 * R());
        const int n = RoundToByte(10 * R());  // drawn whatever the light is
        if (m_.LightLayer[c] < 25 && m_.LightLayer[c] - n > 0) {
            m_.LightLayer[c] = static_cast<std::uint8_t>(m_.LightLayer[c] - n);
        }
        m_.UsageLayer[c] = kUsageClaimed;
    }

    void EdgeSlot(int k) {
        const std::size_t i = index_[k];
        const int d = m_.DirLayer[i];
        const auto e = static_cast<std::uint8_t>(k);
        if (type_[k] == tiles_.EdgeType) {
            const int code = d < 4 ? kInnerCornerCode[k][d] : -1;
            if (code >= 0) {
                m_.DirLayer[i] = static_cast<std::uint8_t>(code);
                type_[k] = tiles_.InnerCornerType;
            }
        } else if (type_[k] == tiles_.OuterCornerType) {
            m_.DirLayer[i] = e;
            if (CornerTouchesSide(d, e)) type_[k] = tiles_.EdgeType;
        } else if (type_[k] == tiles_.CenterType) {
            m_.UsageLayer[i] = kUsageClaimed;
        } else {
            m_.UsageLayer[i] = kUsageRim;
            type_[k] = tiles_.EdgeType;
            m_.DirLayer[i] = e;
        }
        Raise(i, 80, 10);
    }

    void CornerSlot(int k) {
        const std::size_t i = index_[k];
        const std::uint8_t t = type_[k];
        if (t != tiles_.EdgeType && t != tiles_.OuterCornerType && t != tiles_.InnerCornerType &&
            t != tiles_.CenterType) {
            m_.UsageLayer[i] = kUsageRim;
            type_[k] = tiles_.OuterCornerType;
            m_.DirLayer[i] = static_cast<std::uint8_t>(k - 4);
        }
        Raise(i, 70, 5);
    }

    // Raises a rim tile's height below the threshold, then its light below 25.
    void Raise(std::size_t i, int heightBelow, int heightFactor) {
        if (m_.HeightLayer[i] < heightBelow) {
            m_.HeightLayer[i] = RoundToByte(m_.HeightLayer[i] + heightFactor * R());
        }
        if (m_.LightLayer[i] < 25) m_.LightLayer[i] = RoundToByte(m_.LightLayer[i] + 2 * R());
    }

    Types& m_;
    RandomSource& random_;
    const EditTile& tiles_;
    std::array<bool, 8> onMap_{};
    std::array<std::size_t, 8> index_{};
    std::array<std::uint8_t, 8> type_{};  // the working types, written back at the end
};

void FillTypeCell(Canvas& canvas, const Types& model, CellGeometry geometry, int col, int row) {
    const std::uint8_t type = model.TypeLayer[static_cast<std::size_t>(model.TileIndex(col, row))];
    FillCell(canvas, CellRect(model, geometry, col, row),
             *CellColour(ViewModeValue::EditView, type));
}

}  // namespace

void PlaceResource(Types& model, Canvas& canvas, RandomSource& random, std::int16_t x,
                   std::int16_t y, const EditTile& tiles) {
    if (model.MapWidth <= 0 || !model.OnMap(x, y)) return;
    Deposit deposit(model, random, tiles);
    deposit.Place(x, y);

    // A deposit in the last column or row is shown at the next full repaint only.
    if (x > model.MapWidth - 1 || y > model.MapHeight - 1) return;
    const CellGeometry geometry = CellSize(model, canvas.Width(), canvas.Height());
    if (!geometry.IsDrawable()) return;
    FillTypeCell(canvas, model, geometry, x, y);
    for (int k = 0; k < 8; ++k) {
        if (deposit.OnMap(k))
            FillTypeCell(canvas, model, geometry, x + kSlots[k].dx, y + kSlots[k].dy);
    }
}

}  // namespace quarl
