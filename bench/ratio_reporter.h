// A console reporter for benchmark programs that keeps each run's time, so main() can print ratios.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace glyfex::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    // Real time per iteration of a benchmark by its full name, or 0 when it did not run.
    double time(const std::string &name) const
    {
        auto it = m_times.find(name);
        return it == m_times.end() ? 0.0 : it->second;
    }
    const std::map<std::string, double> &times() const { return m_times; }

private:
    std::map<std::string, double> m_times;
};

} // namespace glyfex::bench
