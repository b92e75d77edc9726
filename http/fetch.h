// fetchPage: the one HTTP client of Kessrune, on libcurl.
//
// One request (and the redirects the layer follows itself) with a fixed,
// browser-like profile; the body comes back as GBK text, converted from
// UTF-8 when the body or the headers say "utf-8"; "" when no request could be
// made. Connections, DNS answers, TLS sessions and cookies are kept in one
// process-wide store in memory.
#ifndef KESSRUNE_HTTP_FETCH_H
#define KESSRUNE_HTTP_FETCH_H

#include <chrono>
#include <cstddef>
#include <stop_token>
#include <string>
#include <string_view>

#include "text/text.h"

namespace kessrune {

// Why a fetch failed; `none` when its last response arrived whole (whatever
// its status). A closed set: a front end can say each in words.
enum class FetchFailure {
    none,
    notAHostName,           // the address gives no host that can be connected to
    dnsFailure,             // the host name is not known
    connectionRefused,      // nothing listens there (or the network is unreachable)
    connectTimeout,         // the connection could not be made in time
    tlsRefused,             // the TLS handshake or the certificate failed (detail: why)
    idleTimeout,            // the server fell silent for the receive time-out
    totalLimit,             // the call's maxTime ran out
    redirectToHttp,         // from https to http (detail: the target)
    redirectToOtherScheme,  // to neither http nor https (detail: the target)
    tooManyRedirects,       // an eleventh redirect (detail: the target)
    headerBlockTooLarge,    // header lines past 256 KiB
    bodyCapReached,         // the body reached maxBodyBytes; the part kept is the body
    brokenConnection,       // the server hung up or sent what HTTP cannot read (detail: why)
    aborted,                // the call's stop was asked for
};

// A few words for a failure, for a person: failureWords(connectionRefused)
// == "connection refused"; "" for none.
std::string_view failureWords(FetchFailure failure);

// What one call of fetchPage did, for a caller that wants to say why.
struct FetchReport {
    std::string url;        // the last URL requested ("" when none could be made)
    int status = 0;         // the final response's status; 0 when none arrived
    int redirects = 0;      // redirects followed
    std::size_t bytes = 0;  // body bytes received, before any conversion
    std::chrono::milliseconds time{0};
    FetchFailure failure = FetchFailure::none;
    std::string detail;  // libcurl's reason or the refused redirect's target, where it helps
};

// Every member left at its default means "omitted". By-reference parameters
// are pointers to the caller's variables; an omitted one acts as a fresh
// empty variable inside the call. They change only once a request exists.
struct FetchOptions {
    int method = 0;                  // 1: POST; any other: GET; non-zero sends a body
    const Text* postText = nullptr;  // form data, used when postBytes is empty
    Text* cookies = nullptr;         // supplied indicator: non-null
    Text* receivedCookies = nullptr;
    Text* extraHeaders = nullptr;  // CR LF separated lines; defaults are appended
    Text* redirectLocation = nullptr;
    bool noRedirect = false;
    Bytes* postBytes = nullptr;
    const Text* proxyAddress = nullptr;  // supplied indicator: non-null
    Text* rawHeaders = nullptr;

    // Limits of this call, beyond the parameters above.
    // The longest the whole fetch may take, redirects included; 0: no limit.
    // A fetch cut by it ends as a timed-out read does.
    std::chrono::milliseconds maxTime{0};
    // A stop asked for (from any thread) aborts the transfer at once; the
    // fetch then ends as a failed read does, and makes no further hop.
    std::stop_token stop{};
    // Filled with what happened, when given; the result and the by-reference
    // parameters are the same with or without it.
    FetchReport* report = nullptr;
};

// Fetches `address` (any form urlHost accepts) and returns its body as GBK
// text, cut before its first zero byte.
//
// The request: HTTP/1.1 to the URL assembled from the scheme (https when the
// address's first five bytes say so in any case), urlHost, urlPort (0: the
// scheme's default) and urlPath without its fragment, bytes a URL cannot
// carry percent-encoded. The verb, the user agent and the default header
// lines follow the extra-header rules (fetch_profile.h); no Accept-Encoding,
// no Expect. "" with nothing of the caller's changed when the host is no
// host name or the port lies outside 0-65535.
//
// Redirects (301, 302, 303, 307, 308 with a Location) are followed here, up
// to 10, unless `noRedirect`: POST turns into GET without a body on 301-303;
// Cookie and Authorization lines of the caller stay behind on a redirect to
// another host. A redirect to http from https, to another scheme, or an
// eleventh one fails the fetch: its body is dropped, its headers are the
// final ones. rawHeaders is the final response's status line and header
// lines, each ended by CR LF, and the empty line; 5000 spaces when nothing
// complete arrived or the block with a terminating zero byte would not fit
// in 5000 bytes. A failed, timed-out, aborted or over-long read keeps what
// arrived before it; so does a fetch cut by `maxTime`.
//
// No header line comes from data: the address goes into the Referer, and
// the cookies into the Cookie line, with their control bytes written %XX
// (fetch::headerSafe), and a redirect's address reaches the request line
// percent-encoded. Only the caller's own `extraHeaders` text is split into
// lines.
//
// The store: without `cookies` the process-wide cookie store sends and keeps
// cookies; with it, the store is neither read nor written. Connections, DNS
// answers and TLS sessions are kept in the same store for later fetches. A supplied
// `proxyAddress` (host:port) carries plain-http requests to other hosts than
// loopback ones; https goes direct, and so does everything when it is "".
// TLS is verified against the system's CA store (or the settings' caFile).
//
// Calls from several threads run at the same time, sharing the store: each
// takes a kept connection that no other transfer is using, or opens one.
//   fetchPage("http://x.y.z/") == the page, or "" when it cannot be had
Text fetchPage(const Text& address, const FetchOptions& options = {});

// The same request as fetchPage, for what is not a page (an image, say):
// the body exactly as received, zero bytes and all, neither converted nor
// cut; "" when no request could be made.
//   fetchBody("http://x.y.z/a.png") == the image's bytes
std::string fetchBody(const Text& address, const FetchOptions& options = {});

// Process-wide settings of the HTTP layer. The defaults are the platform's;
// tests change them: take fetchSettings(), change the copy, hand it to
// setFetchSettings. What belongs to one call (a stop, a time limit) travels
// in its FetchOptions instead.
struct FetchSettings {
    // A PEM file of certificate authorities to trust in place of the system
    // store (tests point it at their own CA); empty: the system store.
    std::string caFile;
    std::chrono::milliseconds connectTimeout{60'000};
    // The longest wait without receiving any byte, in the status line, the
    // header block and the body alike; a silence this long ends the read.
    std::chrono::milliseconds receiveTimeout{30'000};
    // The most body bytes kept; a longer body ends the read there, as a
    // failed read does, so a hostile server cannot exhaust memory.
    std::size_t maxBodyBytes = std::size_t{256} << 20;
};

// The settings apply to the fetches that start after the call; both calls
// are safe from any thread.
void setFetchSettings(FetchSettings settings);
FetchSettings fetchSettings();

// Drops the process-wide store: kept connections, DNS answers, TLS sessions
// and cookies. Later fetches start from an empty store; transfers running
// meanwhile finish on the old one, which goes with the last of them.
void resetFetchStore();

}  // namespace kessrune

#endif  // KESSRUNE_HTTP_FETCH_H
