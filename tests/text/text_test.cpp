#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/text/gbk_words.h"
#include "text/ascii.h"

namespace kessrune {
namespace {

using namespace std::string_literals;
using testing::kA;
using testing::kFullWidthSpace;
using testing::kShopFragment;

// ---------------------------------------------------------------------------
// Cutting

TEST(Cutting, ClampsCountsAndPositions) {
    struct Row {
        const char* what;
        Text got;
        Text want;
    };
    const Row rows[] = {
        {"leftText(abc, 5)", leftText("abc", 5), "abc"},
        {"leftText(abc, 2)", leftText("abc", 2), "ab"},
        {"leftText(abc, 0)", leftText("abc", 0), ""},
        {"leftText(abc, -1)", leftText("abc", -1), ""},
        {"leftText(empty, 3)", leftText("", 3), ""},
        {"rightText(abc, 2)", rightText("abc", 2), "bc"},
        {"rightText(abc, 9)", rightText("abc", 9), "abc"},
        {"rightText(abc, 0)", rightText("abc", 0), ""},
        {"rightText(abc, INT_MIN)", rightText("abc", INT_MIN), ""},
        {"midText(abcdef, 3, 2)", midText("abcdef", 3, 2), "cd"},
        {"midText(abc, 3, 5)", midText("abc", 3, 5), "c"},
        {"midText(abc, 3, INT_MAX)", midText("abc", 3, INT_MAX), "c"},
        {"midText(abc, 4, 1)", midText("abc", 4, 1), ""},
        {"midText(abc, 0, 2)", midText("abc", 0, 2), ""},
        {"midText(abc, 1, 0)", midText("abc", 1, 0), ""},
        {"midText(abc, 1, -2)", midText("abc", 1, -2), ""},
        // Cutting counts plain bytes and may split a character.
        {"leftText(啊, 1)", leftText(kA, 1), "\xb0"},
        {"midText(啊啊, 2, 2)", midText(concatText(kA, kA), 2, 2), "\xa1\xb0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.got, row.want);
    }
    EXPECT_EQ(textLength(""), 0);
    EXPECT_EQ(textLength(kShopFragment), 40);  // a double-byte character counts 2
}

// ---------------------------------------------------------------------------
// findText

struct FindRow {
    const char* what;
    std::string_view t;
    std::string_view x;
    int start;
    bool ignoreCase;
    int want;
};

TEST(FindText, StartEmptyNeedleAndEnd) {
    const FindRow rows[] = {
        {"first", "abcabc", "c", 1, false, 3},
        {"from 4", "abcabc", "c", 4, false, 6},
        {"start on the match", "abcabc", "c", 3, false, 3},
        {"start 0", "abcabc", "c", 0, false, 3},
        {"start -3", "abcabc", "c", -3, false, 3},
        {"start INT_MIN", "abcabc", "c", INT_MIN, false, 3},
        {"start 7 is past the end", "abcabc", "c", 7, false, -1},
        {"start INT_MAX", "abcabc", "c", INT_MAX, false, -1},
        {"empty needle", "abc", "", 1, false, 1},
        {"empty needle gives 1, not the start", "abc", "", 3, false, 1},
        {"empty needle past the end", "abc", "", 4, false, -1},
        {"both empty", "", "", 1, false, -1},
        {"needle longer than text", "abc", "abcd", 1, false, -1},
        {"needle is the text", "abc", "abc", 1, false, 1},
        {"match at the very end", "abcd", "cd", 1, false, 3},
        {"remaining stretch too short", "abcabc", "abc", 5, false, -1},
        {"ignoring case", "Content-Type: x", "content-type:", 1, true, 1},
        {"exact case", "Content-Type: x", "content-type:", 1, false, -1},
        {"ignoring case folds A-Z only", "\xa3\xc1", "\xa3\xe1", 1, true, -1},  // full-width A, a
        {"ignoring case, @ and ` are not letters", "@[", "`{", 1, true, -1},
        {"needle of high bytes", "ab\xb0\xa1", "\xb0\xa1", 1, false, 3},
        // Ignoring case, the search looks for the needle's rarest byte, which
        // need not be its first.
        {"rare byte late in the needle", "shopkeepers Shopkeeper", "SHOPKEEPER", 2, true, 13},
        {"rare byte, match just after the start", "akak", "AK", 2, true, 3},
        {"rare byte, first match on a second byte",
         "\x81"
         "akak",
         "ak", 1, true, 4},
    };
    for (const FindRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(findText(row.t, row.x, row.start, row.ignoreCase), row.want);
    }
}

TEST(FindText, StepsOverDoubleByteCharacters) {
    const FindRow rows[] = {
        {"second byte ]", "\x81]]", "]", 1, false, 3},
        {"second byte ] ignoring case", "\x81]]", "]", 1, true, 3},
        {"second byte a",
         "\x81"
         "aa",
         "a", 1, false, 3},
        {"second byte a, needle A ignoring case",
         "\x81"
         "aa",
         "A", 1, true, 3},
        {"second byte A, needle a ignoring case",
         "\x81"
         "Aa",
         "a", 1, true, 3},
        {"0x80 and 0xFF open a character too", "\x80]\xff]]", "]", 1, false, 5},
        {"only second bytes match", "\x81]\x82]", "]", 1, false, -1},
        {"a run of lead bytes pairs up", "\x81\x81\x81]]", "]", 1, false, 5},
        {"an even run before the match", "\x81\x81]", "]", 1, false, 3},
        {"a start on a second byte may match there", "\x81\x81\x81\x81", "\x81\x81", 2, false, 2},
        // The walk starts on the byte at start-1 whatever it is, so a start
        // on a second byte pairs the rest differently.
        {"start on a second byte", "\x81]]", "]", 2, false, 2},
        {"start on a second byte re-pairs", "\x81\x81]", "]", 2, false, -1},
        // Ignoring case folds the second bytes inside the compared stretch.
        {"folds second bytes of the needle", "\x81\x41", "\x81\x61", 1, true, 1},
        {"but not exactly", "\x81\x41", "\x81\x61", 1, false, -1},
        // An incomplete final character is still compared before the walk
        // ends.
        {"incomplete final character matched", "a\x81", "\x81", 1, false, 2},
        {"incomplete final character ends the walk", "a\x81", "]", 1, false, -1},
    };
    for (const FindRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(findText(row.t, row.x, row.start, row.ignoreCase), row.want);
    }
}

TEST(FindText, RealGbkTextHasNoMatchInsideACharacter) {
    const FindRow rows[] = {
        {"]", kShopFragment, "]", 1, false, 25},               // 郵 ends in ]
        {"[ from 17", kShopFragment, "[", 17, false, -1},      // 擺 ends in [
        {"A", kShopFragment, "A", 1, false, 31},               // 華 ends in A
        {"a ignoring case", kShopFragment, "a", 1, true, 31},  // 華 A, 碼 a
        {"|", kShopFragment, "|", 1, false, 36},               // 東 ends in |
        {"backslash", kShopFragment, "\\", 1, false, -1},      // 錦 ends in a backslash
        {"=a ignoring case", kShopFragment, "=a", 1, true, 30},
        {"a word", kShopFragment, testing::kTiaoMa, 1, false, 26},
        {"a word ignoring case", kShopFragment, testing::kMeiYou, 1, true, 37},
        {"a character", kShopFragment, testing::kMa, 1, false, 28},
    };
    for (const FindRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(findText(row.t, row.x, row.start, row.ignoreCase), row.want);
    }
}

// ---------------------------------------------------------------------------
// findTextReverse

TEST(FindTextReverse, LastOccurrence) {
    struct Row {
        const char* what;
        std::string_view t;
        std::string_view x;
        std::optional<int> start;
        bool ignoreCase;
        int want;
    };
    const Row rows[] = {
        {"colon", "a:b:c", ":", std::nullopt, false, 4},
        {"occurrences overlap", "aaa", "aa", std::nullopt, false, 2},
        {"empty needle", "abc", "", std::nullopt, false, 1},
        {"empty text", "", "", std::nullopt, false, -1},
        {"absent", "abc", "d", std::nullopt, false, -1},
        {"ignoring case", "x<a>y<A>z", "<a>", std::nullopt, true, 6},
        {"exact case", "x<a>y<A>z", "<a>", std::nullopt, false, 2},
        {"start bounds the stretch", "a:b:c", ":", 4, false, 2},
        {"a match must lie inside the stretch", "a:b:c", "b:", 4, false, -1},
        {"start 1 leaves nothing", "a:b:c", ":", 1, false, -1},
        {"start 0 leaves nothing", "a:b:c", "", 0, false, -1},
        {"start past the end takes all", "a:b:c", ":", 100, false, 4},
        {"empty needle with a stretch", "abc", "", 2, false, 1},
        {"second byte ]", "]\x81]", "]", std::nullopt, false, 1},
        {"lead-byte runs", "\x81\x81\x81\x81", "\x81\x81", std::nullopt, false, 3},
        {"odd lead-byte run", "\x81\x81\x81", "\x81", std::nullopt, false, 3},
        {"GBK ]", kShopFragment, "]", std::nullopt, false, 25},  // 沒 ends in ]
        {"GBK [", kShopFragment, "[", std::nullopt, false, 16},  // 擺 ends in [
        {"GBK A ignoring case", kShopFragment, "A", std::nullopt, true, 31},
        {"GBK o ignoring case", kShopFragment, "o", std::nullopt, true, -1},  // 設 ends in O
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(findTextReverse(row.t, row.x, row.start, row.ignoreCase), row.want);
    }
}

// ---------------------------------------------------------------------------
// replaceText

TEST(ReplaceText, Rules) {
    struct Row {
        const char* what;
        std::string_view t;
        std::string_view x;
        std::string_view r;
        int start;
        int count;
        bool exact;
        Text want;
    };
    const Row rows[] = {
        {"page prefix", "#page #content .x", "#page #content", "", 1, -1, true, " .x"},
        {"exact keeps other cases", "AbcABC", "abc", "x", 1, -1, true, "AbcABC"},
        {"not exact ignores case", "AbcABC", "abc", "x", 1, -1, false, "xx"},
        {"no overlap, left to right", "aaa", "aa", "b", 1, -1, true, "ba"},
        {"replacement not searched again", "a", "a", "aa", 1, -1, true, "aa"},
        {"replacement makes a new match", "aab", "ab", "b", 1, -1, true, "ab"},
        {"empty needle", "abc", "", "x", 1, -1, true, "abc"},
        {"empty text", "", "a", "x", 1, -1, true, ""},
        {"count 0", "aaa", "a", "x", 1, 0, true, "aaa"},
        {"count 2", "aaaa", "a", "x", 1, 2, true, "xxaa"},
        {"negative count means all", "aaaa", "a", "x", 1, -7, true, "xxxx"},
        {"start skips the head", "a,a,a", "a", "x", 2, -1, true, "a,x,x"},
        {"start below 1", "a,a", "a", "x", -4, -1, true, "x,x"},
        {"start at the last byte", "aaa", "a", "x", 3, -1, true, "aax"},
        {"start past the end", "aaa", "a", "x", 4, -1, true, "aaa"},
        {"start and count", "aaaa", "a", "x", 2, 2, true, "axxa"},
        {"needle at the end", "xab", "ab", "", 1, -1, true, "x"},
        {"needle longer than text", "ab", "abc", "", 1, -1, true, "ab"},
        {"second byte not replaced", "\x81]]", "]", ")", 1, -1, true, "\x81])"},
        {"lead-byte run", "\x81\x81\x81]", "]", ")", 1, -1, true, "\x81\x81\x81]"},
        {"case folded in second bytes", "\x81\x41", "\x81\x61", "x", 1, -1, false, "x"},
        // A one-byte needle walks to the end and drops an incomplete final
        // character; a longer needle copies the rest as it is.
        {"incomplete final dropped", "ab\x81", "a", "x", 1, -1, true, "xb"},
        {"incomplete final kept by a longer needle", "ab\x81", "ab", "x", 1, -1, true, "x\x81"},
        {"incomplete final kept when nothing walks it", "a\x81", "a", "x", 1, 1, true, "x\x81"},
        {"incomplete final replaced when it matches", "a\x81", "\x81", "x", 1, -1, true, "ax"},
        {"only a complete character", "\x81\x81\x81", "a", "x", 1, -1, true, "\x81\x81"},
        {"start on a second byte", "\x81\x81\x81", "a", "x", 2, -1, true, "\x81\x81\x81"},
        {"start on a second byte re-pairs", "\x81\x81\x81\x81", "a", "x", 2, -1, true,
         "\x81\x81\x81"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(replaceText(row.t, row.x, row.r, row.start, row.count, row.exact), row.want);
    }
    // Defaults: replacement "", start 1, no limit, case ignored.
    EXPECT_EQ(replaceText("aXa", "x"), "aa");
}

TEST(ReplaceText, RealGbkText) {
    const Text fragment(kShopFragment);
    // Only the real "]" and "A" change, not the second bytes of 郵, 沒 and 華.
    Text want = fragment;
    want[24] = ')';
    EXPECT_EQ(replaceText(fragment, "]", ")", 1, -1, true), want);
    want = fragment;
    want.replace(30, 1, "<a>");
    EXPECT_EQ(replaceText(fragment, "a", "<a>"), want);
    EXPECT_EQ(replaceText(fragment, "\\", "/", 1, -1, true), fragment);
    EXPECT_EQ(replaceText(fragment, "[", "", 17, -1, true), fragment);
    // Whole characters are replaced.
    EXPECT_EQ(replaceText(fragment, testing::kMa, "x", 1, -1, true),
              replaceText(fragment, testing::kMa, "x"));
    EXPECT_EQ(textLength(replaceText(fragment, testing::kMa, "x", 1, -1, true)), 39);
}

// ---------------------------------------------------------------------------
// splitText

TEST(SplitText, Pieces) {
    struct Row {
        const char* what;
        std::string_view t;
        std::string_view sep;
        std::optional<int> maxPieces;
        TextArray want;
    };
    const Row rows[] = {
        {"two pieces", "a;b", ";", std::nullopt, {"a", "b"}},
        {"trailing separator", "a;b;", ";", std::nullopt, {"a", "b"}},
        {"leading separator", ";a", ";", std::nullopt, {"", "a"}},
        {"doubled separator", "a;;b", ";", std::nullopt, {"a", "", "b"}},
        {"only a separator", ";", ";", std::nullopt, {""}},
        {"two separators", ";;", ";", std::nullopt, {"", ""}},
        {"empty text", "", ";", std::nullopt, {}},
        {"empty separator", "abc", "", std::nullopt, {"abc"}},
        {"no separator", "abc", ";", std::nullopt, {"abc"}},
        {"CR LF", "a\r\nb\r\n\r\n", "\r\n", std::nullopt, {"a", "b", ""}},
        {"default comma", "a,b", ",", std::nullopt, {"a", "b"}},
        {"separator compared exactly", "aXbxc", "x", std::nullopt, {"aXb", "c"}},
        {"max pieces", "a;b;c", ";", 2, {"a", "b"}},
        {"max pieces drops the rest", "a;b;c;d", ";", 1, {"a"}},
        {"max pieces above the count", "a;b", ";", 5, {"a", "b"}},
        {"max pieces 0", "a;b", ";", 0, {}},
        {"max pieces negative", "a;b", ";", -1, {}},
        {"max pieces without a separator", "abc", ";", 1, {"abc"}},
        {"second byte is no separator", "\x81;a;b", ";", std::nullopt, {"\x81;a", "b"}},
        {"incomplete final character stays", "a;b\x81", ";", std::nullopt, {"a", "b\x81"}},
        {"incomplete final character alone", "a;\x81", ";", std::nullopt, {"a", "\x81"}},
        {"real GBK",
         kShopFragment,
         "]",
         std::nullopt,
         {Text(kShopFragment.substr(0, 24)), Text(kShopFragment.substr(25))}},
        {"real GBK |",
         kShopFragment,
         "|",
         std::nullopt,
         {Text(kShopFragment.substr(0, 35)), Text(testing::kMeiYou)}},
        {"real GBK [ never inside 擺",
         kShopFragment.substr(16),
         "[",
         std::nullopt,
         {Text(kShopFragment.substr(16))}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(splitText(row.t, row.sep, row.maxPieces), row.want);
    }
    EXPECT_EQ(splitText("a,b"), (TextArray{"a", "b"}));
}

// ---------------------------------------------------------------------------
// Spaces and case

TEST(Spaces, TrimAndRemove) {
    const Text fw(kFullWidthSpace);
    struct Row {
        const char* what;
        Text t;
        Text trimmed;
        Text removed;
    };
    const Row rows[] = {
        {"ASCII spaces", "  a b  ", "a b", "ab"},
        {"full-width spaces", fw + "a" + fw + "b" + fw, "a" + fw + "b", "ab"},
        {"mixed", " " + fw + " a " + fw, "a", "a"},
        {"tab is no space", "\ta\t", "\ta\t", "\ta\t"},
        {"CR LF are no spaces", "\r\na \r\n", "\r\na \r\n", "\r\na\r\n"},
        {"only spaces", "   ", "", ""},
        {"only full-width spaces", fw + fw, "", ""},
        {"empty", "", "", ""},
        {"removeSpaces table row", "a b;" + fw + " c", "a b;" + fw + " c", "ab;c"},
        // An incomplete final character is removed, and the spaces before
        // it stay.
        {"incomplete final", "a\xb0", "a", "a"},
        {"spaces before an incomplete final", " a  \xb0", "a  ", "a"},
        {"lone lead byte", "\xb0", "", ""},
        {"half a full-width space at the end", "a \xa1", "a ", "a"},
        // The walk pairs 0xA1 with what follows it.
        {"啊 then a full-width space", Text(kA) + fw, Text(kA), Text(kA)},
        {"full-width space second byte is no space",
         "\x81\xa1\xa1"
         "a",
         "\x81\xa1\xa1"
         "a",
         "\x81\xa1\xa1"
         "a"},
        {"ASCII-looking second bytes", Text(kShopFragment), Text(kShopFragment),
         Text(kShopFragment)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(trimText(row.t), row.trimmed);
        EXPECT_EQ(removeSpaces(row.t), row.removed);
    }
    const Text padded = "  " + fw + Text(kShopFragment) + fw + " ";
    EXPECT_EQ(trimText(padded), kShopFragment);
}

TEST(ToLowerText, OnlyOneByteLetters) {
    struct Row {
        const char* what;
        std::string_view t;
        Text want;
    };
    const Row rows[] = {
        {"header name", "Content-Type", "content-type"},
        {"A-Z only", "@AZ[`az{", "@az[`az{"},
        {"second byte letter", "\x81\x41", "\x81\x41"},
        {"incomplete final", "A\x81", "a\x81"},
        {"full-width letters", "\xa3\xc1", "\xa3\xc1"},
        {"real GBK", kShopFragment,
         "<b>\x96\x7c\xc8\x41\xe5\x5c\xc0\x43</b>[\xe0\x5d\xd9\x4d\xd5\x66\xc3\xf7]\x97\x6c\xb4\x61"
         "=a\x94\x5b\xd4\x4f|\x9b\x5d\xd3\xd0"},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(toLowerText(row.t), row.want);
    }
}

// Bytes that differ from a letter by 0x20 alone ("@" and "`", "[" and "{",
// 0xC1 and 0xE1) are not letters: a fold by "| 0x20" would equate them.
TEST(AsciiCase, OnlyLettersHaveCase) {
    struct Row {
        std::string_view a;
        std::string_view b;
        bool equal;
    };
    const Row rows[] = {
        {"Content-Type", "content-TYPE", true},
        {"@[", "`{", false},
        {"\xc1", "\xe1", false},
        {"a", "ab", false},
        {"", "", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " / " + std::string(row.b));
        EXPECT_EQ(equalsIgnoringAsciiCase(row.a, row.b), row.equal);
    }
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        EXPECT_EQ(isAsciiLetter(ch), letter) << c;
        EXPECT_EQ(asciiLower(ch) != ch || asciiUpper(ch) != ch, letter) << c;
    }
}

// ---------------------------------------------------------------------------
// textToInt

TEST(TextToInt, ReadsTheLeadingNumber) {
    struct Row {
        const char* what;
        std::string_view t;
        std::int32_t want;
    };
    const Row rows[] = {
        {"port", "8080", 8080},
        {"leading space", " 42abc", 42},
        {"minus", "-7", -7},
        {"plus", "+7", 7},
        {"empty", "", 0},
        {"letters", "abc", 0},
        {"sign alone", "-", 0},
        {"two signs", "--7", 0},
        {"white space", "\t\n\v\f\r 5", 5},
        {"space after the sign", "- 5", 0},
        {"stops at the first non-digit", "12.5", 12},
        {"full-width digits", "\xa3\xb1\xa3\xb2", 12},
        {"full-width minus", "\xa3\xad\xa3\xb3", -3},
        {"full-width plus",
         "\xa3\xab"
         "9",
         9},
        {"full-width space",
         "\xa1\xa1"
         "42",
         42},
        {"mixed widths",
         "1\xa3\xb2"
         "3",
         123},
        {"other character stops",
         "4\xb0\xa1"
         "2",
         4},
        {"other character first",
         "\xb0\xa1"
         "2",
         0},
        {"incomplete final character dropped", "12\xa3", 12},
        {"INT32_MAX", "2147483647", INT32_MAX},
        {"INT32_MIN", "-2147483648", INT32_MIN},
        {"wraps past INT32_MAX", "2147483648", INT32_MIN},
        {"wraps at 2^32", "4294967296", 0},
        {"wraps at 2^32 + 5", "4294967301", 5},
        {"negated after wrapping", "-4294967297", -1},
        {"long run of digits", "99999999999999999999", static_cast<std::int32_t>(1661992959u)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(textToInt(row.t), row.want);
    }
}

// ---------------------------------------------------------------------------
// Making, comparing and bytes

TEST(MakingTexts, BlankCharConcat) {
    EXPECT_EQ(blankText(0), "");
    EXPECT_EQ(blankText(-3), "");
    EXPECT_EQ(blankText(3), "   ");
    EXPECT_EQ(charFromCode(0), "");
    EXPECT_EQ(charFromCode('a'), "a");
    EXPECT_EQ(charFromCode(0xB0), "\xb0");
    EXPECT_EQ(concatText("a", "b"), "ab");
    EXPECT_EQ(concatText("a", "", "c"), "ac");
    EXPECT_EQ(concatText("", ""), "");
}

TEST(CompareText, OrdersUnsignedBytes) {
    struct Row {
        const char* what;
        std::string_view a;
        std::string_view b;
        int sign;
    };
    const Row rows[] = {
        {"empty and never assigned", "", std::string_view(), 0},
        {"equal", "Edit", "Edit", 0},
        {"case matters", "Edit", "edit", -1},
        {"prefix sorts lower", "ab", "abc", -1},
        {"longer sorts higher", "abc", "ab", 1},
        {"high bytes above ASCII", "\xb0\xa1", "z", 1},
        {"first difference decides", "b", "ab", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const int c = compareText(row.a, row.b);
        EXPECT_EQ((c > 0) - (c < 0), row.sign);
    }
}

TEST(BytesOps, PlainBytes) {
    const Bytes azb{'a', 0, 'b'};
    EXPECT_EQ(bytesToText(azb), "a");
    EXPECT_EQ(bytesToText(Bytes{0, 'a'}), "");
    EXPECT_EQ(bytesToText(Bytes{}), "");
    EXPECT_EQ(bytesToText(textToBytes(kShopFragment)), kShopFragment);
    EXPECT_TRUE(textToBytes("").empty());
    EXPECT_EQ(textToBytes("ab"), (Bytes{'a', 'b'}));
    EXPECT_EQ(bytesLength(azb), 3);
    EXPECT_EQ(bytesLength(Bytes{}), 0);

    EXPECT_EQ(leftBytes(azb, 2), (Bytes{'a', 0}));
    EXPECT_EQ(leftBytes(azb, 9), azb);
    EXPECT_TRUE(leftBytes(azb, 0).empty());
    EXPECT_TRUE(leftBytes(azb, -1).empty());

    const Bytes blank = blankBytes(1024);
    EXPECT_EQ(blank.size(), 1024u);
    EXPECT_EQ(std::count(blank.begin(), blank.end(), 0), 1024);
    EXPECT_TRUE(blankBytes(0).empty());
    EXPECT_TRUE(blankBytes(-1).empty());

    EXPECT_EQ(concatBytes(azb, Bytes{0}), (Bytes{'a', 0, 'b', 0}));
    EXPECT_EQ(concatBytes(Bytes{}, Bytes{}), Bytes{});
    EXPECT_TRUE(compareBytes(Bytes{}, Bytes{}));
    EXPECT_TRUE(compareBytes(azb, Bytes{'a', 0, 'b'}));
    EXPECT_FALSE(compareBytes(azb, Bytes{'a', 0}));
    EXPECT_FALSE(compareBytes(Bytes{0}, Bytes{}));
    EXPECT_EQ(bitOr(0x0100, 0x0003), 0x0103);
    EXPECT_EQ(bitOr(INT32_MIN, 1), INT32_MIN + 1);
}

TEST(FindBytes, PlainByteSearch) {
    struct Row {
        const char* what;
        Bytes b;
        Bytes x;
        int start;
        int want;
    };
    const Row rows[] = {
        {"empty needle", {'a', 'b'}, {}, 1, -1},
        {"both empty", {}, {}, 1, -1},
        {"found", {'a', 0, 'b', 0}, {0, 'b'}, 1, 2},
        {"zero bytes", {0, 0, 0}, {0}, 2, 2},
        {"start", {'a', 'b', 'a'}, {'a'}, 2, 3},
        {"start below 1", {'a', 'b', 'a'}, {'a'}, -5, 1},
        {"start past the end", {'a'}, {'a'}, 3, -1},
        {"absent", {'a'}, {'b'}, 1, -1},
        {"no character stepping", {0x81, ']'}, {']'}, 1, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(findBytes(row.b, row.x, row.start), row.want);
    }
}

// ---------------------------------------------------------------------------
// Arrays

TEST(TextArrays, AppendSizeElement) {
    TextArray a;
    EXPECT_EQ(arraySize(a), 0);
    arrayAppend(a, "x");
    arrayAppend(a, "");
    std::string source = "y";
    arrayAppend(a, source);
    source = "changed";
    EXPECT_EQ(arraySize(a), 3);
    EXPECT_EQ(arrayElement(a, 1), "x");
    EXPECT_EQ(arrayElement(a, 2), "");
    EXPECT_EQ(arrayElement(a, 3), "y");  // a copy, not the caller's text
}

TEST(TextArrays, IndexOutsideTheArray) {
    const TextArray a{"x"};
#ifdef NDEBUG
    EXPECT_EQ(arrayElement(a, 0), "");
    EXPECT_EQ(arrayElement(a, 2), "");
    EXPECT_EQ(arrayElement(TextArray{}, 1), "");
    EXPECT_EQ(arrayElement(a, INT_MIN), "");
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(arrayElement(a, 2), "");
    EXPECT_DEATH(arrayElement(a, 0), "");
#endif
}

}  // namespace
}  // namespace kessrune
