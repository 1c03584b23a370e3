// SPDX-License-Identifier: MIT
// The one rule by which the editor reads a number typed into a text box.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quarl {

// A decimal number with blanks around it, an optional sign, digits and an optional
// fraction, rounded to the nearest whole number with halves going to the even neighbour.
// Nothing for any other text, or for a number too large for any use in the editor.
[[nodiscard]] std::optional<std::int32_t> ReadRoundedNumber(std::string_view text);

// A rounded number that lies in 0 to 255.
[[nodiscard]] std::optional<std::uint8_t> ReadByte(std::string_view text);

}  // namespace quarl
