// SPDX-License-Identifier: MIT
#include "editing/TextNumber.h"

#include <cstddef>

namespace quarl {

namespace {

constexpr std::size_t kMaxWholeDigits = 9;  // far beyond every map size, well inside 32 bits

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Whether a fraction rounds the whole part away from zero: above a half, or exactly a half
// next to an odd whole number.
bool RoundsUp(std::string_view fraction, std::int32_t whole) {
    if (fraction.empty() || fraction.front() < '5') return false;
    if (fraction.front() > '5') return true;
    for (const char c : fraction.substr(1)) {
        if (c != '0') return true;
    }
    return whole % 2 != 0;
}

}  // namespace

std::optional<std::int32_t> ReadRoundedNumber(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    for (const std::string_view part : {whole, fraction}) {
        for (const char c : part) {
            if (!IsDigit(c)) return std::nullopt;
        }
    }
    std::size_t start = 0;
    while (start + 1 < whole.size() && whole[start] == '0') ++start;  // leading zeros
    if (whole.size() - start > kMaxWholeDigits) return std::nullopt;

    std::int32_t value = 0;
    for (const char c : whole.substr(start)) value = value * 10 + (c - '0');
    if (RoundsUp(fraction, value)) ++value;
    return negative ? -value : value;
}

std::optional<std::uint8_t> ReadByte(std::string_view text) {
    const auto value = ReadRoundedNumber(text);
    if (!value || *value < 0 || *value > 255) return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

}  // namespace quarl
