#include "cli/batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#include "cli/address_argument.h"
#include "http/charset.h"

namespace kessrune {
namespace {

// One shop, as a single run would take it or refuse it.
ShopRun runOne(std::string_view typed, std::size_t i, const BatchOptions& options) {
    const AddressArgument argument = checkAddressArgument(typed);
    if (!argument.problem.empty()) {
        // Nothing of such a line goes into a request; the run stays empty.
        ShopRun refused(
            gbkFromUtf8(shortened(argument.address.empty() ? typed : argument.address)));
        refused.refused = argument.problem;
        return refused;
    }
    ShopRunOptions shop;
    shop.maxTime = options.maxTime;
    shop.stop = options.stop;
    shop.fetch = options.fetch;
    if (options.trace)
        shop.trace = [&options, i](std::string_view line) { options.trace(i, line); };
    return runShop(gbkFromUtf8(argument.address), shop);
}

}  // namespace

bool cutByStop(const ShopRun& run, std::stop_token stop) {
    // A run that a stop reached after its last fetch is whole.
    return stop.stop_requested() && !run.ok() && !run.fetches.empty();
}

std::size_t runBatch(const std::vector<std::string>& addresses, const BatchOptions& options,
                     const std::function<void(std::size_t i, ShopRun&& run)>& done) {
    const std::size_t total = addresses.size();
    const std::size_t workers =
        std::min<std::size_t>(total, static_cast<std::size_t>(std::max(1, options.jobs)));

    // Finished runs wait here until every shop before them has been handed on.
    std::vector<std::optional<ShopRun>> finished(total);
    std::vector<bool> skipped(total, false);
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<std::size_t> next{0};
    std::size_t running = workers;

    auto work = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= total || options.stop.stop_requested())
                break;
            std::optional<ShopRun> run;
            try {
                run.emplace(runOne(addresses[i], i, options));
            } catch (const std::bad_alloc&) {
                // Out of memory in one shop: it counts as failed, the rest go on.
                run.emplace(Text());
                run->refused = "the run ran out of memory";
            }
            const bool cut = cutByStop(*run, options.stop);
            if (!cut && options.finished)
                options.finished(i, run->ok());
            std::lock_guard lock(mutex);
            if (cut) {
                skipped[i] = true;
            } else {
                finished[i] = std::move(run);
            }
            changed.notify_all();
        }
        std::lock_guard lock(mutex);
        --running;
        changed.notify_all();
    };
    std::vector<std::jthread> threads;
    threads.reserve(workers);
    for (std::size_t w = 0; w < workers; ++w)
        threads.emplace_back(work);

    std::size_t handedOn = 0;
    std::size_t at = 0;  // the first shop not yet handed on or skipped
    std::unique_lock lock(mutex);
    while (at < total) {
        changed.wait(lock, [&] { return finished[at] || skipped[at] || running == 0; });
        if (finished[at]) {
            ShopRun run = std::move(*finished[at]);
            finished[at].reset();
            ++at;
            lock.unlock();
            done(at - 1, std::move(run));
            ++handedOn;
            lock.lock();
        } else {
            // Cut short by a stop, or never started once the workers ended:
            // nothing to hand on, and what finished after it still is.
            ++at;
        }
    }
    lock.unlock();
    return handedOn;
}

}  // namespace kessrune
