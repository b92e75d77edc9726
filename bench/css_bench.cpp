// Speed of the CSS toolkit, each figure a ratio against a baseline of the
// same run:
//   - formatting a 4 MiB minified shop sheet (one line, as the marketplace
//     serves it), against one std::count pass over it for '{';
//   - linearity: formatting four times the sheet may cost at most five times
//     the time, on that sheet and on adversarial ones (deep nesting, one
//     unclosed parenthesis, comments, escapes, bad strings, custom-property
//     blocks), and so may finding its urls.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/inputs.h"
#include "bench/ratio.h"
#include "css/format.h"
#include "css/urls.h"

namespace kessrune {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// A small deterministic generator, so that every run measures the same sheet.
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

// A shop's minified sheet of `size` bytes: module rules with long selectors,
// image urls, Chinese font names (UTF-8), hacks and filters, @media blocks
// holding rules, a selector-less rule now and then, a banner comment.
std::string minifiedSheet(std::size_t size) {
    Random random;
    static constexpr std::string_view kModules[] = {".tshop-pbsm-shop-nav-ch",
                                                    ".tshop-pbsm-shop-item-recommend",
                                                    ".skin-box-bd",
                                                    ".J_TModule",
                                                    ".tb-shop-banner",
                                                    ".hesper-cats"};
    static constexpr std::string_view kFonts[] = {"\"微软雅黑\"", "\"宋体\"", "tahoma",
                                                  "\"Microsoft YaHei\""};
    auto rule = [&](std::string& out) {
        const std::string n = std::to_string(random.below(100000));
        out += kModules[random.below(std::size(kModules))];
        out += " .item-" + n + " li a:hover,";
        out += kModules[random.below(std::size(kModules))];
        out += " .title-" + n + ">span{background:url(//img.alicdn.com/imgextra/i" +
               std::to_string(random.below(4) + 1) + "/" + n + "/TB2" +
               std::to_string(random.next()) + ".png) no-repeat 0 -" +
               std::to_string(random.below(300)) + "px;color:#" +
               std::to_string(100000 + random.below(800000)) + ";font:12px/1.5 " +
               std::string(kFonts[random.below(std::size(kFonts))]) +
               ",arial,sans-serif;margin:0 auto;width:" + std::to_string(random.below(990)) +
               "px;*zoom:1;_height:1%;filter:alpha(opacity=80);opacity:.8}";
    };
    std::string out = "/* 店铺装修 by 设计师 2014 */@charset \"utf-8\";";
    out.reserve(size + 1024);
    while (out.size() < size) {
        const std::size_t pick = random.below(40);
        if (pick == 0) {
            out += "@media screen and (max-width:990px){";
            for (int i = 0; i < 4; ++i)
                rule(out);
            out += "}";
        } else if (pick == 1) {
            out += "{width:990px;background:#fbf8f2}";
        } else {
            rule(out);
        }
    }
    out.resize(size);
    return out;
}

using bench::repeated;

// Inputs are built once per kind and size and kept for the whole run.
const std::string& input(std::string_view kind, std::size_t size) {
    static std::map<std::pair<std::string, std::size_t>, std::string> cache;
    const auto key = std::make_pair(std::string(kind), size);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    std::string sheet;
    if (kind == "minified")
        sheet = minifiedSheet(size);
    if (kind == "braces")
        sheet = repeated("{", size / 2) + repeated("}", size / 2);  // as deep as it is long
    if (kind == "parenthesis")
        sheet = "a{b:c(" + repeated(";}{", size);  // one item to the end
    if (kind == "comments")
        sheet = repeated("/**/", size);
    if (kind == "escapes")
        sheet = repeated("\\41", size);  // one identifier, each escape open
    if (kind == "bad strings")
        sheet = "a{b:" + repeated("\"x\n", size);
    if (kind == "custom blocks")
        sheet = "a{--x:" + repeated("{", size / 2) + repeated("}", size / 2);
    if (kind == "urls")
        sheet = repeated("a{b:url( /**/ \"c\" /**/ x)}", size);  // each a near miss
    return cache.emplace(key, std::move(sheet)).first->second;
}

// The baseline: one plain pass over the sheet.
void BM_countBraces(benchmark::State& state) {
    const std::string_view sheet = input("minified", 4 * kMiB);
    for (auto _ : state)
        benchmark::DoNotOptimize(std::count(sheet.begin(), sheet.end(), '{'));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sheet.size()));
}
void BM_formatSheet(benchmark::State& state) {
    const std::string_view sheet = input("minified", 4 * kMiB);
    for (auto _ : state) {
        const std::string formatted = css::formatSheet(sheet);
        benchmark::DoNotOptimize(formatted.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sheet.size()));
}
BENCHMARK(BM_countBraces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_formatSheet)->Unit(benchmark::kMillisecond);
KESSRUNE_RATIO("formatSheet 4 MiB minified / std::count '{'", "BM_formatSheet", "BM_countBraces",
               25.0);

