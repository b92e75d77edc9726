#include "analysis/analysis.h"

#include <utility>

#include "analysis/labels.h"
#include "analysis/shop_address.h"
#include "text/markers.h"

namespace kessrune {
namespace {

// Every literal the run searches for or writes, as GBK bytes. The Chinese
// ones are spelt in hex (their UTF-8 form in the comment); a hex escape that
// an ASCII letter follows is closed by splitting the literal.
// clang-format off
namespace gbk {
using namespace labels;
// 店铺设计：
constexpr std::string_view kShopDesign = "\xb5\xea\xc6\xcc\xc9\xe8\xbc\xc6\xa3\xba";
// 独立模块css
constexpr std::string_view kOwnModuleCss = "\xb6\xc0\xc1\xa2\xc4\xa3\xbf\xe9" "css";
// 我的淘宝
constexpr std::string_view kMyTaobao = "\xce\xd2\xb5\xc4\xcc\xd4\xb1\xa6";
// 进入店铺
constexpr std::string_view kEnterShop = "\xbd\xf8\xc8\xeb\xb5\xea\xc6\xcc";
// 模块自定义（设计师）css输出
constexpr std::string_view kDesignerModuleCssOutput =
    "\xc4\xa3\xbf\xe9\xd7\xd4\xb6\xa8\xd2\xe5\xa3\xa8\xc9\xe8\xbc\xc6\xca\xa6\xa3\xa9" "css"
    "\xca\xe4\xb3\xf6";
// clang-format on
}  // namespace gbk

constexpr std::string_view kDesignerWord = "designer's";
constexpr std::string_view kSystemModule = "system module";
constexpr std::string_view kHrefQuote = "href=\"";
constexpr std::string_view kQuote = "\"";
constexpr std::string_view kImageHost = "http://img";
// Tmall scopes its rules with two spaces after the prefix; one space, a line
// break or "{" after it is not the prefix and stays.
constexpr std::string_view kTmallScope = "#page #content  ";
constexpr std::string_view kTaobaoScope = "#page #content";
constexpr std::string_view kTaobaoNavClass = ".tshop-pbsm-shop-nav-ch";
constexpr std::string_view kTaobaoNavScope = "#page #content .tshop-pbsm-shop-nav-ch";

using namespace controls;

bool contains(std::string_view t, std::string_view x) {
    return findText(t, x) != -1;
}

// Where `start` and then `end` stand in `t`, as extractBetween looks for
// them (letter case ignored), for an observer that wants to know which was
// missing.
std::pair<bool, bool> markersFound(std::string_view t, std::string_view start,
                                   std::string_view end) {
    const int s = findText(t, start, 1, true);
    if (s == -1)
        return {false, false};
    return {true, findText(t, end, s + textLength(start), true) != -1};
}

// The steps every pass is written in; each works on the session's text and
// tells the session's observer, when there is one, what it did.
class Run {
  public:
    Run(AnalysisSession& session, Form& form, const PageFetch& fetch)
        : workingText(session.workingText),
          observer_(session.observer),
          form_(form),
          fetch_(fetch) {}

    // workingText becomes the page at the address the box holds right now.
    void fetchFrom(std::string_view id, std::string_view box) {
        const Text address = form_.readText(box);
        workingText = fetch_(address);
        if (observer_) {
            tell({.id = id,
                  .kind = AnalysisStep::Kind::fetch,
                  .control = box,
                  .text = address,
                  .length = workingText.size()});
        }
    }
    void cut(std::string_view id, std::string_view start, std::string_view end) {
        std::pair<bool, bool> found;
        if (observer_)
            found = markersFound(workingText, start, end);
        workingText = extractBetween(workingText, start, end);
        if (observer_) {
            tell({.id = id,
                  .kind = AnalysisStep::Kind::cut,
                  .start = start,
                  .end = end,
                  .startFound = found.first,
                  .endFound = found.second,
                  .length = workingText.size()});
        }
    }
    void keepAfterLastTag(std::string_view id) {
        const bool found = observer_ && findTextReverse(workingText, ">") != -1;
        workingText = textAfterLast(workingText, ">");
        if (observer_) {
            tell({.id = id,
                  .kind = AnalysisStep::Kind::keepAfterLast,
                  .start = ">",
                  .startFound = found,
                  .length = workingText.size()});
        }
    }
    bool test(std::string_view id, std::string_view marker) {
        const bool passed = contains(workingText, marker);
        if (observer_)
            tell({.id = id, .kind = AnalysisStep::Kind::test, .start = marker, .passed = passed});
        return passed;
    }
    void remove(std::string_view id, std::string_view scope) {
        workingText = replaceText(workingText, scope, "", 1, -1, /*exact=*/true);
        if (observer_) {
            tell({.id = id,
                  .kind = AnalysisStep::Kind::remove,
                  .start = scope,
                  .length = workingText.size()});
        }
    }
    void show(std::string_view id, std::string_view control, std::string_view prefix = {}) {
        // Without a prefix the text goes as it is: a whole style sheet is not
        // copied once more on its way to the box.
        if (prefix.empty()) {
            write(id, control, workingText);
        } else {
            write(id, control, concatText(prefix, workingText));
        }
    }
    void write(std::string_view id, std::string_view control, std::string_view text) {
        form_.setText(control, text);
        if (observer_)
            tell({.id = id, .kind = AnalysisStep::Kind::write, .control = control, .text = text});
    }
    bool addressHolds(bool (*holdsWord)(std::string_view)) {
        return holdsWord(form_.readText(kAddressBox));
    }

