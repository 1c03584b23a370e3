// SPDX-License-Identifier: MIT
// Temporary folders and map files for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MapWriter.h"
#include "document/Types.h"

namespace quarl::testing {

// A fresh folder, removed with everything in it when the test ends.
class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Writes the bytes into dir/name and returns the path.
std::string WriteMapFile(const TempDir& dir, const std::string& name,
                         const std::vector<std::uint8_t>& bytes);

// A model after start-up with the file loaded, failing the test if it does not load.
void LoadOrFail(Types& model, const std::string& path);

}  // namespace quarl::testing
