// SPDX-License-Identifier: MIT
// The bytes of a map file that a save may change: the six of each record. Shared by the tests
// and the fuzzers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "document/MapFile.h"

namespace quarl::testing {

inline bool IsRecordByte(std::size_t offset, std::int32_t tileCount) {
    if (offset < kHeaderSize || tileCount <= 0) return false;
    const std::size_t record = (offset - kHeaderSize) / kRecordSize;
    const auto within = static_cast<int>((offset - kHeaderSize) % kRecordSize);
    return record < static_cast<std::size_t>(tileCount) &&
           std::any_of(kLayers.begin(), kLayers.end(),
                       [within](const LayerInfo& layer) { return layer.RecordByte == within; });
}

}  // namespace quarl::testing
