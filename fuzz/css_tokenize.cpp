// The tokenizer on any bytes: the spans cover the input exactly, in order,
// each non-empty; the pulled tokens are tokenize()'s; every value decodes;
// and a token's openEnd says truly whether white space written straight
// after it would become part of it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "css/tokenizer.h"

namespace {

[[noreturn]] void fail(const char* what, std::size_t offset) {
    std::fprintf(stderr, "css tokenizer: %s at byte %zu\n", what, offset);
    std::abort();
}

bool sameToken(const kessrune::css::Token& a, const kessrune::css::Token& b) {
    return a.kind == b.kind && a.offset == b.offset && a.length == b.length &&
           a.idHash == b.idHash && a.integer == b.integer && a.openEnd == b.openEnd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune::css;
    const std::string_view sheet(reinterpret_cast<const char*>(data), size);
    const std::vector<Token> tokens = tokenize(sheet);

    std::size_t end = 0;
    Tokenizer pulled(sheet);
    for (const Token& t : tokens) {
        if (t.offset != end)
            fail("gap or overlap", end);
        if (t.length == 0)
            fail("empty token", end);
        end = t.offset + t.length;
        if (end > size)
            fail("token past the end", t.offset);
        Token p;
        if (!pulled.next(p) || !sameToken(p, t))
            fail("Tokenizer::next differs from tokenize", t.offset);
        (void)tokenValue(sheet, t);
    }
    if (end != size)
        fail("tokens stop short", end);
    Token extra;
    if (pulled.next(extra))
        fail("Tokenizer::next goes on past the end", size);

    // White space after a sample of tokens: the token stays as it was
    // unless openEnd says it would not. A bad string and a "\" token are
    // what they are because a newline follows, so they get one (a form feed,
    // which no CR before it can pair with). White space joins white space.
    const std::size_t step = tokens.size() / 16 + 1;
    for (std::size_t i = 0; i < tokens.size(); i += step) {
        const Token& t = tokens[i];
        if (t.kind == TokenKind::Whitespace)
            continue;
        const bool newline = t.kind == TokenKind::BadString ||
                             (t.kind == TokenKind::Delim && sheet[t.offset] == '\\');
        const std::size_t at = t.offset + t.length;
        const std::string spaced = std::string(sheet.substr(0, at)) + (newline ? "\f" : " ") +
                                   std::string(sheet.substr(at));
        Tokenizer again(spaced);
        Token u;
        for (std::size_t k = 0; k < i; ++k) {
            if (!again.next(u) || !sameToken(u, tokens[k]))
                fail("white space changed an earlier token", tokens[k].offset);
        }
        const bool kept = again.next(u) && sameToken(u, t);
        if (kept == t.openEnd)
            fail(t.openEnd ? "openEnd token kept apart from white space"
                           : "white space joined a token without openEnd",
                 t.offset);
    }
    return 0;
}
