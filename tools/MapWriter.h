// SPDX-License-Identifier: MIT
// Writes map files for tests, benchmarks and the sample map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarl::mapgen {

enum class Pattern {
    Random,     // every byte of the file random, the uninterpreted ones too
    Landscape,  // smooth hills, bands of terrain and a few directions: pleasant to look at
    Zero,       // all zero
};

// The bytes of a tile record as this writer lays them out, and the value of each on a cleared
// map. They are written down here apart from the editor's own table of layers, so that the
// tests never check the editor's file code against itself.
inline constexpr std::size_t kTypeAt = 0;
inline constexpr std::size_t kLightAt = 1;
inline constexpr std::size_t kHeightAt = 2;
inline constexpr std::size_t kDirAt = 3;
inline constexpr std::size_t kObjectAt = 5;
inline constexpr std::size_t kUsageAt = 6;

struct RecordField {
    const char* name;
    std::size_t at;
    std::uint8_t cleared;
};
inline constexpr RecordField kRecordFields[] = {
    {"type", kTypeAt, 0},     {"light", kLightAt, 16},    {"height", kHeightAt, 20},
    {"direction", kDirAt, 0}, {"object", kObjectAt, 255}, {"usage", kUsageAt, 255},
};

struct MapOptions {
    std::int16_t width = 0;
    std::int16_t height = 0;
    Pattern pattern = Pattern::Random;
    std::uint32_t seed = 1;
    std::int32_t records = -1;  // records written; -1 writes one per tile
    std::size_t trailing = 0;   // random bytes after the last record
};

// The bytes of a map file: the 8-byte header, the records, the trailing bytes.
[[nodiscard]] std::vector<std::uint8_t> MakeMap(const MapOptions& options);

// A UTF-8 path as the file system takes it, on every system.
[[nodiscard]] std::filesystem::path PathOf(const std::string& utf8);

// Paths are UTF-8.
[[nodiscard]] bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
[[nodiscard]] std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace quarl::mapgen
