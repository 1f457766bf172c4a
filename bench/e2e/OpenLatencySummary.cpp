#include "OpenLatencySummary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

struct Row {
    const char* name;
    const char* label;
};

constexpr std::array<Row, 7> rows {{
    {"handedOver", "kestrova open, handed to the running instance"},
    {"cold", "kestrova open, no instance running (cold)"},
    {"gioOpen", "gio open smb://... (what a user runs instead)"},
    {"handedOverToEnd", "handed over, until the command has ended"},
    {"convertingToEnd", "the same with Ctrl held (writes the alias)"},
    {"handedOverOnShareToEnd", "shortcut on the share, until the command ended"},
    {"convertingOnShareToEnd", "the same with Ctrl held (alias on the share)"},
}};

// The value below which the given fraction of the sorted samples lie (nearest rank).
double percentile(const std::vector<double>& sorted, double fraction)
{
    const auto rank = std::size_t(std::ceil(fraction * double(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

}

OpenLatencySummary::OpenLatencySummary(QString file)
    : m_file(std::move(file))
{
}

bool OpenLatencySummary::ReportContext(const Context& /*context*/)
{
    return true;
}

void OpenLatencySummary::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration)
            continue;
        const std::string& name = run.run_name.function_name;
        if (run.error_occurred)
            m_failures[name] = run.error_message;
        else
            m_milliseconds[name].push_back(run.GetAdjustedRealTime());
    }
}

void OpenLatencySummary::Finalize()
{
    std::printf("Opening %s\nuntil the application has it (the last four: until the command has "
                "ended); rounds interleaved at random.\n\n",
        qPrintable(m_file));
    std::printf("%-48s %6s %9s %18s %18s\n", "", "rounds", "median", "p10 .. p90", "min .. max");
    for (const Row& row : rows) {
        if (const auto failure = m_failures.find(row.name); failure != m_failures.end()) {
            std::printf("%-48s failed: %s\n", row.label, failure->second.c_str());
            continue;
        }
        std::vector<double> samples = m_milliseconds[row.name];
        if (samples.empty())
            continue;
        std::sort(samples.begin(), samples.end());
        std::printf("%-48s %6zu %6.1f ms %7.1f .. %5.1f ms %7.1f .. %5.1f ms\n", row.label,
            samples.size(), percentile(samples, 0.5), percentile(samples, 0.1),
            percentile(samples, 0.9), samples.front(), samples.back());
    }
}
