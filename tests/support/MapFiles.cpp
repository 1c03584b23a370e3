// SPDX-License-Identifier: MIT
#include "support/MapFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "document/MapFile.h"

namespace quarl::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quarl-test-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    if (made == nullptr) throw std::runtime_error("cannot make a temporary folder");
    path_ = made;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string WriteMapFile(const TempDir& dir, const std::string& name,
                         const std::vector<std::uint8_t>& bytes) {
    std::string path = dir.File(name);
    if (!mapgen::WriteBytes(path, bytes)) throw std::runtime_error("cannot write " + path);
    return path;
}

void LoadOrFail(Types& model, const std::string& path) {
    const auto result = LoadMap(model, path, std::filesystem::path(path).filename().string());
    ASSERT_FALSE(result.error) << "could not load " << path;
}

}  // namespace quarl::testing
