// fetchPage against servers of the test's own on 127.0.0.1: a raw server
// that shows every request byte for byte, and cpp-httplib over TLS with a
// certificate authority the test makes.
#include "http/fetch.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>
#include <thread>

#include "http/fetch_profile.h"
#include "testing/httplib_server.h"
#include "testing/raw_server.h"
#include "testing/test_certificates.h"

namespace kessrune {
namespace {

using namespace std::chrono_literals;
using testing::httpResponse;
using testing::HttpsServer;
using testing::RawConnection;
using testing::RawRequest;
using testing::RawServer;
using testing::TestCertificates;

const std::string kDefaultLines =
    "Accept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n";

RawServer::Handler reply(int status, std::vector<std::string> headers, std::string body) {
    return
        [=](const RawRequest&, RawConnection& c) { c.send(httpResponse(status, headers, body)); };
}

class FetchTest : public ::testing::Test {
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
        httpsServers_.clear();
        setFetchSettings({});
    }

    static void shortenReceiveTimeout(std::chrono::milliseconds timeout) {
        FetchSettings settings = fetchSettings();
        settings.receiveTimeout = timeout;
        setFetchSettings(settings);
    }

    // An HTTPS server that lives until the end of the test.
    HttpsServer& https(const std::string& certFile = {}) {
        httpsServers_.push_back(std::make_unique<HttpsServer>(
            certFile.empty() ? certificates_->serverCertFile() : certFile,
            certificates_->keyFile()));
        return *httpsServers_.back();
    }

    static std::unique_ptr<TestCertificates> certificates_;
    RawServer server_;
    std::vector<std::unique_ptr<HttpsServer>> httpsServers_;
};

std::unique_ptr<TestCertificates> FetchTest::certificates_;

// A Cookie line's pairs in sorted order (the store sends them in its own).
std::string sortedCookies(const Text& line) {
    std::set<std::string> pairs;
    for (const Text& pair : splitText(line, "; "))
        pairs.insert(pair);
    std::string out;
    for (const std::string& pair : pairs)
        out += (out.empty() ? "" : "; ") + pair;
    return out;
}

// A port on which nothing listens.
int closedPort() {
    RawServer probe;
    return probe.port();
}

TEST_F(FetchTest, AddressOnlyCallSendsExactlyTheProfile) {
    server_.on("/p", reply(200, {}, "page"));
    const std::string addresses[] = {server_.url("/p?q=1"),
                                     "127.0.0.1:" + std::to_string(server_.port()) + "/p?q=1"};
    for (const std::string& address : addresses)
        EXPECT_EQ(fetchPage(address), "page");
    const auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(addresses[i]);
        EXPECT_EQ(requests[i].head,
                  "GET /p?q=1 HTTP/1.1\r\n"
                  "Host: 127.0.0.1:" +
                      std::to_string(server_.port()) +
                      "\r\n"
                      "User-Agent: " +
                      std::string(fetch::kDefaultUserAgent) +
                      "\r\n"
                      "Referer: " +
                      addresses[i] + "\r\n" + kDefaultLines + "\r\n");
    }
}

TEST_F(FetchTest, BothSchemesAndHttpsInCapitals) {
    server_.on("/", reply(200, {}, "plain"));
    HttpsServer& tls = https();
    tls.server().Get("/", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("secure " + req.get_header_value("Referer"), "text/plain");
    });
    EXPECT_EQ(fetchPage(server_.url()), "plain");
    EXPECT_EQ(fetchPage(tls.url()), "secure " + tls.url());
    const std::string capitals = "HTTPS://127.0.0.1:" + std::to_string(tls.port()) + "/";
    EXPECT_EQ(fetchPage(capitals), "secure " + capitals);
}

TEST_F(FetchTest, BadCertificatesAreRefused) {
    for (const std::string& cert :
         {certificates_->selfSignedCertFile(), certificates_->otherHostCertFile()}) {
        SCOPED_TRACE(cert);
        HttpsServer& tls = https(cert);
        tls.server().Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("must not arrive", "text/plain");
        });
        Text raw;
        EXPECT_EQ(fetchPage(tls.url(), {.rawHeaders = &raw}), "");
        EXPECT_EQ(raw, std::string(5000, ' '));
    }
}

