#include "http/charset.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace kessrune {
namespace {

Bytes bytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}
std::string str(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// A stretch of a shop page in UTF-8, as this source file is.
constexpr std::string_view kPage =
    "<title>首页-小熊家居旗舰店-天猫Tmall.com</title>\n"
    "<div class=\"slogan\">“品质生活，从家开始”：全场包邮、七天无理由退换！</div>\n"
    "<span class=\"shop-name\">掌柜：小熊の家（ＡＢＣ１２３）</span>\n"
    "<p>规格：１００％纯棉　尺寸约 180×200cm · 颜色：米白、浅灰、藏青……</p>";

// The same text through one plain iconv(3) call.
std::string plainIconv(std::string_view text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

struct Case {
    std::string label;
    std::string input;
    std::string source;
    std::string target;
    std::string expected;
};

void runCases(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->label);
        EXPECT_EQ(str(convertCharset(bytes(c->input), c->source, c->target)), c->expected);
    }
}

TEST(ConvertCharset, Utf8ToGbk) {
    using namespace std::string_literals;
    const Case cases[] = {
        {"empty", "", "", "", ""},
        {"two characters", "\xe5\xba\x97\xe9\x93\xba", "", "", "\xb5\xea\xc6\xcc"},
        {"mixed",
         "a\xe6\x8e\x8c\xe6\x9f\x9c"
         "b",
         "", "",
         "a\xd5\xc6\xb9\xf1"
         "b"},
        {"ascii", "<a href=\"/x?y=1&z\">~</a>\r\n", "", "", "<a href=\"/x?y=1&z\">~</a>\r\n"},
        {"names given", "a\xe6\x8e\x8c", "UTF-8", "GBK", "a\xd5\xc6"},
        {"names in other spellings", "a\xe6\x8e\x8c", "utf8", "gbk", "a\xd5\xc6"},
        {"full-width space", "\xe3\x80\x80", "", "", "\xa1\xa1"},
        // Invalid input: one "?" for each longest start of a sequence.
        {"stray byte",
         "a\xff"
         "b",
         "", "", "a?b"},
        {"continuation alone",
         "a\x80\x80"
         "b",
         "", "", "a??b"},
        {"cut-off character",
         "a\xe6\x8e"
         "b",
         "", "", "a?b"},
        {"cut off at the end", "a\xe6\x8e", "", "", "a?"},
        {"overlong", "\xc0\xaf", "", "", "??"},
        {"surrogate", "\xed\xa0\x80", "", "", "???"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", "", "", "?"},
        // Characters GBK lacks, even where the target has them.
        {"emoji",
         "a\xf0\x9f\x98\x80"
         "b",
         "", "", "a?b"},
        {"emoji into UTF-8",
         "a\xf0\x9f\x98\x80"
         "b",
         "", "UTF-8", "a?b"},
        {"hangul", "\xed\x95\x9c", "", "", "?"},
        {"euro sign",
         "\xe2\x82\xac"
         "1",
         "", "", "?1"},
        {"tag character",
         "a\xf3\xa0\x80\x81"
         "b",
         "", "", "a?b"},
        // A byte-order mark at the start goes; elsewhere it is a character.
        {"bom",
         "\xef\xbb\xbf"
         "ab",
         "", "", "ab"},
        {"bom only", "\xef\xbb\xbf", "", "", ""},
        {"second bom",
         "\xef\xbb\xbf\xef\xbb\xbf"
         "a",
         "", "", "?a"},
        {"bom inside",
         "a\xef\xbb\xbf"
         "b",
         "", "", "a?b"},
        // A zero character ends the text.
        {"zero", "a\0b"s, "", "", "a"},
        {"zero first", "\0ab"s, "", "", ""},
    };
    runCases(std::begin(cases), std::end(cases));
}

TEST(ConvertCharset, OtherCharsets) {
    using namespace std::string_literals;
    const Case cases[] = {
        {"gbk to utf-8", "\xb5\xea\xc6\xcc", "GBK", "UTF-8", "\xe5\xba\x97\xe9\x93\xba"},
        {"utf-16le to gbk", "a\0\x97\x5e"s, "UTF-16LE", "", "a\xb5\xea"},
        {"utf-16 with bom",
         "\xff\xfe"
         "a\0"s,
         "UTF-16", "", "a"},
        {"utf-16le bom",
         "\xff\xfe"
         "a\0"s,
         "UTF-16LE", "", "a"},
        {"utf-16 zero character", "a\0\0\0b\0"s, "UTF-16LE", "", "a"},
        {"gbk to utf-16le", "a\xb5\xea", "GBK", "UTF-16LE", "a\0\x97\x5e"s},
        {"target lacks a character",
         "a\xe5\xba\x97"
         "b",
         "", "ISO-8859-1", "a?b"},
        {"target lacks it, utf-16", "\xe5\xba\x97", "", "ISO-8859-1", "?"},
        {"gb2312 target", "\xe5\xba\x97", "", "GB2312", "\xb5\xea"},
        {"big5 source", "\xa9\xb1", "BIG5", "", "\xb5\xea"},
        // Invalid GBK: an unusable lead byte alone, a lead with a trail byte
        // as one.
        {"invalid gbk",
         "\xff"
         "a\x81",
         "GBK", "UTF-8", "?a?"},
        {"gbk lead before ascii",
         "\x81\x20"
         "a",
         "GBK", "UTF-8", "? a"},
        {"gbk euro byte",
         "\x80"
         "a",
         "GBK", "UTF-8", "?a"},
    };
    runCases(std::begin(cases), std::end(cases));
}

TEST(ConvertCharset, UnknownCharsetGivesNothing) {
    EXPECT_TRUE(convertCharset(bytes("abc"), "NO-SUCH-CHARSET").empty());
    EXPECT_TRUE(convertCharset(bytes("abc"), "", "NO-SUCH-CHARSET").empty());
}

TEST(ConvertCharset, ReadPosition) {
    const Bytes data = bytes("ab\xe5\xba\x97");  // GBK: 61 62 b5 ea
    struct Case {
        std::optional<int> position;
        std::string expected;
    };
    const Case cases[] = {
        {std::nullopt, "ab\xb5\xea"},
        {0, "ab\xb5\xea"},
        {1, "b\xb5\xea"},
        {3, "\xea"},
        {4, ""},             // exactly the end
        {5, ""},             // past the end: nothing to read
        {-3, "ab\xb5\xea"},  // before the start: from the first byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position ? std::to_string(*c.position) : "omitted");
        EXPECT_EQ(str(convertCharset(data, "", "", c.position)), c.expected);
    }
}

TEST(ConvertCharset, RealPageRoundTrip) {
    const std::string gbk = gbkFromUtf8(kPage);
    EXPECT_EQ(gbk, plainIconv(kPage, "GBK", "UTF-8"));
    EXPECT_EQ(str(convertCharset(bytes(kPage))), gbk);
    EXPECT_EQ(utf8FromGbk(gbk), kPage);
    EXPECT_NE(gbk.find("\xd0\xa1\xd0\xdc"), std::string::npos);  // 小熊
}

TEST(ConvertCharset, LongInputAcrossChunks) {
    // Long enough for many chunks, with invalid and unrepresentable input
    // falling on every kind of boundary.
    const std::string unit =
        "\xe5\xba\x97"
        "a\xf0\x9f\x98\x80\xff\xe6\x8e";
    const std::string gbkUnit =
        "\xb5\xea"
        "a???";
    std::string input, expected, expectedUtf8;
    for (int i = 0; i < 30000; ++i) {
        input += unit;
        expected += gbkUnit;
        expectedUtf8 +=
            "\xe5\xba\x97"
            "a???";
        if (i % 7 == 0) {
            input += "xyz";
            expected += "xyz";
            expectedUtf8 += "xyz";
        }
    }
    EXPECT_EQ(str(convertCharset(bytes(input))), expected);
    EXPECT_EQ(str(convertCharset(bytes(input), "", "UTF-8")), expectedUtf8);
    EXPECT_EQ(utf8FromGbk(expected), expectedUtf8);
}

TEST(EdgeConversions, GbkFromUtf8AndBack) {
    using namespace std::string_literals;
    EXPECT_EQ(gbkFromUtf8(""), "");
    EXPECT_EQ(gbkFromUtf8("分析css"),
              "\xb7\xd6\xce\xf6"
              "css");
    EXPECT_EQ(gbkFromUtf8("a\0b"s), "a");
    EXPECT_EQ(gbkFromUtf8("€😀"), "??");
    EXPECT_EQ(utf8FromGbk("\xc7\xeb\xc9\xd4\xba\xf2..."), "请稍候...");
    EXPECT_EQ(utf8FromGbk("a\xff"), "a?");
    EXPECT_EQ(utf8FromGbk(""), "");
}

}  // namespace
}  // namespace kessrune

