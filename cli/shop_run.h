// One shop analysed for the command line: the run over a console form and
// a session of its own, every fetch's report and every step kept, and the
// outcome told in one line a person understands.
#ifndef KESSRUNE_CLI_SHOP_RUN_H
#define KESSRUNE_CLI_SHOP_RUN_H

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis.h"
#include "cli/console_form.h"
#include "http/fetch.h"

namespace kessrune {

// One fetch of a run: the address asked for (GBK) and what happened.
struct FetchRecord {
    Text address;
    FetchReport report;
};

// One step of a run, kept (a control write's text cut short for the box
// that holds the style sheet).
struct StepRecord {
    std::string id;
    AnalysisStep::Kind kind = AnalysisStep::Kind::fetch;
    std::string control;  // UTF-8 control name
    Text text;            // GBK: a fetch's address, a write's text ("" for 编辑框4)
    Text start, end;      // GBK markers
    bool startFound = false;
    bool endFound = false;
    bool passed = false;
    std::size_t length = 0;
    int fetch = -1;  // a fetch step's index into ShopRun::fetches
};

struct ShopRunOptions {
    // The whole run's time limit; none when empty.
    std::optional<std::chrono::milliseconds> maxTime;
    std::stop_token stop{};
    // Told one line (UTF-8, no line break) per request and per step, as they
    // happen, when set.
    std::function<void(std::string_view line)> trace;
    // The page fetch; fetchPage when empty (tests give one of their own).
    std::function<Text(const Text& address, const FetchOptions& options)> fetch;
};

struct ShopRun {
    explicit ShopRun(Text address) : address(address), form(std::move(address)) {}

    Text address;  // GBK, as run
    ConsoleForm form;
    std::vector<FetchRecord> fetches;
    std::vector<StepRecord> steps;
    bool cutByMaxTime = false;
    // Why the address was not run at all (a batch's line that is no address
    // a single run would take); "" when it was run.
    std::string refused;
    // Why the style sheet, fetched, could not be kept where it was asked to
    // go (a batch's output folder); "" when it was, or was not asked.
    std::string saveProblem;

    // The style sheet was fetched whole with a 2xx answer, and is not empty.
    bool ok() const;
    // Why not, in one line (UTF-8); "" when ok().
    std::string problem() const;
};

// Runs analyzeShop on `address` (GBK) with a session of its own.
ShopRun runShop(const Text& address, const ShopRunOptions& options = {});

// The trace line of one fetch: "GET http://… → 200, 48 213 bytes, 23 ms",
// or "GET http://… → connection refused".
std::string fetchTraceLine(const FetchRecord& fetch);
// The trace line of one step, e.g. "T2 cut "slogo-shopname" (found) …
// "WangWang" (found): 55 bytes".
std::string stepTraceLine(const StepRecord& step);

// "48 213": groups of three digits, for a person.
std::string groupedNumber(unsigned long long n);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_SHOP_RUN_H
