#include "css/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "http/charset.h"

namespace kessrune::css {
namespace {

std::string kindName(TokenKind kind) {
    switch (kind) {
        case TokenKind::Ident:
            return "Ident";
        case TokenKind::Function:
            return "Function";
        case TokenKind::AtKeyword:
            return "At";
        case TokenKind::Hash:
            return "Hash";
        case TokenKind::String:
            return "String";
        case TokenKind::BadString:
            return "BadString";
        case TokenKind::Url:
            return "Url";
        case TokenKind::BadUrl:
            return "BadUrl";
        case TokenKind::Delim:
            return "Delim";
        case TokenKind::Number:
            return "Number";
        case TokenKind::Percentage:
            return "Percentage";
        case TokenKind::Dimension:
            return "Dimension";
        case TokenKind::Whitespace:
            return "WS";
        case TokenKind::Cdo:
            return "CDO";
        case TokenKind::Cdc:
            return "CDC";
        case TokenKind::Colon:
            return ":";
        case TokenKind::Semicolon:
            return ";";
        case TokenKind::Comma:
            return ",";
        case TokenKind::LeftBracket:
            return "[";
        case TokenKind::RightBracket:
            return "]";
        case TokenKind::LeftParen:
            return "(";
        case TokenKind::RightParen:
            return ")";
        case TokenKind::LeftBrace:
            return "{";
        case TokenKind::RightBrace:
            return "}";
        case TokenKind::Comment:
            return "Comment";
    }
    return "?";
}

// "Ident[a] { Ident[b] : Number[1] }": the kinds, with the text of those
// whose text varies; whitespace tokens as "WS" whatever they hold.
std::string dump(std::string_view sheet) {
    std::string out;
    for (const Token& t : tokenize(sheet)) {
        if (!out.empty())
            out += ' ';
        out += kindName(t.kind);
        const bool fixed = t.kind == TokenKind::Whitespace || t.kind == TokenKind::Cdo ||
                           t.kind == TokenKind::Cdc || kindName(t.kind).size() == 1;
        if (!fixed)
            out += "[" + std::string(tokenText(sheet, t)) + "]";
    }
    return out;
}

// The spans of all tokens cover the sheet exactly, in order.
void expectSpansCover(std::string_view sheet) {
    std::size_t end = 0;
    for (const Token& t : tokenize(sheet)) {
        ASSERT_EQ(t.offset, end) << "in " << sheet;
        ASSERT_GT(t.length, 0u);
        end += t.length;
    }
    EXPECT_EQ(end, sheet.size()) << "in " << sheet;
}

struct Case {
    const char* name;
    std::string_view sheet;
    std::string_view tokens;
};

// Sheets where a tokenizer that cuts by characters instead of the standard's
// rules goes wrong.
const Case kHardSheets[] = {
    // Escapes: a hex escape takes one white-space code point along (CR LF
    // counts as one); "\" before a newline is no escape; one at the end is.
    {"hex escape takes a space", R"(\41 b{})", R"(Ident[\41 b] { })"},
    {"class starting with an escaped digit", R"(.\31 0{})", R"(Delim[.] Ident[\31 0] { })"},
    {"escape takes CR LF whole", "\\41\r\nb", "Ident[\\41\r\nb]"},
    {"escape takes only one CR", "\\41\r\rb", "Ident[\\41\r] WS Ident[b]"},
    {"backslash before a newline", "a\\\nb", "Ident[a] Delim[\\] WS Ident[b]"},
    {"backslash at the end", R"(a\)", R"(Ident[a\])"},
    {"escaped brace and semicolon stay in the name", R"(a\{\;b{})", R"(Ident[a\{\;b] { })"},
    // Strings hold braces, semicolons and escaped quotes; a newline ends
    // one badly, an escaped newline continues it.
    {"string holding braces and semicolons", R"(a{content:"};{\"";b:c})",
     R"(Ident[a] { Ident[content] : String["};{\""] ; Ident[b] : Ident[c] })"},
    {"single quotes hold double ones", R"('a"}')", R"(String['a"}'])"},
    {"newline ends a string badly", "\"ab\ncd\"", "BadString[\"ab] WS Ident[cd] String[\"]"},
    {"escaped CR LF continues a string", "\"a\\\r\nb\"", "String[\"a\\\r\nb\"]"},
    // Unquoted urls: parentheses only escaped; white space only at the ends.
    {"unquoted url with parentheses", R"(url(a(b).png))",
     R"(BadUrl[url(a(b)] Delim[.] Ident[png] ))"},
    {"unquoted url with escaped parentheses", R"(url(a\(b\).png))", R"(Url[url(a\(b\).png)])"},
    {"url with spaces at the ends", "url(  a.png \t)", "Url[url(  a.png \t)]"},
    {"url with a space inside", "url(a b)x", "BadUrl[url(a b)] Ident[x]"},
    {"bad url skips an escaped paren", R"(url(a b\)c)d)", R"(BadUrl[url(a b\)c)] Ident[d])"},
    {"quoted url is a function", R"(url(  "a b" ))", R"(Function[url(] WS String["a b"] WS ))"},
    {"url in capitals and escaped", R"(URL(a) \75rl(b))", R"(Url[URL(a)] WS Url[\75rl(b)])"},
    {"other functions keep their argument", "rgb(1,2%)",
     "Function[rgb(] Number[1] , Percentage[2%] )"},
    {"non-printable in an unquoted url", "url(a\x01)", "BadUrl[url(a\x01)]"},
    // Comments, closed or running to the end.
    {"comment holding a brace", "/* a{ */b/**/c",
     "Comment[/* a{ */] Ident[b] Comment[/**/] Ident[c]"},
    {"comment that never ends", "a/*/b", "Ident[a] Comment[/*/b]"},
    // Numbers.
    {"numbers with signs, dots and exponents", ".5e3 +.5 -.5em 1e+2 10%",
     "Number[.5e3] WS Number[+.5] WS Dimension[-.5em] WS Number[1e+2] WS Percentage[10%]"},
    {"exponent that is a unit", "1e 1e+ 1.",
     "Dimension[1e] WS Dimension[1e] Delim[+] WS Number[1] Delim[.]"},
    {"signs that start no number", "+-1 3-4 - 5",
     "Delim[+] Number[-1] WS Number[3] Number[-4] WS Delim[-] WS Number[5]"},
    // CDO and CDC, hashes, at-keywords, custom properties.
    {"CDO and CDC", "<!-- a -->", "CDO WS Ident[a] WS CDC"},
    {"CDC after a name joins it", "a-->", "Ident[a--] Delim[>]"},
    {"hashes", "#a1 #1a #- #", "Hash[#a1] WS Hash[#1a] WS Hash[#-] WS Delim[#]"},
    {"at-keywords", "@media @-x @--y @1",
     "At[@media] WS At[@-x] WS At[@--y] WS Delim[@] Number[1]"},
    {"custom property holding a block", "--x:{a}", "Ident[--x] : { Ident[a] }"},
    {"nested media", "@media screen{@media (min-width:1px){a{b:c}}}",
     "At[@media] WS Ident[screen] { At[@media] WS ( Ident[min-width] : Dimension[1px] ) { "
     "Ident[a] { Ident[b] : Ident[c] } } }"},
    {"zero byte is a name code point", std::string_view("a\0b \0", 5),
     std::string_view("Ident[a\0b] WS Ident[\0]", 22)},
};

