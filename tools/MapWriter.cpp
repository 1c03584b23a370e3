// SPDX-License-Identifier: MIT
#include "MapWriter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace quarl::mapgen {

namespace {

constexpr std::size_t kHeader = 8;
constexpr std::size_t kRecord = 23;

void PutInt16(std::vector<std::uint8_t>& bytes, std::size_t at, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    bytes[at] = static_cast<std::uint8_t>(bits & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(bits >> 8);
}

void FillLandscape(std::uint8_t* record, int col, int row, std::mt19937& random) {
    const double hill = std::sin(col / 7.0) * std::cos(row / 5.0);
    const auto height = static_cast<int>(60 + 50 * hill);
    record[kTypeAt] = static_cast<std::uint8_t>(height > 90 ? 3 : height > 60 ? 2 : 1);
    record[kLightAt] = static_cast<std::uint8_t>(10 + (col + row) % 30);
    record[kHeightAt] = static_cast<std::uint8_t>(height);
    record[kDirAt] = static_cast<std::uint8_t>(random() % 8 == 0 ? random() % 4 : 30);
    record[kObjectAt] = 255;
    record[kUsageAt] = static_cast<std::uint8_t>(hill > 0.5 ? 0 : 255);
}

}  // namespace

std::vector<std::uint8_t> MakeMap(const MapOptions& options) {
    const auto tiles = static_cast<std::size_t>(std::max(0, options.width * options.height));
    const std::size_t records =
        options.records < 0 ? tiles : static_cast<std::size_t>(options.records);
    std::vector<std::uint8_t> bytes(kHeader + kRecord * records + options.trailing, 0);
    std::mt19937 random(options.seed);

    if (options.pattern == Pattern::Random) {
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    }
    PutInt16(bytes, 0, options.width);
    PutInt16(bytes, 4, options.height);

    if (options.pattern == Pattern::Landscape && options.width > 0) {
        for (std::size_t i = 0; i < records; ++i) {
            const int col = static_cast<int>(i % options.width) + 1;
            const int row = static_cast<int>(i / options.width) + 1;
            FillLandscape(&bytes[kHeader + kRecord * i], col, row, random);
        }
    }
    return bytes;
}

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace quarl::mapgen