TEST_F(FetchTest, PostForms) {
    server_.on("/form", [](const RawRequest& r, RawConnection& c) {
        c.send(
            httpResponse(200, {}, r.method + " " + r.header("Content-Type") + " [" + r.body + "]"));
    });
    const Text postText = "a=1";
    {
        Bytes postBytes;
        EXPECT_EQ(fetchPage(server_.url("/form"),
                            {.method = 1, .postText = &postText, .postBytes = &postBytes}),
                  "POST application/x-www-form-urlencoded [a=1]");
        EXPECT_EQ(postBytes, textToBytes("a=1"));
    }
    EXPECT_EQ(fetchPage(server_.url("/form"), {.method = 1, .postText = &postText}),
              "POST application/x-www-form-urlencoded [a=1]");
    {
        Bytes postBytes = textToBytes("b=2");
        EXPECT_EQ(fetchPage(server_.url("/form"),
                            {.method = 1, .postText = &postText, .postBytes = &postBytes}),
                  "POST application/x-www-form-urlencoded [b=2]");
    }
    EXPECT_EQ(fetchPage(server_.url("/form"), {.method = 2, .postText = &postText}),
              "GET application/x-www-form-urlencoded [a=1]");
    EXPECT_EQ(fetchPage(server_.url("/form"), {.method = 1}),
              "POST application/x-www-form-urlencoded []");
    // A large body goes out at once: no Expect: 100-continue, no encodings offered.
    const Text big(2 << 20, 'x');
    EXPECT_EQ(fetchPage(server_.url("/form"), {.method = 1, .postText = &big}).size(),
              41 + big.size());
    for (const RawRequest& r : server_.requests()) {
        EXPECT_EQ(r.header("Expect"), "");
        EXPECT_EQ(r.head.find("Accept-Encoding"), std::string::npos);
        EXPECT_EQ(r.head.find("Transfer-Encoding"), std::string::npos);
    }
}

TEST_F(FetchTest, UserAgentAndRefererFollowTheExtraHeaders) {
    server_.on("/", reply(200, {}, "ok"));
    struct Case {
        const char* extraHeaders;
        const char* agent;
        std::string referers;
    };
    const std::string address = server_.url();
    const Case cases[] = {
        {"user-agent: X\r\nX-A: 1", "X", address},
        {"User-Agent: X", "X", address},
        {"Referer: R", fetch::kDefaultUserAgent.data(), "R"},
        {"referer: R", fetch::kDefaultUserAgent.data(), "R|" + address},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extraHeaders);
        Text extra = c.extraHeaders;
        EXPECT_EQ(fetchPage(address, {.extraHeaders = &extra}), "ok");
        const RawRequest r = server_.requests().back();
        EXPECT_EQ(r.header("User-Agent"), c.agent);
        // Exactly one agent line, and the Referer lines in order.
        EXPECT_EQ(r.head.find("ser-Agent", r.head.find("ser-Agent") + 1), std::string::npos);
        std::string referers;
        for (std::size_t at = 0; (at = r.head.find("eferer: ", at)) != std::string::npos; at += 8) {
            if (!referers.empty())
                referers += "|";
            referers += r.head.substr(at + 8, r.head.find("\r\n", at) - at - 8);
        }
        EXPECT_EQ(referers, c.referers);
        EXPECT_NE(extra.find("Accept-Language: zh-cn"), Text::npos);
    }
}

TEST_F(FetchTest, ExtraHeaderLinesAreSentOnlyWhenWellFormed) {
    server_.on("/", reply(200, {}, "ok"));
    Text extra = "X-A: 1\r\n\r\nbogus\r\nX-B: 2\nX-Injected: 1\r\nX-Empty:";
    fetchPage(server_.url(), {.extraHeaders = &extra});
    const RawRequest r = server_.requests().back();
    EXPECT_NE(r.head.find("\r\nX-A: 1\r\n"), std::string::npos);
    EXPECT_NE(r.head.find("\r\nX-Empty:\r\n"), std::string::npos);
    EXPECT_EQ(r.head.find("bogus"), std::string::npos);
    EXPECT_EQ(r.head.find("X-B"), std::string::npos);
    EXPECT_EQ(r.head.find("X-Injected"), std::string::npos);
}

TEST_F(FetchTest, UnsafeBytesOfThePathArePercentEncoded) {
    server_.on("/a b\xb5", reply(200, {}, "raw"));
    server_.on("/a%20b%b5", reply(200, {}, "encoded"));  // curl writes hex digits in lower case
    EXPECT_EQ(fetchPage(server_.url("/a b\xb5?q=c d#frag")), "encoded");
    EXPECT_EQ(server_.requests().back().target, "/a%20b%b5?q=c%20d");
}

