// SPDX-License-Identifier: MIT
#include "document/MapFile.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "document/MapDisk.h"

namespace quarl {

using Outcome = SaveResult::Outcome;

FileCommandResult LoadMap(Types& model, const std::string& path, const std::string& title,
                          FileIo& io) {
    if (path.empty()) return {};  // the dialog was cancelled

    // A file a stopped save left beside its map is never taken for a map itself.
    auto map = IsBesideName(path) ? std::nullopt : ReadMapFile(io, path);
    if (!map) return {std::nullopt, kLoadError, ModeButtons::Disable};

    model.FileName = path;
    model.FileTitle = title;
    model.FileSize = map->fileSize;
    model.MapWidth = map->width;
    model.MapHeight = map->height;
    model.TileCount = map->tileCount;
    for (std::size_t l = 0; l < kLayers.size(); ++l) {
        model.*kLayers[l].Field = std::move(map->layers[l]);
    }

    std::string status = "Filesize: " + std::to_string(model.FileSize) +
                         "  Mapsize: " + std::to_string(model.MapWidth) + " X " +
                         std::to_string(model.MapHeight);
    return {std::move(status), std::nullopt, ModeButtons::Enable};
}

FileCommandResult SaveMap(Types& model, FileIo& io) {
    if (model.FileName.empty()) return {};

    const auto count = TileCountOf(model.MapWidth, model.MapHeight);
    const auto holdsMap = [&](const LayerInfo& layer) {
        return (model.*layer.Field).size() == static_cast<std::size_t>(*count) + 1;
    };
    if (!count || !std::all_of(kLayers.begin(), kLayers.end(), holdsMap)) {
        return {std::nullopt, kSaveError, ModeButtons::Keep};
    }
    model.TileCount = *count;
    const SaveResult saved = SaveBeside(io, model);
    if (saved.outcome != Outcome::Replaced &&
        (saved.outcome != Outcome::InPlace || !WriteRecords(io, model))) {
        return {std::nullopt, kSaveError, ModeButtons::Keep};
    }
    return {"Saved map as: " + model.FileTitle, std::nullopt, ModeButtons::Keep};
}

void ClearMap(Types& model) {
    if (model.MapWidth < 1 || model.TileCount < 0) return;
    for (const LayerInfo& layer : kLayers) {
        TileLayer& tiles = model.*layer.Field;
        std::fill(tiles.begin(), tiles.end(), layer.ClearValue);
    }
}

}  // namespace quarl
