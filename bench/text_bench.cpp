// Speed of the text toolkit, each figure a ratio against a baseline of the
// same run:
//   - searching an 8 MiB shop page (HTML, about 10 % GBK Chinese) for an
//     absent needle, exactly and ignoring case, against string_view::find;
//   - removing the page-scope prefix from a 4 MiB style sheet, against a
//     plain find-and-append loop;
//   - linearity: on adversarial inputs (lead bytes only, spaces only, a
//     million separators or occurrences) four times the input may cost at
//     most five times the time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/inputs.h"
#include "bench/ratio.h"
#include "text/markers.h"
#include "text/text.h"

namespace kessrune {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// A small deterministic generator, so that every run measures the same text.
class Random {
  public:
    std::uint32_t next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    std::size_t below(std::size_t n) { return next() % n; }

  private:
    std::uint64_t state_ = 0x5eed;
};

// GBK characters as a shop page holds them: common simplified ones and
// traditional ones whose second bytes look like ASCII.
const std::vector<std::string_view>& chineseCharacters() {
    static const std::vector<std::string_view> all = {
        "\xb5\xea", "\xc6\xcc", "\xc6\xec", "\xbd\xa2", "\xb5\xea", "\xd5\xc6", "\xb9\xf1",
        "\xd0\xc2", "\xbf\xee", "\xc9\xcf", "\xca\xd0", "\xc5\xae", "\xd7\xb0", "\xb0\xfc",
        "\xd3\xca", "\xb7\xd1", "\xc3\xe2", "\xb7\xa2", "\xbb\xf5", "\xc8\xc8", "\xcf\xfa",
        "\x96\x7c", "\xc8\x41", "\xe5\x5c", "\xe0\x5d", "\xb4\x61", "\x94\x5b", "\x9b\x5d",
    };
    return all;
}

std::string chinese(Random& random, std::size_t characters) {
    std::string out;
    const auto& all = chineseCharacters();
    for (std::size_t i = 0; i < characters; ++i)
        out += all[random.below(all.size())];
    return out;
}

// An 8 MiB shop page: item blocks of mostly ASCII markup with Chinese titles
// and labels making up about a tenth of the bytes.
const std::string& shopPage() {
    static const std::string page = [] {
        Random random;
        std::string out = "<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>" +
                          chinese(random, 8) + "</title></head><body class=\"shop-home\">\n";
        while (out.size() < 8 * kMiB) {
            const std::string id = std::to_string(500000000 + random.below(100000000));
            out += "<div class=\"item J_TGoldData\" data-id=\"" + id +
                   "\"><a href=\"//item.taobao.com/item.htm?id=" + id +
                   "\" target=\"_blank\"><img src=\"//img.alicdn.com/bao/uploaded/i4/" + id +
                   "/TB1" + std::to_string(random.next()) +
                   ".jpg_240x240.jpg\" alt=\"\"/></a><p class=\"title\">" + chinese(random, 9) +
                   "</p><span class=\"price\"><em>" + std::to_string(random.below(999)) +
                   ".00</em></span><span class=\"sale\">" + chinese(random, 2) + " " +
                   std::to_string(random.below(5000)) + "</span></div>\n";
        }
        out.resize(8 * kMiB);
        return out;
    }();
    return page;
}

// The marker the analysis cuts the shopkeeper's name by (always ignoring
// case); this page has none.
constexpr std::string_view kAbsentNeedle = "shopkeeper";

// The baselines get their needles at run time, as the toolkit does, so that
// the compiler cannot specialise them for a known needle.
std::string_view opaque(std::string_view s) {
    benchmark::DoNotOptimize(s);
    return s;
}

void BM_pageStringViewFind(benchmark::State& state) {
    const std::string_view page = shopPage();
    const std::string_view needle = opaque(kAbsentNeedle);
    for (auto _ : state)
        benchmark::DoNotOptimize(page.find(needle));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
void BM_pageFindTextExact(benchmark::State& state) {
    const std::string_view page = shopPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(findText(page, kAbsentNeedle, 1, false));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
void BM_pageFindTextIgnoringCase(benchmark::State& state) {
    const std::string_view page = shopPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(findText(page, kAbsentNeedle, 1, true));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_pageStringViewFind)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_pageFindTextExact)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_pageFindTextIgnoringCase)->Unit(benchmark::kMillisecond);
KESSRUNE_RATIO("findText exact, absent / string_view::find", "BM_pageFindTextExact",
               "BM_pageStringViewFind", 1.5);
KESSRUNE_RATIO("findText ignoring case, absent / string_view::find", "BM_pageFindTextIgnoringCase",
               "BM_pageStringViewFind", 3.0);

// A 4 MiB style sheet of 20,000 rules, each behind the page-scope prefix.
constexpr std::string_view kPrefix = "#page #content";
const std::string& styleSheet() {
    static const std::string css = [] {
        Random random;
        constexpr std::size_t kRules = 20000;
        const std::size_t perRule = 4 * kMiB / kRules;
        std::string out;
        out.reserve(4 * kMiB + 256);
        for (std::size_t i = 0; i < kRules; ++i) {
            std::string rule = std::string(kPrefix) + " .J_TModule .skin-box-bd .item-" +
                               std::to_string(i) +
                               "{color:#3c3c3c;font-size:12px;line-height:18px;background:url(//"
                               "img.alicdn.com/tps/i1/T1" +
                               std::to_string(random.next()) +
                               ".png) no-repeat 0 0;margin:0 auto}/* " + chinese(random, 4) + " */";
            while (rule.size() + 1 < perRule)
                rule += ' ';
            out += rule + '\n';
        }
        return out;
    }();
    return css;
}

void BM_cssFindAndAppend(benchmark::State& state) {
    const std::string_view css = styleSheet();
    const std::string_view prefix = opaque(kPrefix);
    for (auto _ : state) {
        std::string out;
        out.reserve(css.size());
        std::size_t from = 0;
        for (std::size_t q; (q = css.find(prefix, from)) != std::string_view::npos;) {
            out.append(css.substr(from, q - from));
            from = q + prefix.size();
        }
        out.append(css.substr(from));
        benchmark::DoNotOptimize(out.data());
    }
}
void BM_cssReplaceText(benchmark::State& state) {
    const std::string_view css = styleSheet();
    for (auto _ : state) {
        Text out = replaceText(css, kPrefix, "", 1, -1, true);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_cssFindAndAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_cssReplaceText)->Unit(benchmark::kMillisecond);
KESSRUNE_RATIO("replaceText prefix, exact / find-and-append loop", "BM_cssReplaceText",
               "BM_cssFindAndAppend", 2.0);

// ---------------------------------------------------------------------------
// Linearity: each case runs on an input of n and of 4n bytes.

// Both sizes lie beyond the level-2 cache, so that the ratio shows the
// algorithm and not a change of cache level.
constexpr std::size_t kSmall = 2 * kMiB;

using bench::repeated;

// Inputs are built once per kind and size and kept for the whole run.
const std::string& input(std::string_view kind, std::size_t size) {
    static std::map<std::pair<std::string, std::size_t>, std::string> cache;
    const auto key = std::make_pair(std::string(kind), size);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    std::string text;
    if (kind == "lead")
        text = repeated("\x81", size);  // all bytes 0x81
    if (kind == "lead+]")
        text = repeated("\x81", size - 1) + "]";  // one "]", a second byte
    if (kind == "spaces")
        text = repeated(" ", size);
    if (kind == "fullwidth")
        text = repeated("\xa1\xa1", size);
    if (kind == "separators")
        text = repeated("a;", size);  // a million separators at 2 MiB
    if (kind == "occurrences")
        text = repeated("ab", size);
    if (kind == "letters")
        text = repeated("a", size);
    if (kind == "rare letters")
        text = repeated("z", size);  // the rarest letter in shop pages
    if (kind == "tags")
        text = repeated("<a>", size);
    return cache.emplace(key, std::move(text)).first->second;
}

struct LinearCase {
    const char* name;
    const char* kind;
    std::function<void(std::string_view)> run;
    std::size_t small = kSmall;  // the 1x size; the 4x run takes four times as much
};

const std::vector<LinearCase>& linearCases() {
    using benchmark::DoNotOptimize;
    static const std::vector<LinearCase> cases = {
        {"findText lead bytes, absent", "lead",
         [](std::string_view t) { DoNotOptimize(findText(t, "\x81]", 1, false)); }},
        // One forward search and one count back over the whole text: the
        // count back of a small text starts in what the search left in the
        // level-2 cache, so this case runs larger.
        {"findText lead bytes, second-byte match", "lead+]",
         [](std::string_view t) { DoNotOptimize(findText(t, "]", 1, false)); }, 4 * kMiB},
        // Every byte is a candidate for the needle's rarest byte, and every
        // candidate fails on its last byte.
        {"findText ignoring case, candidates everywhere", "rare letters",
         [](std::string_view t) { DoNotOptimize(findText(t, "Zz-", 1, true)); }},
        {"findTextReverse lead bytes", "lead",
         [](std::string_view t) { DoNotOptimize(findTextReverse(t, "\x81\x81")); }},
        {"findTextReverse occurrences", "occurrences",
         [](std::string_view t) { DoNotOptimize(findTextReverse(t, "b")); }},
        {"replaceText occurrences", "occurrences",
         [](std::string_view t) { DoNotOptimize(replaceText(t, "ab", "x", 1, -1, true).size()); }},
        {"replaceText lead bytes", "lead",
         [](std::string_view t) { DoNotOptimize(replaceText(t, "]", "x", 1, -1, true).size()); }},
        {"replaceText ignoring case, letters", "letters",
         [](std::string_view t) { DoNotOptimize(replaceText(t, "A", "", 1, -1, false).size()); }},
        {"splitText separators", "separators",
         [](std::string_view t) { DoNotOptimize(splitText(t, ";").size()); }},
        {"splitText spaces", "spaces",
         [](std::string_view t) { DoNotOptimize(splitText(t, "  ").size()); }},
        {"trimText spaces", "spaces",
         [](std::string_view t) { DoNotOptimize(trimText(t).size()); }},
        {"trimText full-width spaces", "fullwidth",
         [](std::string_view t) { DoNotOptimize(trimText(t).size()); }},
        {"trimText lead bytes", "lead",
         [](std::string_view t) { DoNotOptimize(trimText(t).size()); }},
        {"removeSpaces spaces", "spaces",
         [](std::string_view t) { DoNotOptimize(removeSpaces(t).size()); }},
        {"removeSpaces lead bytes", "lead",
         [](std::string_view t) { DoNotOptimize(removeSpaces(t).size()); }},
        {"toLowerText letters", "letters",
         [](std::string_view t) { DoNotOptimize(toLowerText(t).size()); }},
        {"extractBetween lead bytes, no end marker", "lead",
         [](std::string_view t) { DoNotOptimize(extractBetween(t, "\x81", "\x81]").size()); }},
        {"extractBetween tags, no end marker", "tags",
         [](std::string_view t) { DoNotOptimize(extractBetween(t, "<A>", "</a>").size()); }},
        {"textAfterLast tags", "tags",
         [](std::string_view t) { DoNotOptimize(textAfterLast(t, ">").size()); }},
    };
    return cases;
}

std::string linearName(const LinearCase& c, std::size_t size) {
    return std::string("linear/") + c.name + "/" + std::to_string(size);
}

const int kLinearRegistered = [] {
    for (const LinearCase& c : linearCases()) {
        for (std::size_t size : {c.small, 4 * c.small}) {
            benchmark::RegisterBenchmark(linearName(c, size).c_str(), [&c, size](
                                                                          benchmark::State& state) {
                const std::string_view t = input(c.kind, size);
                for (auto _ : state)
                    c.run(t);
            })->Unit(benchmark::kMillisecond);
        }
        bench::declareRatio(std::string(c.name) + ": 4x input / 1x", linearName(c, 4 * c.small),
                            linearName(c, c.small), 5.0);
    }
    return 0;
}();

}  // namespace
}  // namespace kessrune

// Each benchmark runs for a quarter of a second unless told otherwise on the
// command line, which keeps the whole run well under a minute.
int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char minTime[] = "--benchmark_min_time=0.25";
    args.insert(args.begin() + 1, minTime);
    int count = static_cast<int>(args.size());
    return kessrune::bench::runWithRatios(count, args.data());
}
