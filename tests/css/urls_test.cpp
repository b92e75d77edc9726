#include "css/urls.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kessrune::css {
namespace {

// "value|kind|span" for each reference; kinds A, D, F, E; "i" after the kind
// for an @import.
std::string dump(std::string_view sheet) {
    std::string out;
    for (const SheetUrl& u : findUrls(sheet)) {
        if (!out.empty())
            out += "  ";
        const char kind = u.kind == UrlKind::Address    ? 'A'
                          : u.kind == UrlKind::Data     ? 'D'
                          : u.kind == UrlKind::Fragment ? 'F'
                                                        : 'E';
        out += u.value + "|" + kind + (u.import ? "i" : "") + "|" +
               std::string(sheet.substr(u.offset, u.length));
    }
    return out;
}

TEST(CssUrls, FindsEveryFormAndNothingElse) {
    struct Case {
        const char* name;
        std::string_view sheet;
        std::string_view urls;
    };
    const Case cases[] = {
        {"unquoted", "a{background:url(i/a.png) no-repeat}", "i/a.png|A|url(i/a.png)"},
        {"unquoted with spaces and escapes", R"(a{b:url( i/a\(1\).png )})",
         R"(i/a(1).png|A|url( i/a\(1\).png ))"},
        {"quoted, any case, spaces inside", R"(a{b:URL( "i/b c.png" ),url('d')})",
         R"(i/b c.png|A|URL( "i/b c.png" )  d|A|url('d'))"},
        {"escaped function name", R"(a{b:\75rl("x")})", R"(x|A|\75rl("x"))"},
        {"import string and import url",
         "@import \"a.css\" screen;@import url(b.css);@IMPORT url('c.css')",
         "a.css|Ai|\"a.css\"  b.css|Ai|url(b.css)  c.css|Ai|url('c.css')"},
        {"data, fragment and empty urls",
         "a{b:url(data:image/png;base64,AA==);c:url(#f);d:url();e:url(\"\")}",
         "data:image/png;base64,AA==|D|url(data:image/png;base64,AA==)  #f|F|url(#f)  |E|url()  "
         "|E|url(\"\")"},
        {"data in capitals, quoted with spaces", "a{b:url( \" DATA:x\" )}",
         "DATA:x|D|url( \" DATA:x\" )"},
        {"Chinese file names", "a{b:url(图/藍.png)}", "图/藍.png|A|url(图/藍.png)"},
        {"not in comments, strings or bad urls",
         "/* url(a.png) */a{content:\"url(b.png)\";c:url(d e.png);f:url(\"g\" h)}", ""},
        {"not a namespace",
         "@namespace svg url(http://www.w3.org/2000/svg);@namespace \"x\";a{b:url(c)}",
         "c|A|url(c)"},
        {"a string not first in @import is no reference", "@import url(a.css) \"b\";",
         "a.css|Ai|url(a.css)"},
        {"@import's prelude ends at \";\"", "@import \"a\";a{content:\"b\"}", "a|Ai|\"a\""},
        {"urls in other at-rules", "@font-face{src:url(f.woff) format(\"woff\")}",
         "f.woff|A|url(f.woff)"},
        {"nothing", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dump(c.sheet), c.urls) << c.name;
    }
}

// RFC 3986 section 5.4, every example, and the cases a shop sheet brings.
TEST(CssUrls, ResolvesByRfc3986) {
    struct Case {
        std::string_view reference, resolved;
    };
    const Case rfc[] = {
        // 5.4.1 Normal Examples
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
        // 5.4.2 Abnormal Examples
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        {"http:g", "http:g"},
    };
    for (const Case& c : rfc)
        EXPECT_EQ(resolveUrl("http://a/b/c/d;p?q", c.reference), c.resolved) << c.reference;

    const std::string_view sheet = "https://img.alicdn.com/tps/css/shop.css?t=2014#x";
    const Case shop[] = {
        {"images/bg.png", "https://img.alicdn.com/tps/css/images/bg.png"},
        {"../i/bg.png", "https://img.alicdn.com/tps/i/bg.png"},
        {"//gtms01.alicdn.com/a.jpg", "https://gtms01.alicdn.com/a.jpg"},
        {"/a.jpg?x=1", "https://img.alicdn.com/a.jpg?x=1"},
        {"http://other.example/b.gif", "http://other.example/b.gif"},
        {"图/藍 色.png", "https://img.alicdn.com/tps/css/图/藍 色.png"},
        {"1x:y", "https://img.alicdn.com/tps/css/1x:y"},  // no scheme starts with a digit
    };
    for (const Case& c : shop)
        EXPECT_EQ(resolveUrl(sheet, c.reference), c.resolved) << c.reference;

    EXPECT_EQ(resolveUrl("http://a", "g"), "http://a/g");  // an empty base path
    EXPECT_EQ(resolveUrl("//img.alicdn.com/a.css", "b.png"), std::nullopt);
    EXPECT_EQ(resolveUrl("a.css", "b.png"), std::nullopt);
    EXPECT_EQ(resolveUrl("", "http://a/b"), std::nullopt);
}

TEST(CssUrls, QuotedStringEscapes) {
    EXPECT_EQ(quotedString("images/a.png"), "\"images/a.png\"");
    EXPECT_EQ(quotedString("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(quotedString("a\nb\x1f"
                           "c\x7f"),
              R"("a\a b\1f c\7f ")");
    EXPECT_EQ(quotedString(std::string_view("\0", 1)), R"("\fffd ")");
    EXPECT_EQ(quotedString("藍 (1).png"), "\"藍 (1).png\"");
}

TEST(CssUrls, RewriteReplacesOnlyWhatTheCallerAsksFor) {
    const std::string_view sheet =
        "@import\"base.css\";a{background:url(i/a.png) no-repeat;b:url(data:x);"
        "c:URL( 'i/b.png' )}/* url(c.png) */";
    std::vector<std::string> seen;
    const std::string out =
        rewriteUrls(sheet, [&seen](const SheetUrl& u) -> std::optional<std::string> {
            seen.push_back(u.value);
            if (u.kind != UrlKind::Address)
                return std::nullopt;
            return "images/" + u.value.substr(u.value.rfind('/') + 1);
        });
    EXPECT_EQ(out,
              "@import\"images/base.css\";a{background:url(\"images/a.png\") no-repeat;"
              "b:url(data:x);c:url(\"images/b.png\")}/* url(c.png) */");
    EXPECT_EQ(seen, (std::vector<std::string>{"base.css", "i/a.png", "data:x", "i/b.png"}));

    // What needs escaping reads back as what was given.
    const std::string tricky = "a\"b\\c)(d\ne 1";
    const std::string rewritten =
        rewriteUrls("x{y:url(z)}", [&](const SheetUrl&) { return tricky; });
    EXPECT_EQ(rewritten, "x{y:url(\"a\\\"b\\\\c)(d\\a e 1\")}");
    const std::vector<SheetUrl> again = findUrls(rewritten);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].value, tricky);
}

}  // namespace
}  // namespace kessrune::css
