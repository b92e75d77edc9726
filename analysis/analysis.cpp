#include "analysis/analysis.h"

#include "text/markers.h"

namespace kessrune {
namespace {

// Every literal the run searches for or writes, as GBK bytes. The Chinese
// ones are spelt in hex (their UTF-8 form in the comment); a hex escape that
// an ASCII letter follows is closed by splitting the literal.
// clang-format off
namespace gbk {
// 请稍候...
constexpr std::string_view kBusyCaption = "\xc7\xeb\xc9\xd4\xba\xf2...";
// 分析css
constexpr std::string_view kReadyCaption = "\xb7\xd6\xce\xf6" "css";
// 店铺名称：
constexpr std::string_view kShopNamePrefix = "\xb5\xea\xc6\xcc\xc3\xfb\xb3\xc6\xa3\xba";
// 掌柜：
constexpr std::string_view kShopkeeperPrefix = "\xd5\xc6\xb9\xf1\xa3\xba";
// ★当前模板为设计师模板，模版设计：
constexpr std::string_view kDesignerTemplatePrefix =
    "\xa1\xef\xb5\xb1\xc7\xb0\xc4\xa3\xb0\xe5\xce\xaa\xc9\xe8\xbc\xc6\xca\xa6\xc4\xa3\xb0\xe5"
    "\xa3\xac\xc4\xa3\xb0\xe6\xc9\xe8\xbc\xc6\xa3\xba";
// ☆当前模板为系统默认模板
constexpr std::string_view kSystemTemplate =
    "\xa1\xee\xb5\xb1\xc7\xb0\xc4\xa3\xb0\xe5\xce\xaa\xcf\xb5\xcd\xb3\xc4\xac\xc8\xcf\xc4\xa3"
    "\xb0\xe5";
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

constexpr std::string_view kTmall = "tmall";
constexpr std::string_view kTaobao = "taobao";
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

// The steps every pass is written in; each works on the session's text.
class Run {
  public:
    Run(AnalysisSession& session, Form& form, const PageFetch& fetch)
        : workingText(session.workingText), form_(form), fetch_(fetch) {}

    // workingText becomes the page at the address the box holds right now.
    void fetchFrom(std::string_view box) { workingText = fetch_(form_.readText(box)); }
    void cut(std::string_view start, std::string_view end) {
        workingText = extractBetween(workingText, start, end);
    }
    void keepAfterLastTag() { workingText = textAfterLast(workingText, ">"); }
    void remove(std::string_view scope) {
        workingText = replaceText(workingText, scope, "", 1, -1, /*exact=*/true);
    }
    void show(std::string_view control, std::string_view prefix = {}) {
        // Without a prefix the text goes as it is: a whole style sheet is not
        // copied once more on its way to the box.
        if (prefix.empty()) {
            form_.setText(control, workingText);
        } else {
            form_.setText(control, concatText(prefix, workingText));
        }
    }
    void showFixed(std::string_view control, std::string_view text) {
        form_.setText(control, text);
    }
    bool addressHolds(std::string_view word) { return contains(form_.readText(kAddressBox), word); }

    void tmallPass();
    void taobaoPass();
    void complete();
    void start() {
        form_.setDisabled(kAnalyzeButton, true);
        form_.setCaption(kAnalyzeButton, gbk::kBusyCaption);
    }