    void tmallPass();
    void taobaoPass();
    void complete();
    void start() {
        form_.setDisabled(kAnalyzeButton, true);
        form_.setCaption(kAnalyzeButton, kBusyCaption);
    }

  private:
    void tell(const AnalysisStep& step) { observer_->onStep(step); }

    Text& workingText;  // the session's, under the name every step uses
    AnalysisObserver* observer_;
    Form& form_;
    const PageFetch& fetch_;
};

void Run::tmallPass() {
    fetchFrom("T1", kAddressBox);  // call 1
    cut("T2", "slogo-shopname", "WangWang");
    cut("T3", ">", "</a>");  // shop name
    show("T4", kShopNameLabel, gbk::kShopNamePrefix);
    fetchFrom("T5", kAddressBox);  // call 2
    cut("T6", "shopkeeper", "WangWang");
    cut("T7", kHrefQuote, "</a>");
    keepAfterLastTag("T8");  // shopkeeper
    show("T9", kShopkeeperLabel, gbk::kShopkeeperPrefix);
    fetchFrom("T10", kAddressBox);     // call 3
    if (test("T11", kDesignerWord)) {  // designer test
        cut("T12", gbk::kShopDesign, "</span>");
        cut("T13", ">", "</a>");  // designer's name
        show("T14", kTemplateLabel, gbk::kDesignerTemplatePrefix);
        fetchFrom("T15", kAddressBox);  // call 4
        cut("T16", kDesignerWord, gbk::kOwnModuleCss);
        cut("T17", kHrefQuote, kQuote);  // CSS address
    }
    // T18 looks at the page of call 3, or at the address cut in T17.
    if (test("T18", kSystemModule)) {
        write("T19", kTemplateLabel, gbk::kSystemTemplate);
        cut("T20", "head fix rgn", gbk::kMyTaobao);
        cut("T21", kImageHost, kQuote);
        workingText = concatText(kImageHost, workingText);  // "http://img" put back
    }
    show("T22", kCssAddressBox);
    fetchFrom("T23", kCssAddressBox);  // the style sheet
    remove("T24", kTmallScope);
    show("T25", kCssCodeBox);
}

void Run::taobaoPass() {
    fetchFrom("B1", kAddressBox);  // call 1
    cut("B2", "shop-name", gbk::kEnterShop);
    cut("B3", ">", "<i");
    keepAfterLastTag("B4");  // shop name
    show("B5", kShopNameLabel, gbk::kShopNamePrefix);
    fetchFrom("B6", kAddressBox);  // call 2
    cut("B7", "seller", "wangwang");
    cut("B8", gbk::kShopkeeperPrefix, "</a>");  // shopkeeper
    show("B9", kShopkeeperLabel, gbk::kShopkeeperPrefix);
    fetchFrom("B10", kAddressBox);     // call 3
    if (test("B11", kDesignerWord)) {  // designer test
        cut("B12", gbk::kShopDesign, "</span>");
        cut("B13", ">", "</a>");  // designer's name
        show("B14", kTemplateLabel, gbk::kDesignerTemplatePrefix);
        fetchFrom("B15", kAddressBox);  // call 4
        cut("B16", kDesignerWord, "S GLOBAL JS");
        cut("B17", kHrefQuote, kQuote);  // CSS address
    }
    // B18 looks at the page of call 3, or at the address cut in B17.
    if (test("B18", kSystemModule)) {
        write("B19", kTemplateLabel, gbk::kSystemTemplate);
        cut("B20", gbk::kDesignerModuleCssOutput, "GLOBAL");
        cut("B21", kHrefQuote, kQuote);  // CSS address
    }
    show("B22", kCssAddressBox);
    fetchFrom("B23", kCssAddressBox);    // the style sheet
    if (test("B24", kTaobaoNavClass)) {  // navigation test
        remove("B25", kTaobaoNavScope);
    } else {
        remove("B25", kTaobaoScope);
    }
    show("B26", kCssCodeBox);
}

// The button comes back only when there is a style-sheet address to show;
// otherwise it stays busy.
void Run::complete() {
    if (compareText(form_.readText(kCssAddressBox), "") != 0) {
        form_.setDisabled(kAnalyzeButton, false);
        form_.setCaption(kAnalyzeButton, kReadyCaption);
    }
}

}  // namespace

void analyzeShop(AnalysisSession& session, Form& form, const PageFetch& fetch) {
    Run run(session, form, fetch);
    run.start();
    if (run.addressHolds(holdsTmall)) {
        run.tmallPass();
    }
    if (run.addressHolds(holdsTaobao)) {
        run.taobaoPass();
    }
    run.complete();
}

}  // namespace kessrune
