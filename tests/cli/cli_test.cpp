// kessrune-cli end to end: the real program against the sample-shop server
// on 127.0.0.1, through real HTTP.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "css/format.h"
#include "kessrune/version.h"
#include "samples/sample_server.h"
#include "samples/sample_shops.h"
#include "testing/gbk.h"
#include "testing/stalling_server.h"
#include "tests/analysis/hostile_page.h"

namespace kessrune {
namespace {

using samples::SampleServer;
using samples::SampleShop;
using samples::sampleShops;
using samples::SeenRequest;
using samples::shopFile;
using samples::shopPage;

const char kUserAgent[] =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; 731QM; .NET CLR 2.0.50727; .NET CLR "
    "3.0.04506.648; .NET CLR 3.5.21022)";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    QJsonObject json() const {
        return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
    }
};

Outcome runCli(const QStringList& arguments, const std::string& input = {}) {
    QProcess process;
    process.start(KESSRUNE_CLI_EXE, arguments);
    if (!input.empty())
        process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60'000)) << "kessrune-cli did not end";
    Outcome outcome;
    outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = process.readAllStandardOutput().toStdString();
    outcome.err = process.readAllStandardError().toStdString();
    return outcome;
}

std::string text(const QJsonObject& o, const char* key) {
    return o[key].toString().toStdString();
}

// Every request the analysis sends carries the same fixed profile.
void expectProfile(const SeenRequest& request, const std::string& address) {
    SCOPED_TRACE(request.path);
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.header("User-Agent"), kUserAgent);
    EXPECT_EQ(request.header("Referer"), address);
    EXPECT_EQ(request.header("Accept"), "*/*");
    EXPECT_EQ(request.header("Accept-Language"), "zh-cn");
    EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.failure(); }
    SampleServer server;
};

TEST_F(CliTest, AnalysesEverySampleShop) {
    for (const SampleShop& shop : sampleShops()) {
        SCOPED_TRACE(std::string(shop.directory));
        server.clearLog();
        const std::string address = server.shopAddress(shop);
        const std::string cssAddress = server.cssAddress(shop);
        Outcome run = runCli({"--json", QString::fromStdString(address)});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const QJsonObject json = run.json();
        EXPECT_EQ(text(json, "shopName"), shop.shopName);
        EXPECT_EQ(text(json, "shopkeeper"), shop.shopkeeper);
        EXPECT_EQ(text(json, "template"), shop.templateKind);
        EXPECT_EQ(text(json, "cssAddress"), cssAddress);
        EXPECT_EQ(text(json, "css"), shopFile(shop, "expected.css"));
        EXPECT_TRUE(json["ready"].toBool());
        EXPECT_EQ(json["requests"].toInt(), shop.requests);

        // The page again and again, then the style sheet; each asked with
        // its own address as the referrer.
        const std::vector<SeenRequest> seen = server.requests();
        ASSERT_EQ(static_cast<int>(seen.size()), shop.requests);
        const std::string pagePath = "/" + std::string(shop.directory) + "/";
        for (int i = 0; i + 1 < shop.requests; ++i) {
            EXPECT_EQ(seen[i].path, pagePath);
            expectProfile(seen[i], address);
        }
        EXPECT_EQ(seen.back().path, pagePath + std::string(shop.cssFile));
        expectProfile(seen.back(), cssAddress);
        // One connection carries the whole run, or two when the sheet lives
        // on another host name.
        EXPECT_EQ(server.connections(), shop.cssOnImageHost ? 2 : 1);
    }
}

TEST_F(CliTest, PlainOutputPutsTheCssOnStandardOutput) {
    const SampleShop& shop = sampleShops()[0];  // a GBK page and sheet
    const std::string expected = shopFile(shop, "expected.css");
    const QString address = QString::fromStdString(server.shopAddress(shop));

    Outcome plain = runCli({address});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, expected);
    EXPECT_EQ(plain.err, std::string(shop.shopName) + "\n" + std::string(shop.shopkeeper) + "\n" +
                             std::string(shop.templateKind) + "\n" + server.cssAddress(shop) +
                             "\n");

    Outcome raw = runCli({"--gbk", address});
    EXPECT_EQ(raw.status, 0);
    EXPECT_EQ(raw.out, testing::gbk(expected));
    EXPECT_EQ(raw.err, plain.err);
}

