#include "keep/sheet_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "http/charset.h"
#include "keep/atomic_file.h"
#include "testing/files.h"
#include "testing/httplib_server.h"
#include "testing/raw_server.h"
#include "testing/test_certificates.h"
#include "tests/keep/temp_folder.h"

namespace kessrune::keep {
namespace {

using namespace std::chrono_literals;
using testing::httpResponse;
using testing::HttpsServer;
using testing::RawConnection;
using testing::RawRequest;
using testing::RawServer;
using testing::readFile;
using testing::TestCertificates;

RawServer::Handler reply(int status, std::string body) {
    return [=](const RawRequest&, RawConnection& c) {
        c.send(httpResponse(status, {"Content-Type: image/png"}, body));
    };
}

class SheetFolderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { certificates_ = std::make_unique<TestCertificates>(); }
    static void TearDownTestSuite() { certificates_.reset(); }

    void SetUp() override {
        resetFetchStore();
        FetchSettings settings;
        settings.caFile = certificates_->caFile();
        settings.connectTimeout = 2s;
        settings.receiveTimeout = 2s;
        setFetchSettings(settings);
    }
    void TearDown() override {
        // Closing the kept connections first lets the servers stop at once.
        resetFetchStore();
        tls_.reset();
        setFetchSettings({});
    }

    // How often each path was asked for.
    std::map<std::string, int> requestsByPath() const {
        std::map<std::string, int> out;
        for (const RawRequest& request : server_.requests())
            ++out[request.path];
        return out;
    }

    static std::unique_ptr<TestCertificates> certificates_;
    RawServer server_;
    std::unique_ptr<HttpsServer> tls_;
    TempFolder dir_;
};

std::unique_ptr<TestCertificates> SheetFolderTest::certificates_;

TEST_F(SheetFolderTest, SavesTheSheetWithEachImageOnceAndKeepsWhatItCannotFetch) {
    server_.on("/css/i/a.png", reply(200, std::string("A\0png", 5)));
    server_.on("/other/a.png", reply(200, "other a"));
    server_.on("/missing.png", reply(404, "not here"));
    server_.on("/empty.png", reply(200, ""));
    server_.on("/h/..%2f..%2fevil%00.png", reply(200, "evil"));
    tls_ = std::make_unique<HttpsServer>(certificates_->serverCertFile(), certificates_->keyFile());
    HttpsServer& tls = *tls_;
    tls.server().Get("/b.png", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("secure b", "image/png");
    });

    const std::string sheetAddress = server_.url("/css/s.css");
    const std::string sheet =
        "@import \"base.css\";\n"
        "a{background:url(i/a.png)}\n"
        "b{background:url('i/a.png#x')}\n"
        "c{background:url(" +
        server_.url("/other/a.png") +
        ")}\n"
        "d{background:url(../missing.png)}\n"
        "e{background:url(data:image/png;base64,AAAA)}\n"
        "f{filter:url(#f)}\n"
        "g{background:url()}\n"
        "h{background:url(" +
        tls.url("/b.png") +
        ")}\n"
        "i{background:url(\"/h/..%2f..%2fevil%00.png\")}\n"
        "j{background:url(/empty.png)}\n"
        "k{background:url(ftp://x/k.png)}\n";
    const auto folder = dir_.path() / "new" / "shop";
    std::vector<int> progress;
    SheetFolderOptions options;
    options.parallel = 3;
    options.progress = [&](int done, int total) {
        EXPECT_EQ(total, 6);
        progress.push_back(done);
    };

