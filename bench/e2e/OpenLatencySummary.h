#pragma once

#include <QString>

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Google Benchmark's display for the open-latency rounds: collects each round's time
// and prints one line per way of opening, the median with the spread of the rounds
// (10th to 90th percentile, and the extremes), instead of a line per round.
class OpenLatencySummary : public benchmark::BenchmarkReporter {
public:
    explicit OpenLatencySummary(QString file);

    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    // Every way of opening was measured without error.
    bool allMeasured() const { return m_failures.empty(); }

private:
    QString m_file;
    std::map<std::string, std::vector<double>> m_milliseconds;
    std::map<std::string, std::string> m_failures;
};