TEST(CssTokenizer, HardSheets) {
    for (const Case& c : kHardSheets) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dump(c.sheet), c.tokens);
        expectSpansCover(c.sheet);
    }
}

// Chinese words whose GBK second bytes are "\", "{" and "}": 運 DF 5C,
// 藍 CB 7B, 聖 C2 7D. In UTF-8 every byte of them is 0x80 or above, so they
// are name code points and string content like any letter. Their GBK bytes,
// tokenized, break strings, escapes and blocks, which is why the toolkit
// takes UTF-8.
TEST(CssTokenizer, ChineseWithGbkSecondBytesThatLookLikeCss) {
    const std::string sheet = ".藍色{font-family:\"運\";content:聖}";
    EXPECT_EQ(dump(sheet),
              "Delim[.] Ident[藍色] { Ident[font-family] : String[\"運\"] ; Ident[content] : "
              "Ident[聖] }");

    const std::string gbk = gbkFromUtf8(sheet);
    ASSERT_NE(gbk.find("\xdf\x5c\""), std::string::npos);
    EXPECT_NE(dump(gbk).find("String[\"\xdf\\\";content:"), std::string::npos)
        << "the quote after 運's second byte reads as escaped: " << dump(gbk);
}

TEST(CssTokenizer, Flags) {
    auto first = [](std::string_view sheet) { return tokenize(sheet).front(); };
    EXPECT_TRUE(first("#a1").idHash);
    EXPECT_TRUE(first("#-a").idHash);
    EXPECT_FALSE(first("#1a").idHash);
    EXPECT_FALSE(first("#-").idHash);

    EXPECT_TRUE(first("12").integer);
    EXPECT_TRUE(first("-3px").integer);
    EXPECT_FALSE(first("1.5").integer);
    EXPECT_FALSE(first("1e3").integer);

    // openEnd: a space written after the token would join it.
    for (std::string_view open : {R"("abc)", R"("a\)", "url(a", "url(", "url(a b", "/* x", R"(\41)",
                                  R"(a\)", R"(1\70)", R"(#\41)"}) {
        EXPECT_TRUE(first(open).openEnd) << open;
    }
    for (std::string_view closed :
         {R"("abc")", "url(a)", "/**/", R"(\41 )", "abc", "1px", "rgb(", R"(a\\)"}) {
        EXPECT_FALSE(first(closed).openEnd) << closed;
    }
}

