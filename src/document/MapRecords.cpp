// SPDX-License-Identifier: MIT
#include "document/MapRecords.h"

#include <utility>

namespace quarl {

namespace {

// Every layer of a record in one pass, its bytes at offsets known when compiling. The pointers
// are const: a byte store may alias anything, and the compiler would otherwise load them again
// for every byte.
template <std::size_t... L>
void DecodeEach(MapLayers& layers, const std::uint8_t* record, std::int32_t first,
                std::int32_t count, std::index_sequence<L...> /*unused*/) {
    const std::array<std::uint8_t*, kLayers.size()> tiles = {(layers[L].data() + first)...};
    for (std::int32_t i = 0; i < count; ++i, record += kRecordSize) {
        ((tiles[L][i] = record[kLayers[L].RecordByte]), ...);
    }
}

// As DecodeEach, the other way.
template <std::size_t... L>
void PatchEach(const Types& model, std::uint8_t* record, std::index_sequence<L...> /*unused*/) {
    const std::array<const std::uint8_t*, kLayers.size()> tiles = {
        (model.*kLayers[L].Field).data()...};
    for (std::int32_t i = 0; i < model.TileCount; ++i, record += kRecordSize) {
        ((record[kLayers[L].RecordByte] = tiles[L][i]), ...);
    }
}

}  // namespace

std::int16_t Int16At(const std::uint8_t* bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)));
}

std::optional<std::int32_t> TileCountOf(std::int16_t width, std::int16_t height) {
    if (width < 0 || height < 0) return std::nullopt;
    const std::int32_t count = std::int32_t{width} * height;
    if (count > kMaxTileCount) return std::nullopt;
    return count;
}

std::size_t RecordSpan(std::int32_t tileCount) {
    if (tileCount <= 0) return 0;
    return static_cast<std::size_t>(kRecordSize) * static_cast<std::size_t>(tileCount - 1) +
           kLastLayerByte + 1;
}

void DecodeRecords(MapLayers& layers, const std::uint8_t* record, std::int32_t first,
                   std::int32_t count) {
    DecodeEach(layers, record, first, count, std::make_index_sequence<kLayers.size()>());
}

void PatchRecords(const Types& model, std::uint8_t* record) {
    PatchEach(model, record, std::make_index_sequence<kLayers.size()>());
}

}  // namespace quarl