TEST_F(FetchTest, SuppliedCookiesReplaceTheStore) {
    server_.on("/set", reply(200, {"Set-Cookie: s=1; path=/"}, "set"));
    server_.on("/echo", [](const RawRequest& r, RawConnection& c) {
        c.send(httpResponse(200, {"Set-Cookie: b=3; path=/", "Set-Cookie: d=4; path=/"},
                            r.header("Cookie")));
    });

    // The store keeps s=1 and sends it back on the next call.
    EXPECT_EQ(fetchPage(server_.url("/set")), "set");
    EXPECT_EQ(fetchPage(server_.url("/echo")), "s=1");
    EXPECT_EQ(sortedCookies(fetchPage(server_.url("/echo"))), "b=3; d=4; s=1");

    // Supplied cookies: nothing from the store, no Cookie line for "", and
    // the response's cookies merged into the caller's list, not stored.
    resetFetchStore();
    EXPECT_EQ(fetchPage(server_.url("/set")), "set");
    Text cookies;
    Text received;
    EXPECT_EQ(fetchPage(server_.url("/echo"), {.cookies = &cookies, .receivedCookies = &received}),
              "");
    EXPECT_EQ(server_.requests().back().header("Cookie"), "");
    EXPECT_EQ(cookies, "b=3; d=4");
    EXPECT_EQ(received, "b=3;d=4");

    cookies = "a=1; b=2";
    EXPECT_EQ(fetchPage(server_.url("/echo"), {.cookies = &cookies, .receivedCookies = &received}),
              "a=1; b=2");
    EXPECT_EQ(cookies, "b=3; d=4; a=1");

    // The store saw neither response.
    EXPECT_EQ(fetchPage(server_.url("/echo")), "s=1");

    Text omittedReceived;
    fetchPage(server_.url("/echo"), {.receivedCookies = &omittedReceived});
    EXPECT_EQ(omittedReceived, "b=3; d=4");
}

