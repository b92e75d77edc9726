// analyzeShop: the analysis run behind the "分析css" button.
#ifndef KESSRUNE_ANALYSIS_ANALYSIS_H
#define KESSRUNE_ANALYSIS_ANALYSIS_H

#include <cstddef>
#include <functional>
#include <string_view>

#include "analysis/controls.h"
#include "text/text.h"

namespace kessrune {

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

// One step of a run, as it happens; the views last for the call only. The
// ids are the run's own names for its steps: "T1" to "T25" in the Tmall
// pass, "B1" to "B26" in the Taobao pass.
struct AnalysisStep {
    enum class Kind {
        fetch,          // `control` read, `text` the address; `length` of the page
        cut,            // between `start` and `end`; which was found; `length` of the piece
        keepAfterLast,  // the text after the last `start` (">"); `length` of it
        test,           // whether the working text holds `start`: `passed`
        remove,         // every `start` removed from the sheet; `length` after it
        write,          // `text` written into `control`
    };
    std::string_view id;
    Kind kind = Kind::fetch;
    std::string_view control = {};
    std::string_view text = {};
    std::string_view start = {};
    std::string_view end = {};
    bool startFound = false;
    bool endFound = false;
    bool passed = false;
    std::size_t length = 0;
};

// Hears every step of the runs of the session it is attached to. It must
// not touch the form or the session.
class AnalysisObserver {
  public:
    virtual ~AnalysisObserver() = default;
    virtual void onStep(const AnalysisStep& step) = 0;
};

// What a run works on, kept from one run to the next for as long as its
// owner keeps it: the window holds one session for the program's whole life,
// the command line one per run, a batch one per shop.
struct AnalysisSession {
    // Every fetch of a run stores its page here, every cut replaces it with
    // the piece cut from it, every control write shows it. "" at start and
    // never reset between runs; after a run in which a pass ran it holds the
    // text last written to 编辑框4.
    Text workingText;
    // Told each step of a run when set; the run does the same either way.
    AnalysisObserver* observer = nullptr;
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
