#include "http/fetch_profile.h"

#include <curl/curl.h>

#include <cstdlib>

#include "http/curl_handles.h"
#include "http/url.h"
#include "text/ascii.h"
#include "text/markers.h"

namespace kessrune::fetch {
namespace {

bool onlyBlanks(std::string_view s) {
    for (char c : s) {
        if (c != ' ' && c != '\t')
            return false;
    }
    return true;
}

template <class Unsafe>
std::string percentEncodeWhere(std::string_view s, Unsafe unsafe) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (unsafe(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0f];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string urlPartText(CURLU* url, CURLUPart part) {
    char* raw = nullptr;
    if (curl_url_get(url, part, &raw, 0) != CURLUE_OK)
        return {};
    curl::String owned(raw);
    return std::string(owned.get());
}

}  // namespace

Text userAgentFor(std::string_view extraHeaders) {
    if (findText(extraHeaders, "User-Agent:", 1, true) == -1)
        return Text(kDefaultUserAgent);
    Text agent = trimText(extractBetween(extraHeaders, "User-Agent:", "\r\n"));
    if (agent.empty())
        agent = headerValue(extraHeaders);
    return agent;
}

void addDefaultHeaderLines(Text& extraHeaders, std::string_view address, std::string_view cookies) {
    if (findText(extraHeaders, "Referer:") == -1) {
        extraHeaders += extraHeaders.empty() ? "Referer: " : "\r\nReferer: ";
        extraHeaders += headerSafe(address);
    }
    if (findText(extraHeaders, "Accept:") == -1)
        extraHeaders += "\r\nAccept: */*";
    if (findText(extraHeaders, "Accept-Language:") == -1)
        extraHeaders += "\r\nAccept-Language: zh-cn";
    if (findText(extraHeaders, "Content-Type:") == -1) {
        extraHeaders += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
    if (!cookies.empty()) {
        extraHeaders += "\r\nCookie: ";
        extraHeaders += headerSafe(cookies);
    }
}

std::vector<std::string> requestHeaderLines(std::string_view extraHeaders, bool keepCredentials) {
    std::vector<std::string> lines;
    for (const Text& line : splitText(extraHeaders, "\r\n")) {
        if (line.find_first_of("\r\n") != Text::npos)
            continue;
        const std::size_t colon = line.find(':');
        if (colon == Text::npos || colon == 0)
            continue;
        const std::string_view name = std::string_view(line).substr(0, colon);
        if (!keepCredentials && (equalsIgnoringAsciiCase(name, "Cookie") ||
                                 equalsIgnoringAsciiCase(name, "Authorization"))) {
            continue;
        }
        // curl reads "Name:" with nothing after it as "drop the header".
        if (onlyBlanks(std::string_view(line).substr(colon + 1))) {
            lines.push_back(std::string(name) + ";");
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

std::string headerSafe(std::string_view s) {
    return percentEncodeWhere(s, [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

std::string percentEncodeUnsafe(std::string_view s) {
    return percentEncodeWhere(s, [](unsigned char c) { return c <= 0x20 || c >= 0x7f; });
}

bool isHostName(std::string_view host) {
    if (host.empty())
        return false;
    if (host.front() == '[') {
        if (host.size() < 4 || host.back() != ']')
            return false;
        for (char c : host.substr(1, host.size() - 2)) {
            if (!isAsciiHexDigit(c) && c != ':' && c != '.')
                return false;
        }
        return true;
    }
    for (char c : host) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '-' && c != '.')
            return false;
    }
    return true;
}

bool isLoopbackHost(std::string_view host) {
    if (equalsIgnoringAsciiCase(host, "localhost") || host == "[::1]")
        return true;
    if (!host.starts_with("127."))
        return false;
    int dots = 0;
    for (char c : host) {
        if (c == '.') {
            ++dots;
        } else if (!isAsciiDigit(c)) {
            return false;
        }
    }
    return dots == 3;
}

bool isHttpsAddress(std::string_view address) {
    return toLowerText(leftText(address, 5)) == "https";
}

std::optional<std::string> requestUrl(std::string_view address) {
    const Text host = urlHost(address);
    const int port = urlPort(address);
    if (!isHostName(host) || port < 0 || port > 65535)
        return std::nullopt;

    Text path = urlPath(address);
    path = path.substr(0, path.find('#'));
    const std::size_t question = path.find('?');
    const std::string query =
        question == Text::npos ? "" : percentEncodeUnsafe(path.substr(question + 1));
    const std::string object = percentEncodeUnsafe(path.substr(0, question));

    const bool https = isHttpsAddress(address);
    const bool defaultPort = port == 0 || port == (https ? 443 : 80);
    curl::Url url(curl_url());
    if (!url)
        return std::nullopt;
    CURLU* u = url.get();
    if (curl_url_set(u, CURLUPART_SCHEME, https ? "https" : "http", 0) != CURLUE_OK ||
        curl_url_set(u, CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK ||
        (!defaultPort &&
         curl_url_set(u, CURLUPART_PORT, std::to_string(port).c_str(), 0) != CURLUE_OK) ||
        curl_url_set(u, CURLUPART_PATH, object.c_str(), 0) != CURLUE_OK ||
        (question != Text::npos &&
         curl_url_set(u, CURLUPART_QUERY, query.c_str(), 0) != CURLUE_OK)) {
        return std::nullopt;
    }
    std::string assembled = urlPartText(u, CURLUPART_URL);
    if (assembled.empty())
        return std::nullopt;
    return assembled;
}

std::optional<UrlParts> urlParts(const std::string& url) {
    curl::Url parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    UrlParts parts;
    parts.scheme = toLowerText(urlPartText(parsed.get(), CURLUPART_SCHEME));
    parts.host = urlPartText(parsed.get(), CURLUPART_HOST);
    char* raw = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_PORT, &raw, CURLU_DEFAULT_PORT) == CURLUE_OK) {
        curl::String owned(raw);
        parts.port = std::strtol(owned.get(), nullptr, 10);
    }
    return parts;
}

Text rawHeaderText(std::string_view block, bool complete) {
    if (!complete || textLength(block) + 1 > kRawHeaderBuffer)
        return blankText(kRawHeaderBuffer);
    return Text(block);
}

bool countsAsUtf8(std::string_view body, std::string_view rawHeaders) {
    // Positions 1 to 499: a first occurrence starting at offset 0 to 498.
    const std::size_t p = body.find("utf-8");
    if (p != std::string_view::npos && p < 499)
        return true;
    return findText(rawHeaders, "utf-8", 1, true) != -1;
}

}  // namespace kessrune::fetch
