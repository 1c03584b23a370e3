// SPDX-License-Identifier: MIT
// Prints each benchmark's time as a ratio to a floor measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quarl::bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Benchmarks whose name starts with prefix are compared with the floor benchmark.
    void CompareWith(std::string prefix, std::string floor) {
        floors_[std::move(prefix)] = std::move(floor);
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            // With repetitions, the median of them stands for the benchmark.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            // A benchmark's own minimum time is no part of its name here.
            std::string name = run.run_name.str();
            name = name.substr(0, name.find("/min_time:"));
            times_[name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-60s %s\n", "benchmark", "ratio to its floor");
        for (const auto& [name, time] : times_) {
            for (const auto& [prefix, floor] : floors_) {
                if (name.rfind(prefix, 0) != 0 || !times_.count(floor)) continue;
                std::printf("%-60s %.2f (floor %s)\n", name.c_str(), time / times_.at(floor),
                            floor.c_str());
            }
        }
    }

  private:
    std::map<std::string, double> times_;
    std::map<std::string, std::string> floors_;
};

}  // namespace quarl::bench
