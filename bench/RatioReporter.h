#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// The console report, followed by each declared figure: the "ratio" counter of a paired
// benchmark (runPaired), as the median of its repetitions, beside its goal. Absolute times
// drift on a shared machine; ratios of neighbours in one run hold.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    struct Ratio {
        std::string label;
        std::string benchmark;  // its name with its arguments, as printed
        double goal;            // the ratio must stay at or below it; 0: shown for comparison
    };

    // Called from static initialisers of the benchmark files.
    static bool declare(Ratio ratio);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    static std::vector<Ratio>& declared();
    double median(const std::string& name) const;

    std::map<std::string, std::vector<double>> ratios_;  // one per repetition
    std::map<std::string, double> medians_;              // when only aggregates are reported
};
