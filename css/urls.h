// The addresses a style sheet refers to: finding them, resolving them
// against the sheet's own address, and writing them anew.
//
// A reference is what the sheet's tokens (css/tokenizer.h) say it is, so
// nothing inside a comment or an ordinary string counts:
//   - an unquoted url token:                url(a.png), url( a.png )
//   - a url( function holding one string:   url("a.png"), URL( 'a.png' )
//   - the string that an @import starts with: @import "a.css";
// References in an @namespace prelude name a namespace, not a resource, and
// are left out; so is a bad url ("url(a b)"), which browsers drop too.
//
//   findUrls("a{background:url(i/a.png)}")[0]:
//     offset 13, length 12 ("url(i/a.png)"), value "i/a.png", kind Address
//   resolveUrl("http://shop.example/css/s.css", "i/a.png") ==
//     "http://shop.example/css/i/a.png"
#ifndef KESSRUNE_CSS_URLS_H
#define KESSRUNE_CSS_URLS_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kessrune::css {

enum class UrlKind : std::uint8_t {
    Address,   // a relative or absolute address to resolve and fetch
    Data,      // a "data:" url (its data is in the sheet; nothing to fetch)
    Fragment,  // "#id": a part of the document that uses the sheet, never resolved
    Empty,     // url() or url(""): refers to nothing
};

struct SheetUrl {
    // The bytes of the sheet that hold the reference: the whole url token,
    // the url( function from its name to its ")", or the @import string.
    std::size_t offset = 0;
    std::size_t length = 0;
    // The reference as the sheet means it: escapes resolved, white space
    // around it dropped.
    std::string value;
    UrlKind kind = UrlKind::Address;
    // It is what an @import loads: a style sheet, not an image.
    bool import = false;
};

// Every reference of `sheet`, in the order of the sheet, their spans never
// overlapping; none when the sheet has none. Linear in the sheet's size.
std::vector<SheetUrl> findUrls(std::string_view sheet);

// `reference` resolved against `base` by RFC 3986 section 5.2 (strict: a
// reference with a scheme is taken as it is, dot segments removed), e.g.
// with base "http://a/b/c/d;p?q": "g" -> "http://a/b/c/g", "../g" ->
// "http://a/b/g", "//g" -> "http://g", "?y" -> "http://a/b/c/d;p?y", "#s" ->
// "http://a/b/c/d;p?q#s". The texts are taken as they are (no percent-
// encoding is added or removed). nullopt when `base` has no scheme (such as
// "//img.example/a.css"), since nothing can be resolved against it.
std::optional<std::string> resolveUrl(std::string_view base, std::string_view reference);

// `address` written as a CSS string: in double quotes, with '"' and '\'
// escaped and every control character (newlines included) as a hex escape.
//   quotedString("a\"b") == "\"a\\\"b\""
std::string quotedString(std::string_view address);

// `sheet` with references replaced: for each reference in findUrls' order,
// `replace` gives the new address, or nullopt to keep the reference as it
// is. A replaced url token or url( function becomes url("new"), a replaced
// @import string becomes "new" (both quoted by quotedString); every other
// byte of the sheet is kept.
//   rewriteUrls("a{b:url(x.png)}", [](const SheetUrl&) { return "images/x.png"; }) ==
//       "a{b:url(\"images/x.png\")}"
std::string rewriteUrls(
    std::string_view sheet,
    const std::function<std::optional<std::string>(const SheetUrl& url)>& replace);

}  // namespace kessrune::css

#endif  // KESSRUNE_CSS_URLS_H
