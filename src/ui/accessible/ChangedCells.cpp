// SPDX-License-Identifier: MIT
#include "ui/accessible/ChangedCells.h"

#include <algorithm>
#include <utility>

namespace quarl::ui {

void ChangedCells::Add(const TileSpan& tiles, const TileSpan& shown) {
    if (all_) return;
    const int left = std::max<int>(tiles.firstCol, shown.firstCol);
    const int right = std::min(tiles.firstCol + tiles.cols, shown.firstCol + shown.cols);
    const int top = std::max<int>(tiles.firstRow, shown.firstRow);
    const int bottom = std::min(tiles.firstRow + tiles.rows, shown.firstRow + shown.rows);
    if (left >= right || top >= bottom) return;
    if (static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bottom - top) > kBound) {
        AddAll();
        return;
    }
    for (int row = top; row < bottom; ++row) {
        for (int col = left; col < right; ++col) {
            cells_.push_back((row - shown.firstRow) * shown.cols + col - shown.firstCol);
        }
    }
    // A drag writes much the same cells again and again: only the distinct ones count.
    if (cells_.size() > kBound) {
        Distinct();
        if (cells_.size() > kBound) AddAll();
    }
}

void ChangedCells::AddAll() {
    all_ = true;
    cells_.clear();
}

ChangedCells::Told ChangedCells::Take() {
    Distinct();
    Told told{all_, std::move(cells_)};
    cells_.clear();
    all_ = false;
    return told;
}

void ChangedCells::Distinct() {
    std::sort(cells_.begin(), cells_.end());
    cells_.erase(std::unique(cells_.begin(), cells_.end()), cells_.end());
}

}  // namespace quarl::ui
