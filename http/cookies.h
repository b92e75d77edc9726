// The scan of a response's raw header block for its redirect target and the
// cookies it sets, and the merge of received cookies into a caller's list.
#ifndef KESSRUNE_HTTP_COOKIES_H
#define KESSRUNE_HTTP_COOKIES_H

#include <string_view>

#include "text/text.h"

namespace kessrune {

// Scans `rawHeaders` (lines separated by CR LF, status line first).
// `receivedCookies` becomes the name=value pairs of the Set-Cookie lines,
// joined by "; " (a pair is taken only when ";" follows it; a line without
// one adds an empty item: "Set-Cookie: a=1" alone gives ""). A line holding
// "Location:" (exact case, anywhere, so Content-Location too; the last one
// wins) sets `redirectLocation` to its value; when it is still "" after the
// scan it becomes a copy of the whole block. `cookies` is the caller's list,
// or nullptr when the caller supplied none; when given, the received cookies
// are merged into it (mergeCookies).
void scanResponseHeaders(std::string_view rawHeaders, Text* cookies, Text& receivedCookies,
                         Text& redirectLocation);

// Merges the received list into the sent list: spaces are removed from both
// (the variables are replaced), a received cookie wins over a sent one of the
// same name, "name=deleted" removes the cookie, repeats are left out. `sent`
// becomes the merged list, items joined by "; "; the result is a copy of it.
//   sent "a=1; b=2", received "b=3; d=4": sent == "b=3; d=4; a=1", received == "b=3;d=4"
Text mergeCookies(Text& sent, Text& received);

// The trimmed text before the item's first "=", or the trimmed item.
//   cookieName(" a =1") == "a"; cookieName("flag") == "flag"; cookieName("=v") == ""
Text cookieName(std::string_view item);

// Whether some item of `list` has `name` as its cookieName, byte for byte.
bool cookieListHasName(const TextArray& list, std::string_view name);

// `text` split at `separator` with later repeats of an item left out, joined
// by `separator` again. joinDistinct("x; y; x", "; ") == "x; y"
Text joinDistinct(std::string_view text, std::string_view separator);

// The 1-based index of the first element equal to `text`, or -1.
int listIndexOf(const TextArray& list, std::string_view text);

}  // namespace kessrune

#endif  // KESSRUNE_HTTP_COOKIES_H
