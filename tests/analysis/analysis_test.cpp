#include "analysis/analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/gbk.h"
#include "tests/analysis/fakes.h"

namespace kessrune {
namespace {

using testing::FakeFetch;
using testing::FakeForm;
using testing::gbk;
using testing::utf8;
using namespace controls;
using Addresses = std::vector<Text>;

const std::string kBusy = gbk("请稍候...");
const std::string kReady = gbk("分析css");
const std::string kTmallShop = "http://127.0.0.1:8080/yunxiu.tmall.com/";
const std::string kTaobaoShop = "http://127.0.0.1:8080/lanting.taobao.com/";

// Small pages that hold just the markers each pass cuts by.
const std::string kTaobaoNameAndKeeper =
    gbk("<div class=\"shop-name\"><a href=\"/\">兰亭书画<i class=\"arrow\"></i></a></div>"
        "<a class=\"enter\">进入店铺</a>\n"
        "<div class=\"seller\"><a href=\"/c\">掌柜：兰亭居士</a><span "
        "class=\"wangwang\"></span></div>\n");
const std::string kTaobaoDesignerPage =
    gbk("<!-- designer's css --><link href=\"http://css.test/tb-designer.css\"><!-- S GLOBAL JS "
        "-->\n"
        "<span class=\"designer\">店铺设计：<a href=\"/d\">墨池设计</a></span>\n") +
    kTaobaoNameAndKeeper;
const std::string kTaobaoSystemPage =
    gbk("<!-- system module -->\n<!-- 模块自定义（设计师）css输出 -->"
        "<link href=\"http://css.test/tb-system.css\"><!-- GLOBAL JS -->\n") +
    kTaobaoNameAndKeeper;
const std::string kTmallNameAndKeeper =
    gbk("<a class=\"slogo-shopname\" href=\"/\">云袖旗舰店</a><span class=\"WangWang\"></span>\n"
        "<div class=\"shopkeeper\">掌柜：<a href=\"/c\" target=\"_blank\">云袖官方</a>"
        "<span class=\"WangWang\"></span></div>\n");
const std::string kTmallDesignerPage =
    gbk("<!-- designer's --><link href=\"http://css.test/tm-designer.css\"><!-- 独立模块css -->\n"
        "<span class=\"designer\">店铺设计：<a href=\"/d\">青墨视觉</a></span>\n") +
    kTmallNameAndKeeper;
const std::string kTmallSystemPage =
    gbk("<!-- system module -->\n<div class=\"head fix rgn\">"
        "<link href=\"http://img01.test/tm-system.css\"><a href=\"/my\">我的淘宝</a></div>\n") +
    kTmallNameAndKeeper;

// Serves one shop page at every address but the style sheet's.
FakeFetch shopAt(const std::string& page, const std::string& sheet = "body{}") {
    return FakeFetch([page, sheet](const Text& address, int) {
        return address.find(".css") != std::string::npos ? sheet : page;
    });
}

class AnalyzeShopTest : public ::testing::Test {
  protected:
    void run(const std::string& address, FakeFetch& fetch) {
        form.texts[std::string(kAddressBox)] = address;
        analyzeShop(session, form, fetch.fetch());
    }
    bool busy() { return form.disabled[std::string(kAnalyzeButton)]; }
    std::string caption() { return form.captions[std::string(kAnalyzeButton)]; }

