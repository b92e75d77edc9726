#include "css/format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "http/charset.h"
#include "samples/sample_shops.h"

namespace kessrune::css {
namespace {

// The round trip, with the place where it breaks when it does.
void expectSameSheet(std::string_view sheet, std::string_view formatted) {
    const auto at = firstDifference(sheet, formatted);
    if (!at)
        return;
    ADD_FAILURE() << "not the same sheet from byte " << at->first << " of\n"
                  << sheet << "\n(byte " << at->second << " of the formatted sheet)\n"
                  << formatted;
}

struct Layout {
    const char* name;
    std::string_view sheet;
    std::string_view formatted;
};

const Layout kLayouts[] = {
    {"rules, declarations and nested blocks", "@media print{a b,.c{color:red;margin:0 auto}}",
     "@media print {\n    a b,.c {\n        color: red;\n        margin: 0 auto;\n    }\n}\n"},
    {"a rule without a selector stays bare", "{width:990px}", "{\n    width: 990px;\n}\n"},
    {"comments between items get lines, comments inside stay",
     "/*a*/a{/*b*/color:red/*c*/;/*d*/}/*e*/",
     "/*a*/\na {\n    /*b*/\n    color: red/*c*/;\n    /*d*/\n}\n/*e*/\n"},
    {"selector white space kept as one space, none added",
     "#page #content  .skin-box\nli:hover>a,b+c~d{x:y}",
     "#page #content .skin-box li:hover>a,b+c~d {\n    x: y;\n}\n"},
    {"white space in values kept as one space",
     "a{margin:0\n\n  auto;font:12px/1.5 \"宋体\",  serif;padding : 1px}",
     "a {\n    margin: 0 auto;\n    font: 12px/1.5 \"宋体\", serif;\n    padding: 1px;\n}\n"},
    {"statements at the top", "@charset \"utf-8\";@import url(a.css) screen;a{}",
     "@charset \"utf-8\";\n@import url(a.css) screen;\na {\n}\n"},
    {"keyframes", "@keyframes x{0%{top:0}to{top:1px}}",
     "@keyframes x {\n    0% {\n        top: 0;\n    }\n    to {\n        top: 1px;\n    }\n}\n"},
    {"nested rules, even those starting name:", "a{color:red;&:hover{color:blue}b:hover{c:d}}",
     "a {\n    color: red;\n    &:hover {\n        color: blue;\n    }\n    b:hover {\n"
     "        c: d;\n    }\n}\n"},
    {"a custom property's block is its value, kept as it is", "a{--x:{a;b};--y: { c }}",
     "a {\n    --x: {a;b};\n    --y: { c };\n}\n"},
    {"at the top a custom property is a selector", "--x:{a:b}", "--x: {\n    a: b;\n}\n"},
    {"descriptors, page selectors, !important",
     "@font-face{font-family:x;src:url(a.woff) format(\"woff\")}@page :first{margin:0!important}",
     "@font-face {\n    font-family: x;\n    src: url(a.woff) format(\"woff\");\n}\n@page :first "
     "{\n"
     "    margin: 0!important;\n}\n"},
    {"a statement that is no declaration gets no \";\"", "a{b}", "a {\n    b\n}\n"},
    // No white space where it would join a token: after an escape that would
    // take it, and nothing but a newline after a bad string or a "\" token.
    {"an escape at a selector's end takes no space", R"(.\41{a:\41})", ".\\41{\n    a: \\41;\n}\n"},
    {"an escape before \"}\" takes no newline", R"(a{\41})", "a {\n    \\41}\n"},
    {"a bad string keeps its newline", "a{b:\"x\n;c:d}", "a {\n    b: \"x\n;\n    c: d;\n}\n"},
    {"an escape that took a lone CR gets CR LF", "a{\\41\r}", "a {\n    \\41\r\r\n}\n"},
    {"a sheet ending inside a string ends there", "a{b:\"c", "a {\n    b: \"c"},
    // Broken sheets keep their tokens.
    {"a stray \"}\" at the top starts a selector", "}a{b:c}", "}a {\n    b: c;\n}\n"},
    {"an unclosed block is not closed", "@media x{a{b:c", "@media x {\n    a {\n        b: c\n"},
    {"an unclosed parenthesis holds the rest", "a{b:c(;}d{e:f}", "a {\n    b: c(;}d{e:f}\n"},
    {"empty statements stay", "a{;b:c;;}", "a {;\n    b: c;;\n}\n"},
    {"empty sheet", "", ""},
    {"white space only", " \n\t", ""},
};

TEST(CssFormat, Layouts) {
    for (const Layout& c : kLayouts) {
        SCOPED_TRACE(c.name);
        const std::string formatted = formatSheet(c.sheet);
        EXPECT_EQ(formatted, c.formatted);
        expectSameSheet(c.sheet, formatted);
        EXPECT_EQ(formatSheet(formatted), formatted) << "formatting again changes it";
    }
}

TEST(CssFormat, PrefixRemovedSheetGolden) {
    // What the Taobao pass leaves of a system-template sheet, rules without
    // selectors and leading spaces included.
    const std::string_view sheet =
        "/* 木木手作 系统模板自定义 */\n"
        " .skin-box-bd{padding:10px;background:#f7f3ea}\n"
        " .skin-box-hd h3{color:#6b4f2a}\n"
        "{width:990px}\n"
        "body{background:#efe9dc}\n";
    EXPECT_EQ(formatSheet(sheet),
              "/* 木木手作 系统模板自定义 */\n"
              ".skin-box-bd {\n    padding: 10px;\n    background: #f7f3ea;\n}\n"
              ".skin-box-hd h3 {\n    color: #6b4f2a;\n}\n"
              "{\n    width: 990px;\n}\n"
              "body {\n    background: #efe9dc;\n}\n");
}

TEST(CssFormat, IndentStopsGrowingAtSixteenLevels) {
    const std::string sheet = std::string(40, '{') + std::string(40, '}');
    const std::string formatted = formatSheet(sheet);
    std::size_t deepest = 0;
    std::size_t lines = 0;
    for (std::size_t at = 0; at < formatted.size(); ++lines) {
        const std::size_t end = formatted.find('\n', at);
        const std::string_view line = std::string_view(formatted).substr(at, end - at);
        deepest = std::max(deepest, line.find_first_not_of(' '));
        at = end + 1;
    }
    EXPECT_EQ(deepest, 64u);
    EXPECT_EQ(lines, 80u);
    expectSameSheet(sheet, formatted);
}

// ---------------------------------------------------------------------------
// The round trip: every sheet formats into the same sheet, and formatting is
// done in one go (formatting the result again changes nothing).

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        }
        i += n;
    }
    return true;
}

