// The sample shops through the analysis without a network: a fake fetch
// stands in for the server and for the UTF-8 conversion.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "analysis/analysis.h"
#include "samples/sample_shops.h"
#include "tests/analysis/fakes.h"
#include "testing/gbk.h"

namespace kessrune {
namespace {

using testing::FakeFetch;
using testing::FakeForm;
using testing::gbk;
using testing::utf8;
using namespace controls;

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
        s.replace(at, from.size(), to);
    }
}

TEST(SampleShops, GiveWhatTheCatalogueSaysOffline) {
    const std::filesystem::path shops = std::filesystem::path(KESSRUNE_FIXTURES) / "shops";
    for (const samples::SampleShop& shop : samples::sampleShops()) {
        SCOPED_TRACE(std::string(shop.directory));
        FakeForm form;
        const std::string dir(shop.directory);
        const std::string origin = "http://127.0.0.1:8080";
        const std::string cssAddress =
            (shop.cssOnImageHost ? "http://img.localhost:8080" : origin) + "/" + dir + "/" +
            std::string(shop.cssFile);
        auto asGbk = [](std::string body, std::string_view contentType) {
            bool isUtf8 = body.substr(0, 499).find("utf-8") != std::string::npos ||
                          contentType.find("utf-8") != std::string_view::npos;
            return isUtf8 ? gbk(body) : body;
        };
        FakeFetch fetch([&](const Text& address, int) -> Text {
            if (address == cssAddress) {
                return asGbk(readFile(shops / dir / std::string(shop.cssFile)), "text/css");
            }
            std::string page = readFile(shops / dir / "index.html");
            replaceAll(page, "{{ORIGIN}}", origin);
            replaceAll(page, "{{PORT}}", "8080");
            return asGbk(page, shop.pageContentType);
        });
        form.texts[std::string(kAddressBox)] = origin + "/" + dir + "/";
        AnalysisSession session;
        analyzeShop(session, form, fetch.fetch());
        EXPECT_EQ(utf8(form.text(kShopNameLabel)), shop.shopName);
        EXPECT_EQ(utf8(form.text(kShopkeeperLabel)), shop.shopkeeper);
        EXPECT_EQ(utf8(form.text(kTemplateLabel)), shop.templateKind);
        EXPECT_EQ(form.text(kCssAddressBox), cssAddress);
        EXPECT_EQ(utf8(form.text(kCssCodeBox)), readFile(shops / dir / "expected.css"));
        EXPECT_EQ(static_cast<int>(fetch.asked.size()), shop.requests);
    }
}

}  // namespace
}  // namespace kessrune
