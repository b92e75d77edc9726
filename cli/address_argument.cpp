#include "cli/address_argument.h"

#include "text/ascii.h"

namespace kessrune {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

std::string controlName(unsigned char c) {
    switch (c) {
        case '\r':
            return "CR";
        case '\n':
            return "LF";
        case '\t':
            return "TAB";
        default: {
            static constexpr char kHex[] = "0123456789ABCDEF";
            return std::string("0x") + kHex[c >> 4] + kHex[c & 0x0f];
        }
    }
}

// The length of the UTF-8 sequence that starts `s`, 0 when none is there.
std::size_t sequenceLength(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80)
        return 1;
    std::size_t n;
    unsigned char low = 0x80, high = 0xbf;  // bounds of the second byte
    if (b0 >= 0xc2 && b0 <= 0xdf) {
        n = 2;
    } else if (b0 >= 0xe0 && b0 <= 0xef) {
        n = 3;
        if (b0 == 0xe0)
            low = 0xa0;  // no overlong form
        if (b0 == 0xed)
            high = 0x9f;  // no surrogate
    } else if (b0 >= 0xf0 && b0 <= 0xf4) {
        n = 4;
        if (b0 == 0xf0)
            low = 0x90;
        if (b0 == 0xf4)
            high = 0x8f;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < n)
        return 0;
    const auto b1 = static_cast<unsigned char>(s[1]);
    if (b1 < low || b1 > high)
        return 0;
    for (std::size_t i = 2; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80 || b > 0xbf)
            return 0;
    }
    return n;
}

}  // namespace

std::string visible(std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (isControl(c)) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0x0f];
        } else {
            out += ch;
        }
    }
    return out;
}

bool isValidUtf8(std::string_view s) {
    while (!s.empty()) {
        const std::size_t n = sequenceLength(s);
        if (n == 0)
            return false;
        s.remove_prefix(n);
    }
    return true;
}

std::string shortened(std::string_view utf8, std::size_t limit) {
    if (utf8.size() <= limit)
        return std::string(utf8);
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xc0) == 0x80)
        --cut;
    return std::string(utf8.substr(0, cut)) + "\xe2\x80\xa6";  // …
}

AddressArgument checkAddressArgument(std::string_view raw) {
    AddressArgument result;
    if (!isValidUtf8(raw)) {
        result.problem = "the address is not valid UTF-8";
        return result;
    }
    while (!raw.empty() && isAsciiSpace(raw.front()))
        raw.remove_prefix(1);
    while (!raw.empty() && isAsciiSpace(raw.back()))
        raw.remove_suffix(1);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (isControl(c)) {
            result.problem = "the address holds a control character (" + controlName(c) +
                             ") at byte " + std::to_string(i + 1) + ": " + shortened(visible(raw));
            return result;
        }
    }
    result.address = std::string(raw);
    return result;
}

}  // namespace kessrune