TEST_F(FetchTest, RedirectChainsAreFollowedByTheLayer) {
    server_.on("/a", reply(302, {"Location: /b"}, "moved a"));
    server_.on("/b", reply(301, {"Location: " + server_.url("/c")}, "moved b"));
    server_.on("/c", [](const RawRequest& r, RawConnection& c) {
        c.send(httpResponse(200, {"X-End: 1"}, "end " + r.method + " [" + r.body + "]"));
    });
    server_.on("/see-other", reply(303, {"Location: /c"}, ""));
    server_.on("/keep", reply(307, {"Location: /c"}, ""));
    server_.on("/keep-permanent", reply(308, {"Location: /c"}, ""));

    Text raw, location;
    EXPECT_EQ(fetchPage(server_.url("/a"), {.redirectLocation = &location, .rawHeaders = &raw}),
              "end GET []");
    EXPECT_EQ(raw, "HTTP/1.1 200 OK\r\nX-End: 1\r\nContent-Length: 10\r\n\r\n");
    EXPECT_EQ(location, raw);  // the final response has no Location line

    const Text form = "f=1";
    struct Case {
        const char* path;
        int method;
        const char* result;
    };
    const Case cases[] = {
        {"/a", 1, "end GET []"},
        {"/see-other", 1, "end GET []"},
        {"/see-other", 2, "end GET []"},
        {"/keep", 1, "end POST [f=1]"},
        {"/keep-permanent", 1, "end POST [f=1]"},
        {"/keep", 2, "end GET [f=1]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " method " + std::to_string(c.method));
        EXPECT_EQ(fetchPage(server_.url(c.path), {.method = c.method, .postText = &form}),
                  c.result);
    }

    // noRedirect: the 3xx itself is the response.
    location.clear();
    EXPECT_EQ(fetchPage(server_.url("/a"), {.redirectLocation = &location, .noRedirect = true}),
              "moved a");
    EXPECT_EQ(location, "/b");
}

TEST_F(FetchTest, CredentialLinesStayWithTheirHostOnRedirects) {
    const std::string port = std::to_string(server_.port());
    server_.on("/same", reply(302, {"Location: /echo"}, ""));
    server_.on("/other", reply(302, {"Location: http://localhost:" + port + "/echo"}, ""));
    server_.on("/echo", [](const RawRequest& r, RawConnection& c) {
        c.send(httpResponse(
            200, {}, r.header("Cookie") + "|" + r.header("Authorization") + "|" + r.header("X-A")));
    });
    for (const char* path : {"/same", "/other"}) {
        SCOPED_TRACE(path);
        Text cookies = "c=1";
        Text extra = "Authorization: Basic eDp5\r\nX-A: 1";
        const bool sameHost = std::string(path) == "/same";
        EXPECT_EQ(fetchPage(server_.url(path), {.cookies = &cookies, .extraHeaders = &extra}),
                  sameHost ? "c=1|Basic eDp5|1" : "||1");
    }
}

TEST_F(FetchTest, InterimResponsesAndTrailersAreNoPartOfTheHeaderBlock) {
    server_.on("/", [](const RawRequest&, RawConnection& c) {
        c.send(
            "HTTP/1.1 100 Continue\r\n\r\n"
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            "2\r\nok\r\n0\r\nX-Trailer: t\r\n\r\n");
    });
    Text raw;
    EXPECT_EQ(fetchPage(server_.url(), {.rawHeaders = &raw}), "ok");
    EXPECT_EQ(raw, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
}

TEST_F(FetchTest, EndlessHeadersEndTheRead) {
    server_.on("/", [](const RawRequest&, RawConnection& c) {
        if (!c.send("HTTP/1.1 200 OK\r\n"))
            return;
        const std::string line = "X-Flood: " + std::string(1000, 'f') + "\r\n";
        for (int i = 0; i < 100'000 && c.send(line); ++i) {
        }
        c.close();
    });
    Text raw;
    EXPECT_EQ(fetchPage(server_.url(), {.rawHeaders = &raw}), "");
    EXPECT_EQ(raw, std::string(5000, ' '));
}

TEST_F(FetchTest, EndlessInterimResponsesEndTheRead) {
    server_.on("/", [](const RawRequest&, RawConnection& c) {
        for (int i = 0; i < 1'000'000 && c.send("HTTP/1.1 102 Processing\r\n\r\n"); ++i) {
        }
        c.close();
    });
    Text raw;
    EXPECT_EQ(fetchPage(server_.url(), {.rawHeaders = &raw}), "");
    EXPECT_EQ(raw, std::string(5000, ' '));
}

// Nothing an address or a server sends can become a line of our request.
TEST_F(FetchTest, NoHeaderLineComesFromData) {
    server_.on("/css/a.css", reply(200, {}, "sheet"));
    server_.on("/set", [](const RawRequest&, RawConnection& c) {
        c.send(httpResponse(200, {"Set-Cookie: s=1\x01x; path=/", "Set-Cookie: t=2\x7f; path=/"},
                            "set"));
    });
    const std::string hostile = server_.url("/css/a.css") +
                                "\r\nX-Injected: from-page\r\nHost: injected.example\r\nCookie: "
                                "s=attacker\r\n\x01\t\x7f"
                                "End";
    EXPECT_EQ(fetchPage(server_.url("/set")), "set");
    fetchPage(hostile);
    Text cookies = "a=1\r\nX-Smuggled: yes";
    fetchPage(hostile, {.cookies = &cookies});

    const auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const RawRequest& r : requests) {
        SCOPED_TRACE(r.head);
        for (char c : r.head.substr(0, r.head.size() - 4)) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE(byte >= 0x20 ? byte != 0x7f : c == '\r' || c == '\n') << int(byte);
        }
        const std::vector<std::string> lines = splitText(r.head, "\r\n");
        int hosts = 0, referers = 0;
        for (const std::string& line : lines) {
            hosts += line.starts_with("Host:");
            referers += line.starts_with("Referer:");
            EXPECT_FALSE(line.starts_with("X-Injected") || line.starts_with("X-Smuggled"));
        }
        EXPECT_EQ(hosts, 1);
        EXPECT_EQ(r.header("Host"), "127.0.0.1:" + std::to_string(server_.port()));
        if (r.path != "/set") {
            EXPECT_EQ(referers, 1);
            // curl writes the request line's escapes in lower case.
            EXPECT_EQ(r.path,
                      "/css/a.css%0d%0aX-Injected:%20from-page%0d%0aHost:%20injected.example"
                      "%0d%0aCookie:%20s=attacker%0d%0a%01%09%7fEnd");
            EXPECT_EQ(r.header("Referer"),
                      server_.url("/css/a.css") +
                          "%0D%0AX-Injected: from-page%0D%0AHost: "
                          "injected.example%0D%0ACookie: s=attacker%0D%0A%01%09%7FEnd");
        }
    }
    // The store refused the cookies with control bytes; the caller's own
    // list keeps them in one line.
    EXPECT_EQ(requests[1].header("Cookie"), "");
    EXPECT_EQ(requests[2].header("Cookie"), "a=1%0D%0AX-Smuggled: yes");
}

