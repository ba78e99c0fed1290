#include "RatioReporter.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

std::vector<RatioReporter::Ratio>& RatioReporter::declared() {
    static std::vector<Ratio> ratios;
    return ratios;
}

bool RatioReporter::declare(Ratio ratio) {
    declared().push_back(std::move(ratio));
    return true;
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const auto& run : runs) {
        if (run.error_occurred || run.iterations == 0) continue;
        std::string name = run.run_name.function_name;
        if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
        const double perIteration = run.real_accumulated_time / static_cast<double>(run.iterations);
        if (run.run_type == Run::RT_Iteration) {
            seconds_[name].push_back(perIteration);
        } else if (run.aggregate_name == "median") {
            medians_[name] = perIteration;  // all there is when only aggregates are reported
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::median(const std::string& name) const {
    auto it = seconds_.find(name);
    if (it == seconds_.end() || it->second.empty()) {
        auto reported = medians_.find(name);
        return reported == medians_.end() ? 0 : reported->second;
    }
    std::vector<double> values = it->second;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    auto& out = GetOutputStream();
    out << "\nRatios (median of the repetitions; both sides measured in this run):\n";
    for (const auto& ratio : declared()) {
        const double measured = median(ratio.measured);
        const double reference = median(ratio.reference);
        char line[256];
        const double value = measured / reference;
        if (measured <= 0 || reference <= 0) {
            std::snprintf(line, sizeof line, "  %-64s  not measured\n", ratio.label.c_str());
        } else if (ratio.goal <= 0) {
            std::snprintf(line, sizeof line, "  %-64s %7.3fx\n", ratio.label.c_str(), value);
        } else {
            std::snprintf(line, sizeof line, "  %-64s %7.3fx  goal <= %.2fx  %s\n",
                          ratio.label.c_str(), value, ratio.goal,
                          value <= ratio.goal ? "met" : "MISSED");
        }
        out << line;
    }
}
