#include "text/markers.h"

namespace kessrune {
namespace {

// "#引号" in GBK: the quote escape of marker texts.
constexpr std::string_view kQuoteEscape = "#\xd2\xfd\xba\xc5";

Text unescapeQuotes(std::string_view marker) {
    if (marker.find('#') == std::string_view::npos)
        return Text(marker);
    return replaceText(marker, kQuoteEscape, "\"", 1, -1, true);
}

}  // namespace

Text extractBetween(std::string_view t, std::string_view startMarker, std::string_view endMarker,
                    int startPosition, bool matchCase) {
    const Text start = unescapeQuotes(startMarker);
    const Text end = unescapeQuotes(endMarker);
    const bool ignoreCase = !matchCase;
    const int s = findText(t, start, startPosition, ignoreCase);
    if (s == -1)
        return {};
    const int p = s + textLength(start);
    const int e = findText(t, end, p, ignoreCase);
    if (e == -1)
        return {};
    return midText(t, p, e - p);
}

Text textAfterLast(std::string_view t, std::string_view marker, bool ignoreCase) {
    const int b = findTextReverse(t, marker, std::nullopt, ignoreCase);
    if (b == -1)
        return {};
    return rightText(t, textLength(t) - textLength(marker) - b + 1);
}

Text headerValue(std::string_view line) {
    const int k = findText(line, ":", 1, false);
    if (k == -1)
        return {};
    return trimText(rightText(line, textLength(line) - k));
}

}  // namespace kessrune