    const SheetFolderResult result = saveSheetWithImages(sheet, sheetAddress, folder, options);
    EXPECT_TRUE(result.sheetSaved) << result.error;
    EXPECT_EQ(result.error, "");
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3, 4, 5, 6}));

    const std::string missing = server_.url("/missing.png");
    const std::string empty = server_.url("/empty.png");
    EXPECT_EQ(readFile(folder / "style.css"), "@import \"" + server_.url("/css/base.css") +
                                                  "\";\n"
                                                  "a{background:url(\"images/a.png\")}\n"
                                                  "b{background:url(\"images/a.png#x\")}\n"
                                                  "c{background:url(\"images/a-2.png\")}\n"
                                                  "d{background:url(\"" +
                                                  missing +
                                                  "\")}\n"
                                                  "e{background:url(data:image/png;base64,AAAA)}\n"
                                                  "f{filter:url(#f)}\n"
                                                  "g{background:url()}\n"
                                                  "h{background:url(\"images/b.png\")}\n"
                                                  "i{background:url(\"images/_._evil_.png\")}\n"
                                                  "j{background:url(\"" +
                                                  empty +
                                                  "\")}\n"
                                                  "k{background:url(\"ftp://x/k.png\")}\n");
    EXPECT_EQ(dir_.names(folder / "images"),
              (std::vector<std::string>{"_._evil_.png", "a-2.png", "a.png", "b.png"}));
    EXPECT_EQ(readFile(folder / "images" / "a.png"), std::string("A\0png", 5));
    EXPECT_EQ(readFile(folder / "images" / "a-2.png"), "other a");
    EXPECT_EQ(readFile(folder / "images" / "b.png"), "secure b");
    EXPECT_EQ(readFile(folder / "images" / "_._evil_.png"), "evil");
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"new"});

    std::map<std::string, int> asked = requestsByPath();
    EXPECT_EQ(asked["/css/i/a.png"], 1);
    EXPECT_EQ(asked.count("/css/base.css"), 0u);

    ASSERT_EQ(result.images.size(), 7u);
    std::vector<std::string> lines;
    for (const ImageResult& image : result.images) {
        EXPECT_EQ(image.ok, !image.file.empty()) << image.url;
        lines.push_back(failureLine(image));
    }
    EXPECT_EQ(result.images[0].url, server_.url("/css/i/a.png"));
    EXPECT_EQ(result.images[0].file, "images/a.png");
    EXPECT_EQ(lines, (std::vector<std::string>{"", "", missing + ": HTTP 404", "", "",
                                               empty + ": empty body",
                                               "ftp://x/k.png: not an http or https address"}));
}

TEST_F(SheetFolderTest, AStopAbortsTheRunningFetchAndStartsNoOther) {
    std::stop_source stop;
    server_.on("/a.png", reply(200, "a"));
    server_.on("/slow.png", [&](const RawRequest&, RawConnection& c) {
        stop.request_stop();
        c.waitForHangUp(5s);
    });
    server_.on("/c.png", reply(200, "c"));
    SheetFolderOptions options;
    options.parallel = 1;
    options.stop = stop.get_token();

    const SheetFolderResult result =
        saveSheetWithImages("a{b:url(/a.png)}s{b:url(/slow.png)}c{b:url(/c.png)}",
                            server_.url("/s.css"), dir_.path(), options);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.sheetSaved) << result.error;
    EXPECT_EQ(readFile(dir_.path() / "style.css"), "a{b:url(\"images/a.png\")}s{b:url(\"" +
                                                       server_.url("/slow.png") + "\")}c{b:url(\"" +
                                                       server_.url("/c.png") + "\")}");
    ASSERT_EQ(result.images.size(), 3u);
    EXPECT_TRUE(result.images[0].ok);
    EXPECT_EQ(result.images[1].report.failure, FetchFailure::aborted);
    EXPECT_EQ(failureLine(result.images[2]), server_.url("/c.png") + ": aborted (not started)");
    EXPECT_EQ(requestsByPath().count("/c.png"), 0u);
}

TEST_F(SheetFolderTest, SaysWhyTheFolderCannotBeWritten) {
    server_.on("/a.png", reply(200, "a"));
    // A regular file where a folder should be stops root as well.
    ASSERT_TRUE(writeFileAtomically(dir_.path() / "file.txt", "x").ok);
    const SheetFolderResult under = saveSheetWithImages("a{b:url(/a.png)}", server_.url("/s.css"),
                                                        dir_.path() / "file.txt" / "sub");
    EXPECT_FALSE(under.sheetSaved);
    EXPECT_NE(under.error.find("file.txt"), std::string::npos) << under.error;
    EXPECT_TRUE(under.images.empty());
    EXPECT_TRUE(server_.requests().empty());

    SheetFolderOptions outside;
    outside.sheetFileName = "../style.css";
    const SheetFolderResult named =
        saveSheetWithImages("a{}", server_.url("/s.css"), dir_.path() / "shop", outside);
    EXPECT_FALSE(named.sheetSaved);
    EXPECT_NE(named.error, "");
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"file.txt"});
}

TEST_F(SheetFolderTest, AGbkSheetSaysSoInItsCharsetRule) {
    SheetFolderOptions options;
    options.gbk = true;
    const std::string sheet = "@charset \"utf-8\";\n/* 店铺 */a{}";
    ASSERT_TRUE(saveSheetWithImages(sheet, "", dir_.path(), options).sheetSaved);
    EXPECT_EQ(readFile(dir_.path() / "style.css"), gbkFromUtf8("@charset \"gbk\";\n/* 店铺 */a{}"));

    options.gbk = false;
    ASSERT_TRUE(saveSheetWithImages("@charset \"GBK\";a{b:url(i.png)}", "", dir_.path(), options)
                    .sheetSaved);
    EXPECT_EQ(readFile(dir_.path() / "style.css"), "@charset \"utf-8\";a{b:url(i.png)}");
}

}  // namespace
}  // namespace kessrune::keep
