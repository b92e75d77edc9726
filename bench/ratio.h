// Benchmarks that state their bars as ratios against a baseline measured in
// the same run, so that the figures mean the same on any machine.
//
//   BENCHMARK(BM_findText)->...;      BENCHMARK(BM_stringViewFind)->...;
//   KESSRUNE_RATIO("findText exact / string_view::find", "BM_findText", "BM_stringViewFind", 1.5);
//   int main(int argc, char** argv) { return kessrune::bench::runWithRatios(argc, argv); }
//
// After the benchmarks run, each declared ratio is printed with its bar, and
// the program exits 1 when one is over its bar (0 otherwise).
#ifndef KESSRUNE_BENCH_RATIO_H
#define KESSRUNE_BENCH_RATIO_H

#include <benchmark/benchmark.h>

#include <string>

namespace kessrune::bench {

// Registers "numerator time / denominator time <= bar". The names are the
// benchmarks' full names as Google Benchmark prints them (with arguments,
// e.g. "BM_find/8388608"); real time per iteration is compared.
int declareRatio(std::string label, std::string numerator, std::string denominator, double bar);

int runWithRatios(int argc, char** argv);

}  // namespace kessrune::bench

#define KESSRUNE_RATIO_CAT2(a, b) a##b
#define KESSRUNE_RATIO_CAT(a, b) KESSRUNE_RATIO_CAT2(a, b)
#define KESSRUNE_RATIO(label, numerator, denominator, bar)          \
    static const int KESSRUNE_RATIO_CAT(kessruneRatio_, __LINE__) = \
        ::kessrune::bench::declareRatio(label, numerator, denominator, bar)

#endif  // KESSRUNE_BENCH_RATIO_H