// A home page of 20 MiB: the markers sit after the bulk of it.
TEST_F(CliTest, TwentyMebibytePage) {
    const SampleShop& shop = sampleShops()[0];
    std::string page = shopPage(shop, server.port());
    const std::string filler =
        "<div class=\"skin-box\"><p>" + testing::gbk("书法国画") + "</p></div>\n";
    std::string bulk;
    while (bulk.size() < 20u << 20) {
        bulk += filler;
    }
    page.insert(page.find("<div id=\"page\">"), bulk);
    const std::string origin = server.origin();
    server.addPage("/big.taobao.com/", page, "text/html; charset=GBK");

    Outcome run = runCli({"--json", QString::fromStdString(origin + "/big.taobao.com/")});
    EXPECT_EQ(run.status, 0) << run.err;
    const QJsonObject json = run.json();
    EXPECT_EQ(text(json, "shopName"), shop.shopName);
    EXPECT_EQ(text(json, "template"), shop.templateKind);
    EXPECT_EQ(text(json, "css"), shopFile(shop, "expected.css"));
    EXPECT_EQ(json["requests"].toInt(), 5);
}

// A page of zero bytes: labels with their prefixes alone, no address, the
// button stays busy; the empty address makes no request.
TEST_F(CliTest, EmptyPage) {
    server.addPage("/empty.taobao.com/", "");
    const std::string address = server.origin() + "/empty.taobao.com/";
    Outcome run = runCli({"--json", QString::fromStdString(address)});
    EXPECT_EQ(run.status, 1);
    const QJsonObject json = run.json();
    EXPECT_EQ(text(json, "shopName"), "店铺名称：");
    EXPECT_EQ(text(json, "shopkeeper"), "掌柜：");
    EXPECT_EQ(text(json, "template"), "");
    EXPECT_EQ(text(json, "cssAddress"), "");
    EXPECT_EQ(text(json, "css"), "");
    EXPECT_FALSE(json["ready"].toBool());
    EXPECT_EQ(json["requests"].toInt(), 4);
    const std::vector<SeenRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 3u);
    for (const SeenRequest& r : seen) {
        EXPECT_EQ(r.path, "/empty.taobao.com/");
    }
}

// A page that says utf-8 but is not: the bad bytes become "?", the rest of
// the analysis goes on.
TEST_F(CliTest, InvalidUtf8Page) {
    const SampleShop& mumu = sampleShops()[1];  // a UTF-8 page
    ASSERT_EQ(mumu.directory, "mumu.taobao.com");
    std::string page = shopPage(mumu, server.port());
    const std::string name = ">木木手作<i";  // the shop-name link's text
    page.replace(page.find(name), name.size(), ">木木\xff\xfe手作<i");
    server.addPage("/broken.taobao.com/", page);
    Outcome run =
        runCli({"--json", QString::fromStdString(server.origin() + "/broken.taobao.com/")});
    EXPECT_EQ(run.status, 0) << run.err;
    const QJsonObject json = run.json();
    const std::string shown = text(json, "shopName");
    EXPECT_EQ(shown.rfind("店铺名称：木木", 0), 0u) << shown;
    EXPECT_NE(shown.find("?"), std::string::npos) << shown;
    EXPECT_EQ(text(json, "shopkeeper"), "掌柜：木木的小院");
    EXPECT_EQ(text(json, "cssAddress"), server.origin() + "/mumu.taobao.com/modules.css");
}

