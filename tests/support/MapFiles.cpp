// SPDX-License-Identifier: MIT
#include "support/MapFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "document/MapFile.h"

namespace quarl::testing {

TempDir::TempDir() {
    const auto base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("quarl-test-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            const std::u8string utf8 = candidate.generic_u8string();
            path_.assign(utf8.begin(), utf8.end());
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(mapgen::PathOf(path_), ignored);
}

std::string WriteMapFile(const TempDir& dir, const std::string& name,
                         const std::vector<std::uint8_t>& bytes) {
    std::string path = dir.File(name);
    if (!mapgen::WriteBytes(path, bytes)) throw std::runtime_error("cannot write " + path);
    return path;
}

void LoadOrFail(Types& model, const std::string& path) {
    const std::u8string title = mapgen::PathOf(path).filename().u8string();
    const auto result = LoadMap(model, path, std::string(title.begin(), title.end()));
    ASSERT_FALSE(result.error) << "could not load " << path;
}

}  // namespace quarl::testing