// The receive clock sees every byte, not only whole header lines.
TEST_F(FetchTest, TrickledHeaderBlockCompletesAndSilenceAnywhereEndsTheRead) {
    shortenReceiveTimeout(400ms);
    const std::string response = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
    server_.on("/trickle", [&](const RawRequest&, RawConnection& c) {
        for (char ch : response) {
            std::this_thread::sleep_for(60ms);
            if (!c.send(std::string(1, ch)))
                return;
        }
    });
    server_.on("/pause", [](const RawRequest&, RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Le");
        c.waitForHangUp(10s);
    });
    Text raw;
    EXPECT_EQ(fetchPage(server_.url("/trickle"), {.rawHeaders = &raw}), "ok");
    EXPECT_EQ(raw, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchPage(server_.url("/pause"), {.rawHeaders = &raw}), "");
    EXPECT_EQ(raw, std::string(5000, ' '));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // the server would wait 10 s
}

TEST_F(FetchTest, MaxTimeBoundsATransferThatNeverFallsSilent) {
    std::atomic<bool> stop{false};
    server_.on("/drip", [&](const RawRequest&, RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        while (!stop && c.send("x"))
            std::this_thread::sleep_for(20ms);
    });
    server_.on("/hop", reply(302, {"Location: /drip"}, ""));
    for (const char* path : {"/drip", "/hop"}) {
        SCOPED_TRACE(path);
        const auto start = std::chrono::steady_clock::now();
        const Text page = fetchPage(server_.url(path), {.maxTime = 400ms});
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(page.empty());  // what arrived before the limit is kept
        EXPECT_EQ(page, std::string(page.size(), 'x'));
        EXPECT_GE(took, 400ms);
        EXPECT_LT(took, 3s);  // the body would take 2000 s
    }
    stop = true;
}

TEST_F(FetchTest, RedirectLoopEndsAfterTenHops) {
    server_.on("/loop", reply(302, {"Location: /loop"}, "again"));
    Text raw;
    EXPECT_EQ(fetchPage(server_.url("/loop"), {.rawHeaders = &raw}), "");
    EXPECT_EQ(server_.requests().size(), 11u);
    EXPECT_EQ(raw.rfind("HTTP/1.1 302", 0), 0u);
}

TEST_F(FetchTest, HttpMayGoToHttpsButHttpsNeverToHttp) {
    HttpsServer& tls = https();
    const std::string plain = server_.url("/plain");
    tls.server().Get("/down", [plain](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(plain);
        res.set_content("redirect body", "text/plain");
    });
    tls.server().Get("/secure", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("secure end", "text/plain");
    });
    server_.on("/plain", reply(200, {}, "plain end"));
    server_.on("/up", reply(302, {"Location: " + tls.url("/secure")}, ""));

    EXPECT_EQ(fetchPage(server_.url("/up")), "secure end");
    Text location;
    EXPECT_EQ(fetchPage(tls.url("/down"), {.redirectLocation = &location}), "");
    EXPECT_EQ(location, plain);
    for (const RawRequest& r : server_.requests())
        EXPECT_NE(r.path, "/plain");
}

TEST_F(FetchTest, StallingServerTimesOutWithThePartReceived) {
    shortenReceiveTimeout(300ms);
    server_.on("/silent", [](const RawRequest&, RawConnection& c) { c.waitForHangUp(10s); });
    server_.on("/half", [](const RawRequest&, RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nfirst part");
        c.waitForHangUp(10s);
    });
    const auto start = std::chrono::steady_clock::now();
    Text raw;
    EXPECT_EQ(fetchPage(server_.url("/silent"), {.rawHeaders = &raw}), "");
    EXPECT_EQ(raw, std::string(5000, ' '));
    EXPECT_EQ(fetchPage(server_.url("/half"), {.rawHeaders = &raw}), "first part");
    EXPECT_EQ(raw, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // the server would wait 10 s
}

TEST_F(FetchTest, ConnectTimeOutBoundsAServerThatNeverAccepts) {
    // A listener that accepts nothing: once its queue is full, connecting hangs.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(fd);
    }
    std::this_thread::sleep_for(50ms);

    FetchSettings settings = fetchSettings();
    settings.connectTimeout = 300ms;
    setFetchSettings(settings);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchPage("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/"), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    for (int fd : fillers)
        ::close(fd);
    ::close(listener);
}