// Nobody listens: every fetch gives "", promptly.
TEST_F(CliTest, ServerDown) {
    const std::string address = server.shopAddress(sampleShops()[0]);
    server.stop();
    Outcome run = runCli({"--json", QString::fromStdString(address)});
    EXPECT_EQ(run.status, 1);
    const QJsonObject json = run.json();
    EXPECT_EQ(text(json, "shopName"), "店铺名称：");
    EXPECT_EQ(text(json, "cssAddress"), "");
    EXPECT_FALSE(json["ready"].toBool());
    EXPECT_EQ(json["requests"].toInt(), 4);
}

// A page cannot write our request headers: its style-sheet link's CR LF
// and header lines stay inside the Referer and the request line.
TEST_F(CliTest, HostilePageAddsNoHeaderLine) {
    // After a "?", so that the sample server's route (no line breaks in a
    // path) still logs the request.
    const std::string sheet = server.origin() + "/css/a.css?v=1";
    server.addPage("/hostile.taobao.com/", testing::hostileShopPage(sheet));
    Outcome run =
        runCli({"--json", QString::fromStdString(server.origin() + "/hostile.taobao.com/")});
    EXPECT_EQ(text(run.json(), "cssAddress"), sheet + testing::kInjectedLines) << run.err;
    const std::vector<SeenRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(testing::injectedLineProblem(seen, "127.0.0.1:" + std::to_string(server.port())), "");
    // The sample server decodes %XX in the values it logs, so the Referer's
    // exact bytes are the fetch tests' affair; here: one line, the page's.
    EXPECT_EQ(seen.back().header("Referer"), sheet + testing::kInjectedLines);

    // The reason line quotes the page's address with its line breaks
    // written out: one line still, and nothing on it starts a line of its own.
    Outcome plain = runCli({QString::fromStdString(server.origin() + "/hostile.taobao.com/")});
    EXPECT_EQ(plain.status, 1);
    const std::string reason = plain.err.substr(plain.err.rfind("kessrune-cli: "));
    EXPECT_EQ(std::count(reason.begin(), reason.end(), '\n'), 1) << reason;
    EXPECT_NE(reason.find("a.css?v=1\\r\\nX-Injected: from-page"), std::string::npos) << reason;
}

