// SPDX-License-Identifier: MIT
// quarl-mapgen: writes a map file of a given size and pattern.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "MapWriter.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: quarl-mapgen OUT WIDTH HEIGHT [--pattern random|landscape|zero]\n"
                 "                    [--seed N] [--records N] [--trailing N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Usage();
    quarl::mapgen::MapOptions options;
    options.width = static_cast<std::int16_t>(std::atoi(argv[2]));
    options.height = static_cast<std::int16_t>(std::atoi(argv[3]));
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        const char* value = argv[i + 1];
        if (flag == "--pattern") {
            const std::string name = value;
            if (name == "random") {
                options.pattern = quarl::mapgen::Pattern::Random;
            } else if (name == "landscape") {
                options.pattern = quarl::mapgen::Pattern::Landscape;
            } else if (name == "zero") {
                options.pattern = quarl::mapgen::Pattern::Zero;
            } else {
                return Usage();
            }
        } else if (flag == "--seed") {
            options.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else if (flag == "--records") {
            options.records = std::atoi(value);
        } else if (flag == "--trailing") {
            options.trailing = std::strtoul(value, nullptr, 10);
        } else {
            return Usage();
        }
    }
    if (!quarl::mapgen::WriteBytes(argv[1], quarl::mapgen::MakeMap(options))) {
        std::fprintf(stderr, "quarl-mapgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
