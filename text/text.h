// The text, byte and text-array operations in which all of Kessrune's logic
// is written.
//
// A `Text` is a run of bytes in the GBK code page with no zero byte. Its
// length and every position in it count bytes; the first byte is position 1
// and -1 means "not found". Lengths and positions out of range are clamped or
// give the empty value; no operation fails or throws.
//
// Character stepping: the searches, replacements, splits, case changes and
// trims walk a text character by character. A byte 0x80-0xFF takes the byte
// after it along as one character (no check that the pair is valid GBK), so a
// search never matches on the second byte of a double-byte character, even
// where that byte looks like ASCII ("]", "A", "a" ...). The cutting functions
// (`leftText`, `rightText`, `midText`) and all `Bytes` operations count plain
// bytes and may split a character.
//
// Letter case: ignoring case folds the ASCII letters A-Z onto a-z and nothing
// else, byte by byte over the whole compared stretch (second bytes included).
// Spaces: only the ASCII space 0x20 and the full-width space 0xA1 0xA1.
//
// Every function returns a new value and leaves its arguments alone, except
// `arrayAppend`, which extends the array it is given.
#ifndef KESSRUNE_TEXT_TEXT_H
#define KESSRUNE_TEXT_TEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kessrune {

using Text = std::string;                  // GBK bytes, no zero byte
using Bytes = std::vector<unsigned char>;  // may hold zero bytes
using TextArray = std::vector<Text>;       // element i (1-based) is index i-1

// ---------------------------------------------------------------------------
// Cutting (plain bytes, no character stepping)

// The number of bytes of `t`.
inline int textLength(std::string_view t) {
    return static_cast<int>(t.size());
}

// The first `n` bytes of `t`: "" when n <= 0, all of `t` when n >= its length.
//   leftText("abc", 5) == "abc"; leftText("abc", -1) == ""
Text leftText(std::string_view t, int n);

// The last `n` bytes of `t`: "" when n <= 0, all of `t` when n >= its length.
//   rightText("abc", 2) == "bc"
Text rightText(std::string_view t, int n);

// `n` bytes of `t` from position `start`, or as many as there are up to the
// end; "" when start < 1, start > length, or n <= 0.
//   midText("abcdef", 3, 2) == "cd"; midText("abc", 3, 5) == "c"
Text midText(std::string_view t, int start, int n);

// ---------------------------------------------------------------------------
// Searching (character stepping)

// Position of the first occurrence of `x` in `t` found by walking characters
// from offset start-1 (0 when start < 1), or -1. The walk begins on that byte
// whatever it is, even the second byte of a character.
// An empty `x` gives 1 (not `start`) unless the start lies at or beyond the
// end of `t`, which gives -1: findText("", "") == -1.
//   findText("abcabc", "c") == 3; findText("abcabc", "c", 4) == 6
//   findText("\x81]]", "]") == 3  (the first "]" is a second byte)
int findText(std::string_view t, std::string_view x, int start = 1, bool ignoreCase = false);

// Position of the last occurrence of `x`, walking characters from the first
// byte of the searched stretch; occurrences may overlap. With `start` given
// the stretch is the first start-1 bytes of `t`, otherwise all of it. -1 when
// the stretch is empty or `x` does not occur wholly inside it; an empty `x`
// gives 1 for a non-empty stretch.
//   findTextReverse("a:b:c", ":") == 4; findTextReverse("aaa", "aa") == 2
int findTextReverse(std::string_view t, std::string_view x, std::optional<int> start = std::nullopt,
                    bool ignoreCase = false);

// `t` with the occurrences of `x` replaced by `r`, left to right, never
// overlapping, the replacement never searched again. The first start-1 bytes
// are copied untouched (start < 1 counts as 1); `count` < 0 means no limit.
// NOTE the sense of the switch: `exact == false` (the default) IGNORES case.
// A copy of `t` when t or x is empty, count is 0 or start-1 >= length.
// An incomplete final character passed by a one-byte `x` is dropped.
//   replaceText("aaa", "aa", "b", 1, -1, true) == "ba"
//   replaceText("AbcABC", "abc", "x") == "xx"
Text replaceText(std::string_view t, std::string_view x, std::string_view r = {}, int start = 1,
                 int count = -1, bool exact = false);

