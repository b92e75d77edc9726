// The request profile of the page fetch: the pure steps that turn the
// caller's address and header text into what goes on the wire, and the
// rules applied to what comes back. fetchPage (http/fetch.h) is the caller;
// the pieces are kept apart so that each rule can be tested on its own.
#ifndef KESSRUNE_HTTP_FETCH_PROFILE_H
#define KESSRUNE_HTTP_FETCH_PROFILE_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace kessrune::fetch {

// The user agent sent when the extra headers name none (121 bytes).
inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; 731QM; .NET CLR 2.0.50727; "
    ".NET CLR 3.0.04506.648; .NET CLR 3.5.21022)";

// The raw header block is read into a buffer of this many bytes, its
// terminating zero byte included.
inline constexpr int kRawHeaderBuffer = 5000;

// The agent for a request: the default agent when "User-Agent:" (any case)
// does not occur in `extraHeaders`; else the trimmed value up to the next
// CR LF, or, when that is "", headerValue of the whole text.
//   userAgentFor("user-agent: X\r\nA: b") == "X"; userAgentFor("User-Agent: X") == "X"
Text userAgentFor(std::string_view extraHeaders);

// Appends the default lines that `extraHeaders` lacks (exact-case tests):
// "Referer: " + address (no "\r\n" before it when the text is ""), then
// "\r\nAccept: */*", "\r\nAccept-Language: zh-cn",
// "\r\nContent-Type: application/x-www-form-urlencoded", and
// "\r\nCookie: " + cookies whenever `cookies` is not "". No CR LF at the end.
// The address and the cookies are data, from a page or a server: their
// control bytes are written as %XX (headerSafe), so neither can end its line
// and start another.
//   addDefaultHeaderLines(h = "", "http://x/\r\nHost: y", "") gives
//   h == "Referer: http://x/%0D%0AHost: y\r\nAccept: */*..."
void addDefaultHeaderLines(Text& extraHeaders, std::string_view address, std::string_view cookies);

// The header lines actually sent for `extraHeaders`: the text split at
// CR LF; empty lines, lines without a colon or with an empty name, and lines
// that still hold a bare CR or LF are left out. A line whose value is empty
// is written "Name;", which is how curl sends an empty header. Without
// `keepCredentials` (a redirect to another host) Cookie and Authorization
// lines are left out as well.
//   requestHeaderLines("A: 1\r\n\r\nnocolon\r\nB:") == {"A: 1", "B;"}
std::vector<std::string> requestHeaderLines(std::string_view extraHeaders, bool keepCredentials);

// `s` with every control byte (0x00-0x1F and 0x7F) written as %XX; every
// other byte, "%" and 0x80-0xFF included, is kept. What a header value made
// from data goes through before it is sent.
//   headerSafe("a\r\nb\tc") == "a%0D%0Ab%09c"; headerSafe("") == ""
std::string headerSafe(std::string_view s);

// `s` with every byte that a URL cannot carry (control bytes, space, DEL,
// 0x80-0xFF) written as %XX; every other byte, "%" included, is kept.
//   percentEncodeUnsafe("/a b\xb5") == "/a%20b%B5"
std::string percentEncodeUnsafe(std::string_view s);

// Whether `host` can be connected to: letters, digits, "-" and "." only,
// not empty, or a bracketed IPv6 address ("[" hex digits, ":" and "." "]").
//   isHostName("x.y.z") == true; isHostName("x.y.z?q=1") == false
bool isHostName(std::string_view host);

// localhost, a 127.x.x.x address or [::1]: never sent through a proxy.
bool isLoopbackHost(std::string_view host);

// Whether the address's first five bytes, lower-cased, are "https".
bool isHttpsAddress(std::string_view address);

// The URL of the request for `address`: the scheme (https exactly when
// isHttpsAddress), urlHost, urlPort (0: the scheme's default port) and
// urlPath (its fragment left out), assembled by curl's URL API with the
// unsafe bytes percent-encoded. nullopt when no request can be made: the
// host is no host name, or the port lies outside 0-65535.
//   requestUrl("HTTPS://X.Y.Z:8443/p?q=1") == "https://x.y.z:8443/p?q=1"
std::optional<std::string> requestUrl(std::string_view address);

// The scheme and host of a URL made by requestUrl or followed from a
// redirect; nullopt when curl cannot parse it.
struct UrlParts {
    std::string scheme;  // lower case
    std::string host;
    long port = 0;  // the scheme's default when the URL names none
};
std::optional<UrlParts> urlParts(const std::string& url);

// What rawHeaders holds for a received header block: the block itself when
// it fits the buffer with its terminating zero byte, else the buffer's
// 5000 spaces (the query failed and left them there).
Text rawHeaderText(std::string_view block, bool complete);

// The charset decision: the first "utf-8" (exact) of the body begins at a
// position from 1 to 499, or the raw headers hold "utf-8" in any case.
//   countsAsUtf8("<meta charset=utf-8>", "") == true
bool countsAsUtf8(std::string_view body, std::string_view rawHeaders);

}  // namespace kessrune::fetch

#endif  // KESSRUNE_HTTP_FETCH_PROFILE_H