TEST_F(FetchTest, StopEndsATransferAtOnceAndAfterwardsNoneStarts) {
    server_.on("/silent", [](const RawRequest&, RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\npart");
        c.waitForHangUp(10s);
    });
    std::stop_source stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchPage(server_.url("/silent"), {.stop = stop.get_token()}), "part");
    const auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 3s);  // the server would wait 10 s
    // Another call's stop does not touch this one; a stopped one makes no hop.
    server_.on("/p", reply(200, {}, "page"));
    EXPECT_EQ(fetchPage(server_.url("/p")), "page");
    EXPECT_EQ(fetchPage(server_.url("/p"), {.stop = stop.get_token()}), "");
}

// Fetches on several threads run side by side over the shared store: the
// server holds all eight at once, and each thread keeps to its connection.
TEST_F(FetchTest, ConcurrentFetchesRunTogetherAndShareConnections) {
    std::mutex mutex;
    std::condition_variable changed;
    int inFlight = 0, most = 0;
    server_.on("/slow", [&](const RawRequest&, RawConnection& c) {
        {
            std::unique_lock lock(mutex);
            most = std::max(most, ++inFlight);
            changed.notify_all();
            // Hold the answer until all eight are in, or a while has passed.
            changed.wait_for(lock, 2s, [&] { return most >= 8; });
        }
        std::this_thread::sleep_for(20ms);
        {
            std::lock_guard lock(mutex);
            --inFlight;
        }
        c.send(httpResponse(200, {}, "slow page"));
    });
    constexpr int kThreads = 8, kFetches = 5;
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kFetches; ++i)
                good += fetchPage(server_.url("/slow")) == "slow page";
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(good.load(), kThreads * kFetches);
    EXPECT_EQ(most, kThreads);
    // 40 fetches over at most one connection per thread.
    EXPECT_LE(server_.connections(), kThreads);
    EXPECT_EQ(static_cast<int>(server_.requests().size()), kThreads * kFetches);
}

