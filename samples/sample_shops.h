// The sample shops: home pages and style sheets of made-up Taobao and Tmall
// shops, one for every road through the analysis, and what an analysis of
// each shows.
//
// The pages live under samples/shops/<directory>/. A page may hold
// "{{ORIGIN}}" (http://127.0.0.1:PORT) and "{{PORT}}", which the server fills
// in, so the style-sheet addresses found in a page point back at it.
#ifndef KESSRUNE_SAMPLES_SAMPLE_SHOPS_H
#define KESSRUNE_SAMPLES_SAMPLE_SHOPS_H

#include <span>
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

}  // namespace kessrune::samples

#endif  // KESSRUNE_SAMPLES_SAMPLE_SHOPS_H
