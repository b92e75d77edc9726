#include "cli/shop_run.h"

#include <cstdio>
#include <utility>

#include "cli/address_argument.h"
#include "http/charset.h"
#include "http/url.h"

namespace kessrune {
namespace {

using Clock = std::chrono::steady_clock;
using Kind = AnalysisStep::Kind;

std::string u8(std::string_view gbk) {
    return utf8FromGbk(gbk);
}

// A quoted marker or text for a message, in UTF-8 and cut short; a quote
// or backslash inside is escaped, so the quotes always pair up.
std::string quoted(std::string_view gbk) {
    std::string out = "\"";
    for (char c : shortened(u8(gbk), 80)) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string shortAddress(std::string_view gbk) {
    return shortened(u8(gbk));
}

// Keeps the steps of a run as they are told, numbering the fetches.
class StepRecorder final : public AnalysisObserver {
  public:
    StepRecorder(ShopRun& run, const ShopRunOptions& options) : run_(run), options_(options) {}

    void onStep(const AnalysisStep& step) override {
        StepRecord record;
        record.id = std::string(step.id);
        record.kind = step.kind;
        record.control = std::string(step.control);
        // The style sheet's box can hold a couple of hundred MiB: its text
        // is not kept twice.
        if (step.control != controls::kCssCodeBox)
            record.text = Text(step.text);
        record.start = Text(step.start);
        record.end = Text(step.end);
        record.startFound = step.startFound;
        record.endFound = step.endFound;
        record.passed = step.passed;
        record.length = step.kind == Kind::write ? step.text.size() : step.length;
        if (step.kind == Kind::fetch)
            record.fetch = fetches_++;
        if (options_.trace)
            options_.trace(stepTraceLine(record));
        run_.steps.push_back(std::move(record));
    }

  private:
    ShopRun& run_;
    const ShopRunOptions& options_;
    int fetches_ = 0;
};

bool isSuccess(int status) {
    return status >= 200 && status < 300;
}

// "connection refused (127.0.0.1:9)", "HTTP 404 for http://…"; "" when the
// fetch brought a whole 2xx answer.
std::string fetchProblem(const FetchRecord& f) {
    const FetchReport& r = f.report;
    const std::string where = u8(urlHost(f.address)) + ":" + std::to_string(urlPort(f.address));
    switch (r.failure) {
        case FetchFailure::none:
            return isSuccess(r.status)
                       ? ""
                       : "HTTP " + std::to_string(r.status) + " for " + shortAddress(f.address);
        case FetchFailure::notAHostName:
            return "not a host name: " + shortAddress(f.address);
        case FetchFailure::tlsRefused:
        case FetchFailure::brokenConnection:
            return std::string(failureWords(r.failure)) + " (" + where +
                   (r.detail.empty() ? "" : ": " + shortened(r.detail)) + ")";
        case FetchFailure::redirectToHttp:
        case FetchFailure::redirectToOtherScheme:
        case FetchFailure::tooManyRedirects:
            return std::string(failureWords(r.failure)) + " (to " + shortened(r.detail) + ")";
        default:
            return std::string(failureWords(r.failure)) + " (" + where + ")";
    }
}

}  // namespace

std::string groupedNumber(unsigned long long n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), " ");
    return digits;
}

std::string fetchTraceLine(const FetchRecord& f) {
    const FetchReport& r = f.report;
    std::string line = "GET " + shortAddress(f.address) + " \xe2\x86\x92 ";  // →
    if (r.status != 0 && (r.failure == FetchFailure::none || r.bytes > 0)) {
        line += std::to_string(r.status) + ", " + groupedNumber(r.bytes) + " bytes, " +
                std::to_string(r.time.count()) + " ms";
        if (r.redirects > 0)
            line += ", " + std::to_string(r.redirects) + " redirects";
        if (r.failure != FetchFailure::none)
            line += ", then " + fetchProblem(f);
        return line;
    }
    return line + fetchProblem(f);
}

std::string stepTraceLine(const StepRecord& s) {
    const auto found = [](bool yes) { return yes ? " (found)" : " (missing)"; };
    std::string line = s.id + " ";
    switch (s.kind) {
        case Kind::fetch:
            return line + "fetch " + s.control + ": " + groupedNumber(s.length) + " bytes";
        case Kind::cut:
            return line + "cut " + quoted(s.start) + found(s.startFound) + " \xe2\x80\xa6 " +
                   quoted(s.end) + (s.startFound ? found(s.endFound) : "") + ": " +
                   groupedNumber(s.length) + " bytes";
        case Kind::keepAfterLast:
            return line + "keep after the last " + quoted(s.start) + found(s.startFound) + ": " +
                   groupedNumber(s.length) + " bytes";
        case Kind::test:
            return line + "test " + quoted(s.start) + (s.passed ? ": passed" : ": failed");
        case Kind::remove:
            return line + "remove every " + quoted(s.start) + ": " + groupedNumber(s.length) +
                   " bytes left";
        case Kind::write:
            if (s.control == controls::kCssCodeBox)
                return line + "write " + s.control + ": " + groupedNumber(s.length) + " bytes";
            return line + "write " + s.control + ": " + quoted(s.text);
    }
    return line;
}

