#include "http/fetch_profile.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kessrune::fetch {
namespace {

TEST(FetchProfileTest, UserAgentComesFromTheExtraHeadersOrIsTheDefault) {
    struct Case {
        const char* extraHeaders;
        std::string agent;
    };
    const Case cases[] = {
        {"", std::string(kDefaultUserAgent)},
        {"Referer: r", std::string(kDefaultUserAgent)},
        {"user-agent: X\r\nAccept: */*", "X"},  // the search ignores case
        {"User-Agent: X", "X"},                 // no CR LF after it: headerValue of the text
        {"A: b\r\nUser-Agent:   Y  \r\n", "Y"},
        {"A: b\r\nUser-Agent: \r\nC: d",
         "b\r\nUser-Agent: \r\nC: d"},  // empty value: first colon's value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extraHeaders);
        EXPECT_EQ(userAgentFor(c.extraHeaders), c.agent);
    }
    EXPECT_EQ(kDefaultUserAgent.size(), 121u);
}

TEST(FetchProfileTest, DefaultLinesAreAddedWhenTheirExactNameIsMissing) {
    const std::string defaults =
        "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: "
        "application/x-www-form-urlencoded";
    struct Case {
        const char* extraHeaders;
        const char* cookies;
        std::string result;
    };
    const Case cases[] = {
        {"", "", "Referer: http://a/" + defaults},
        {"Referer: R", "", "Referer: R" + defaults},
        {"referer: R", "", "referer: R\r\nReferer: http://a/" + defaults},
        {"X: 1", "c=1", "X: 1\r\nReferer: http://a/" + defaults + "\r\nCookie: c=1"},
        {"Accept: a\r\nAccept-Language: l\r\nContent-Type: t\r\nReferer: r", "",
         "Accept: a\r\nAccept-Language: l\r\nContent-Type: t\r\nReferer: r"},
        // Cookies are data from servers: their control bytes cannot end the line.
        {"", "a=1\r\nHost: evil\x7f",
         "Referer: http://a/" + defaults + "\r\nCookie: a=1%0D%0AHost: evil%7F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extraHeaders);
        Text extra = c.extraHeaders;
        addDefaultHeaderLines(extra, "http://a/", c.cookies);
        EXPECT_EQ(extra, c.result);
    }

    // A second call on the same variable adds only a second Cookie line.
    Text extra;
    addDefaultHeaderLines(extra, "http://a/", "c=1");
    const Text once = extra;
    addDefaultHeaderLines(extra, "http://a/", "c=1");
    EXPECT_EQ(extra, once + "\r\nCookie: c=1");
}

TEST(FetchProfileTest, OnlyWellFormedHeaderLinesAreSent) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(requestHeaderLines("A: 1\r\n\r\nnocolon\r\n: x\r\nB:\r\nC:  ", true),
              (Lines{"A: 1", "B;", "C;"}));
    // A bare CR or LF never reaches the wire: the whole line stays back.
    EXPECT_EQ(requestHeaderLines("A: 1\nX-Injected: 1\r\nB: 2\rC: 3\r\nD: 4", true),
              (Lines{"D: 4"}));
    EXPECT_EQ(requestHeaderLines("", true), Lines{});
    EXPECT_EQ(requestHeaderLines("Cookie: a=1\r\nAUTHORIZATION: x\r\nA: 1", false),
              (Lines{"A: 1"}));
    EXPECT_EQ(requestHeaderLines("Cookie: a=1", true), (Lines{"Cookie: a=1"}));
}

TEST(FetchProfileTest, BytesAUrlCannotCarryArePercentEncoded) {
    EXPECT_EQ(percentEncodeUnsafe("/a b\xb5\xea?x=%41\x7f\x01"), "/a%20b%B5%EA?x=%41%7F%01");
    EXPECT_EQ(percentEncodeUnsafe(""), "");
    EXPECT_EQ(percentEncodeUnsafe("/\"<>{}|^`~"), "/\"<>{}|^`~");
}

TEST(FetchProfileTest, HostNames) {
    struct Case {
        const char* host;
        bool valid;
    };
    const Case cases[] = {
        {"x.y.z", true}, {"127.0.0.1", true},  {"a-b.c", true},        {"[::1]", true},
        {"", false},     {"x.y.z?q=1", false}, {"user@x.y", false},    {"x y", false},
        {"[", false},    {"[::1", false},      {"\xb5\xea.cn", false}, {"x_y", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(isHostName(c.host), c.valid);
    }
    EXPECT_TRUE(isLoopbackHost("127.0.0.1"));
    EXPECT_TRUE(isLoopbackHost("127.1.2.3"));
    EXPECT_TRUE(isLoopbackHost("LocalHost"));
    EXPECT_TRUE(isLoopbackHost("[::1]"));
    EXPECT_FALSE(isLoopbackHost("127.0.0.1.example"));
    EXPECT_FALSE(isLoopbackHost("shop.example"));
}

TEST(FetchProfileTest, RequestUrlIsAssembledFromTheAddressParts) {
    struct Case {
        const char* address;
        std::optional<std::string> url;
    };
    const Case cases[] = {
        {"HTTPS://X.Y.Z:8443/p?q=1", "https://x.y.z:8443/p?q=1"},
        {"http://x.y.z", "http://x.y.z/"},
        {"x.y.z/p/q", "http://x.y.z/p/q"},
        {"https://x.y.z/", "https://x.y.z/"},
        {"http://x.y.z:/p", "http://x.y.z/p"},  // port 0: the scheme's default
        {"httpsx.y", "https://httpsx.y/"},      // the first five letters decide
        {"http://x.y.z/a b/\xb5\xea?k=v w#frag", "http://x.y.z/a%20b/%b5%ea?k=v%20w"},
        {"http://x.y.z/p?", "http://x.y.z/p"},  // curl drops an empty query
        {"http://x.y.z:80/", "http://x.y.z/"},
        {"https://x.y.z:80/", "https://x.y.z:80/"},
        {"", std::nullopt},
        {"http://x.y.z?q=1", std::nullopt},  // the query is left in the host
        {"http://x.y.z:70000/", std::nullopt},
        {"http://x.y.z:-1/", std::nullopt},
        {"http://u@x.y.z/", std::nullopt},  // user part left in the host
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(requestUrl(c.address), c.url);
    }
}

TEST(FetchProfileTest, AnAddressCannotAddHeaderLines) {
    // The Referer carries the address as passed but for its control bytes.
    const std::string hostile =
        "http://127.0.0.1/css/a.css\r\nX-Injected: 1\r\nHost: injected.example\r\n\tCookie: s=x";
    Text extra;
    addDefaultHeaderLines(extra, hostile, "");
    const std::vector<std::string> lines = requestHeaderLines(extra, true);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "Referer: http://127.0.0.1/css/a.css%0D%0AX-Injected: 1%0D%0AHost: "
              "injected.example%0D%0A%09Cookie: s=x");

    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"", ""},
        {"plain ascii %41 \xb5\xea", "plain ascii %41 \xb5\xea"},  // "%" and GBK bytes stay
        {std::string("\0\x01\x1f\x20\x7e\x7f", 6), "%00%01%1F ~%7F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(headerSafe(c.in), c.out);
    }
}

