// What the benchmarks share: medians of repeated runs, and the figures they print. Every
// figure is a ratio against a floor measured in the same run, since absolute times say
// little about a machine shared with others. tools/run-bench collects the lines that start
// with "figure" into one table, a CSV file and a chart.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace pw::bench {

using Clock = std::chrono::steady_clock;

inline double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F>
double Microseconds(F&& run) {
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The median of `runs` runs of `run`.
template <typename F>
double MedianMicroseconds(int runs, F&& run) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        times.push_back(Microseconds(run));
    }
    return Median(std::move(times));
}

// Runs `measured` and `floor` alternately, so that both see the same state of the machine,
// and gives the median of each.
template <typename F, typename G>
std::pair<double, double> AlternateMedians(int runs, F&& measured, G&& floor) {
    std::vector<double> a;
    std::vector<double> b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(Microseconds(measured));
        b.push_back(Microseconds(floor));
    }
    return {Median(a), Median(b)};
}

// figure <TAB> name <TAB> value <TAB> floor <TAB> unit <TAB> target ratio <TAB> floor's name
inline void Figure(const char* name, double value, double floor, const char* unit, double target,
                   const char* floorName) {
    std::printf("figure\t%s\t%.1f\t%.1f\t%s\t%.2f\t%s\n", name, value, floor, unit, target, floorName);
    std::fflush(stdout);
}

inline void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The process's private bytes. Wine reports PrivateUsage as 0 but fills PagefileUsage,
// which Windows documents as the same value.
inline double PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    return static_cast<double>(counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage);
}

}  // namespace pw::bench