// ---------------------------------------------------------------------------
// Linearity: each case runs on an input of n and of 4n bytes, both beyond the
// level-2 cache, so that the ratio shows the algorithm and not a change of
// cache level.

struct LinearCase {
    const char* name;
    const char* kind;
    std::function<void(std::string_view)> run;
    std::size_t small = 2 * kMiB;  // the 1x size; the 4x run takes four times as much
};

void format(std::string_view sheet) {
    const std::string formatted = css::formatSheet(sheet);
    benchmark::DoNotOptimize(formatted.data());
}

const std::vector<LinearCase>& linearCases() {
    static const std::vector<LinearCase> cases = {
        {"formatSheet minified", "minified", format, 4 * kMiB},
        {"formatSheet nested as deep as long", "braces", format},
        {"formatSheet unclosed parenthesis", "parenthesis", format},
        {"formatSheet comments", "comments", format},
        {"formatSheet open escapes", "escapes", format},
        {"formatSheet bad strings", "bad strings", format},
        {"formatSheet custom-property blocks", "custom blocks", format},
        {"findUrls minified", "minified",
         [](std::string_view t) { benchmark::DoNotOptimize(css::findUrls(t).size()); }, 4 * kMiB},
        {"findUrls near misses", "urls",
         [](std::string_view t) { benchmark::DoNotOptimize(css::findUrls(t).size()); }},
    };
    return cases;
}

// A 16 MiB run needs a few iterations for a steady figure. Google Benchmark
// names a benchmark that has its own minimum time after it.
constexpr double kLinearMinTime = 1.0;
constexpr std::string_view kLinearMinTimeSuffix = "/min_time:1.000";

std::string linearName(const LinearCase& c, std::size_t size) {
    return std::string("linear/") + c.name + "/" + std::to_string(size);
}

const int kLinearRegistered = [] {
    for (const LinearCase& c : linearCases()) {
        for (std::size_t size : {c.small, 4 * c.small}) {
            benchmark::RegisterBenchmark(linearName(c, size).c_str(),
                                         [&c, size](benchmark::State& state) {
                                             const std::string_view t = input(c.kind, size);
                                             for (auto _ : state)
                                                 c.run(t);
                                         })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(kLinearMinTime);
        }
        const std::string suffix(kLinearMinTimeSuffix);
        bench::declareRatio(std::string(c.name) + ": 4x input / 1x",
                            linearName(c, 4 * c.small) + suffix, linearName(c, c.small) + suffix,
                            5.0);
    }
    return 0;
}();

}  // namespace
}  // namespace kessrune

// Each benchmark runs for a quarter of a second unless told otherwise on the
// command line (the linear ones for a second whatever it says), which keeps
// the whole run around a minute.
int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char minTime[] = "--benchmark_min_time=0.25";
    args.insert(args.begin() + 1, minTime);
    int count = static_cast<int>(args.size());
    return kessrune::bench::runWithRatios(count, args.data());
}