// The sample shops' sheets, as UTF-8 (the GBK ones converted, as the front
// ends do) and as the raw bytes they are served as.
std::vector<std::pair<std::string, std::string>> sampleSheets() {
    std::vector<std::pair<std::string, std::string>> sheets;
    const std::filesystem::path folder(samples::shopsFolder());
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".css")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string name = entry.path().lexically_relative(folder).string();
        if (!validUtf8(bytes))
            sheets.emplace_back(name + " (as UTF-8)", utf8FromGbk(bytes));
        sheets.emplace_back(name, std::move(bytes));
    }
    return sheets;
}

TEST(CssFormat, SampleSheetsRoundTrip) {
    const auto sheets = sampleSheets();
    ASSERT_GE(sheets.size(), 9u) << "the sample sheets are missing from " << samples::shopsFolder();
    for (const auto& [name, sheet] : sheets) {
        SCOPED_TRACE(name);
        const std::string formatted = formatSheet(sheet);
        expectSameSheet(sheet, formatted);
        EXPECT_EQ(formatSheet(formatted), formatted);
        EXPECT_NE(formatted, sheet) << "a minified sample sheet should change";
    }
}

// Sheets where a careless formatter joins, splits or loses tokens.
const std::string_view kTrickySheets[] = {
    R"(.\41 b{content:"};{\"";x:url(a\(b\).png)})",
    "a{b:\"bad\nc{d:e}",
    "a\\\n{b:c}",
    "a{b:c\\\n}",
    "a{b:\\41\r\r}",
    "a{\"x\\41\r\n;}",
    R"(a{b:c\}d{e:f})",
    "a{b:url(x y) url( \"z\" )}",
    "<!--a{b:.5e3 +.5 -1e+2}-->",
    "a{--x:{a};--y:[;{]};--z:(})}",
    "--x:{a}",
    "@media screen and (max-width:990px){@supports (display:grid){{width:990px}}}",
    "a{b:c;}}}}",
    "a{b:c))]]{d:e}",
    "a:hover::before , b :not(.c) > d{e:f}",
    "/*x*//*y*/a/**/b{/*z*/}",
    "a{b:c/*",
    "a{b:\"c",
    "a{b:url(c",
    "a{b:c\\",
    "@import\"a.css\"screen;@namespace svg url(x);",
    "{;}{{}}{a}{:}",
    "a{b : c ; d :e;f: g h }",
    "a{b:c!important;d:e ! important}",
    std::string_view("a\0{b:\0}", 7),
    "\xff\xfe{\xc0:\x80}",
    "a{b:1px-2px 3px -4px +5 - 6}",
    "a{b:\\\n:c}",
};

