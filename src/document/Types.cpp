// SPDX-License-Identifier: MIT
#include "document/Types.h"

#include <algorithm>
#include <cstddef>

namespace quarl {

const LayerInfo* LayerRowOf(ViewModeValue viewMode) {
    if (viewMode == ViewModeValue::EditView) viewMode = ViewModeValue::DrawType;
    const auto* row =
        std::find_if(kLayers.begin(), kLayers.end(),
                     [viewMode](const LayerInfo& layer) { return layer.Mode == viewMode; });
    return row == kLayers.end() ? nullptr : row;
}

TileLayer* Types::LayerOf(ViewModeValue viewMode) {
    const LayerInfo* row = LayerRowOf(viewMode);
    return row == nullptr ? nullptr : &(this->*row->Field);
}

const TileLayer* Types::LayerOf(ViewModeValue viewMode) const {
    const LayerInfo* row = LayerRowOf(viewMode);
    return row == nullptr ? nullptr : &(this->*row->Field);
}

void StartUp(Types& model) {
    model.Zoom = 1;
    model.ScrollX = 1;
    model.ScrollY = 1;
    for (std::size_t i = 0; i < kOres.size(); ++i) model.EditTileTable[i] = kOres[i].Tiles;
}

}  // namespace quarl
