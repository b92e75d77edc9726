// The CSS tokenizer: a style sheet's bytes cut into the tokens of CSS Syntax
// Module Level 3 (W3C Candidate Recommendation), comments kept as tokens.
//
// Input is UTF-8 text as decoded for the sheet (a byte-order mark, if the
// caller kept one, reads as part of an identifier). The tokenizer works on
// bytes without decoding them: every byte 0x80-0xFF is an identifier code
// point, as every non-ASCII code point is, so a well-formed UTF-8 sequence is
// never split and malformed UTF-8 is read the same way, never rejected.
//
// Tokens never copy or respell the text: each one is a span (offset, length)
// of the input, and the spans of all tokens, in order, cover the input exactly
// with no gap or overlap. A token's decoded value (escapes resolved) is there
// for the asking through `tokenValue`.
//
// Preprocessing as the standard does it, but without rewriting the input:
// CR, FF and CR LF each count as one newline, and a zero byte counts as
// U+FFFD (so it is an identifier code point).
//
// A few spans differ from a literal reading of the standard where the
// standard drops input without a token, so that the spans still cover it:
// the white space that `url(` followed by white space and a quote discards
// stays in the whitespace token after the function token. The token kinds and
// order are those of the standard.
//
// Every sheet tokenizes, in time linear in its length; there is no error
// value: bad strings and bad urls are tokens of their own, as in the
// standard, and everything else that the standard calls a parse error yields
// the token the standard gives for it.
//
//   tokenize("a{b:url(x.png)}") ==
//     Ident "a", LeftBrace "{", Ident "b", Colon ":", Url "url(x.png)", RightBrace "}"
#ifndef KESSRUNE_CSS_TOKENIZER_H
#define KESSRUNE_CSS_TOKENIZER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kessrune::css {

enum class TokenKind : std::uint8_t {
    Ident,         // color, --x, \41 b
    Function,      // rgb(   (the span ends with the "(")
    AtKeyword,     // @media
    Hash,          // #fff, #main
    String,        // "a", 'b'
    BadString,     // "a   (a newline ends it; the newline is not part of it)
    Url,           // url(a.png)   (unquoted; quoted forms are Function "url(" + String)
    BadUrl,        // url(a b)
    Delim,         // any other single byte: . > + ~ * ! & ...
    Number,        // 12, -.5e3
    Percentage,    // 50%
    Dimension,     // 12px, 1e3em
    Whitespace,    // a run of spaces, tabs and newlines
    Cdo,           // <!--
    Cdc,           // -->
    Colon,         // :
    Semicolon,     // ;
    Comma,         // ,
    LeftBracket,   // [
    RightBracket,  // ]
    LeftParen,     // (
    RightParen,    // )
    LeftBrace,     // {
    RightBrace,    // }
    Comment,       // /* ... */ (or "/*" to the end of the sheet)
};

struct Token {
    TokenKind kind = TokenKind::Delim;
    // Hash: the name would start an identifier (the standard's type "id",
    // which an id selector needs); false means "unrestricted" (#1a).
    bool idHash = false;
    // Number and Dimension: the standard's type flag "integer" (no "." and
    // no exponent).
    bool integer = false;
    // A space written straight after the token would become part of it: the
    // token runs to the end of the sheet unterminated (a string, url, bad url
    // or comment), or it ends with an escape that would take a following
    // white-space code point ("\41" or a "\" that ends the sheet). Always
    // false for whitespace tokens, which any white space joins anyway. (A
    // token that ends with a lone CR, which an escape took, would also take
    // a LF written after it, since CR LF counts as one newline.)
    bool openEnd = false;
    std::size_t offset = 0;  // first byte in the sheet
    std::size_t length = 0;  // never 0
};

// The text of a token: its span of the sheet it was read from.
inline std::string_view tokenText(std::string_view sheet, const Token& token) {
    return sheet.substr(token.offset, token.length);
}

// Reads tokens one at a time, so that a caller need not keep them all.
//   Tokenizer tokens(sheet); Token t; while (tokens.next(t)) use(t);
class Tokenizer {
  public:
    explicit Tokenizer(std::string_view sheet) : sheet_(sheet) {}

    // Writes the next token into `token` and returns true, or returns false
    // (leaving `token` alone) once the sheet is used up.
    bool next(Token& token);

  private:
    std::string_view sheet_;
    std::size_t position_ = 0;
};

// All tokens of `sheet`, in order; none for an empty sheet.
std::vector<Token> tokenize(std::string_view sheet);

// The decoded value of a token of `sheet`, escapes resolved (an escape of
// zero, a surrogate or a number past U+10FFFF gives U+FFFD, as does a zero
// byte), encoded as UTF-8:
//   Ident: the name                       \41 b     -> "Ab"
//   Function: the name without "("        rgb(      -> "rgb"
//   AtKeyword: the name without "@"       @media    -> "media"
//   Hash: the name without "#"            #f00      -> "f00"
//   String: without the quotes; an escaped newline is dropped
//                                         "a\"b"    -> a"b
//   Url: what is between "url(" and ")", white space around it dropped
//                                         url( a.png ) -> "a.png"
//   Dimension: the unit                   12px      -> "px"
// Every other kind gives its text unchanged.
std::string tokenValue(std::string_view sheet, const Token& token);

}  // namespace kessrune::css

#endif  // KESSRUNE_CSS_TOKENIZER_H
