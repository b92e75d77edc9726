// Charset conversion between named charsets, on iconv.
#ifndef KESSRUNE_HTTP_CHARSET_H
#define KESSRUNE_HTTP_CHARSET_H

#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace kessrune {

// Decodes `data` from `sourceCharset` (empty: "UTF-8"), passes the characters
// through GBK, the system code page, and encodes them into `targetCharset`
// (empty: "GBK"). A character that GBK cannot hold, and an invalid source
// sequence, become "?" even when the target could hold it; a byte-order mark
// at the start is skipped; a zero character ends the text. With
// `readPosition` n the first n bytes of the result are left out. An unknown
// charset name gives the empty result.
//   convertCharset({0xe5, 0xba, 0x97, 0xe9, 0x93, 0xba}) == {0xb5, 0xea, 0xc6, 0xcc}
Bytes convertCharset(const Bytes& data, std::string_view sourceCharset = {},
                     std::string_view targetCharset = {},
                     std::optional<int> readPosition = std::nullopt);

// The window's and the terminal's edge: UTF-8 to GBK and back, with the same
// rules (characters GBK lacks become "?").
Text gbkFromUtf8(std::string_view utf8);
std::string utf8FromGbk(std::string_view gbk);

}  // namespace kessrune

#endif  // KESSRUNE_HTTP_CHARSET_H