TEST(FetchProfileTest, RawHeadersHoldTheBlockOnlyWhenItFitsTheBuffer) {
    EXPECT_EQ(rawHeaderText("HTTP/1.1 200 OK\r\n\r\n", true), "HTTP/1.1 200 OK\r\n\r\n");
    EXPECT_EQ(rawHeaderText(std::string(4999, 'x'), true), std::string(4999, 'x'));
    EXPECT_EQ(rawHeaderText(std::string(5000, 'x'), true), std::string(5000, ' '));
    EXPECT_EQ(rawHeaderText("HTTP/1.1 200 OK\r\n", false), std::string(5000, ' '));
}

TEST(FetchProfileTest, Utf8IsDecidedByTheBodyStartOrTheHeaders) {
    auto bodyWithMarkAt = [](int position, const char* mark) {
        return std::string(position - 1, 'a') + mark;
    };
    EXPECT_TRUE(countsAsUtf8(bodyWithMarkAt(1, "utf-8"), ""));
    EXPECT_TRUE(countsAsUtf8(bodyWithMarkAt(499, "utf-8"), ""));
    EXPECT_FALSE(countsAsUtf8(bodyWithMarkAt(500, "utf-8"), ""));
    EXPECT_TRUE(
        countsAsUtf8(bodyWithMarkAt(500, "utf-8"), "Content-Type: text/html; charset=UTF-8"));
    EXPECT_FALSE(countsAsUtf8(bodyWithMarkAt(1, "UTF-8"), "HTTP/1.1 200 OK"));
    EXPECT_TRUE(countsAsUtf8(std::string("\0utf-8", 6), ""));
}

}  // namespace
}  // namespace kessrune::fetch
