// Generated sample shops: as many made-up Taobao and Tmall shops as a test or
// a benchmark wants, besides the hand-made ones (samples/sample_shops.h),
// each with its own page and style sheet and made the same way every time.
//
// Shop n (from 1) is, by (n - 1) % 4: a Taobao shop with a designer
// template, a Taobao shop with the system template, a Tmall shop with a
// designer template, a Tmall shop with the system template, its sheet on the
// image host. Its directory holds the marketplace's word, as the analysis
// needs: "gen0001.taobao.com", "gen0003.tmall.com"; the page is served at
// /<directory>/, the sheet at /<directory>/<cssFile>.
//   GeneratedShop shop = generatedShop(3);  // shop.directory == "gen0003.tmall.com"
//   std::string page = generatedPage(shop, 8080);
//   generatedExpectedCss(shop);  // what an analysis shows of generatedSheet(shop)
#ifndef KESSRUNE_SAMPLES_GENERATED_SHOPS_H
#define KESSRUNE_SAMPLES_GENERATED_SHOPS_H

#include <optional>
#include <string>
#include <string_view>

namespace kessrune::samples {

struct GeneratedShop {
    int number = 0;
    std::string directory;        // "gen0001.taobao.com" (at least four digits)
    std::string cssFile;          // "gen0001.css"
    bool cssOnImageHost = false;  // its address is http://img.localhost:PORT/...
    std::string summary;          // one line for people
    // What the analysis shows, in UTF-8, prefixes included.
    std::string shopName;
    std::string shopkeeper;
    std::string templateKind;
    int requests = 0;  // fetchPage calls of one run
};

// Both are sent as UTF-8, and say so.
inline constexpr std::string_view kGeneratedPageType = "text/html; charset=utf-8";
inline constexpr std::string_view kGeneratedSheetType = "text/css; charset=utf-8";

// Shop `number`; numbers below 1 count as 1.
GeneratedShop generatedShop(int number);

// The number of the shop whose directory is `directory`, spelt exactly as
// generatedShop spells it: "gen0001.taobao.com" -> 1; nullopt for any other
// text ("gen1.taobao.com", "gen0000.taobao.com", "gen0001.tmall.com": shop 1
// is a Taobao one).
std::optional<int> generatedShopNumber(std::string_view directory);

// The shop's home page (UTF-8) as the server on 127.0.0.1:`port` sends it.
std::string generatedPage(const GeneratedShop& shop, int port);

// The shop's style sheet (UTF-8), scoped as the marketplace scopes it.
std::string generatedSheet(const GeneratedShop& shop);

// The CSS an analysis of the shop shows: its sheet with the marketplace's
// scope taken off, written out rule by rule beside the sheet's own.
std::string generatedExpectedCss(const GeneratedShop& shop);

}  // namespace kessrune::samples

#endif  // KESSRUNE_SAMPLES_GENERATED_SHOPS_H
