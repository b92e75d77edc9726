// ASCII letter case and character classes, one byte at a time.
//
// Only the bytes 'A'-'Z' and 'a'-'z' have a case; every other byte, 0x80-0xFF
// included, is its own upper and lower case and belongs to no class here, so
// GBK and UTF-8 bytes pass through untouched. These stand in for <cctype>,
// whose answers hang on the locale and are undefined for a negative char.
//   asciiLower('Q') == 'q'; asciiLower('\xb5') == '\xb5'; asciiUpper('q') == 'Q'
//   equalsIgnoringAsciiCase("Content-Type", "content-TYPE") == true
//   equalsIgnoringAsciiCase("", "") == true; equalsIgnoringAsciiCase("a", "ab") == false
#ifndef KESSRUNE_TEXT_ASCII_H
#define KESSRUNE_TEXT_ASCII_H

#include <cstddef>
#include <string_view>

namespace kessrune {

constexpr bool isAsciiUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
constexpr bool isAsciiLower(char c) {
    return c >= 'a' && c <= 'z';
}
constexpr bool isAsciiLetter(char c) {
    return isAsciiUpper(c) || isAsciiLower(c);
}
constexpr bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
// Space, tab, CR, LF, vertical tab and form feed.
constexpr bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
// 0-9, a-f and A-F.
constexpr bool isAsciiHexDigit(char c) {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// `c` with A-Z made a-z; any other byte as it is.
constexpr char asciiLower(char c) {
    return isAsciiUpper(c) ? static_cast<char>(c + ('a' - 'A')) : c;
}
// `c` with a-z made A-Z; any other byte as it is.
constexpr char asciiUpper(char c) {
    return isAsciiLower(c) ? static_cast<char>(c - ('a' - 'A')) : c;
}

// Whether `a` and `b` have the same length and the same bytes once A-Z are
// folded onto a-z. No character stepping: every byte is compared, second
// bytes of double-byte characters included.
constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

}  // namespace kessrune

#endif  // KESSRUNE_TEXT_ASCII_H
