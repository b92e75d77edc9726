// Charset conversion between named charsets, on iconv.
#ifndef KESSRUNE_HTTP_CHARSET_H
#define KESSRUNE_HTTP_CHARSET_H

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace kessrune {

// Decodes `data` from `sourceCharset` (empty: "UTF-8"), passes the characters
// through GBK, the system code page, and encodes them into `targetCharset`
// (empty: "GBK"). Charset names are iconv's ("UTF-8", "GBK", "UTF-16LE" ...).
//
// - A character that GBK cannot hold becomes "?", even when the target could
//   hold it (an emoji, Hangul, the euro sign: GBK's single byte 0x80 for it
//   would read as the first byte of a two-byte character). A character that
//   the target lacks becomes the target's "?".
// - An invalid source sequence becomes one "?": for UTF-8 the longest start
//   of a well-formed sequence ("\xe6\x8e" cut short is one "?"), for GBK a
//   lead byte with its trail byte, otherwise one byte.
// - A byte-order mark at the start of the input is skipped; one further on
//   is a character GBK lacks.
// - A zero character ends the text: nothing after it is converted.
// - With `readPosition` n the first n bytes of the result are left out: none
//   for n <= 0, all for n at or past the end.
// - An unknown charset name gives the empty result.
//   convertCharset({0xe5, 0xba, 0x97, 0xe9, 0x93, 0xba}) == {0xb5, 0xea, 0xc6, 0xcc}
//   convertCharset(UTF-8 "a" U+1F600 "b", "", "UTF-8") == "a?b"
Bytes convertCharset(const Bytes& data, std::string_view sourceCharset = {},
                     std::string_view targetCharset = {},
                     std::optional<int> readPosition = std::nullopt);

// The window's and the terminal's edge: UTF-8 to GBK and back, with the rules
// of convertCharset (characters GBK lacks and invalid input become "?", a
// zero character ends the text).
//   gbkFromUtf8("分析css") == "\xb7\xd6\xce\xf6css"; utf8FromGbk("\xb5\xea") == "店"
Text gbkFromUtf8(std::string_view utf8);
std::string utf8FromGbk(std::string_view gbk);

// utf8FromGbk in pieces, for texts too large to hold twice: `sink` receives
// the UTF-8 of `gbk` one piece after the other (each at most a few hundred
// KiB, cut between characters), and the pieces joined equal
// utf8FromGbk(gbk). Nothing is handed on for "" or after a zero byte.
//   utf8FromGbkInPieces("\xb5\xea", sink): sink("店")
void utf8FromGbkInPieces(std::string_view gbk, const std::function<void(std::string_view)>& sink);

}  // namespace kessrune

#endif  // KESSRUNE_HTTP_CHARSET_H
