// Inputs the benchmarks build their sheets and texts from.
#ifndef KESSRUNE_BENCH_INPUTS_H
#define KESSRUNE_BENCH_INPUTS_H

#include <cstddef>
#include <string>
#include <string_view>

namespace kessrune::bench {

// `unit` again and again, cut to exactly `size` bytes.
//   repeated("ab", 5) == "ababa"; repeated("ab", 0) == ""
inline std::string repeated(std::string_view unit, std::size_t size) {
    std::string out;
    out.reserve(size + unit.size());
    while (out.size() < size)
        out += unit;
    out.resize(size);
    return out;
}

}  // namespace kessrune::bench

#endif  // KESSRUNE_BENCH_INPUTS_H
