// The sample shops: home pages and style sheets of made-up Taobao and Tmall
// shops, one for every road through the analysis, and what an analysis of
// each shows.
//
// The pages live under samples/shops/<directory>/ (shopsFolder()). A page
// may hold "{{ORIGIN}}" (http://127.0.0.1:PORT) and "{{PORT}}", which the
// server fills in, so the style-sheet addresses found in a page point back
// at it; each directory also holds expected.css, the CSS an analysis shows.
//   const SampleShop& shop = sampleShops()[0];
//   std::string page = shopPage(shop, 8080);  // as the server on port 8080 sends it
//   std::string css = shopFile(shop, "expected.css");
#ifndef KESSRUNE_SAMPLES_SAMPLE_SHOPS_H
#define KESSRUNE_SAMPLES_SAMPLE_SHOPS_H

#include <span>
#include <string>
#include <string_view>

namespace kessrune::samples {

struct SampleShop {
    std::string_view directory;        // "lanting.taobao.com": the page is /<directory>/
    std::string_view pageContentType;  // what the server says the page is
    std::string_view cssFile;          // the style sheet, in the same directory
    bool cssOnImageHost;               // its address is http://img.localhost:PORT/...
    std::string_view summary;          // one line for people
    // What the analysis shows, in UTF-8, prefixes included.
    std::string_view shopName;
    std::string_view shopkeeper;
    std::string_view templateKind;
    int requests;  // fetchPage calls of one run
};

// Every sample shop, Taobao first.
std::span<const SampleShop> sampleShops();

// The folder that holds the shops' directories: samples/shops of the source
// tree this was built from.
std::string_view shopsFolder();

// The bytes of `file` in the shop's directory, as stored; "" when there is
// no such file.
//   shopFile(shop, "expected.css"); shopFile(shop, std::string(shop.cssFile))
std::string shopFile(const SampleShop& shop, std::string_view file);

// `page` as the server on 127.0.0.1:`port` sends it: every "{{ORIGIN}}"
// made "http://127.0.0.1:<port>" and every "{{PORT}}" made the port.
//   fillPlaceholders("<a href=\"{{ORIGIN}}/a.css\">", 8080)
//       == "<a href=\"http://127.0.0.1:8080/a.css\">"
std::string fillPlaceholders(std::string page, int port);

// The shop's home page as the server on 127.0.0.1:`port` sends it.
std::string shopPage(const SampleShop& shop, int port);

}  // namespace kessrune::samples

#endif  // KESSRUNE_SAMPLES_SAMPLE_SHOPS_H
