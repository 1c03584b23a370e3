// SPDX-License-Identifier: MIT
// The map cells whose words changed, gathered over one pass of the event loop, to be told to a
// screen reader's cache once each; past a bound, the whole table is to be read afresh instead,
// as a name change each would cost the reader more.
#pragma once

#include <cstddef>
#include <vector>

#include "view/Viewport.h"

namespace quarl::ui {

class ChangedCells {
  public:
    static constexpr std::size_t kBound = 512;

    // The tiles of TILES that are on show, SHOWN being the tiles on show.
    void Add(const TileSpan& tiles, const TileSpan& shown);
    void AddAll();

    struct Told {
        bool all = false;        // the whole table, read afresh
        std::vector<int> cells;  // else these cells, by their index among the cells on show
    };
    // What is to be told, each cell once and in order; nothing is left to tell after it.
    [[nodiscard]] Told Take();
    [[nodiscard]] bool IsEmpty() const { return !all_ && cells_.empty(); }

  private:
    void Distinct();

    std::vector<int> cells_;
    bool all_ = false;
};

}  // namespace quarl::ui
