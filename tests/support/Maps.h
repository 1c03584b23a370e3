// SPDX-License-Identifier: MIT
// Maps made in memory, and random numbers that a test scripts.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>

#include "document/Types.h"
#include "editing/Random.h"

namespace quarl::testing {

// A started-up model of the given size with every tile holding the same values.
inline Types UniformMap(std::int16_t width, std::int16_t height, std::uint8_t type = 0,
                        std::uint8_t light = 30, std::uint8_t heightValue = 200,
                        std::uint8_t dir = 30, std::uint8_t object = 9, std::uint8_t usage = 9) {
    Types model;
    StartUp(model);
    model.MapWidth = width;
    model.MapHeight = height;
    model.TileCount = width * height;
    const auto entries = static_cast<std::size_t>(std::max(model.TileCount, 0)) + 1;
    const std::array<std::uint8_t, 6> values = {type, light, heightValue, dir, object, usage};
    static_assert(values.size() == kLayers.size(), "a value for every layer, in the table's order");
    for (std::size_t l = 0; l < kLayers.size(); ++l) {
        (model.*kLayers[l].Field).assign(entries, values[l]);
    }
    return model;
}

// Yields the values it was given, then `fallback`; counts every draw.
class ScriptedRandom final : public RandomSource {
  public:
    explicit ScriptedRandom(std::deque<float> values = {}, float fallback = 0.0f)
        : values_(std::move(values)), fallback_(fallback) {}
    [[nodiscard]] float Next() override {
        ++draws;
        if (values_.empty()) return fallback_;
        const float value = values_.front();
        values_.pop_front();
        return value;
    }
    int draws = 0;

  private:
    std::deque<float> values_;
    float fallback_;
};

}  // namespace quarl::testing