  private:
    Text& workingText;  // the session's, under the name every step uses
    Form& form_;
    const PageFetch& fetch_;
};

void Run::tmallPass() {
    fetchFrom(kAddressBox);                                  // T1  call 1
    cut("slogo-shopname", "WangWang");                       // T2
    cut(">", "</a>");                                        // T3  shop name
    show(kShopNameLabel, gbk::kShopNamePrefix);              // T4
    fetchFrom(kAddressBox);                                  // T5  call 2
    cut("shopkeeper", "WangWang");                           // T6
    cut(kHrefQuote, "</a>");                                 // T7
    keepAfterLastTag();                                      // T8  shopkeeper
    show(kShopkeeperLabel, gbk::kShopkeeperPrefix);          // T9
    fetchFrom(kAddressBox);                                  // T10 call 3
    if (contains(workingText, kDesignerWord)) {              // T11 designer test
        cut(gbk::kShopDesign, "</span>");                    // T12
        cut(">", "</a>");                                    // T13 designer's name
        show(kTemplateLabel, gbk::kDesignerTemplatePrefix);  // T14
        fetchFrom(kAddressBox);                              // T15 call 4
        cut(kDesignerWord, gbk::kOwnModuleCss);              // T16
        cut(kHrefQuote, kQuote);                             // T17 CSS address
    }
    // T18: looks at the page of call 3, or at the address cut in T17.
    if (contains(workingText, kSystemModule)) {
        showFixed(kTemplateLabel, gbk::kSystemTemplate);    // T19
        cut("head fix rgn", gbk::kMyTaobao);                // T20
        cut(kImageHost, kQuote);                            // T21 ...
        workingText = concatText(kImageHost, workingText);  //     with "http://img" put back
    }
    show(kCssAddressBox);       // T22
    fetchFrom(kCssAddressBox);  // T23 the style sheet
    remove(kTmallScope);        // T24
    show(kCssCodeBox);          // T25
}

void Run::taobaoPass() {
    fetchFrom(kAddressBox);                                  // B1  call 1
    cut("shop-name", gbk::kEnterShop);                       // B2
    cut(">", "<i");                                          // B3
    keepAfterLastTag();                                      // B4  shop name
    show(kShopNameLabel, gbk::kShopNamePrefix);              // B5
    fetchFrom(kAddressBox);                                  // B6  call 2
    cut("seller", "wangwang");                               // B7
    cut(gbk::kShopkeeperPrefix, "</a>");                     // B8  shopkeeper
    show(kShopkeeperLabel, gbk::kShopkeeperPrefix);          // B9
    fetchFrom(kAddressBox);                                  // B10 call 3
    if (contains(workingText, kDesignerWord)) {              // B11 designer test
        cut(gbk::kShopDesign, "</span>");                    // B12
        cut(">", "</a>");                                    // B13 designer's name
        show(kTemplateLabel, gbk::kDesignerTemplatePrefix);  // B14
        fetchFrom(kAddressBox);                              // B15 call 4
        cut(kDesignerWord, "S GLOBAL JS");                   // B16
        cut(kHrefQuote, kQuote);                             // B17 CSS address
    }
    // B18: looks at the page of call 3, or at the address cut in B17.
    if (contains(workingText, kSystemModule)) {
        showFixed(kTemplateLabel, gbk::kSystemTemplate);  // B19
        cut(gbk::kDesignerModuleCssOutput, "GLOBAL");     // B20
        cut(kHrefQuote, kQuote);                          // B21 CSS address
    }
    show(kCssAddressBox);                          // B22
    fetchFrom(kCssAddressBox);                     // B23 the style sheet
    if (contains(workingText, kTaobaoNavClass)) {  // B24 navigation test
        remove(kTaobaoNavScope);                   // B25
    } else {
        remove(kTaobaoScope);
    }
    show(kCssCodeBox);  // B26
}

// The button comes back only when there is a style-sheet address to show;
// otherwise it stays busy.
void Run::complete() {
    if (compareText(form_.readText(kCssAddressBox), "") != 0) {
        form_.setDisabled(kAnalyzeButton, false);
        form_.setCaption(kAnalyzeButton, gbk::kReadyCaption);
    }
}

}  // namespace

void analyzeShop(AnalysisSession& session, Form& form, const PageFetch& fetch) {
    Run run(session, form, fetch);
    run.start();
    if (run.addressHolds(kTmall)) {
        run.tmallPass();
    }
    if (run.addressHolds(kTaobao)) {
        run.taobaoPass();
    }
    run.complete();
}

}  // namespace kessrune
