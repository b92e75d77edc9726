// convertCharset over 8 MiB of UTF-8 shop-page text, against one plain
// iconv(3) call over the same bytes.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>
#include <string_view>

#include "bench/ratio.h"
#include "http/charset.h"

namespace {

constexpr std::size_t kSize = 8 << 20;

// Page text as the marketplaces serve it: markup, Chinese running text with
// full-width punctuation, a little Latin.
constexpr std::string_view kPage =
    "<div class=\"shop-intro\"><h3 class=\"title\">小熊家居旗舰店</h3>\n"
    "<p>“品质生活，从家开始”：全场包邮、七天无理由退换！本店所有商品均为正品，"
    "支持专柜验货。掌柜：小熊の家（ＡＢＣ１２３），客服在线时间：每天９:００—２３:００。</p>\n"
    "<ul class=\"list\"><li><a href=\"//detail.tmall.com/item.htm?id=520013&amp;skuId=1\">"
    "纯棉四件套 1.8m床 被套床单枕套 简约北欧风 ￥299.00</a></li>\n"
    "<li>规格：１００％纯棉　尺寸约 180×200cm · 颜色：米白、浅灰、藏青……</li></ul></div>\n";

const kessrune::Bytes& pageBytes() {
    static const kessrune::Bytes bytes = [] {
        std::string text;
        while (text.size() + kPage.size() <= kSize)
            text += kPage;
        return kessrune::Bytes(text.begin(), text.end());
    }();
    return bytes;
}

void BM_convertCharset(benchmark::State& state) {
    const kessrune::Bytes& data = pageBytes();
    for (auto _ : state) {
        kessrune::Bytes gbk = kessrune::convertCharset(data);
        benchmark::DoNotOptimize(gbk.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_convertCharset)->Unit(benchmark::kMillisecond)->UseRealTime();

// One iconv(3) call, descriptor and output buffer made outside the loop.
void BM_plainIconv(benchmark::State& state) {
    const kessrune::Bytes& data = pageBytes();
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string out(data.size(), '\0');
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(data.data()));
        std::size_t inLeft = data.size();
        char* o = out.data();
        std::size_t outLeft = out.size();
        const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        if (r == static_cast<std::size_t>(-1) || inLeft != 0)
            state.SkipWithError("iconv failed");
        benchmark::DoNotOptimize(out.data());
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_plainIconv)->Unit(benchmark::kMillisecond)->UseRealTime();

KESSRUNE_RATIO("convertCharset 8 MiB UTF-8 -> GBK / one iconv(3) call",
               "BM_convertCharset/real_time", "BM_plainIconv/real_time", 1.5);

}  // namespace

int main(int argc, char** argv) {
    return kessrune::bench::runWithRatios(argc, argv);
}
