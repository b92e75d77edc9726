// The sample shops through the analysis without a network: a fake fetch
// stands in for the server, deciding UTF-8 by the page fetch's own rule.
#include <gtest/gtest.h>

#include <string>

#include "analysis/analysis.h"
#include "http/fetch_profile.h"
#include "samples/generated_shops.h"
#include "samples/sample_shops.h"
#include "testing/gbk.h"
#include "tests/analysis/fakes.h"

namespace kessrune {
namespace {

using testing::FakeFetch;
using testing::FakeForm;
using testing::gbk;
using testing::utf8;
using namespace controls;

// A body as fetchPage hands it on: converted to GBK when the fetch's rule
// takes it for UTF-8, given the Content-Type the sample server sends.
Text asFetched(const std::string& body, std::string_view contentType) {
    const std::string headers =
        "HTTP/1.1 200 OK\r\nContent-Type: " + std::string(contentType) + "\r\n\r\n";
    const bool isUtf8 = fetch::countsAsUtf8(body, headers);
    return isUtf8 ? gbk(body) : body;
}

TEST(SampleShops, GiveWhatTheCatalogueSaysOffline) {
    constexpr int kPort = 8080;
    for (const samples::SampleShop& shop : samples::sampleShops()) {
        SCOPED_TRACE(std::string(shop.directory));
        FakeForm form;
        const std::string dir(shop.directory);
        const std::string origin = "http://127.0.0.1:" + std::to_string(kPort);
        const std::string cssAddress =
            (shop.cssOnImageHost ? "http://img.localhost:" + std::to_string(kPort) : origin) + "/" +
            dir + "/" + std::string(shop.cssFile);
        FakeFetch fetch([&](const Text& address, int) -> Text {
            if (address == cssAddress) {
                return asFetched(samples::shopFile(shop, shop.cssFile), "text/css");
            }
            return asFetched(samples::shopPage(shop, kPort), shop.pageContentType);
        });
        form.texts[std::string(kAddressBox)] = origin + "/" + dir + "/";
        AnalysisSession session;
        analyzeShop(session, form, fetch.fetch());
        EXPECT_EQ(utf8(form.text(kShopNameLabel)), shop.shopName);
        EXPECT_EQ(utf8(form.text(kShopkeeperLabel)), shop.shopkeeper);
        EXPECT_EQ(utf8(form.text(kTemplateLabel)), shop.templateKind);
        EXPECT_EQ(form.text(kCssAddressBox), cssAddress);
        EXPECT_EQ(utf8(form.text(kCssCodeBox)), samples::shopFile(shop, "expected.css"));
        EXPECT_EQ(static_cast<int>(fetch.asked.size()), shop.requests);
    }
}

// Two rounds of the four kinds, and a number past four digits.
TEST(GeneratedShops, AnalyseToTheirOwnSheetsOffline) {
    constexpr int kPort = 8080;
    const std::string origin = "http://127.0.0.1:" + std::to_string(kPort);
    for (const int number : {1, 2, 3, 4, 5, 6, 7, 8, 12345}) {
        const samples::GeneratedShop shop = samples::generatedShop(number);
        SCOPED_TRACE(shop.directory);
        const std::string cssAddress =
            (shop.cssOnImageHost ? "http://img.localhost:" + std::to_string(kPort) : origin) + "/" +
            shop.directory + "/" + shop.cssFile;
        FakeFetch fetch([&](const Text& address, int) -> Text {
            if (address == cssAddress) {
                return asFetched(samples::generatedSheet(shop), samples::kGeneratedSheetType);
            }
            return asFetched(samples::generatedPage(shop, kPort), samples::kGeneratedPageType);
        });
        FakeForm form;
        form.texts[std::string(kAddressBox)] = origin + "/" + shop.directory + "/";
        AnalysisSession session;
        analyzeShop(session, form, fetch.fetch());
        EXPECT_EQ(utf8(form.text(kShopNameLabel)), shop.shopName);
        EXPECT_EQ(utf8(form.text(kShopkeeperLabel)), shop.shopkeeper);
        EXPECT_EQ(utf8(form.text(kTemplateLabel)), shop.templateKind);
        EXPECT_EQ(form.text(kCssAddressBox), cssAddress);
        EXPECT_EQ(utf8(form.text(kCssCodeBox)), samples::generatedExpectedCss(shop));
        EXPECT_NE(samples::generatedSheet(shop), samples::generatedExpectedCss(shop));
        EXPECT_EQ(static_cast<int>(fetch.asked.size()), shop.requests);
    }
    // Each shop has a sheet of its own.
    EXPECT_NE(samples::generatedSheet(samples::generatedShop(1)),
              samples::generatedSheet(samples::generatedShop(5)));
}

}  // namespace
}  // namespace kessrune
