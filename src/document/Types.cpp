// SPDX-License-Identifier: MIT
#include "document/Types.h"

#include <cstddef>

namespace quarl {

namespace {

template <typename Model>
auto* LayerOfMode(Model& model, int viewMode) {
    switch (viewMode) {
        case DrawType:
        case EditView:
            return &model.TypeLayer;
        case DrawHeight:
            return &model.HeightLayer;
        case DrawObjects:
            return &model.ObjectLayer;
        case DrawUsage:
            return &model.UsageLayer;
        case DrawDir:
            return &model.DirLayer;
        case DrawLight:
            return &model.LightLayer;
        default:
            return static_cast<decltype(&model.TypeLayer)>(nullptr);
    }
}

}  // namespace

TileLayer* Types::LayerOf(int viewMode) {
    return LayerOfMode(*this, viewMode);
}

const TileLayer* Types::LayerOf(int viewMode) const {
    return LayerOfMode(*this, viewMode);
}

void StartUp(Types& model) {
    model.Zoom = 1;
    model.ScrollX = 1;
    model.ScrollY = 1;
    for (std::size_t i = 0; i < kOres.size(); ++i) model.EditTileTable[i] = kOres[i].Tiles;
}

}  // namespace quarl
