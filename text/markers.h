// Cutting pieces out of page texts and header lines by their markers.
//
// Pure functions over GBK texts, written in the text operations; a missing
// piece is always "" and nothing fails.
#ifndef KESSRUNE_TEXT_MARKERS_H
#define KESSRUNE_TEXT_MARKERS_H

#include <string_view>

#include "text/text.h"

namespace kessrune {

// The text strictly between the first `startMarker` found from
// `startPosition` (below 1 counts as 1) and the first `endMarker` after it.
// Both searches ignore the case of A-Z unless `matchCase` is true. "" when
// either marker is missing, when the end marker follows the start marker
// directly, or when `endMarker` is empty. An empty `startMarker` is found at
// position 1 whenever the searched stretch is not empty.
//
// Inside either marker the five bytes "#引号" ("#" and the GBK characters
// D2 FD BA C5) stand for one double quote, so markers can be written without
// one; they mean nothing special in `t`.
//   extractBetween("x[ab]y]", "[", "]") == "ab"
//   extractBetween("<B>x</b>", "<b>", "</B>") == "x"
Text extractBetween(std::string_view t, std::string_view startMarker, std::string_view endMarker,
                    int startPosition = 1, bool matchCase = false);

// The text after the last occurrence of `marker` (occurrences may overlap),
// compared exactly unless `ignoreCase`. "" when the marker is absent or ends
// the text; all of `t` for an empty marker.
//   textAfterLast("a>b>c", ">") == "c"; textAfterLast("aaa", "aa") == ""
Text textAfterLast(std::string_view t, std::string_view marker, bool ignoreCase = false);

// The text after the first ":" of a header line, without leading and
// trailing spaces; "" when there is no colon.
//   headerValue("Location:   /a/b  ") == "/a/b"; headerValue("a:b:c") == "b:c"
Text headerValue(std::string_view line);

}  // namespace kessrune

#endif  // KESSRUNE_TEXT_MARKERS_H
