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
        auto ratio = run.counters.find("ratio");
        if (run.error_occurred || ratio == run.counters.end()) continue;
        std::string name = run.run_name.function_name;
        if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
        if (run.run_type == Run::RT_Iteration) {
            ratios_[name].push_back(ratio->second.value);
        } else if (run.aggregate_name == "median") {
            medians_[name] = ratio->second.value;
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::median(const std::string& name) const {
    auto it = ratios_.find(name);
    if (it == ratios_.end() || it->second.empty()) {
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
    out << "\nRatios (measured / reference, paired in this run; median of the repetitions):\n";
    for (const auto& ratio : declared()) {
        const double value = median(ratio.benchmark);
        char line[256];
        if (value <= 0) {
            std::snprintf(line, sizeof line, "  %-66s  not measured\n", ratio.label.c_str());
        } else if (ratio.goal <= 0) {
            std::snprintf(line, sizeof line, "  %-66s %7.3fx\n", ratio.label.c_str(), value);
        } else {
            std::snprintf(line, sizeof line, "  %-66s %7.3fx  goal <= %.2fx  %s\n",
                          ratio.label.c_str(), value, ratio.goal,
                          value <= ratio.goal ? "met" : "MISSED");
        }
        out << line;
    }
}