// The address as typed: white space around it goes; control characters
// inside it, or bytes that are not UTF-8, are refused before any request.
TEST_F(CliTest, AddressAsTyped) {
    const std::string address = server.shopAddress(sampleShops()[0]);
    Outcome padded = runCli({QString::fromStdString("  " + address + " \n")});
    EXPECT_EQ(padded.status, 0) << padded.err;
    EXPECT_EQ(server.requests().front().path, "/" + std::string(sampleShops()[0].directory) + "/");

    server.clearLog();
    for (const std::string& bad : {address + "?q=\r\nX-Injected: 1", address + "\tx",
                                   address + "\x01", std::string(100'000, 'a') + ".taobao\n/"}) {
        SCOPED_TRACE(bad.substr(0, 80));
        Outcome run = runCli({QString::fromStdString(bad)});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("control character"), std::string::npos) << run.err;
        EXPECT_LT(run.err.size(), 400u);  // a long argument is cut in the message
    }
    EXPECT_TRUE(server.requests().empty());

    // Bytes that are not UTF-8 never reach QString's "?" replacement.
    QProcess process;
    process.setProgram("/bin/sh");
    process.setArguments(
        {"-c", "exec \"$0\" \"$(printf 'http://x.taobao.com/\\265\\352')\"", KESSRUNE_CLI_EXE});
    process.start();
    ASSERT_TRUE(process.waitForFinished(60'000));
    EXPECT_EQ(process.exitCode(), 2);
}

// --json gives the display texts and what a script wants without them; a
// failure is never reported as success.
TEST_F(CliTest, JsonSaysWhatHappened) {
    const SampleShop& shop = sampleShops()[0];  // designer template
    Outcome good = runCli({"--json", QString::fromStdString(server.shopAddress(shop))});
    EXPECT_EQ(good.status, 0) << good.err;
    QJsonObject json = good.json();
    EXPECT_EQ(text(json, "address"), server.shopAddress(shop));
    EXPECT_TRUE(json["ok"].toBool());
    EXPECT_TRUE(json["problem"].isNull());
    const QJsonObject about = json["shop"].toObject();
    EXPECT_EQ("店铺名称：" + text(about, "name"), shop.shopName);
    EXPECT_EQ("掌柜：" + text(about, "keeper"), shop.shopkeeper);
    EXPECT_EQ(text(about, "templateKind"), "designer");
    EXPECT_EQ("★当前模板为设计师模板，模版设计：" + text(about, "designer"), shop.templateKind);
    const QJsonArray fetches = json["fetches"].toArray();
    ASSERT_EQ(fetches.size(), json["requests"].toInt());
    EXPECT_EQ(fetches.last().toObject()["address"].toString().toStdString(),
              server.cssAddress(shop));
    for (const QJsonValue& f : fetches) {
        EXPECT_EQ(f.toObject()["status"].toInt(), 200);
        EXPECT_TRUE(f.toObject()["error"].isNull());
        EXPECT_GT(f.toObject()["bytes"].toInt(), 0);
    }
    EXPECT_FALSE(json.contains("steps"));

    // A shop that answers 404: exit 1, not ready-and-fine.
    const std::string missing = server.origin() + "/nope.taobao.com/";
    Outcome bad = runCli({"--json", QString::fromStdString(missing)});
    EXPECT_EQ(bad.status, 1);
    json = bad.json();
    EXPECT_FALSE(json["ok"].toBool());
    EXPECT_EQ(text(json, "problem"), "the shop page could not be fetched: HTTP 404 for " + missing);
    EXPECT_EQ(bad.err, "kessrune-cli: " + text(json, "problem") + "\n");
    EXPECT_TRUE(json["shop"].toObject()["templateKind"].isNull());
    EXPECT_EQ(json["fetches"].toArray().first().toObject()["status"].toInt(), 404);

    // Nobody listens: no status, the reason in words.
    server.stop();
    Outcome refused =
        runCli({"--json", QString::fromStdString(server.origin() + "/x.taobao.com/")});
    EXPECT_EQ(refused.status, 1);
    const QJsonObject first = refused.json()["fetches"].toArray().first().toObject();
    EXPECT_TRUE(first["status"].isNull());
    EXPECT_EQ(first["error"].toString().toStdString(), "connection refused");
    EXPECT_EQ(refused.err.rfind("kessrune-cli: the shop page could not be fetched: connection "
                                "refused (127.0.0.1:",
                                0),
              0u)
        << refused.err;
}

TEST_F(CliTest, TraceTellsEveryRequestAndStep) {
    const SampleShop& shop = sampleShops()[0];
    Outcome run = runCli({"--trace", "--json", QString::fromStdString(server.shopAddress(shop))});
    EXPECT_EQ(run.status, 0);
    std::vector<std::string> lines;
    std::istringstream err(run.err);
    for (std::string line; std::getline(err, line);)
        lines.push_back(line);
    const auto count = [&](const std::string& start) {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    };
    EXPECT_EQ(count("GET " + server.shopAddress(shop) + " → 200, "), shop.requests - 1);
    EXPECT_EQ(count("GET " + server.cssAddress(shop) + " → 200, "), 1);
    EXPECT_EQ(count("B1 fetch 编辑框1: "), 1);
    EXPECT_EQ(count("B26 write 编辑框4: "), 1);
    const QJsonArray steps = run.json()["steps"].toArray();
    EXPECT_EQ(static_cast<long>(steps.size()) + shop.requests, static_cast<long>(lines.size()));
    EXPECT_EQ(steps.first().toObject()["id"].toString(), "B1");
}

// A listener that never answers: the connection opens (the system's queue
// takes it), the request goes out, nothing comes back.
class SilentListener {
  public:
    SilentListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd_, 16), 0);
        EXPECT_EQ(::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length), 0);
        port_ = ntohs(address.sin_port);
    }
    ~SilentListener() { ::close(fd_); }
    int port() const { return port_; }

  private:
    int fd_ = -1;
    int port_ = 0;
};

