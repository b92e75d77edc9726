// The names of the controls the analysis touches, and the captions it gives
// 按钮1: the one spelling of each, shared by the analysis, the window and
// the command line.
//
// Names are UTF-8, as the window's objectName: they name controls and are
// never texts of the system. Captions are texts of the system, so GBK; a
// front end converts them at its edge like every other text.
//   form.setCaption(controls::kAnalyzeButton, controls::kReadyCaption);
//   window.findChild<QWidget*>(QString::fromUtf8(controls::kAddressBox.data()));
#ifndef KESSRUNE_ANALYSIS_CONTROLS_H
#define KESSRUNE_ANALYSIS_CONTROLS_H

#include <string_view>

namespace kessrune::controls {

inline constexpr std::string_view kAddressBox = "编辑框1";   // shop address
inline constexpr std::string_view kAnalyzeButton = "按钮1";  // "分析css"
inline constexpr std::string_view kShopNameLabel = "透明标签5";
inline constexpr std::string_view kShopkeeperLabel = "透明标签6";
inline constexpr std::string_view kTemplateLabel = "透明标签2";
inline constexpr std::string_view kCssAddressBox = "编辑框2";
inline constexpr std::string_view kCssCodeBox = "编辑框4";

// The captions of 按钮1 in GBK, spelt in hex (UTF-8 in the comment); a hex
// escape that an ASCII letter follows is closed by splitting the literal.
// clang-format off
// 分析css: the button as the window starts, and once a run has found a
// style-sheet address.
inline constexpr std::string_view kReadyCaption = "\xb7\xd6\xce\xf6" "css";
// 请稍候...: while a run lasts, and after one that found no address.
inline constexpr std::string_view kBusyCaption = "\xc7\xeb\xc9\xd4\xba\xf2...";
// clang-format on

}  // namespace kessrune::controls

#endif  // KESSRUNE_ANALYSIS_CONTROLS_H