    FakeForm form;
    AnalysisSession session;
};

TEST_F(AnalyzeShopTest, EachPassFillsEveryControl) {
    struct Case {
        const char* name;
        std::string address;
        std::string page;
        const char* shopName;
        const char* shopkeeper;
        const char* templateKind;
        std::string cssAddress;
        int pageFetches;
    };
    const Case cases[] = {
        {"Taobao designer", kTaobaoShop, kTaobaoDesignerPage, "店铺名称：兰亭书画",
         "掌柜：兰亭居士", "★当前模板为设计师模板，模版设计：墨池设计",
         "http://css.test/tb-designer.css", 4},
        {"Taobao system", kTaobaoShop, kTaobaoSystemPage, "店铺名称：兰亭书画", "掌柜：兰亭居士",
         "☆当前模板为系统默认模板", "http://css.test/tb-system.css", 3},
        {"Tmall designer", kTmallShop, kTmallDesignerPage, "店铺名称：云袖旗舰店", "掌柜：云袖官方",
         "★当前模板为设计师模板，模版设计：青墨视觉", "http://css.test/tm-designer.css", 4},
        {"Tmall system", kTmallShop, kTmallSystemPage, "店铺名称：云袖旗舰店", "掌柜：云袖官方",
         "☆当前模板为系统默认模板", "http://img01.test/tm-system.css", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form = FakeForm();
        FakeFetch fetch = shopAt(c.page, gbk("/* 样式 */ body{}"));
        run(c.address, fetch);
        EXPECT_EQ(form.text(kShopNameLabel), gbk(c.shopName));
        EXPECT_EQ(form.text(kShopkeeperLabel), gbk(c.shopkeeper));
        EXPECT_EQ(form.text(kTemplateLabel), gbk(c.templateKind));
        EXPECT_EQ(form.text(kCssAddressBox), c.cssAddress);
        EXPECT_EQ(form.text(kCssCodeBox), gbk("/* 样式 */ body{}"));
        Addresses expected(c.pageFetches, c.address);
        expected.push_back(c.cssAddress);
        EXPECT_EQ(fetch.asked, expected);
        EXPECT_FALSE(busy());
        EXPECT_EQ(caption(), kReady);
        EXPECT_EQ(session.workingText, form.text(kCssCodeBox));
    }
}

// The controls are read afresh before every fetch and for each test, and
// the button is the first and last thing touched.
TEST_F(AnalyzeShopTest, TalksToTheFormInStepOrder) {
    FakeFetch fetch = shopAt(kTaobaoSystemPage);
    run(kTaobaoShop, fetch);
    const std::string a(kAddressBox), b(kAnalyzeButton), css(kCssAddressBox);
    const std::vector<std::string> expected = {
        "disable " + b,
        "caption " + b,
        "read " + a,  // "tmall"?
        "read " + a,  // "taobao"?
        "read " + a,
        "text " + std::string(kShopNameLabel),  // B1-B5
        "read " + a,
        "text " + std::string(kShopkeeperLabel),  // B6-B9
        "read " + a,
        "text " + std::string(kTemplateLabel),  // B10, B19
        "text " + css,
        "read " + css,                       // B22, B23
        "text " + std::string(kCssCodeBox),  // B26
        "read " + css,
        "enable " + b,
        "caption " + b,  // completion
    };
    EXPECT_EQ(form.log, expected);
}

TEST_F(AnalyzeShopTest, AddressWithoutEitherWordMakesNoRequest) {
    for (const char* address :
         {"http://shop.example.com/", "http://x.TMALL.com/", "http://x.Taobao.com/", ""}) {
        SCOPED_TRACE(address);
        form = FakeForm();
        FakeFetch fetch = shopAt(kTaobaoDesignerPage);
        run(address, fetch);
        EXPECT_TRUE(fetch.asked.empty());
        const std::string b(kAnalyzeButton), a(kAddressBox);
        EXPECT_EQ(form.log,
                  (std::vector<std::string>{"disable " + b, "caption " + b, "read " + a,
                                            "read " + a, "read " + std::string(kCssAddressBox)}));
        EXPECT_TRUE(busy());  // 编辑框2 is still empty on a first run
        EXPECT_EQ(caption(), kBusy);
    }
}

TEST_F(AnalyzeShopTest, BothWordsRunTmallThenTaobao) {
    const std::string address = "http://127.0.0.1/tmall-and-taobao/";
    // Tmall's five calls get the Tmall page; the Taobao pass's page holds
    // neither template test.
    FakeFetch fetch([&](const Text& asked, int call) -> Text {
        if (call <= 5) {
            return asked == address ? kTmallDesignerPage : "tmall{}";
        }
        return asked == address ? kTaobaoNameAndKeeper : "";
    });
    run(address, fetch);
    Addresses expected(4, address);
    expected.push_back("http://css.test/tm-designer.css");
    expected.insert(expected.end(), 3, address);
    expected.push_back(kTaobaoNameAndKeeper);  // the whole page, as the CSS address
    EXPECT_EQ(fetch.asked, expected);
    EXPECT_EQ(form.text(kShopNameLabel), gbk("店铺名称：兰亭书画"));
    EXPECT_EQ(form.text(kShopkeeperLabel), gbk("掌柜：兰亭居士"));
    EXPECT_EQ(form.text(kTemplateLabel), gbk("★当前模板为设计师模板，模版设计：青墨视觉"));
    EXPECT_EQ(form.text(kCssAddressBox), kTaobaoNameAndKeeper);
    EXPECT_EQ(form.text(kCssCodeBox), "");
    EXPECT_FALSE(busy());
}

TEST_F(AnalyzeShopTest, EmptyPagesLeavePrefixesAndABusyButton) {
    for (const std::string& address : {kTmallShop, kTaobaoShop}) {
        SCOPED_TRACE(address);
        form = FakeForm();
        form.texts[std::string(kTemplateLabel)] = "earlier";
        form.texts[std::string(kCssAddressBox)] = "http://css.test/earlier.css";
        form.texts[std::string(kCssCodeBox)] = "earlier{}";
        FakeFetch fetch;  // every call gives ""
        run(address, fetch);
        EXPECT_EQ(fetch.asked, (Addresses{address, address, address, ""}));
        EXPECT_EQ(form.text(kShopNameLabel), gbk("店铺名称："));
        EXPECT_EQ(form.text(kShopkeeperLabel), gbk("掌柜："));
        EXPECT_EQ(form.text(kTemplateLabel), "earlier");
        EXPECT_EQ(form.text(kCssAddressBox), "");
        EXPECT_EQ(form.text(kCssCodeBox), "");
        EXPECT_TRUE(busy());
        EXPECT_EQ(caption(), kBusy);
    }
}

// A marker missing from the page empties that piece: the label shows its
// prefix alone, and the rest of the run goes on.
TEST_F(AnalyzeShopTest, MissingMarkersLeaveThePrefixAlone) {
    auto without = [](std::string page, const std::string& marker) {
        std::string m = gbk(marker);
        page.replace(page.find(m), m.size(), "");
        return page;
    };
    struct Case {
        std::string address;
        std::string page;
        std::string_view label;
        const char* shows;
    };
    const Case cases[] = {
        {kTaobaoShop, without(kTaobaoSystemPage, "进入店铺"), kShopNameLabel, "店铺名称："},
        {kTaobaoShop, without(kTaobaoSystemPage, "<i"), kShopNameLabel, "店铺名称："},
        {kTaobaoShop, without(kTaobaoSystemPage, "seller"), kShopkeeperLabel, "掌柜："},
        {kTaobaoShop, without(kTaobaoSystemPage, "掌柜："), kShopkeeperLabel, "掌柜："},
        {kTmallShop, without(kTmallSystemPage, "slogo-shopname"), kShopNameLabel, "店铺名称："},
        {kTmallShop, without(kTmallSystemPage, "shopkeeper"), kShopkeeperLabel, "掌柜："},
        {kTmallShop, without(kTmallDesignerPage, "店铺设计："), kTemplateLabel,
         "★当前模板为设计师模板，模版设计："},
        {kTaobaoShop, without(kTaobaoDesignerPage, "墨池设计</a>"), kTemplateLabel,
         "★当前模板为设计师模板，模版设计："},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.page));
        form = FakeForm();
        FakeFetch fetch = shopAt(c.page);
        run(c.address, fetch);
        EXPECT_EQ(form.text(c.label), gbk(c.shows));
        EXPECT_FALSE(form.text(kCssAddressBox).empty());
        EXPECT_FALSE(busy());
    }
}

// Call 3 shows a designer's template, call 4 no longer does: no address.
TEST_F(AnalyzeShopTest, DesignerOnCallThreeButNotOnCallFour) {
    const std::pair<std::string, std::string> shops[] = {{kTmallShop, kTmallDesignerPage},
                                                         {kTaobaoShop, kTaobaoDesignerPage}};
    for (const auto& [address, page] : shops) {
        SCOPED_TRACE(address);
        form = FakeForm();
        FakeFetch fetch([&, page = page](const Text&, int call) {
            if (call == 4) {
                return kTaobaoNameAndKeeper;
            }
            return call < 4 ? page : Text();  // no address, no sheet
        });
        run(address, fetch);
        EXPECT_EQ(fetch.asked, (Addresses{address, address, address, address, ""}));
        EXPECT_EQ(utf8(form.text(kTemplateLabel)).rfind("★当前模板为设计师模板，模版设计：", 0),
                  0u);
        EXPECT_EQ(form.text(kCssAddressBox), "");
        EXPECT_EQ(form.text(kCssCodeBox), "");
        EXPECT_TRUE(busy());
    }
}

// Neither "designer's" nor "system module": the whole page is the address.
TEST_F(AnalyzeShopTest, NeitherTemplateTestHandsOnTheWholePage) {
    // The designer test compares exactly, so a capital D does not count.
    std::string page = kTaobaoNameAndKeeper + "<!-- Designer's css -->";
    FakeFetch fetch = shopAt(page);
    form.texts[std::string(kTemplateLabel)] = "earlier";
    run(kTaobaoShop, fetch);
    EXPECT_EQ(form.text(kTemplateLabel), "earlier");
    EXPECT_EQ(form.text(kCssAddressBox), page);
    EXPECT_EQ(fetch.asked, (Addresses{kTaobaoShop, kTaobaoShop, kTaobaoShop, page}));
    EXPECT_EQ(form.text(kCssCodeBox), page);  // shopAt answers the page itself
    EXPECT_FALSE(busy());
}

// The Tmall system template's address keeps its "http://img" start; with no
// piece after it the address is "http://img" alone, which is still fetched.
TEST_F(AnalyzeShopTest, TmallImageHostAddress) {
    struct Case {
        const char* link;
        const char* cssAddress;
    };
    const Case cases[] = {
        {"<link href=\"http://img01.test/s.css\">", "http://img01.test/s.css"},
        {"<link href=\"http://img\">", "http://img"},
        {"<link href=\"/s.css\">", "http://img"},
        {"<link href=\"http://IMG01.test/s.css\">", "http://img01.test/s.css"},  // cuts ignore case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        form = FakeForm();
        std::string page = gbk(std::string("<!-- system module --><div class=\"head fix rgn\">") +
                               c.link + "<a>我的淘宝</a></div>") +
                           kTmallNameAndKeeper;
        FakeFetch fetch = shopAt(page);
        run(kTmallShop, fetch);
        EXPECT_EQ(form.text(kCssAddressBox), c.cssAddress);
        EXPECT_EQ(fetch.asked.back(), c.cssAddress);
        EXPECT_FALSE(busy());
    }
}

// After a passed designer test the system-module test looks at the address
// cut out of call 4; passing there too, the address is cut again out of it.
TEST_F(AnalyzeShopTest, SystemModuleTestLooksAtTheDesignerAddress) {
    struct Case {
        std::string address;
        std::string page;
        const char* cssAddress;
    };
    std::string tmall = kTmallDesignerPage, taobao = kTaobaoDesignerPage;
    tmall.replace(tmall.find("tm-designer.css"), 15, "system module.css");
    taobao.replace(taobao.find("tb-designer.css"), 15, "system module.css");
    const Case cases[] = {{kTmallShop, tmall, "http://img"}, {kTaobaoShop, taobao, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        form = FakeForm();
        FakeFetch fetch = shopAt(c.page);
        run(c.address, fetch);
        EXPECT_EQ(form.text(kTemplateLabel), gbk("☆当前模板为系统默认模板"));
        EXPECT_EQ(form.text(kCssAddressBox), c.cssAddress);
        EXPECT_EQ(fetch.asked.size(), 5u);
    }
}

TEST_F(AnalyzeShopTest, RemovesEachMarketplacesPrefix) {
    struct Case {
        const char* name;
        std::string address;
        std::string page;
        std::string sheet;
        std::string shown;
    };
    const Case cases[] = {
        {"Tmall: two spaces only", kTmallShop, kTmallSystemPage,
         "#page #content  .a{}\n#page #content .b{}\n#page #content\n.c{}\n#page #content{}",
         ".a{}\n#page #content .b{}\n#page #content\n.c{}\n#page #content{}"},
        {"Tmall: three spaces leave one", kTmallShop, kTmallSystemPage, "#page #content   .a{}",
         " .a{}"},
        {"Tmall: exact case", kTmallShop, kTmallSystemPage, "#PAGE #content  .a{}",
         "#PAGE #content  .a{}"},
        {"Taobao with the nav class", kTaobaoShop, kTaobaoSystemPage,
         "#page #content .tshop-pbsm-shop-nav-ch a{}\n#page #content .b{}",
         " a{}\n#page #content .b{}"},
        {"Taobao without it", kTaobaoShop, kTaobaoSystemPage,
         "#page #content .b{}\n#page #content{}\n#page #content  .c{}", " .b{}\n{}\n  .c{}"},
        {"Taobao: the class alone decides", kTaobaoShop, kTaobaoSystemPage,
         ".tshop-pbsm-shop-nav-ch{}\n#page #content .b{}",
         ".tshop-pbsm-shop-nav-ch{}\n#page #content .b{}"},
        {"Taobao: GBK kept whole", kTaobaoShop, kTaobaoSystemPage,
         gbk("/* 导航 */#page #content .b{font-family:\"宋体\"}"),
         gbk("/* 导航 */ .b{font-family:\"宋体\"}")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form = FakeForm();
        FakeFetch fetch = shopAt(c.page, c.sheet);
        run(c.address, fetch);
        EXPECT_EQ(form.text(kCssCodeBox), c.shown);
    }
}

// The working text and every control the second run does not write keep what
// the first run left.
TEST_F(AnalyzeShopTest, SecondRunKeepsWhatTheFirstWrote) {
    FakeFetch first = shopAt(kTaobaoDesignerPage, "first{}");
    run(kTaobaoShop, first);
    const std::string templateKind = form.text(kTemplateLabel);
    ASSERT_EQ(session.workingText, "first{}");

    // No pass: nothing but the button is written, and the completion test
    // sees the first run's address, so the button comes back.
    form.log.clear();
    FakeFetch none = shopAt(kTaobaoDesignerPage);
    run("http://shop.example.com/", none);
    EXPECT_TRUE(none.asked.empty());
    EXPECT_EQ(session.workingText, "first{}");
    EXPECT_EQ(form.text(kCssCodeBox), "first{}");
    EXPECT_FALSE(busy());
    EXPECT_EQ(caption(), kReady);

    // A pass whose template tests fail leaves the template label alone.
    FakeFetch second = shopAt(kTaobaoNameAndKeeper);
    run(kTaobaoShop, second);
    EXPECT_EQ(form.text(kTemplateLabel), templateKind);
    EXPECT_EQ(session.workingText, kTaobaoNameAndKeeper);
}

// Keeps every step it hears, as "id kind detail".
struct StepLog : AnalysisObserver {
    void onStep(const AnalysisStep& step) override {
        std::string line(step.id);
        switch (step.kind) {
            case AnalysisStep::Kind::fetch:
                line += " fetch " + std::string(step.control) + " " + std::string(step.text);
                break;
            case AnalysisStep::Kind::cut:
                line += std::string(" cut ") + (step.startFound ? "+" : "-") +
                        (step.endFound ? "+" : "-") + (step.length == 0 ? " empty" : "");
                break;
            case AnalysisStep::Kind::keepAfterLast:
                line += std::string(" after") + (step.length == 0 ? " empty" : "");
                break;
            case AnalysisStep::Kind::test:
                line += std::string(" test ") + std::string(step.start) +
                        (step.passed ? " yes" : " no");
                break;
            case AnalysisStep::Kind::remove:
                line += " remove " + std::string(step.start);
                break;
            case AnalysisStep::Kind::write:
                line += " write " + std::string(step.control);
                break;
        }
        lines.push_back(line);
    }
    std::vector<std::string> lines;
};

TEST_F(AnalyzeShopTest, ObserverHearsBothPassesInOrder) {
    const std::string both = "http://127.0.0.1:8080/x.tmall.com/taobao/";
    // The Tmall pass's three page fetches get a system-template page, the
    // Taobao pass's a designer one.
    FakeFetch fetch([](const Text& address, int call) -> Text {
        if (address.find(".css") != std::string::npos)
            return "#page #content  a{}";
        return call <= 3 ? kTmallSystemPage : kTaobaoDesignerPage;
    });
    StepLog log;
    session.observer = &log;
    run(both, fetch);
    const std::string t5 = std::string(kShopNameLabel), t6 = std::string(kShopkeeperLabel),
                      t2 = std::string(kTemplateLabel), e2 = std::string(kCssAddressBox),
                      e4 = std::string(kCssCodeBox), e1 = std::string(kAddressBox);
    const std::vector<std::string> expected = {
        "T1 fetch " + e1 + " " + both,
        "T2 cut ++",
        "T3 cut ++",
        "T4 write " + t5,
        "T5 fetch " + e1 + " " + both,
        "T6 cut ++",
        "T7 cut ++",
        "T8 after",
        "T9 write " + t6,
        "T10 fetch " + e1 + " " + both,
        "T11 test designer's no",
        "T18 test system module yes",
        "T19 write " + t2,
        "T20 cut ++",
        "T21 cut ++",
        "T22 write " + e2,
        "T23 fetch " + e2 + " http://img01.test/tm-system.css",
        "T24 remove #page #content  ",
        "T25 write " + e4,
        "B1 fetch " + e1 + " " + both,
        "B2 cut ++",
        "B3 cut ++",
        "B4 after",
        "B5 write " + t5,
        "B6 fetch " + e1 + " " + both,
        "B7 cut ++",
        "B8 cut ++",
        "B9 write " + t6,
        "B10 fetch " + e1 + " " + both,
        "B11 test designer's yes",
        "B12 cut ++",
        "B13 cut ++",
        "B14 write " + t2,
        "B15 fetch " + e1 + " " + both,
        "B16 cut ++",
        "B17 cut ++",
        "B18 test system module no",
        "B22 write " + e2,
        "B23 fetch " + e2 + " http://css.test/tb-designer.css",
        "B24 test .tshop-pbsm-shop-nav-ch no",
        "B25 remove #page #content",
        "B26 write " + e4,
    };
    EXPECT_EQ(log.lines, expected);
}

// A missing marker shows in the step that looked for it.
TEST_F(AnalyzeShopTest, ObserverTellsWhichMarkerWasMissing) {
    FakeFetch fetch = shopAt(gbk("<!-- designer's -->没有地址"));
    StepLog log;
    session.observer = &log;
    run(kTaobaoShop, fetch);
    const auto has = [&](const std::string& line) {
        return std::find(log.lines.begin(), log.lines.end(), line) != log.lines.end();
    };
    EXPECT_TRUE(has("B2 cut -- empty"));
    EXPECT_TRUE(has("B11 test designer's yes"));
    EXPECT_TRUE(has("B16 cut +- empty"));  // "designer's" found, "S GLOBAL JS" not
    EXPECT_TRUE(has("B17 cut -- empty"));
}

// With an observer the run does exactly what it does without one.
TEST_F(AnalyzeShopTest, ObserverChangesNothing) {
    const std::string pages[] = {
        kTaobaoDesignerPage,       kTaobaoSystemPage, kTmallDesignerPage, kTmallSystemPage, "",
        gbk("<!-- designer's -->")};
    for (const std::string& address :
         {kTaobaoShop, kTmallShop, std::string("http://t.tmall.com/taobao/")}) {
        for (const std::string& page : pages) {
            SCOPED_TRACE(address + " " + utf8(page).substr(0, 40));
            FakeForm plain, watched;
            AnalysisSession plainSession, watchedSession;
            StepLog log;
            watchedSession.observer = &log;
            FakeFetch a = shopAt(page, "#page #content  x{}"),
                      b = shopAt(page, "#page #content  x{}");
            plain.texts[std::string(kAddressBox)] = address;
            watched.texts[std::string(kAddressBox)] = address;
            analyzeShop(plainSession, plain, a.fetch());
            analyzeShop(watchedSession, watched, b.fetch());
            EXPECT_EQ(watched.log, plain.log);
            EXPECT_EQ(watched.texts, plain.texts);
            EXPECT_EQ(watched.captions, plain.captions);
            EXPECT_EQ(watched.disabled, plain.disabled);
            EXPECT_EQ(b.asked, a.asked);
            EXPECT_EQ(watchedSession.workingText, plainSession.workingText);
            EXPECT_FALSE(log.lines.empty());
        }
    }
}

}  // namespace
}  // namespace kessrune
