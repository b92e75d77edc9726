#include "http/cookies.h"

#include "text/markers.h"

namespace kessrune {

void scanResponseHeaders(std::string_view rawHeaders, Text* cookies, Text& receivedCookies,
                         Text& redirectLocation) {
    // A copy of the block: the caller may hand in a view of one of the
    // variables this scan replaces.
    const Text block(rawHeaders);
    const TextArray lines = splitText(block, "\r\n");

    receivedCookies = "";
    for (const Text& line : lines) {
        // Exact case and anywhere in the line, so Content-Location counts too;
        // the last matching line wins.
        if (findText(line, "Location:", 1, false) != -1)
            redirectLocation = headerValue(line);
        // The name=value pair between "Set-Cookie:" (any case) and the first
        // ";"; a pair without attributes gives "" and still adds "; ".
        if (findText(line, "Set-Cookie", 1, false) != -1) {
            receivedCookies += trimText(extractBetween(line, "Set-Cookie:", ";"));
            receivedCookies += "; ";
        }
    }
    receivedCookies = leftText(receivedCookies, textLength(receivedCookies) - 2);

    if (cookies != nullptr)
        mergeCookies(*cookies, receivedCookies);

    if (redirectLocation.empty())
        redirectLocation = block;
}

Text mergeCookies(Text& sent, Text& received) {
    sent = removeSpaces(sent);
    received = removeSpaces(received);
    const TextArray a = splitText(sent, ";");
    TextArray b = splitText(received, ";");

    // B grows while this runs: of several sent items with one name only the
    // first is taken, and a name the server sent keeps the server's item.
    for (const Text& item : a) {
        if (!cookieListHasName(b, cookieName(item)))
            arrayAppend(b, item);
    }

    sent = "";
    for (const Text& item : b) {
        if (compareText(rightText(item, 8), "=deleted") != 0) {
            sent += item;
            sent += "; ";
        }
    }
    sent = leftText(sent, textLength(sent) - 2);
    sent = joinDistinct(sent, "; ");
    return sent;
}

Text cookieName(std::string_view item) {
    const int k = findText(item, "=", 1, false);
    return trimText(k == -1 ? Text(item) : leftText(item, k - 1));
}

bool cookieListHasName(const TextArray& list, std::string_view name) {
    for (const Text& element : list) {
        if (compareText(cookieName(element), name) == 0)
            return true;
    }
    return false;
}

Text joinDistinct(std::string_view text, std::string_view separator) {
    const TextArray items = splitText(text, separator);
    TextArray seen;
    Text out;
    for (const Text& item : items) {
        if (listIndexOf(seen, item) == -1) {
            arrayAppend(seen, item);
            out += item;
            out += separator;
        }
    }
    return leftText(out, textLength(out) - textLength(separator));
}

int listIndexOf(const TextArray& list, std::string_view text) {
    for (int i = 1; i <= arraySize(list); ++i) {
        if (compareText(list[i - 1], text) == 0)
            return i;
    }
    return -1;
}

}  // namespace kessrune
