// SPDX-License-Identifier: MIT
// quarl-mapgen: writes a map file of a given size and pattern.
#ifdef _WIN32
#include <windows.h>
// windows.h first
#include <shellapi.h>
#endif

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// The arguments as UTF-8. Windows gives main its arguments in the ANSI code page, which has no
// letters for most names: they are read again from the wide command line there.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide != nullptr) {
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i) {
            const int size =
                ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string argument(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), size, nullptr, nullptr);
            arguments.push_back(std::move(argument));
        }
        ::LocalFree(wide);
        return arguments;
    }
#endif
    return {argv, argv + argc};
}

// The length of the file the options make, or nothing beyond the 2 GiB that a map file may have.
std::optional<std::size_t> FileSize(const quarl::mapgen::MapOptions& options) {
    const long long tiles = static_cast<long long>(options.width) * options.height;
    const long long records = options.records < 0 ? tiles : options.records;
    const long long size = 8 + 23 * records + static_cast<long long>(options.trailing);
    if (size > INT32_MAX) return std::nullopt;
    return static_cast<std::size_t>(size);
}

int Run(const std::vector<std::string>& argv) {
    const int argc = static_cast<int>(argv.size());
    if (argc == 2 && argv[1] == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 4) return Usage();
    const auto width = Number(argv[2].c_str(), 0, INT16_MAX);
    const auto height = Number(argv[3].c_str(), 0, INT16_MAX);
    if (!width || !height) return Usage();
    quarl::mapgen::MapOptions options;
    options.width = static_cast<std::int16_t>(*width);
    options.height = static_cast<std::int16_t>(*height);
    for (int i = 4; i < argc; i += 2) {
        if (i + 1 >= argc) return Usage();
        const std::string& flag = argv[i];
        const std::string& value = argv[i + 1];
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
    if (!FileSize(options)) {
        std::fprintf(stderr,
                     "quarl-mapgen: a %d x %d map with these records and trailing bytes would be "
                     "more than 2 GiB, more than a map file may hold\n",
                     options.width, options.height);
        return 1;
    }
    if (!quarl::mapgen::WriteBytes(argv[1], quarl::mapgen::MakeMap(options))) {
        std::fprintf(stderr, "quarl-mapgen: cannot write %s\n", argv[1].c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        std::fputs("quarl-mapgen: not enough memory for a map of that size\n", stderr);
        return 1;
    }
}
