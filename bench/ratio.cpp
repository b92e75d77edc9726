#include "bench/ratio.h"

#include <cstdio>
#include <map>
#include <vector>

namespace kessrune::bench {
namespace {

struct Ratio {
    std::string label, numerator, denominator;
    double bar;
};

std::vector<Ratio>& ratios() {
    static std::vector<Ratio> all;
    return all;
}

// Keeps every run's real time per iteration beside the usual console output.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int declareRatio(std::string label, std::string numerator, std::string denominator, double bar) {
    ratios().push_back({std::move(label), std::move(numerator), std::move(denominator), bar});
    return static_cast<int>(ratios().size());
}

int runWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    int over = 0;
    std::printf("\n%-64s %10s %8s\n", "ratio", "measured", "bar");
    for (const Ratio& r : ratios()) {
        const auto n = reporter.times.find(r.numerator);
        const auto d = reporter.times.find(r.denominator);
        if (n == reporter.times.end() || d == reporter.times.end() || d->second <= 0) {
            std::printf("%-64s %10s %8.2f\n", r.label.c_str(), "not run", r.bar);
            continue;
        }
        const double value = n->second / d->second;
        const bool ok = value <= r.bar;
        over += ok ? 0 : 1;
        std::printf("%-64s %10.3f %8.2f%s\n", r.label.c_str(), value, r.bar, ok ? "" : "  OVER");
    }
    return over == 0 ? 0 : 1;
}

}  // namespace kessrune::bench
