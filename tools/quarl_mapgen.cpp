// SPDX-License-Identifier: MIT
// quarl-mapgen: writes a map file of a given size and pattern.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "MapWriter.h"

namespace {

constexpr const char* kUsage =
    "usage: quarl-mapgen OUT WIDTH HEIGHT [--pattern random|landscape|zero]\n"
    "                    [--seed N] [--records N] [--trailing N]\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// A whole decimal number from min to max, and nothing else.
std::optional<long long> Number(const char* text, long long min, long long max) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 4) return Usage();
    const auto width = Number(argv[2], 0, INT16_MAX);
    const auto height = Number(argv[3], 0, INT16_MAX);
    if (!width || !height) return Usage();
    quarl::mapgen::MapOptions options;
    options.width = static_cast<std::int16_t>(*width);
    options.height = static_cast<std::int16_t>(*height);
    for (int i = 4; i < argc; i += 2) {
        if (i + 1 >= argc) return Usage();
        const std::string flag = argv[i];
        const std::string value = argv[i + 1];
        if (flag == "--pattern" && value == "random") {
            options.pattern = quarl::mapgen::Pattern::Random;
        } else if (flag == "--pattern" && value == "landscape") {
            options.pattern = quarl::mapgen::Pattern::Landscape;
        } else if (flag == "--pattern" && value == "zero") {
            options.pattern = quarl::mapgen::Pattern::Zero;
        } else if (flag == "--seed" && Number(value.c_str(), 0, UINT32_MAX)) {
            options.seed = static_cast<std::uint32_t>(*Number(value.c_str(), 0, UINT32_MAX));
        } else if (flag == "--records" && Number(value.c_str(), 0, 1 << 20)) {
            options.records = static_cast<std::int32_t>(*Number(value.c_str(), 0, 1 << 20));
        } else if (flag == "--trailing" && Number(value.c_str(), 0, 1 << 30)) {
            options.trailing = static_cast<std::size_t>(*Number(value.c_str(), 0, 1 << 30));
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