TEST(CssFormat, TrickySheetsRoundTrip) {
    for (std::string_view sheet : kTrickySheets) {
        SCOPED_TRACE(std::string(sheet));
        const std::string formatted = formatSheet(sheet);
        expectSameSheet(sheet, formatted);
        EXPECT_EQ(formatSheet(formatted), formatted);
    }
}

// ---------------------------------------------------------------------------
// The sameness itself: it must tell apart what a formatter may not change.

TEST(CssFormat, SameSheetTellsMeaningfulWhiteSpace) {
    struct Pair {
        std::string_view a, b;
        bool same;
    };
    const Pair pairs[] = {
        {"a{b:c}", "a {\n    b: c;\n}\n", true},
        {"a{b:c}", "a{b:c;}", true},
        {"a{b:c;}", "a{b:c;;}", false},  // only the last ";" before "}"
        {"a{b:c;/*x*/}", "a{b:c/*x*/}", true},
        {"a b{}", "a \n\t b{}", true},       // white space of any kind
        {"a b{}", "ab{}", false},            // a different token
        {"a .b{}", "a.b{}", false},          // descendant or compound
        {"a:hover{}", "a: hover{}", false},  // a selector's colon
        {"a{b:c d}", "a{b:c  d}", true},
        {"a{b:0 auto}", "a{b:0auto}", false},
        {"a{b:c}", "a{b :c}", true},             // around a declaration's colon
        {"a{b:c(1,2)}", "a{b:c( 1,2)}", false},  // inside a function
        {"a{--x:{a}}", "a{--x:{ a }}", false},   // inside a custom property's block
        {"a{--x:{a}}", "a{--x: {a}}", true},
        {"a{b{c:d}}", "a{b{ c:d }}", true},  // a nested rule's block
        {"/*x*/a{}", "a{}", false},          // comments count
        {"/*x*/a{}", "/*y*/a{}", false},
        {"a{}b{}", "b{}a{}", false},
        {"a{b:c}", "a{b:c}}", false},  // a stray "}" is a token
        {"@media x{a{}}", "@media x {a{}}", true},
        {"@media x{a{}}", "@media  x{a{}}", true},
        {"@media x{a{}}", "@mediax{a{}}", false},
        {"a{b:\"x\"}", "a{b:'x'}", false},  // a token's bytes count
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(sameSheet(p.a, p.b), p.same) << "\"" << p.a << "\" / \"" << p.b << "\"";
        EXPECT_EQ(sameSheet(p.b, p.a), p.same) << "\"" << p.b << "\" / \"" << p.a << "\"";
    }
    const auto at = firstDifference("a .b{}", "a.b{}");
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(*at, std::make_pair(std::size_t{1}, std::size_t{1}));
    EXPECT_EQ(firstDifference("a{}", "a{}b"),
              std::make_optional(std::make_pair(std::size_t{3}, std::size_t{3})));
}

}  // namespace
}  // namespace kessrune::css
