// Batches over a fake fetch: input order kept whatever order shops end in,
// a stop that leaves what finished, and the pieces a batch writes with.
#include "cli/batch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cli/address_list.h"
#include "cli/batch_output.h"
#include "testing/gbk.h"

namespace kessrune {
namespace {

using namespace std::chrono_literals;
using testing::gbk;

const std::string kSheet = "/shop.css";

// A Taobao page whose style sheet sits at <address>/shop.css.
std::string pageFor(const std::string& address) {
    return gbk("<div class=\"shop-name\"><a>店" + address.substr(address.find("/s") + 2, 2) +
               "<i></i></a>进入店铺</div><div class=\"seller\"><a>掌柜：x</a>wangwang</div>"
               "<span>店铺设计：<a>y</a></span> designer's <link href=\"" +
               address + kSheet + "\"> S GLOBAL JS");
}

std::string address(int n) {
    return "http://127.0.0.1:1/s" + std::to_string(10 + n) + ".taobao.com/";
}

// Answers every shop; shop n's answers take `delay(n)`, and shops whose
// address holds "bad" answer 404.
std::function<Text(const Text&, const FetchOptions&)> fakeFetch(
    std::function<std::chrono::milliseconds(const Text&)> delay) {
    return [delay](const Text& asked, const FetchOptions& options) -> Text {
        std::this_thread::sleep_for(delay(asked));
        const bool sheet = asked.ends_with(kSheet);
        const bool bad = asked.find("bad") != Text::npos || !asked.starts_with("http://");
        options.report->status = bad ? 404 : 200;
        if (bad)
            return "";
        return sheet ? "#page #content a{color:red}" : pageFor(asked);
    };
}

TEST(BatchTest, ShopsComeOutInInputOrderWhateverOrderTheyEnd) {
    std::vector<std::string> addresses;
    for (int n = 0; n < 8; ++n)
        addresses.push_back(address(n));
    addresses.insert(addresses.begin() + 3, "http://127.0.0.1:1/bad.taobao.com/");
    // Early shops are the slowest, so later ones end first.
    auto slowFirst = [](const Text& asked) {
        return std::chrono::milliseconds(asked.find("s10") != Text::npos   ? 60
                                         : asked.find("s11") != Text::npos ? 30
                                                                           : 1);
    };
    std::vector<std::string> lines[2];
    int jobs[2] = {1, 8};
    for (int j = 0; j < 2; ++j) {
        BatchOptions options;
        options.jobs = jobs[j];
        options.fetch = fakeFetch(slowFirst);
        std::vector<std::size_t> order;
        std::vector<std::size_t> endOrder;
        std::mutex mutex;
        options.finished = [&](std::size_t i, bool) {
            std::lock_guard lock(mutex);
            endOrder.push_back(i);
        };
        const std::size_t handed = runBatch(addresses, options, [&](std::size_t i, ShopRun&& run) {
            order.push_back(i);
            lines[j].push_back(shopLine(run));
        });
        EXPECT_EQ(handed, addresses.size());
        EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
        if (jobs[j] == 8) {
            EXPECT_NE(endOrder.front(), 0u);  // they did end out of order
        }
    }
    EXPECT_EQ(lines[0], lines[1]);
    EXPECT_EQ(lines[1][0], "ok  " + address(0) + "  店10");
    EXPECT_EQ(lines[1][3].substr(0, 47), "failed  http://127.0.0.1:1/bad.taobao.com/  -  ");
}

TEST(BatchTest, LinesThatAreNoAddressFailAloneAndFetchNothing) {
    std::atomic<int> fetches = 0;
    BatchOptions options;
    options.fetch = [&](const Text& asked, const FetchOptions& o) {
        ++fetches;
        return fakeFetch([](const Text&) { return 0ms; })(asked, o);
    };
    std::vector<std::string> lines;
    runBatch({"http://x/\r\nHost: y.taobao.com", address(0), "shop.example.com"}, options,
             [&](std::size_t, ShopRun&& run) { lines.push_back(shopLine(run)); });
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(
        lines[0].starts_with("failed  http://x/\\r\\nHost: y.taobao.com  -  the address "
                             "holds a control character"))
        << lines[0];
    EXPECT_TRUE(lines[1].starts_with("ok  "));
    EXPECT_EQ(lines[2],
              "failed  shop.example.com  -  the address holds neither \"tmall\" nor "
              "\"taobao\"");
    EXPECT_EQ(fetches, 5);  // the good shop's four page calls and its sheet
}

TEST(BatchTest, StopEndsTheBatchWithWhatFinished) {
    std::vector<std::string> addresses;
    for (int n = 0; n < 20; ++n)
        addresses.push_back(address(n));
    std::stop_source stop;
    BatchOptions options;
    options.jobs = 2;
    options.stop = stop.get_token();
    options.fetch = [&](const Text& asked, const FetchOptions& o) -> Text {
        // Shop 3 asks for the stop; from then on a fetch fails as a stopped one does.
        if (asked.find("s13") != Text::npos)
            stop.request_stop();
        if (o.stop.stop_requested()) {
            o.report->failure = FetchFailure::aborted;
            return "";
        }
        return fakeFetch([](const Text&) { return 0ms; })(asked, o);
    };
    std::vector<std::size_t> handed;
    runBatch(addresses, options, [&](std::size_t i, ShopRun&& run) {
        EXPECT_TRUE(run.ok()) << i;
        handed.push_back(i);
    });
    ASSERT_FALSE(handed.empty());
    EXPECT_LT(handed.size(), 5u);
    EXPECT_EQ(std::count(handed.begin(), handed.end(), 3u), 0);
}

TEST(BatchOutputTest, AddressLinesSkipBlanksAndComments) {
    EXPECT_EQ(addressLines("# shops\nhttp://a.taobao.com/\r\n\n \t\n  # no\n  http://b.tmall.com/"),
              (std::vector<std::string>{"http://a.taobao.com/", "  http://b.tmall.com/"}));
    EXPECT_EQ(addressLines(""), std::vector<std::string>{});
    EXPECT_EQ(addressLines("a#b\n"), std::vector<std::string>{"a#b"});

    std::vector<std::string> out;
    std::string error;
    EXPECT_FALSE(readAddressFile("/no/such/file", out, error));
    EXPECT_EQ(error, "cannot read /no/such/file: No such file or directory");
}

TEST(BatchOutputTest, SheetNamesAreSafeAndNeverTakenTwice) {
    SheetNames names;
    const struct {
        const char* address;
        const char* name;
    } cases[] = {
        {"http://lanting.taobao.com/", "lanting.taobao.com.css"},
        {"http://LANTING.taobao.com/other", "lanting.taobao.com-2.css"},
        {"http://lanting.taobao.com:8080/", "lanting.taobao.com-3.css"},
        {"http://../", "_..css"},
        {"http://a\\b/", "a_b.css"},
        {"not an address", "not_an_address.css"},
        {"http:///", "shop.css"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(names.take(c.address), c.name);
    }
}

TEST(BatchOutputTest, ProgressAndSummary) {
    EXPECT_EQ(progressLine({.total = 60}, 0ms), "0/60 shops · 0 ok · 0 failed");
    EXPECT_EQ(progressLine({.total = 60, .ok = 11, .failed = 1}, 4000ms),
              "12/60 shops · 11 ok · 1 failed · 3.0 shops/s · 16 s left");
    EXPECT_EQ(summaryLine({.total = 60, .ok = 58, .failed = 2}, 3140ms),
              "60 shops: 58 ok, 2 failed, 3.1 s");
    EXPECT_EQ(summaryLine({.total = 60, .ok = 8, .failed = 2}, 500ms),
              "60 shops: 8 ok, 2 failed, 50 not run, 0.5 s");
    EXPECT_EQ(summaryLine({.total = 1, .ok = 1}, 0ms), "1 shop: 1 ok, 0 failed, 0.0 s");
}

}  // namespace
}  // namespace kessrune
