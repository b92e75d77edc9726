// The command line's run of one shop over a fake fetch: the reason line for
// each way a run can end, and the address checks at the terminal's edge.
#include "cli/shop_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/address_argument.h"
#include "testing/gbk.h"

namespace kessrune {
namespace {

using testing::gbk;

const std::string kTaobao = "http://127.0.0.1:8080/lanting.taobao.com/";
const std::string kTmall = "http://127.0.0.1:8080/yunxiu.tmall.com/";
const std::string kSheet = "http://css.test/shop.css";

const std::string kNameAndKeeper =
    gbk("<div class=\"shop-name\"><a>兰亭书画<i></i></a>进入店铺</div>"
        "<div class=\"seller\"><a>掌柜：兰亭居士</a>wangwang</div>");
const std::string kDesignerPage =
    kNameAndKeeper +
    gbk("<span>店铺设计：<a>墨池</a></span> designer's <link href=\"" + kSheet + "\"> S GLOBAL JS");
const std::string kSystemPage =
    kNameAndKeeper +
    gbk(" system module 模块自定义（设计师）css输出 <link href=\"" + kSheet + "\"> GLOBAL");

// One answer of the fake fetch: a body, a status and a failure.
struct Answer {
    std::string body;
    int status = 200;
    FetchFailure failure = FetchFailure::none;
};

// Answers shop-page call n with pages[n - 1] (the last one for later
// calls) and kSheet with `sheet`.
ShopRun runWith(const std::string& address, std::vector<Answer> pages,
                Answer sheet = {"#page #content a{color:red}"}) {
    int calls = 0;
    ShopRunOptions options;
    options.fetch = [&](const Text& asked, const FetchOptions& fetchOptions) -> Text {
        // Anything else (a whole page, "") is no address at all.
        const Answer none{"", 0, FetchFailure::notAHostName};
        const Answer& a = asked == kSheet ? sheet
                          : asked == address
                              ? pages[std::min<std::size_t>(calls++, pages.size() - 1)]
                              : none;
        fetchOptions.report->status = a.failure == FetchFailure::none ? a.status : 0;
        fetchOptions.report->failure = a.failure;
        fetchOptions.report->bytes = a.body.size();
        return a.body;
    };
    return runShop(address, options);
}

TEST(ShopRunTest, ReasonLineForEachOutcome) {
    struct Case {
        const char* name;
        ShopRun run;
        std::string problem;
    };
    const std::string sheetLine = "the style sheet could not be fetched: ";
    Case cases[] = {
        {"good shop", runWith(kTaobao, {{kDesignerPage}}), ""},
        {"system template", runWith(kTaobao, {{kSystemPage}}), ""},
        {"neither template", runWith(kTaobao, {{kNameAndKeeper}}),
         "no style sheet: call 3's page holds neither \"designer's\" nor \"system module\", so "
         "the window would show the page itself as the CSS address"},
        {"designer on call 3 only",
         runWith(kTaobao, {{kDesignerPage}, {kDesignerPage}, {kDesignerPage}, {kNameAndKeeper}}),
         "no style sheet: call 4's page lacks \"designer's\" although call 3's had it"},
        {"designer without its end marker",
         runWith(kTaobao, {{kNameAndKeeper + " designer's <link href=\"" + kSheet + "\">"}}),
         "no style sheet address: call 4's page has no \"S GLOBAL JS\" after \"designer's\""},
        {"empty pages", runWith(kTaobao, {{""}}), "the shop page is empty: " + kTaobao},
        {"missing http://img piece",
         runWith(kTmall, {{gbk("system module <div class=\"head fix rgn\">我的淘宝</div>")}}),
         "no style sheet address: call 3's page has no \"http://img\" piece after \"head fix "
         "rgn\", so the address is \"http://img\" alone"},
        {"dead port", runWith(kTaobao, {{"", 0, FetchFailure::connectionRefused}}),
         "the shop page could not be fetched: connection refused (127.0.0.1:8080)"},
        {"shop page 404", runWith(kTaobao, {{"not found", 404}}),
         "the shop page could not be fetched: HTTP 404 for " + kTaobao},
        {"third call times out",
         runWith(kTaobao, {{kDesignerPage}, {kDesignerPage}, {"", 0, FetchFailure::idleTimeout}}),
         "the shop page could not be fetched (call 3): no data for too long (127.0.0.1:8080)"},
        {"sheet 404", runWith(kTaobao, {{kDesignerPage}}, {"not found", 404}),
         sheetLine + "HTTP 404 for " + kSheet},
        {"sheet refused TLS",
         runWith(kTaobao, {{kDesignerPage}}, {"", 0, FetchFailure::tlsRefused}),
         sheetLine + "TLS refused (css.test:80)"},
        {"empty sheet", runWith(kTaobao, {{kDesignerPage}}, {""}),
         "the style sheet is empty: " + kSheet},
        {"sheet of prefixes only", runWith(kTaobao, {{kDesignerPage}}, {"#page #content"}),
         "the style sheet is empty once its page-scope prefix is removed: " + kSheet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.run.problem(), c.problem);
        EXPECT_EQ(c.run.ok(), c.problem.empty());
        // One line, always.
        EXPECT_EQ(c.run.problem().find('\n'), std::string::npos);
    }
}

TEST(ShopRunTest, StepsAndFetchesAreKeptInOrder) {
    const ShopRun run = runWith(kTaobao, {{kSystemPage}});
    ASSERT_EQ(run.fetches.size(), 4u);
    EXPECT_EQ(run.fetches.back().address, kSheet);
    std::vector<std::string> ids;
    for (const StepRecord& s : run.steps)
        ids.push_back(s.id);
    const std::vector<std::string> expected = {"B1",  "B2",  "B3",  "B4",  "B5",  "B6",  "B7",
                                               "B8",  "B9",  "B10", "B11", "B18", "B19", "B20",
                                               "B21", "B22", "B23", "B24", "B25", "B26"};
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(run.steps[16].fetch, 3);  // B23 is the fourth fetch
    EXPECT_EQ(stepTraceLine(run.steps[1]),
              "B2 cut \"shop-name\" (found) \xe2\x80\xa6 \"进入店铺\" (found): " +
                  std::to_string(run.steps[1].length) + " bytes");
    EXPECT_EQ(groupedNumber(48213), "48 213");
    EXPECT_EQ(groupedNumber(999), "999");
    EXPECT_EQ(groupedNumber(1000000), "1 000 000");
}

TEST(AddressArgumentTest, TrimsAndRefuses) {
    struct Case {
        std::string raw;
        std::string address;  // "" when refused
        std::string problemStart;
    };
    const Case cases[] = {
        {"http://x.taobao.com/", "http://x.taobao.com/", ""},
        {" \thttp://x.taobao.com/ \r\n", "http://x.taobao.com/", ""},
        {"http://x.taobao.com/店", "http://x.taobao.com/店", ""},
        {"http://x/\r\nHost: y", "", "the address holds a control character (CR) at byte 10"},
        {"http://x/\tb", "", "the address holds a control character (TAB) at byte 10"},
        {"http://x/\x7f", "", "the address holds a control character (0x7F) at byte 10"},
        {"http://x/\xb5\xea", "", "the address is not valid UTF-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        const AddressArgument a = checkAddressArgument(c.raw);
        EXPECT_EQ(a.address, c.address);
        EXPECT_EQ(a.problem.substr(0, c.problemStart.size()), c.problemStart);
        EXPECT_EQ(a.problem.find_first_of("\r\n"), std::string::npos);
    }
    const AddressArgument longOne = checkAddressArgument(std::string(100'000, 'a') + "\n\x01");
    EXPECT_LT(longOne.problem.size(), 300u);
}

TEST(AddressArgumentTest, Utf8ValidityAndShortening) {
    for (const char* good : {"", "abc", "店铺", "\xf0\x9f\x98\x80", "\xef\xbf\xbd"})
        EXPECT_TRUE(isValidUtf8(good)) << good;
    for (const char* bad : {"\x80", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80",
                            "\xe5\xba", "\xff"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
    EXPECT_EQ(shortened("abcdef", 3), "abc\xe2\x80\xa6");
    EXPECT_EQ(shortened("abc", 3), "abc");
    EXPECT_EQ(shortened("店铺", 4), "店\xe2\x80\xa6");  // not inside a character
}

}  // namespace
}  // namespace kessrune