bool ShopRun::ok() const {
    if (!refused.empty() || !saveProblem.empty() || cutByMaxTime ||
        form.text(controls::kCssCodeBox).empty())
        return false;
    // The last fetch of the last pass is its style sheet.
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if (step->kind == Kind::fetch) {
            const FetchReport& r = fetches[static_cast<std::size_t>(step->fetch)].report;
            return r.failure == FetchFailure::none && isSuccess(r.status);
        }
    }
    return false;
}

std::string ShopRun::problem() const {
    if (!refused.empty())
        return refused;
    if (!saveProblem.empty())
        return saveProblem;
    if (ok())
        return {};
    if (cutByMaxTime)
        return "the run was cut off by the time limit (--max-time)";
    if (steps.empty())
        return "the address holds neither \"tmall\" nor \"taobao\"";

    // The last pass decides what the controls show.
    const char pass = steps.back().id.front();
    const auto step = [&](int n) -> const StepRecord* {
        const std::string id = pass + std::to_string(n);
        for (const StepRecord& s : steps) {
            if (s.id == id)
                return &s;
        }
        return nullptr;
    };
    const auto fetchOf = [&](const StepRecord* s) -> const FetchRecord& {
        return fetches[static_cast<std::size_t>(s->fetch)];
    };
    const bool tmall = pass == 'T';

    // The shop page, call by call.
    const int pageFetches[] = {1, tmall ? 5 : 6, 10, 15};
    for (int call = 1; call <= 4; ++call) {
        const StepRecord* s = step(pageFetches[call - 1]);
        if (s == nullptr)
            continue;
        const std::string why = fetchProblem(fetchOf(s));
        if (!why.empty()) {
            return "the shop page could not be fetched" +
                   (call > 1 ? " (call " + std::to_string(call) + ")" : std::string()) + ": " + why;
        }
        if (call == 3 && s->length == 0)
            return "the shop page is empty: " + shortAddress(fetchOf(s).address);
    }

    // How the style-sheet address was found, or not.
    const StepRecord* designer = step(11);
    const StepRecord* system = step(18);
    const auto cutProblem = [&](const StepRecord* s, const std::string& page) -> std::string {
        if (s == nullptr)
            return {};
        if (!s->startFound)
            return "no style sheet address: " + page + " has no " + quoted(s->start);
        if (!s->endFound)
            return "no style sheet address: " + page + " has no " + quoted(s->end) + " after " +
                   quoted(s->start);
        if (s->length == 0)
            return "no style sheet address: nothing stands between " + quoted(s->start) + " and " +
                   quoted(s->end) + " on " + page;
        return {};
    };
    if (designer && designer->passed) {
        const StepRecord* area = step(16);
        if (area && !area->startFound) {
            return "no style sheet: call 4's page lacks \"designer's\" although call 3's had it";
        }
        for (int n : {16, 17}) {
            if (std::string why = cutProblem(step(n), "call 4's page"); !why.empty())
                return why;
        }
    } else if (system && system->passed) {
        if (std::string why = cutProblem(step(20), "call 3's page"); !why.empty())
            return why;
        const StepRecord* piece = step(21);
        if (tmall && piece && !piece->startFound) {
            return "no style sheet address: call 3's page has no \"http://img\" piece after "
                   "\"head fix rgn\", so the address is \"http://img\" alone";
        }
        if (std::string why = cutProblem(piece, "call 3's page"); !why.empty())
            return why;
    } else if (designer) {
        return "no style sheet: call 3's page holds neither \"designer's\" nor \"system "
               "module\", so the window would show the page itself as the CSS address";
    }

    // The style sheet itself.
    const StepRecord* sheet = step(23);
    if (sheet) {
        const FetchRecord& f = fetchOf(sheet);
        if (std::string why = fetchProblem(f); !why.empty())
            return "the style sheet could not be fetched: " + why;
        if (sheet->length == 0)
            return "the style sheet is empty: " + shortAddress(f.address);
        return "the style sheet is empty once its page-scope prefix is removed: " +
               shortAddress(f.address);
    }
    return "no style sheet";
}

ShopRun runShop(const Text& address, const ShopRunOptions& options) {
    ShopRun run(address);
    StepRecorder recorder(run, options);
    AnalysisSession session;
    session.observer = &recorder;
    const Clock::time_point started = Clock::now();
    analyzeShop(session, run.form, [&](const Text& page) -> Text {
        FetchRecord& record = run.fetches.emplace_back();
        record.address = page;
        FetchOptions fetchOptions;
        fetchOptions.stop = options.stop;
        fetchOptions.report = &record.report;
        if (options.maxTime) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                started + *options.maxTime - Clock::now());
            if (left <= std::chrono::milliseconds::zero()) {
                run.cutByMaxTime = true;  // the time is up: the rest fetches nothing
                record.report.failure = FetchFailure::totalLimit;
                if (options.trace)
                    options.trace(fetchTraceLine(record));
                return {};
            }
            fetchOptions.maxTime = left;
        }
        Text fetched =
            options.fetch ? options.fetch(page, fetchOptions) : fetchPage(page, fetchOptions);
        if (record.report.failure == FetchFailure::totalLimit)
            run.cutByMaxTime = true;
        if (options.trace)
            options.trace(fetchTraceLine(record));
        return fetched;
    });
    return run;
}

}  // namespace kessrune