// The report says what happened, one failure kind of a closed set, and the
// result is the same with it as without it.
TEST_F(FetchTest, ReportSaysWhatHappened) {
    HttpsServer& selfSigned = https(certificates_->selfSignedCertFile());
    HttpsServer& tls = https();
    tls.server().Get("/down", [this](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(server_.url("/ok"));
    });
    server_.on("/ok", reply(200, {}, "fine"));
    server_.on("/missing", reply(404, {}, "not found"));
    server_.on("/hop", reply(302, {"Location: /ok"}, ""));
    server_.on("/loop", reply(302, {"Location: /loop"}, ""));
    server_.on("/ftp", reply(302, {"Location: ftp://127.0.0.1/x"}, ""));
    server_.on("/silent", [](const RawRequest&, RawConnection& c) { c.waitForHangUp(10s); });
    server_.on("/hangup", [](const RawRequest&, RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nshort");
        c.close();
    });
    server_.on("/big", reply(200, {}, std::string(2000, 'b')));
    server_.on("/headers", [](const RawRequest&, RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\n");
        const std::string line = "X-Flood: " + std::string(1000, 'f') + "\r\n";
        for (int i = 0; i < 2000 && c.send(line); ++i) {
        }
        c.close();
    });
    FetchSettings settings = fetchSettings();
    settings.receiveTimeout = 300ms;
    settings.maxBodyBytes = 1000;
    setFetchSettings(settings);
    std::stop_source stopped;
    stopped.request_stop();

    struct Case {
        std::string address;
        FetchOptions options;
        FetchFailure failure;
        int status;
        int redirects;
        std::size_t bytes;
    };
    const Case cases[] = {
        {server_.url("/ok"), {}, FetchFailure::none, 200, 0, 4},
        {server_.url("/missing"), {}, FetchFailure::none, 404, 0, 9},
        {server_.url("/hop"), {}, FetchFailure::none, 200, 1, 4},
        {"http://127.0.0.1:" + std::to_string(closedPort()) + "/",
         {},
         FetchFailure::connectionRefused,
         0,
         0,
         0},
        {"http://x.y.z?q=1", {}, FetchFailure::notAHostName, 0, 0, 0},
        {selfSigned.url(), {}, FetchFailure::tlsRefused, 0, 0, 0},
        {tls.url("/down"), {}, FetchFailure::redirectToHttp, 302, 0, 0},
        {server_.url("/ftp"), {}, FetchFailure::redirectToOtherScheme, 302, 0, 0},
        {server_.url("/loop"), {}, FetchFailure::tooManyRedirects, 302, 10, 0},
        {server_.url("/silent"), {}, FetchFailure::idleTimeout, 0, 0, 0},
        {server_.url("/silent"), {.maxTime = 100ms}, FetchFailure::totalLimit, 0, 0, 0},
        {server_.url("/silent"), {.stop = stopped.get_token()}, FetchFailure::aborted, 0, 0, 0},
        {server_.url("/hangup"), {}, FetchFailure::brokenConnection, 200, 0, 5},
        {server_.url("/big"), {}, FetchFailure::bodyCapReached, 200, 0, 1000},
        {server_.url("/headers"), {}, FetchFailure::headerBlockTooLarge, 200, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        FetchReport report;
        FetchOptions options = c.options;
        options.report = &report;
        const Text withReport = fetchPage(c.address, options);
        EXPECT_EQ(report.failure, c.failure)
            << failureWords(report.failure) << ": " << report.detail;
        EXPECT_EQ(report.status, c.status);
        EXPECT_EQ(report.redirects, c.redirects);
        EXPECT_EQ(report.bytes, c.bytes);
        EXPECT_EQ(withReport.size(), c.bytes);
        EXPECT_LT(report.time, 5s);
        if (c.failure == FetchFailure::tlsRefused) {
            EXPECT_NE(report.detail, "");
        }
        EXPECT_EQ(failureWords(c.failure).empty(), c.failure == FetchFailure::none);
    }
}

TEST_F(FetchTest, BrokenAndOddBodies) {
    server_.on("/cut", [](const RawRequest&, RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly this");
        c.close();
    });
    server_.on("/zero", reply(200, {}, std::string("ab\0cd", 5)));
    server_.on("/big", reply(200, {}, std::string(5000, 'b')));
    EXPECT_EQ(fetchPage(server_.url("/cut")), "only this");
    EXPECT_EQ(fetchPage(server_.url("/zero")), "ab");
    // An image is bytes, not a page: nothing cut, nothing converted.
    server_.on("/utf8", reply(200, {"Content-Type: image/png; charset=utf-8"}, "\xe5\xba\x97"));
    EXPECT_EQ(fetchBody(server_.url("/zero")), std::string("ab\0cd", 5));
    EXPECT_EQ(fetchBody(server_.url("/utf8")), "\xe5\xba\x97");
    EXPECT_EQ(fetchBody(server_.url("/cut")), "only this");

    FetchSettings settings = fetchSettings();
    settings.maxBodyBytes = 1000;
    setFetchSettings(settings);
    EXPECT_EQ(fetchPage(server_.url("/big")), std::string(1000, 'b'));
}

TEST_F(FetchTest, Utf8BodiesAreConvertedByPositionOrHeaders) {
    const std::string shop = "\xe5\xba\x97\xe9\x93\xba";  // UTF-8 of two characters
    const std::string shopGbk = "\xb5\xea\xc6\xcc";
    auto page = [&](int position) { return std::string(position - 1, 'a') + "utf-8" + shop; };
    server_.on("/499", reply(200, {}, page(499)));
    server_.on("/500", reply(200, {}, page(500)));
    server_.on("/500h", reply(200, {"Content-Type: text/html; Charset=UTF-8"}, page(500)));
    EXPECT_EQ(fetchPage(server_.url("/499")), std::string(498, 'a') + "utf-8" + shopGbk);
    EXPECT_EQ(fetchPage(server_.url("/500")), page(500));
    EXPECT_EQ(fetchPage(server_.url("/500h")), std::string(499, 'a') + "utf-8" + shopGbk);
}

TEST_F(FetchTest, HeaderBlocksJustUnderAndOverTheBuffer) {
    // "HTTP/1.1 200 OK\r\n" + "X-Pad: " pad "\r\n" + "Content-Length: 2\r\n" + "\r\n"
    const int fixed = 17 + 7 + 2 + 19 + 2;
    for (int blockLength : {4999, 5000}) {
        SCOPED_TRACE(blockLength);
        const std::string path = "/" + std::to_string(blockLength);
        server_.on(path, reply(200, {"X-Pad: " + std::string(blockLength - fixed, 'p')}, "ok"));
        Text raw;
        EXPECT_EQ(fetchPage(server_.url(path), {.rawHeaders = &raw}), "ok");
        EXPECT_EQ(raw.size(), blockLength == 4999 ? 4999u : 5000u);
        EXPECT_EQ(raw.rfind("HTTP/1.1 200 OK\r\nX-Pad: ppp", 0) == 0, blockLength == 4999);
    }
}

TEST_F(FetchTest, UnreachableOrInvalidAddresses) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    Text extra, raw, location;
    EXPECT_EQ(
        fetchPage(refused,
                  {.extraHeaders = &extra, .redirectLocation = &location, .rawHeaders = &raw}),
        "");
    EXPECT_EQ(raw, std::string(5000, ' '));
    EXPECT_EQ(location, raw);
    EXPECT_NE(extra.find("Referer: " + refused), Text::npos);

    // No request can be made: nothing of the caller's changes.
    for (const char* address : {"", "http://x.y.z?q=1", "http://127.0.0.1:99999/"}) {
        SCOPED_TRACE(address);
        Text extra2 = "X: 1", raw2 = "kept";
        EXPECT_EQ(fetchPage(address, {.extraHeaders = &extra2, .rawHeaders = &raw2}), "");
        EXPECT_EQ(extra2, "X: 1");
        EXPECT_EQ(raw2, "kept");
    }
}

