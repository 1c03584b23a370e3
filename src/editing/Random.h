// SPDX-License-Identifier: MIT
// The random numbers of ore deposits, passed in so that tests can script them.
#pragma once

#include <cstdint>
#include <random>

namespace quarl {

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // A uniform value r with 0 <= r < 1, never 1.
    [[nodiscard]] virtual float Next() = 0;
};

// The same sequence in every session, as nothing seeds it.
class DefaultRandom final : public RandomSource {
  public:
    [[nodiscard]] float Next() override {
        // 24 random bits fill a float's mantissa exactly: the largest value is 1 - 2^-24.
        return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
    }

  private:
    std::mt19937 engine_;
};

}  // namespace quarl
