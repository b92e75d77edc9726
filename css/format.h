// The readable form of a style sheet, and the sameness it keeps.
//
// `formatSheet` puts each rule, at-rule and declaration on a line of its own,
// indents the contents of every block by four spaces per level (at most
// sixteen levels, so that the output stays linear however deep a sheet
// nests), writes "a {" / "name: value;" / "}", and keeps every comment. It
// changes white space only where white space carries no meaning, and it adds
// nothing but white space and the ";" of a block's last declaration: the
// result reads back as the same tokens (`sameSheet` below, which holds for
// every input, well-formed or not). Selectors, at-rule preludes and values
// keep their tokens and their white space, each run of it written as one
// space. A rule without a selector (what removing a page-scope prefix leaves,
// "{width:990px}") stays a bare "{" block. Comments between rules or
// declarations get lines of their own; comments inside a selector or value
// stay where they are.
//
//   formatSheet("@media print{a b,.c{color:red;margin:0 auto}}") ==
//       "@media print {\n"
//       "    a b,.c {\n"
//       "        color: red;\n"
//       "        margin: 0 auto;\n"
//       "    }\n"
//       "}\n"
//   formatSheet("") == ""
//
// Time and memory are linear in the sheet's size; nothing recurses on nesting.
#ifndef KESSRUNE_CSS_FORMAT_H
#define KESSRUNE_CSS_FORMAT_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kessrune::css {

// `sheet` formatted as above (UTF-8 in, UTF-8 out); "" for "".
std::string formatSheet(std::string_view sheet);

// The sameness that formatSheet keeps, exactly:
//
// Each sheet is tokenized (css/tokenizer.h) and its block structure read as
// CSS Syntax Level 3 reads a style sheet with nesting:
//   - "(", "[" and function tokens open a simple block closed by the
//     matching ")" or "]"; inside a simple block a "{" opens another one
//     closed by "}", and any closing token that does not match the innermost
//     open block is an ordinary token;
//   - outside simple blocks, a "{" opens a rule's block (structural "{"), and
//     a "}" closes the innermost rule's block (structural "}"); a "}" with no
//     rule's block open is an ordinary token; a ";" is structural;
//   - an item is the run of tokens between structural tokens. An item inside
//     a rule's block that starts with an ident and a ":" (white space and
//     comments aside) is a declaration when it does not end at a structural
//     "{", or when its name starts with "--" (a custom property: then a "{"
//     in it opens a simple block, since its value may hold one); that ":" is
//     the declaration's colon.
//
// Two sheets are the same when their token lists match after removing, from
// each:
//   1. every ";" whose next token that is neither white space nor a comment
//      is a structural "}";
//   2. every whitespace token whose nearest token on either side that is
//      neither white space nor a comment is a structural "{", "}" or ";", a
//      declaration's colon, or the start or end of the sheet;
// where tokens match when they are of the same kind and have the same bytes,
// except that any whitespace token matches any other (a run of white space
// means the same whatever it is made of). Comments thus count, in order, with
// their bytes; and white space counts, by its presence, between selector
// parts ("a b" is not "ab", "a .b" is not "a.b"), in values ("0 auto") and
// in preludes.
//   sameSheet("a{b:c}", "a {\n    b: c;\n}\n") == true
//   sameSheet("a .b{}", "a.b{}") == false
bool sameSheet(std::string_view a, std::string_view b);

// Where two sheets stop being the same: the byte offsets, in `a` and in `b`,
// of the first tokens that do not match (an offset equal to a sheet's size
// when that sheet's list ran out first); nullopt when sameSheet(a, b).
std::optional<std::pair<std::size_t, std::size_t>> firstDifference(std::string_view a,
                                                                   std::string_view b);

}  // namespace kessrune::css

#endif  // KESSRUNE_CSS_FORMAT_H
