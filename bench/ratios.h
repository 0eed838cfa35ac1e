#pragma once
// Shared machines are noisy, so the figures that matter are ratios against a baseline measured in
// the same run. This reporter prints the usual table and remembers each benchmark's time per
// iteration, so that main() can print the ratios after the run.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace mlbench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colour only on a terminal, as the library's own reporter does by default.
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& r : reports) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred || r.iterations == 0) continue;
            const double perSecond = benchmark::GetTimeUnitMultiplier(r.time_unit);
            times_[r.run_name.function_name].push_back(r.GetAdjustedRealTime() / perSecond * 1e9);
            cpu_[r.run_name.function_name].push_back(r.GetAdjustedCPUTime() / perSecond * 1e9);
        }
        ConsoleReporter::ReportRuns(reports);
    }

    // Median real time per iteration in nanoseconds over the repetitions; < 0 when the benchmark
    // did not run (filtered out or skipped with an error).
    double nanos(const std::string& name) const { return median(times_, name); }
    double cpuNanos(const std::string& name) const { return median(cpu_, name); }

    // Prints "label = X.Y (a ns / b ns)" for numerator / denominator, when both ran, in real time
    // and, where the machine is so loaded that real time is mostly waiting, in CPU time.
    void printRatio(const char* label, const std::string& num, const std::string& den) const {
        const double a = nanos(num), b = nanos(den);
        if (a <= 0 || b <= 0) return;
        const double ca = cpuNanos(num), cb = cpuNanos(den);
        std::printf("%-40s = %8.2f   (%.4g ns / %.4g ns)   CPU %6.2f\n", label, a / b, a, b,
                    cb > 0 ? ca / cb : 0.0);
    }

private:
    using Series = std::map<std::string, std::vector<double>>;
    static double median(const Series& series, const std::string& name) {
        auto it = series.find(name);
        if (it == series.end() || it->second.empty()) return -1;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

    Series times_;
    Series cpu_;
};

}  // namespace mlbench