// The pieces of `t` between exact occurrences of `sep`. A text that ends with
// `sep` gives no empty last piece; a leading or doubled `sep` gives empty
// pieces. No pieces for an empty `t` or maxPieces <= 0; one piece (a copy of
// `t`) for an empty `sep`. With `maxPieces` the split stops after that many
// pieces and the rest of `t` is dropped.
//   splitText("a;;b", ";") == {"a", "", "b"}; splitText(";", ";") == {""}
TextArray splitText(std::string_view t, std::string_view sep = ",",
                    std::optional<int> maxPieces = std::nullopt);

// ---------------------------------------------------------------------------
// Spaces, case and numbers (character stepping)

// `t` without leading and trailing spaces (0x20 and 0xA1 0xA1). An incomplete
// final character is removed instead of the trailing spaces before it.
//   trimText("  a b  ") == "a b"; trimText("a\xb0") == "a"
Text trimText(std::string_view t);

// `t` without any space; an incomplete final character is dropped.
//   removeSpaces("a b; c") == "ab;c"
Text removeSpaces(std::string_view t);

// `t` with the one-byte characters A-Z turned into a-z; double-byte
// characters are copied unchanged even where their second byte is a letter.
Text toLowerText(std::string_view t);

// The integer at the start of `t`: full-width forms folded to ASCII first,
// then white space skipped, one sign, decimal digits accumulated in 32 bits
// with wrap-around. 0 when no digit follows.
//   textToInt(" 42abc") == 42; textToInt("\xa3\xb1\xa3\xb2") == 12
std::int32_t textToInt(std::string_view t);

// ---------------------------------------------------------------------------
// Making and comparing texts

// `n` ASCII spaces; "" when n <= 0.
Text blankText(int n);

// The text made of the single byte `v` (taken modulo 256); "" for 0, since a
// text holds no zero byte.
Text charFromCode(int v);

// The texts one after the other.
Text concatText(std::string_view a, std::string_view b, std::string_view c = {});

// 0 when equal; negative when `a` sorts lower (unsigned bytes, a prefix sorts
// lower), positive when higher. Case matters.
int compareText(std::string_view a, std::string_view b);

// ---------------------------------------------------------------------------
// Bytes (plain bytes)

// The bytes of `t`, no terminator.
Bytes textToBytes(std::string_view t);

// The bytes of `b` before its first zero byte.
//   bytesToText({'a', 0, 'b'}) == "a"
Text bytesToText(const Bytes& b);

inline int bytesLength(const Bytes& b) {
    return static_cast<int>(b.size());
}

// The first `n` bytes of `b`; empty when n <= 0, all of `b` when n >= size.
Bytes leftBytes(const Bytes& b, int n);

// Position (from the first byte of `b`) of the first occurrence of `x` at or
// after offset start-1 (0 when start < 1), by plain byte comparison; -1 when
// `x` is empty (unlike findText) or absent.
int findBytes(const Bytes& b, const Bytes& x, int start = 1);

// `n` zero bytes; empty when n <= 0.
Bytes blankBytes(int n);

Bytes concatBytes(const Bytes& a, const Bytes& b);

// Same length and same bytes.
inline bool compareBytes(const Bytes& a, const Bytes& b) {
    return a == b;
}

inline std::int32_t bitOr(std::int32_t a, std::int32_t b) {
    return a | b;
}

// ---------------------------------------------------------------------------
// Text arrays (1-based)

inline int arraySize(const TextArray& a) {
    return static_cast<int>(a.size());
}

// Element `i`, 1 <= i <= arraySize(a). Any other index asserts in debug
// builds and gives "" otherwise; it never reads outside the array.
Text arrayElement(const TextArray& a, int i);

// A copy of `t` becomes the new last element.
inline void arrayAppend(TextArray& a, std::string_view t) {
    a.emplace_back(t);
}

}  // namespace kessrune

#endif  // KESSRUNE_TEXT_TEXT_H
