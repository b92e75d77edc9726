// The texts the run writes into the shop-information labels before (or in
// place of) what it found, as GBK bytes; front ends that show the findings
// without the window's words take these off again.
#ifndef KESSRUNE_ANALYSIS_LABELS_H
#define KESSRUNE_ANALYSIS_LABELS_H

#include <string_view>

namespace kessrune::labels {

// clang-format off
// 店铺名称：  (透明标签5, before the shop name)
inline constexpr std::string_view kShopNamePrefix = "\xb5\xea\xc6\xcc\xc3\xfb\xb3\xc6\xa3\xba";
// 掌柜：  (透明标签6, before the shopkeeper)
inline constexpr std::string_view kShopkeeperPrefix = "\xd5\xc6\xb9\xf1\xa3\xba";
// ★当前模板为设计师模板，模版设计：  (透明标签2, before the designer's name)
inline constexpr std::string_view kDesignerTemplatePrefix =
    "\xa1\xef\xb5\xb1\xc7\xb0\xc4\xa3\xb0\xe5\xce\xaa\xc9\xe8\xbc\xc6\xca\xa6\xc4\xa3\xb0\xe5"
    "\xa3\xac\xc4\xa3\xb0\xe6\xc9\xe8\xbc\xc6\xa3\xba";
// ☆当前模板为系统默认模板  (透明标签2, alone)
inline constexpr std::string_view kSystemTemplate =
    "\xa1\xee\xb5\xb1\xc7\xb0\xc4\xa3\xb0\xe5\xce\xaa\xcf\xb5\xcd\xb3\xc4\xac\xc8\xcf\xc4\xa3"
    "\xb0\xe5";
// clang-format on

}  // namespace kessrune::labels

#endif  // KESSRUNE_ANALYSIS_LABELS_H
