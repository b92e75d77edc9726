// Splitting a web address, as typed or as found in a page, into the host,
// port and path that a request needs.
//
// Written in the text operations, so odd addresses give odd but fully
// defined results:
//   - without a scheme the address is taken as http, unless "http://" occurs
//     further on, in which case the host is cut after that later occurrence:
//     urlHost("x.y.z/?u=http://w.v.u/p") == "w.v.u";
//   - a query without a slash stays in the host:
//     urlHost("http://x.y.z?q=1") == "x.y.z?q=1";
//   - an empty port reads as 0: urlPort("http://x.y.z:/p") == 0.
#ifndef KESSRUNE_HTTP_URL_H
#define KESSRUNE_HTTP_URL_H

#include <string_view>

#include "text/text.h"

namespace kessrune {

// The host in lower case: the text between the scheme ("https://" when the
// address begins with it, else "http://") and the next "/". With
// `domainOnly` only its last two dot-separated labels; with `keepPort` the
// ":port" is left on. "" when no host can be cut out.
//   urlHost("HTTPS://X.Y.Z:8443/p?q=1") == "x.y.z"
//   urlHost("w.x.y.z", true) == "y.z"
Text urlHost(std::string_view address, bool domainOnly = false, bool keepPort = false);

// The number after the host's last colon; else 443 when the address's first
// five letters are "https" in any case, else 80.
//   urlPort("https://x.y.z:8080/") == 8080; urlPort("httpsx.y") == 443
int urlPort(std::string_view address);

// Everything from the first "/" after the host to the end, in the address's
// own letter case, query and fragment included; "/" when there is none.
//   urlPath("HTTPS://X.Y.Z:8443/p?q=1") == "/p?q=1"; urlPath("") == "/"
Text urlPath(std::string_view address);

}  // namespace kessrune

#endif  // KESSRUNE_HTTP_URL_H
