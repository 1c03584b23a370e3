// SPDX-License-Identifier: MIT
// The map file's format: an 8-byte header that gives the map's width and height, then one
// 23-byte record per tile, of which the editor reads and writes the bytes its layers name. Pure
// bytes: nothing here touches a file.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "document/Types.h"

namespace quarl {

inline constexpr std::int32_t kHeaderSize = 8;
inline constexpr std::int32_t kRecordSize = 23;

// The last byte of a record that the editor reads and writes; the layers say which.
inline constexpr int kLastLayerByte = [] {
    int last = 0;
    for (const LayerInfo& layer : kLayers) last = std::max(last, layer.RecordByte);
    return last;
}();
static_assert(kLastLayerByte < kRecordSize, "every layer's byte lies inside the record");

// The map's layers in the order of kLayers.
using MapLayers = std::array<TileLayer, kLayers.size()>;

// The little-endian 16-bit number at bytes.
[[nodiscard]] std::int16_t Int16At(const std::uint8_t* bytes);

// The tile count of a header, or nothing when the map cannot be held.
[[nodiscard]] std::optional<std::int32_t> TileCountOf(std::int16_t width, std::int16_t height);

// Bytes from the start of the first record to the last byte the editor writes.
[[nodiscard]] std::size_t RecordSpan(std::int32_t tileCount);

// Sets entries first to first + count - 1 of every layer from the records at record.
void DecodeRecords(MapLayers& layers, const std::uint8_t* record, std::int32_t first,
                   std::int32_t count);

// Sets the layers' bytes in the model's TileCount records at record; the other bytes stay.
void PatchRecords(const Types& model, std::uint8_t* record);

}  // namespace quarl
