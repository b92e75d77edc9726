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
#include <functional>
#include <string>

#include "text/text.h"

namespace kessrune {

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
};

Text fetchPage(const Text& address, const FetchOptions& options = {});

// Process-wide settings of the HTTP layer. The defaults are the platform's;
// tests and the window change them.
struct FetchSettings {
    // A PEM file of certificate authorities to trust in place of the system
    // store (tests point it at their own CA); empty: the system store.
    std::string caFile;
    std::chrono::milliseconds connectTimeout{60'000};
    // The longest wait without receiving any data.
    std::chrono::milliseconds receiveTimeout{30'000};
    // Polled at least every 50 ms while a transfer runs; returning true
    // aborts the transfer, which then ends as a failed read does (the body
    // read so far is the body). It must not call fetchPage itself.
    std::function<bool()> shouldAbort;
    // The most body bytes kept; a longer body ends the read there, as a
    // failed read does, so a hostile server cannot exhaust memory.
    std::size_t maxBodyBytes = std::size_t{256} << 20;
};

// The settings apply to the fetches that start after the call.
void setFetchSettings(FetchSettings settings);
const FetchSettings& fetchSettings();

// Drops the process-wide store: kept connections, DNS answers, TLS sessions
// and cookies. Later fetches start from an empty store.
void resetFetchStore();

}  // namespace kessrune

#endif  // KESSRUNE_HTTP_FETCH_H