namespace kessrune {
namespace {

std::string joinedPieces(std::string_view gbk) {
    std::string joined;
    utf8FromGbkInPieces(gbk, [&](std::string_view piece) {
        EXPECT_FALSE(piece.empty());
        joined += piece;
    });
    return joined;
}

TEST(EdgeConversions, PiecesJoinedEqualTheWholeConversion) {
    // Over a megabyte of two-byte characters, ASCII, lone lead bytes, 0x80,
    // 0xFF and invalid pairs, so that piece ends fall inside every kind.
    std::string mixed;
    std::uint32_t state = 12345;
    while (mixed.size() < (std::size_t{1} << 20) + 777) {
        state = state * 1103515245u + 12345u;
        const unsigned char pick = static_cast<unsigned char>(state >> 16);
        switch (pick % 5) {
            case 0:
                mixed += "\xb5\xea\xc6\xcc";
                break;  // 店铺
            case 1:
                mixed += "css{}\\";
                break;
            case 2:
                mixed += static_cast<char>(0x80 | pick);
                break;
            case 3:
                mixed += "\xb1\x5c\xd5\x7b";
                break;  // second bytes "\" and "{"
            default:
                mixed += static_cast<char>(pick == 0 ? 1 : pick);
                break;
        }
    }
    for (std::string_view gbk : {std::string_view(mixed), std::string_view(mixed).substr(1),
                                 std::string_view("\xb5\xea"), std::string_view("a\xb5")}) {
        SCOPED_TRACE(gbk.size());
        EXPECT_EQ(joinedPieces(gbk), utf8FromGbk(gbk));
    }
    EXPECT_EQ(joinedPieces(""), "");
    EXPECT_EQ(joinedPieces(std::string_view("a\0b", 3)), "a");
}

}  // namespace
}  // namespace kessrune