TEST_F(CliTest, MaxTimeBoundsTheWholeRun) {
    SilentListener silent;
    const QString address = QString::fromStdString(
        "http://127.0.0.1:" + std::to_string(silent.port()) + "/s.taobao.com/");
    const auto start = std::chrono::steady_clock::now();
    Outcome run = runCli({"--json", "--max-time", "0.5", address});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("--max-time"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(run.json()["ready"].toBool());
    EXPECT_LT(took, std::chrono::seconds(10));  // without the limit: 4 × 30 s of silence

    // A run that ends in time is not touched by the limit.
    Outcome good =
        runCli({"--max-time", "30", QString::fromStdString(server.shopAddress(sampleShops()[0]))});
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_EQ(good.err.find("--max-time"), std::string::npos);

    for (const char* bad : {"0", "-1", "abc", "nan", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(runCli({"--max-time", bad, address}).status, 2);
    }
}

TEST_F(CliTest, UsageErrors) {
    struct Case {
        QStringList arguments;
        int status;
    };
    const Case cases[] = {
        {{}, 2},
        {{"--json"}, 2},
        {{"--no-such-option", "http://x.taobao.com/"}, 2},
        {{"--jobs", "0", "http://a.taobao.com/", "http://b.taobao.com/"}, 2},
        {{"--input", "/no/such/list.txt"}, 2},
        {{"--save-with-images", "/tmp/x", "http://a.taobao.com/", "http://b.taobao.com/"}, 2},
        {{"-o", "/dev/null/x.css", "http://a.taobao.com/"}, 2},
        {{"--output-dir", "/dev/null/shops", "http://a.taobao.com/"}, 2},
        {{"--json", QString::fromStdString(server.origin() + "/shop.example.com/")}, 2},
        {{QString::fromStdString(server.origin() + "/x.TAOBAO.com/")}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        Outcome run = runCli(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "");
    }
    // The neither-word case says so in one line.
    Outcome neither = runCli({"http://shop.example.com/"});
    EXPECT_NE(neither.err.find("neither \"tmall\" nor \"taobao\""), std::string::npos);
    EXPECT_EQ(std::count(neither.err.begin(), neither.err.end(), '\n'), 1);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(CliTest, HelpAndVersion) {
    Outcome version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kessrune-cli " + std::string(kVersion) + "\n");
    Outcome help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--json"), std::string::npos);
    EXPECT_NE(help.out.find("ADDRESS"), std::string::npos);
}

}  // namespace
}  // namespace kessrune

namespace kessrune {
namespace {

// The shop name as a batch line gives it: without the label's words.
std::string nameOf(const SampleShop& shop) {
    const std::string_view label = "店铺名称：";
    return std::string(std::string_view(shop.shopName).substr(label.size()));
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

// The four sample shops with a missing one third, as a list with a
// comment and a blank line.
std::string shopList(const SampleServer& server, std::vector<std::string>& addresses) {
    for (const SampleShop& shop : sampleShops())
        addresses.push_back(server.shopAddress(shop));
    addresses.insert(addresses.begin() + 2, server.origin() + "/missing.taobao.com/");
    std::string list = "# shops to watch\n\n";
    for (const std::string& a : addresses)
        list += a + "\r\n";
    return list;
}

TEST_F(CliTest, BatchTellsEveryShopInInputOrder) {
    std::vector<std::string> addresses;
    const std::string list = shopList(server, addresses);
    Outcome eight = runCli({"--jobs", "8", "--input", "-"}, list);
    EXPECT_EQ(eight.status, 1);
    const std::vector<std::string> lines = linesOf(eight.out);
    ASSERT_EQ(lines.size(), addresses.size()) << eight.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        if (i == 2) {
            EXPECT_EQ(lines[i], "failed  " + addresses[i] +
                                    "  -  the shop page could not be "
                                    "fetched: HTTP 404 for " +
                                    addresses[i]);
        } else {
            const SampleShop& shop = sampleShops()[i < 2 ? i : i - 1];
            EXPECT_EQ(lines[i], "ok  " + addresses[i] + "  " + nameOf(shop));
        }
    }
    // No progress where standard error is no terminal: the summary alone.
    EXPECT_EQ(linesOf(eight.err).size(), 1u) << eight.err;
    EXPECT_TRUE(eight.err.starts_with("5 shops: 4 ok, 1 failed, ")) << eight.err;

    // One at a time: the same lines. With --json, each line is the object a
    // single run of its address prints (the timings aside).
    EXPECT_EQ(runCli({"--jobs", "1", "--input", "-"}, list).out, eight.out);
    Outcome json = runCli({"--json", "--input", "-"}, list);
    const std::vector<std::string> objects = linesOf(json.out);
    ASSERT_EQ(objects.size(), addresses.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        SCOPED_TRACE(addresses[i]);
        auto withoutTimes = [](QJsonObject o) {
            QJsonArray fetches = o["fetches"].toArray();
            for (auto f : fetches) {
                QJsonObject fetch = f.toObject();
                fetch.remove("ms");
                f = fetch;
            }
            o["fetches"] = fetches;
            return o;
        };
        const QJsonObject single = runCli({"--json", QString::fromStdString(addresses[i])}).json();
        const QJsonObject line =
            QJsonDocument::fromJson(QByteArray::fromStdString(objects[i])).object();
        EXPECT_EQ(withoutTimes(line), withoutTimes(single));
    }
}

TEST_F(CliTest, OutputFolderHoldsEverySheetAndAnIndex) {
    std::vector<std::string> addresses;
    const std::string list = shopList(server, addresses);
    QTemporaryDir tmp;
    const std::filesystem::path dir = tmp.filePath("shops").toStdString();
    for (const bool gbk : {false, true}) {
        SCOPED_TRACE(gbk ? "GBK" : "UTF-8");
        std::filesystem::remove_all(dir);
        QStringList arguments = {"--output-dir", QString::fromStdString(dir.string()), "--input",
                                 "-"};
        if (gbk)
            arguments << "--gbk";
        Outcome run = runCli(arguments, list);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(linesOf(run.out).size(), addresses.size());  // the lines, no CSS

        // Every shop of the samples sits on 127.0.0.1: numbered names.
        const QJsonArray index =
            QJsonDocument::fromJson(QByteArray::fromStdString(fileText(dir / "index.json")))
                .array();
        ASSERT_EQ(index.size(), static_cast<qsizetype>(addresses.size()));
        const char* names[] = {"127.0.0.1.css", "127.0.0.1-2.css", nullptr, "127.0.0.1-3.css",
                               "127.0.0.1-4.css"};
        for (qsizetype i = 0; i < index.size(); ++i) {
            const QJsonObject o = index[i].toObject();
            EXPECT_EQ(text(o, "address"), addresses[static_cast<std::size_t>(i)]);
            if (names[i] == nullptr) {
                EXPECT_TRUE(o["file"].isNull());
                EXPECT_FALSE(o["ok"].toBool());
                continue;
            }
            EXPECT_EQ(text(o, "file"), names[i]);
            const SampleShop& shop = sampleShops()[static_cast<std::size_t>(i < 2 ? i : i - 1)];
            const std::string expected = shopFile(shop, "expected.css");
            EXPECT_EQ(fileText(dir / names[i]), gbk ? testing::gbk(expected) : expected);
        }
        // Nothing else: no temporary file left behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 5);
    }
}

TEST_F(CliTest, InterruptWritesWhatFinished) {
    testing::StallingServer stall;
    ASSERT_TRUE(stall.start()) << stall.failure();
    const std::string good = server.shopAddress(sampleShops()[0]);
    QTemporaryDir tmp;
    const QString dir = tmp.filePath("out");
    QProcess process;
    process.start(KESSRUNE_CLI_EXE,
                  {"--jobs", "2", "--output-dir", dir, QString::fromStdString(good),
                   QString::fromStdString(stall.url("/a.taobao.com/")),
                   QString::fromStdString(stall.url("/b.taobao.com/")),
                   QString::fromStdString(stall.url("/c.taobao.com/"))});
    ASSERT_TRUE(process.waitForStarted());
    // The good shop's line is out, and the next shop hangs on its server.
    ASSERT_TRUE(stall.waitForRequest(std::chrono::seconds(20)));
    std::string out;
    while (out.find('\n') == std::string::npos && process.waitForReadyRead(20'000))
        out += process.readAllStandardOutput().toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(20'000)) << "the stop did not end the batch";
    out += process.readAllStandardOutput().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_EQ(out, "ok  " + good + "  " + nameOf(sampleShops()[0]) + "\n");
    const std::string err = process.readAllStandardError().toStdString();
    EXPECT_TRUE(err.starts_with("4 shops: 1 ok, 0 failed, 3 not run, ")) << err;
    const QJsonArray index =
        QJsonDocument::fromJson(
            QByteArray::fromStdString(fileText(dir.toStdString() + "/index.json")))
            .array();
    ASSERT_EQ(index.size(), 1);
    EXPECT_EQ(text(index[0].toObject(), "file"), "127.0.0.1.css");
}

TEST_F(CliTest, FormattedCssIntoAFile) {
    const SampleShop& shop = sampleShops()[1];
    const std::string expected = css::formatSheet(shopFile(shop, "expected.css"));
    ASSERT_NE(expected, shopFile(shop, "expected.css"));
    QTemporaryDir tmp;
    const std::string file = tmp.filePath("shop.css").toStdString();
    Outcome run = runCli({"--format", "-o", QString::fromStdString(file),
                          QString::fromStdString(server.shopAddress(shop))});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(fileText(file), expected);

    // A failed run writes what standard output would have had: nothing.
    Outcome failed = runCli({"-o", QString::fromStdString(file),
                             QString::fromStdString(server.origin() + "/gone.taobao.com/")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(fileText(file), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path().toStdString()), {}), 1);
}

TEST_F(CliTest, SavesTheSheetWithItsImages) {
    const std::string sheet = server.origin() + "/img.taobao.com/s.css";
    server.addPage("/img.taobao.com/",
                   testing::gbk("<div class=\"shop-name\"><a>图</a><i></i>进入店铺</div>"
                                "<div class=\"seller\">掌柜：x</a>wangwang</div>"
                                "system module 模块自定义（设计师）css输出 <link href=\"" +
                                sheet + "\"> GLOBAL"));
    server.addPage("/img.taobao.com/s.css",
                   "#page #content a{background:url(i/a.png)}b{background:url(\"i/no.png\")}"
                   "c{background:url(data:image/png;base64,AAAA)}",
                   "text/css");
    server.addPage("/img.taobao.com/i/a.png", std::string("\x89PNG\0x", 6), "image/png");
    QTemporaryDir tmp;
    const std::string dir = tmp.filePath("shop").toStdString();
    Outcome run = runCli({"--save-with-images", QString::fromStdString(dir),
                          QString::fromStdString(server.origin() + "/img.taobao.com/")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");  // the sheet is in the folder
    EXPECT_EQ(fileText(dir + "/style.css"),
              " a{background:url(\"images/a.png\")}b{background:url(\"" + server.origin() +
                  "/img.taobao.com/i/no.png\")}c{background:url(data:image/png;base64,AAAA)}");
    EXPECT_EQ(fileText(dir + "/images/a.png"), std::string("\x89PNG\0x", 6));
    EXPECT_NE(run.err.find("kessrune-cli: image not saved: " + server.origin() +
                           "/img.taobao.com/i/no.png: HTTP 404\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("with 1 of 2 images"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kessrune
