// SPDX-License-Identifier: MIT
// Ore deposits: a centre tile and a rim of edges and corners that merges with its neighbours.
#pragma once

#include <cstdint>

#include "document/Types.h"
#include "editing/Random.h"
#include "view/Canvas.h"

namespace quarl {

// Direction codes written into the rim: the side on which the deposit lies.
inline constexpr std::uint8_t kUsageClaimed = 0;
inline constexpr std::uint8_t kUsageRim = 241;

// Makes the tile at column x, row y (on the map) the centre of a deposit of tiles, rewrites
// its 3 x 3 block and repaints it. Neighbours off the map are left out entirely.
void PlaceResource(Types& model, Canvas& canvas, RandomSource& random, std::int16_t x,
                   std::int16_t y, const EditTile& tiles);

}  // namespace quarl