TEST_F(FetchTest, FiveFetchesShareOneConnection) {
    server_.on("/", reply(200, {}, "ok"));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(fetchPage(server_.url()), "ok");
    EXPECT_EQ(server_.connections(), 1);

    HttpsServer& tls = https();
    std::mutex mutex;
    std::set<int> ports;
    tls.server().Get("/", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(mutex);
        ports.insert(req.remote_port);
        res.set_content("ok", "text/plain");
    });
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(fetchPage(tls.url()), "ok");
    EXPECT_EQ(ports.size(), 1u);
}

TEST_F(FetchTest, KeptConnectionClosedByTheServerDoesNotFailTheNextFetch) {
    server_.on("/", [](const RawRequest&, RawConnection& c) {
        c.send(httpResponse(200, {}, "ok"));
        c.close();  // without saying so in the response
    });
    const Text form = "f=1";
    EXPECT_EQ(fetchPage(server_.url()), "ok");
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(fetchPage(server_.url()), "ok");
    EXPECT_EQ(fetchPage(server_.url(), {.method = 1, .postText = &form}), "ok");
    EXPECT_EQ(server_.connections(), 3);
}

TEST_F(FetchTest, ProxyCarriesPlainHttpToOtherHostsOnly) {
    RawServer proxy;
    proxy.on("/p", [](const RawRequest& r, RawConnection& c) {
        c.send(httpResponse(200, {}, "via proxy " + r.target));
    });
    server_.on("/p", reply(200, {}, "direct"));
    HttpsServer& tls = https();
    tls.server().Get("/p", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("direct tls", "text/plain");
    });

    const Text proxyAddress = "127.0.0.1:" + std::to_string(proxy.port());
    EXPECT_EQ(fetchPage("http://shop.example/p?q=1", {.proxyAddress = &proxyAddress}),
              "via proxy http://shop.example/p?q=1");
    EXPECT_EQ(proxy.requests().back().header("Host"), "shop.example");
    EXPECT_EQ(fetchPage(server_.url("/p"), {.proxyAddress = &proxyAddress}), "direct");  // loopback
    EXPECT_EQ(fetchPage(tls.url("/p"), {.proxyAddress = &proxyAddress}), "direct tls");  // https
    EXPECT_EQ(proxy.requests().size(), 1u);

    // Supplied but empty: no proxy is named for http, so the request goes direct.
    const Text empty;
    EXPECT_EQ(fetchPage(server_.url("/p"), {.proxyAddress = &empty}), "direct");
    EXPECT_EQ(proxy.requests().size(), 1u);
}

}  // namespace
}  // namespace kessrune
