#include "text/markers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string_view>

#include "tests/text/gbk_words.h"

namespace kessrune {
namespace {

using testing::kShopFragment;

// "#引号" in GBK, the quote escape of markers.
constexpr std::string_view kQuote = "#\xd2\xfd\xba\xc5";

struct BetweenRow {
    const char* what;
    std::string_view t;
    std::string_view startMarker;
    std::string_view endMarker;
    int startPosition;
    bool matchCase;
    Text want;
};

TEST(ExtractBetween, Defaults) {
    const BetweenRow rows[] = {
        {"plain", "x[ab]y", "[", "]", 1, false, "ab"},
        {"first end marker after the start", "x[ab]y]", "[", "]", 1, false, "ab"},
        {"first start marker", "[a[b]", "[", "]", 1, false, "a[b"},
        {"end marker only before the start", "]x[ab", "[", "]", 1, false, ""},
        {"markers side by side", "x[]y", "[", "]", 1, false, ""},
        {"start marker at the very end", "xy[", "[", "]", 1, false, ""},
        {"start marker absent", "xy", "[", "]", 1, false, ""},
        {"empty text", "", "[", "]", 1, false, ""},
        {"case ignored", "<B>x</b>", "<b>", "</B>", 1, false, "x"},
        {"case matched", "<B>x</b>", "<b>", "</B>", 1, true, ""},
        {"case matched, same case", "<b>x</B>", "<b>", "</B>", 1, true, "x"},
        {"empty start marker", "ab", "", "b", 1, false, "a"},
        {"empty end marker", "a[b", "[", "", 1, false, ""},
        {"both empty", "ab", "", "", 1, false, ""},
        {"end marker cannot overlap the start marker", "a<!-->b-->", "<!--", "-->", 1, false, ">b"},
        {"multi-byte markers", "<title>Shop</title>", "<title>", "</title>", 1, false, "Shop"},
    };
    for (const BetweenRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(
            extractBetween(row.t, row.startMarker, row.endMarker, row.startPosition, row.matchCase),
            row.want);
    }
    EXPECT_EQ(extractBetween("<B>x</b>", "<b>", "</B>"), "x");
}

TEST(ExtractBetween, StartPosition) {
    const BetweenRow rows[] = {
        {"start 3", "[a][b]", "[", "]", 3, false, "b"},
        {"start 0", "[a][b]", "[", "]", 0, false, "a"},
        {"start -5", "[a][b]", "[", "]", -5, false, "a"},
        {"start INT_MIN", "[a][b]", "[", "]", INT_MIN, false, "a"},
        {"start past the end", "[a][b]", "[", "]", 7, false, ""},
        {"start on the last byte", "[a][b]", "]", "]", 6, false, ""},
        // The end search goes from just after the start marker, whatever
        // startPosition says.
        {"end search from the start marker", "[a][b]", "a", "]", 2, false, ""},
        // An empty start marker is found at 1 whatever startPosition says.
        {"empty start marker ignores the start", "ab]cd]", "", "]", 4, false, "ab"},
        {"empty start marker past the end", "ab]", "", "]", 4, false, ""},
    };
    for (const BetweenRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(
            extractBetween(row.t, row.startMarker, row.endMarker, row.startPosition, row.matchCase),
            row.want);
    }
}

TEST(ExtractBetween, QuoteEscape) {
    const Text both = Text(kQuote);
    const Text href = "href=" + Text(kQuote);
    const Text twice = both + both;
    const Text escapeInText = concatText("x", kQuote, "y\"z");
    const Text leadThenEscape = concatText("\x81", kQuote);
    const Text leadThenEscapeText = leadThenEscape + "x\"";
    const BetweenRow rows[] = {
        {"escape in both markers", "x\"y\"z", both, both, 1, false, "y"},
        {"quote itself", "x\"y\"z", "\"", "\"", 1, false, "y"},
        {"escape inside a marker", "<a href=\"//shop.css\">", href, both, 1, false, "//shop.css"},
        {"escape with matchCase", "<A HREF=\"u\">", href, both, 1, true, ""},
        {"escape ignoring case", "<A HREF=\"u\">", href, both, 1, false, "u"},
        {"every escape replaced", "a\"\"b\"\"c", twice, twice, 1, false, "b"},
        // The escape means nothing in the searched text.
        {"escape in the text", escapeInText, "x", "\"", 1, false, Text(kQuote) + "y"},
        {"half an escape stays", "ab#\xd2\xfd\"", "a", "#\xd2\xfd", 1, false, "b"},
        // The escape is found by character stepping: after 0x81 the "#" is
        // a second byte.
        {"escape after a lead byte", leadThenEscapeText, leadThenEscape, "\"", 1, false, "x"},
    };
    for (const BetweenRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(
            extractBetween(row.t, row.startMarker, row.endMarker, row.startPosition, row.matchCase),
            row.want);
    }
}

TEST(ExtractBetween, RealGbkText) {
    const BetweenRow rows[] = {
        {"square brackets", kShopFragment, "[", "]", 1, false, Text(kShopFragment.substr(16, 8))},
        {"tag case ignored", kShopFragment, "<B>", "</b>", 1, false, Text(testing::kDongHuaJinXiu)},
        {"up to |", kShopFragment, "=", "|", 1, false, "A" + Text(testing::kBaiShe)},
        {"Chinese markers", kShopFragment, testing::kTiaoMa, testing::kMeiYou, 1, false,
         "=A" + Text(testing::kBaiShe) + "|"},
        {"no ] after 沒", kShopFragment, "|", "]", 1, false, ""},
        {"no \\ in 錦", kShopFragment, "<b>", "\\", 1, false, ""},
    };
    for (const BetweenRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(
            extractBetween(row.t, row.startMarker, row.endMarker, row.startPosition, row.matchCase),
            row.want);
    }
}

TEST(TextAfterLast, Table) {
    struct Row {
        const char* what;
        std::string_view t;
        std::string_view marker;
        bool ignoreCase;
        Text want;
    };
    const Row rows[] = {
        {"plain", "a>b>c", ">", false, "c"},
        {"marker at the very end", "a>b>", ">", false, ""},
        {"marker absent", "abc", ">", false, ""},
        {"empty text", "", ">", false, ""},
        {"empty marker", "abc", "", false, "abc"},
        {"overlapping occurrences", "aaa", "aa", false, ""},
        {"exact by default", "x<a>y<A>z", "<a>", false, "y<A>z"},
        {"ignoring case", "x<a>y<A>z", "<a>", true, "z"},
        {"HTML fragment", "<a href=x><span>Shop</span>", ">", false, ""},
        {"last tag", "<div><b>Name", ">", false, "Name"},
        {"real GBK", kShopFragment, "]", false, Text(kShopFragment.substr(25))},  // 沒 ends in ]
        {"real GBK |", kShopFragment, "|", false, Text(testing::kMeiYou)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(textAfterLast(row.t, row.marker, row.ignoreCase), row.want);
    }
    EXPECT_EQ(textAfterLast("x<a>y<A>z", "<a>"), "y<A>z");
}

TEST(HeaderValue, Table) {
    struct Row {
        const char* what;
        std::string_view line;
        Text want;
    };
    const Row rows[] = {
        {"plain", "Content-Type: text/html", "text/html"},
        {"spaces around", "Location:   /a/b  ", "/a/b"},
        {"only the first colon", "a:b:c", "b:c"},
        {"no colon", "abc", ""},
        {"colon at the end", "abc:", ""},
        {"empty", "", ""},
        {"full-width spaces", "Location:\xa1\xa1/x\xa1\xa1", "/x"},
        {"tab is kept", "Location:\t/x", "\t/x"},
        {"URL with port", "Location: http://h:8080/p", "http://h:8080/p"},
        {"colon inside a character is none", "\x81:x", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(headerValue(row.line), row.want);
    }
}

}  // namespace
}  // namespace kessrune
