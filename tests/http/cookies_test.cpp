#include "http/cookies.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kessrune {
namespace {

constexpr const char* kStatus = "HTTP/1.1 200 OK\r\n";

TEST(ScanResponseHeaders, CookiesAndLocation) {
    struct Case {
        std::string label;
        std::string headers;  // after the status line, lines ending in CR LF
        std::string received;
        std::optional<std::string> location;  // nullopt: the whole block
    };
    const Case cases[] = {
        {"two cookies", "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2; path=/\r\n", "a=1; b=2",
         std::nullopt},
        {"pair without attributes is lost", "Set-Cookie: a=1\r\n", "", std::nullopt},
        {"lost pair still adds its separator", "Set-Cookie: a=1\r\nSet-Cookie: b=2; p\r\n", "; b=2",
         std::nullopt},
        {"lower-case set-cookie ignored", "set-cookie: a=1;\r\n", "", std::nullopt},
        {"cut is case-blind once the line matches", "Set-Cookie SET-COOKIE: c=3;\r\n", "c=3",
         std::nullopt},
        {"spaces around the pair trimmed", "Set-Cookie:   a=1  ; x\r\n", "a=1", std::nullopt},
        {"location", "Location: /x/y\r\n", "", "/x/y"},
        {"content-location", "Content-Location: /z\r\n", "", "/z"},
        {"last location wins", "Location: /a\r\nContent-Location: /b\r\n", "", "/b"},
        {"lower-case location ignored", "location: /x\r\n", "", std::nullopt},
        {"value keeps later colons", "Location:  http://h:81/p \r\n", "", "http://h:81/p"},
        {"nothing", "Content-Type: text/html\r\n", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string block = kStatus + c.headers + "\r\n";
        Text received = "stale";
        Text location;
        scanResponseHeaders(block, nullptr, received, location);
        EXPECT_EQ(received, c.received);
        EXPECT_EQ(location, c.location.value_or(block));
    }
}

TEST(ScanResponseHeaders, CallersLocationStaysWithoutLocationLine) {
    Text received;
    Text location = "/kept";
    scanResponseHeaders("HTTP/1.1 200 OK\r\n\r\n", nullptr, received, location);
    EXPECT_EQ(location, "/kept");
}

TEST(ScanResponseHeaders, EmptyBlock) {
    Text received = "x";
    Text location;
    Text cookies = "a=1";
    scanResponseHeaders("", &cookies, received, location);
    EXPECT_EQ(received, "");
    EXPECT_EQ(location, "");
    EXPECT_EQ(cookies, "a=1");
}

TEST(ScanResponseHeaders, BlockMayBeOneOfTheOutputs) {
    Text block = "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; p\r\n\r\n";
    Text received;
    scanResponseHeaders(block, nullptr, received, block);
    EXPECT_EQ(received, "a=1");
    EXPECT_EQ(block, "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; p\r\n\r\n");
}

TEST(ScanResponseHeaders, MergesIntoCallersCookies) {
    struct Case {
        std::string label;
        std::string sent;
        std::string headers;
        std::string merged;
        std::string received;
    };
    const Case cases[] = {
        {"server's value wins", "a=1; b=2", "Set-Cookie: b=3; p\r\nSet-Cookie: d=4; p\r\n",
         "b=3; d=4; a=1", "b=3;d=4"},
        {"deleted removes", "a=1; b=2", "Set-Cookie: b=deleted; p\r\n", "a=1", "b=deleted"},
        {"first sent of one name taken", "a=1; a=2", "", "a=1", ""},
        {"spaces removed inside values", "x=p q", "", "x=pq", ""},
        {"two received of one name both kept", "", "Set-Cookie: a=1; p\r\nSet-Cookie: a=2; p\r\n",
         "a=1; a=2", "a=1;a=2"},
        {"identical received joined once", "", "Set-Cookie: a=1; p\r\nSet-Cookie: a=1; p\r\n",
         "a=1", "a=1;a=1"},
        {"nothing at all", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Text cookies = c.sent;
        Text received;
        Text location;
        scanResponseHeaders(kStatus + c.headers + "\r\n", &cookies, received, location);
        EXPECT_EQ(cookies, c.merged);
        EXPECT_EQ(received, c.received);
    }
}

TEST(ScanResponseHeaders, WithoutCookiesReceivedKeepsItsSpaces) {
    Text received;
    Text location;
    scanResponseHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: b=3; p\r\nSet-Cookie: d=4; p\r\n\r\n",
                        nullptr, received, location);
    EXPECT_EQ(received, "b=3; d=4");
}

TEST(MergeCookies, ReplacesBothAndReturnsCopy) {
    Text sent = " a = 1 ;b=2;";
    Text received = "b=9; c=deleted ; e = 5";
    const Text result = mergeCookies(sent, received);
    EXPECT_EQ(sent, "b=9; e=5; a=1");
    EXPECT_EQ(result, sent);
    EXPECT_EQ(received, "b=9;c=deleted;e=5");
}

TEST(MergeCookies, FullWidthSpacesGoToo) {
    Text sent = "a=\xa1\xa1x";
    Text received;
    EXPECT_EQ(mergeCookies(sent, received), "a=x");
}

TEST(CookieName, Cases) {
    const std::pair<std::string, std::string> cases[] = {
        {" a =1", "a"}, {"flag", "flag"}, {"=v", ""}, {"", ""}, {"a=b=c", "a"}, {" x ", "x"},
    };
    for (const auto& [item, name] : cases) {
        SCOPED_TRACE(item);
        EXPECT_EQ(cookieName(item), name);
    }
}

TEST(CookieListHasName, ComparesNamesExactly) {
    const TextArray list = {"a=1", " B =2", "flag"};
    EXPECT_TRUE(cookieListHasName(list, "a"));
    EXPECT_TRUE(cookieListHasName(list, "B"));
    EXPECT_TRUE(cookieListHasName(list, "flag"));
    EXPECT_FALSE(cookieListHasName(list, "b"));
    EXPECT_FALSE(cookieListHasName(list, "a=1"));
    EXPECT_FALSE(cookieListHasName({}, ""));
}

TEST(JoinDistinct, Cases) {
    struct Case {
        std::string text, separator, result;
    };
    const Case cases[] = {
        {"x; y; x", "; ", "x; y"},    {"", "; ", ""},     {"x; y; ", "; ", "x; y"},
        {"; x; ; y", "; ", "; x; y"},  // the empty item is one item too
        {"a,b,a,c,b", ",", "a,b,c"},  {"abc", "", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " | " + c.separator);
        EXPECT_EQ(joinDistinct(c.text, c.separator), c.result);
    }
}

TEST(ListIndexOf, Cases) {
    const TextArray list = {"a", "", "b", "a"};
    EXPECT_EQ(listIndexOf(list, "a"), 1);
    EXPECT_EQ(listIndexOf(list, ""), 2);
    EXPECT_EQ(listIndexOf(list, "b"), 3);
    EXPECT_EQ(listIndexOf(list, "A"), -1);
    EXPECT_EQ(listIndexOf({}, "a"), -1);
    EXPECT_EQ(listIndexOf({}, ""), -1);
}

}  // namespace
}  // namespace kessrune
