// analyzeShop: the analysis run behind the "分析css" button.
#ifndef KESSRUNE_ANALYSIS_ANALYSIS_H
#define KESSRUNE_ANALYSIS_ANALYSIS_H

#include <functional>
#include <string_view>

#include "text/text.h"

namespace kessrune {

// The names of the controls the run touches (UTF-8, as the window's
// objectName; they name controls, they are not texts of the system).
namespace controls {
inline constexpr std::string_view kAddressBox = "编辑框1";   // shop address
inline constexpr std::string_view kAnalyzeButton = "按钮1";  // "分析css"
inline constexpr std::string_view kShopNameLabel = "透明标签5";
inline constexpr std::string_view kShopkeeperLabel = "透明标签6";
inline constexpr std::string_view kTemplateLabel = "透明标签2";
inline constexpr std::string_view kCssAddressBox = "编辑框2";
inline constexpr std::string_view kCssCodeBox = "编辑框4";
}  // namespace controls

// The control operations: the run's only view of the window. Texts are GBK.
class Form {
  public:
    virtual ~Form() = default;
    virtual Text readText(std::string_view control) = 0;                        // edit boxes
    virtual void setText(std::string_view control, std::string_view text) = 0;  // boxes, labels
    virtual void setCaption(std::string_view control, std::string_view caption) = 0;  // buttons
    virtual void setDisabled(std::string_view control, bool disabled) = 0;            // buttons
};

// The run's only way to the network: the page at an address, as GBK text,
// "" when it cannot be had (fetchPage with the address alone).
using PageFetch = std::function<Text(const Text& address)>;

// What a run works on, kept from one run to the next for as long as its
// owner keeps it: the window holds one session for the program's whole life,
// the command line one per run, a batch one per shop.
struct AnalysisSession {
    // Every fetch of a run stores its page here, every cut replaces it with
    // the piece cut from it, every control write shows it. "" at start and
    // never reset between runs; after a run in which a pass ran it holds the
    // text last written to 编辑框4.
    Text workingText;
};

// The run behind 按钮1 over `session`: the Tmall pass when 编辑框1 holds
// "tmall", the Taobao pass when it holds "taobao" (both, Tmall first, when
// it holds both), each a fixed list of fetches, cuts, tests and control
// writes; then 按钮1 comes back only when 编辑框2 holds text. Everything it
// finds it shows through `form`; `fetch` is its only way to the network.
//   AnalysisSession session; analyzeShop(session, form, fetch);
void analyzeShop(AnalysisSession& session, Form& form, const PageFetch& fetch);

}  // namespace kessrune

#endif  // KESSRUNE_ANALYSIS_ANALYSIS_H
