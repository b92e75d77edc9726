// The marketplace words in a shop address, which decide the passes of the
// analysis: "tmall" runs the Tmall pass, "taobao" the Taobao pass, both run
// both (Tmall first), neither runs none. The test is exact (case matters)
// and steps by character, so a GBK second byte never starts a word.
//   holdsTmall("http://qingshan.tmall.com/") == true
//   holdsTaobao("http://x.TAOBAO.com/") == false
//   isShopAddress("http://shop.example.com/") == false; isShopAddress("") == false
#ifndef KESSRUNE_ANALYSIS_SHOP_ADDRESS_H
#define KESSRUNE_ANALYSIS_SHOP_ADDRESS_H

#include <string_view>

namespace kessrune {

inline constexpr std::string_view kTmallWord = "tmall";
inline constexpr std::string_view kTaobaoWord = "taobao";

// Whether the GBK `address` holds "tmall".
bool holdsTmall(std::string_view address);
// Whether the GBK `address` holds "taobao".
bool holdsTaobao(std::string_view address);
// Whether the analysis runs any pass for `address`: it holds either word.
bool isShopAddress(std::string_view address);

}  // namespace kessrune

#endif  // KESSRUNE_ANALYSIS_SHOP_ADDRESS_H
