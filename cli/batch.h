// Many shops analysed in one process: up to `jobs` runs at once over the
// shared connection store, each with a session of its own, their results
// handed on in input order whatever order they finish in.
//   runBatch({"http://a.taobao.com/", "http://b.tmall.com/"}, {.jobs = 8},
//            [](std::size_t i, ShopRun&& run) { ... });  // i == 0, then 1
#ifndef KESSRUNE_CLI_BATCH_H
#define KESSRUNE_CLI_BATCH_H

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "cli/shop_run.h"

namespace kessrune {

struct BatchOptions {
    int jobs = 4;  // runs at once; less than 1 counts as 1
    // Each run's own time limit, as a single run's.
    std::optional<std::chrono::milliseconds> maxTime;
    // Once requested, no run starts and the running ones end at their next
    // byte; runs that it cut short are not handed on.
    std::stop_token stop{};
    // Told (from the thread that runs the shop) each trace line of shop i.
    std::function<void(std::size_t i, std::string_view line)> trace;
    // Told (from the thread that ran it) as each shop ends, in the order
    // they end, whether it succeeded; not for shops a stop cut short.
    std::function<void(std::size_t i, bool ok)> finished;
    // The page fetch; fetchPage when empty.
    std::function<Text(const Text& address, const FetchOptions& options)> fetch;
};

// Runs every address (UTF-8, as typed: trimmed and checked as a single
// run's argument is; one that a single run would refuse becomes a run that
// says why, so one bad line does not end a batch). `done` is called on the
// calling thread, once for each finished shop, in input order; a shop that
// a stop cut short is skipped, as are the ones never started. Returns the
// number of shops handed on.
std::size_t runBatch(const std::vector<std::string>& addresses, const BatchOptions& options,
                     const std::function<void(std::size_t i, ShopRun&& run)>& done);

// Whether a stop cut this run short, so that it says nothing about the shop.
bool cutByStop(const ShopRun& run, std::stop_token stop);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_BATCH_H