TEST(CssTokenizer, Values) {
    struct ValueCase {
        std::string_view sheet;
        std::string_view value;
    };
    const ValueCase cases[] = {
        {R"(\41 b)", "Ab"},
        {R"(\000041 b)", "Ab"},
        {R"("a\"b")", "a\"b"},
        {"\"a\\\nb\"", "ab"},
        {"\"a\\\r\nb\"", "ab"},
        {R"('unterminated\)", "unterminated"},
        {R"(url( a\)b.png ))", "a)b.png"},
        {R"(url(\41 ))", "A"},
        {R"(url(a\ ))", "a "},
        {"url(a", "a"},
        {R"(@\6d edia)", "media"},
        {R"(#\31 a)", "1a"},
        {R"(12\70 x)", "px"},
        {"-.5e3em", "em"},
        {"rgb(", "rgb"},
        {R"(\1F600)", "\xf0\x9f\x98\x80"},
        {R"(\0)", "\xef\xbf\xbd"},
        {R"(\D800)", "\xef\xbf\xbd"},
        {R"(\110000)", "\xef\xbf\xbd"},
        {R"(a\)", "a\xef\xbf\xbd"},
        {std::string_view("\"a\0\"", 4), "a\xef\xbf\xbd"},
        {R"(\藍)", "藍"},
        {"10%", "10%"},
    };
    for (const ValueCase& c : cases) {
        const std::vector<Token> tokens = tokenize(c.sheet);
        ASSERT_FALSE(tokens.empty());
        EXPECT_EQ(tokenValue(c.sheet, tokens.front()), c.value) << c.sheet;
    }
}

TEST(CssTokenizer, PulledOneAtATimeAsTokenizeGivesThem) {
    const std::string_view sheet = R"(a{b:url(c) "d" 1px}/*e*/)";
    const std::vector<Token> all = tokenize(sheet);
    Tokenizer tokens(sheet);
    Token t;
    std::size_t n = 0;
    while (tokens.next(t)) {
        ASSERT_LT(n, all.size());
        EXPECT_EQ(t.offset, all[n].offset);
        EXPECT_EQ(t.kind, all[n].kind);
        ++n;
    }
    EXPECT_EQ(n, all.size());
    EXPECT_FALSE(tokens.next(t));
    EXPECT_TRUE(tokenize("").empty());
}

}  // namespace
}  // namespace kessrune::css
