// SPDX-License-Identifier: MIT
#include "document/Types.h"

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
    model.EditTileTable[0] = EditTile{147, 172, 180, 176};  // GOLD
    model.EditTileTable[1] = EditTile{151, 168, 188, 184};  // IRON
}

}  // namespace quarl
