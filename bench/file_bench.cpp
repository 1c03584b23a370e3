// SPDX-License-Identifier: MIT
// Load and save of the largest map against a plain read, and a plain read, write and fsync; and
// the save of a 181 x 181 map, written beside and put in its place, against the same save in
// place (a map with a second link is saved in place).
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MapWriter.h"
#include "RatioReporter.h"
#include "document/MapFile.h"

namespace {

const std::string& LargestMap() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() /
                          ("quarl-bench-" + std::to_string(::getpid()) + ".map");
        const auto bytes = quarl::mapgen::MakeMap({.width = 217, .height = 151});
        if (bytes.size() != 753649 || !quarl::mapgen::WriteBytes(file.string(), bytes)) {
            std::abort();
        }
        return file.string();
    }();
    return path;
}

// A 181 x 181 map, alone or with a second link to it.
std::string SquareMap(bool linked) {
    const auto file =
        std::filesystem::temp_directory_path() /
        ("quarl-bench-" + std::to_string(::getpid()) + (linked ? "-linked" : "") + ".map");
    if (!quarl::mapgen::WriteBytes(file.string(),
                                   quarl::mapgen::MakeMap({.width = 181, .height = 181}))) {
        std::abort();
    }
    if (linked && ::link(file.c_str(), (file.string() + ".link").c_str()) != 0) std::abort();
    return file.string();
}

const std::string& ReplacedMap() {
    static const std::string path = SquareMap(false);
    return path;
}

const std::string& InPlaceMap() {
    static const std::string path = SquareMap(true);
    return path;
}

std::vector<std::uint8_t> PlainRead(int fd) {
    std::vector<std::uint8_t> data(753649);
    if (::pread(fd, data.data(), data.size(), 0) != static_cast<ssize_t>(data.size())) {
        std::abort();
    }
    return data;
}

void PlainReadFile(benchmark::State& state) {
    for (auto _ : state) {
        const int fd = ::open(LargestMap().c_str(), O_RDONLY);
        auto data = PlainRead(fd);
        benchmark::DoNotOptimize(data.data());
        ::close(fd);
    }
}

void PlainReadWriteSync(benchmark::State& state) {
    for (auto _ : state) {
        const int fd = ::open(LargestMap().c_str(), O_RDWR);
        auto data = PlainRead(fd);
        for (std::size_t i = 8; i < data.size(); i += 23) data[i] ^= 0;
        if (::pwrite(fd, data.data() + 8, data.size() - 8, 8) < 0 || ::fsync(fd) != 0) {
            std::abort();
        }
        ::close(fd);
    }
}

void LoadLargestMap(benchmark::State& state) {
    quarl::Types model;
    for (auto _ : state) {
        if (quarl::LoadMap(model, LargestMap(), "bench.map").error) std::abort();
        benchmark::DoNotOptimize(model.TypeLayer.data());
    }
}

void SaveLargestMap(benchmark::State& state) {
    quarl::Types model;
    if (quarl::LoadMap(model, LargestMap(), "bench.map").error) std::abort();
    for (auto _ : state) {
        if (quarl::SaveMap(model).error) std::abort();
    }
}

void SaveMap(benchmark::State& state, const std::string& path) {
    quarl::Types model;
    if (quarl::LoadMap(model, path, "bench.map").error) std::abort();
    for (auto _ : state) {
        model.HeightLayer[0] ^= 1;
        if (quarl::SaveMap(model).error) std::abort();
    }
}

void SaveReplaced(benchmark::State& state) {
    SaveMap(state, ReplacedMap());
}

void SaveInPlace(benchmark::State& state) {
    SaveMap(state, InPlaceMap());
}

BENCHMARK(PlainReadFile);
BENCHMARK(LoadLargestMap);
BENCHMARK(PlainReadWriteSync);
BENCHMARK(SaveLargestMap);
BENCHMARK(SaveInPlace);
BENCHMARK(SaveReplaced);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    quarl::bench::RatioReporter reporter;
    reporter.CompareWith("LoadLargestMap", "PlainReadFile");
    reporter.CompareWith("SaveLargestMap", "PlainReadWriteSync");
    reporter.CompareWith("SaveReplaced", "SaveInPlace");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const std::string& path :
         {LargestMap(), ReplacedMap(), InPlaceMap(), InPlaceMap() + ".link"}) {
        std::filesystem::remove(path);
    }
    return 0;
}
