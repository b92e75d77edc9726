#include "http/url.h"

#include "text/markers.h"

namespace kessrune {

Text urlHost(std::string_view address, bool domainOnly, bool keepPort) {
    Text w = toLowerText(address);
    // A closing slash, so the host always has an end marker to be cut at.
    if (compareText(rightText(w, 1), "/") != 0)
        w += '/';

    if (compareText(leftText(w, 8), "https://") == 0) {
        w = extractBetween(w, "https://", "/");
    } else {
        // Whether "http://" occurs anywhere, not whether the address begins
        // with it: "x.y.z/?u=http://w.v.u/p" is cut after the later scheme.
        if (findText(w, "http://", 1, false) == -1)
            w = concatText("http://", w);
        w = extractBetween(w, "http://", "/");
    }

    if (domainOnly) {
        // Before the port is cut, so a port stays on the last label.
        const TextArray parts = splitText(w, ".");
        const int n = arraySize(parts);
        if (n > 1)
            w = concatText(arrayElement(parts, n - 1), ".", arrayElement(parts, n));
    }

    if (keepPort)
        return w;
    const int k = findText(w, ":", 1, false);
    if (k == -1)
        return w;
    return leftText(w, k - 1);
}

int urlPort(std::string_view address) {
    const Text h = urlHost(address, false, true);
    const int k = findTextReverse(h, ":");
    if (k != -1)
        return textToInt(rightText(h, textLength(h) - k));
    // Only the first five letters of the address decide the default.
    return compareText(leftText(toLowerText(address), 5), "https") == 0 ? 443 : 80;
}

Text urlPath(std::string_view address) {
    const Text h = urlHost(address);
    // The host is lower case, the address may not be. Not found (-1) makes
    // the slash search start at the first byte.
    const int a = findText(address, h, 1, true);
    const int b = findText(address, "/", a, true);
    if (b <= 0)
        return "/";
    return rightText(address, textLength(address) - b + 1);
}

}  // namespace kessrune
