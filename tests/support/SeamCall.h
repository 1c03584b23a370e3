// SPDX-License-Identifier: MIT
// The calls of the map file's seam, as the faulty file systems of the tests and the fuzzers
// name the call they fail.
#pragma once

#include <cstdint>

namespace quarl::testing {

enum class SeamCall : std::uint8_t {
    Open,
    Stat,
    Read,
    Write,
    Sync,
    Close,
    Create,
    Attributes,
    Replace,
    SyncFolder,
    Remove,
    Stale,
};
inline constexpr int kSeamCalls = static_cast<int>(SeamCall::Stale) + 1;

}  // namespace quarl::testing
