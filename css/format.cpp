#include "css/format.h"

#include <vector>

#include "css/tokenizer.h"

namespace kessrune::css {
namespace {

constexpr std::size_t kIndentWidth = 4;
constexpr std::size_t kDeepestIndent = 16;

bool opensSimpleBlock(TokenKind kind) {
    return kind == TokenKind::LeftParen || kind == TokenKind::Function ||
           kind == TokenKind::LeftBracket || kind == TokenKind::LeftBrace;
}

TokenKind closerOf(TokenKind kind) {
    if (kind == TokenKind::LeftBracket)
        return TokenKind::RightBracket;
    if (kind == TokenKind::LeftBrace)
        return TokenKind::RightBrace;
    return TokenKind::RightParen;
}

bool isBlank(TokenKind kind) {
    return kind == TokenKind::Whitespace || kind == TokenKind::Comment;
}

bool startsWithDashes(std::string_view sheet, const Token& t) {
    return tokenText(sheet, t).substr(0, 2) == "--";
}

// The output, and what may follow the token last written.
class Writer {
  public:
    enum class Gap { None, Space, Line };

    Writer(std::string_view sheet, std::size_t capacity) : sheet_(sheet) { out_.reserve(capacity); }

    void token(const Token& t) {
        out_.append(sheet_.data() + t.offset, t.length);
        open_ = t.openEnd;
        // A bad string and a "\" before a newline are what they are only
        // because a newline follows them; a space there would join them to
        // the next token.
        newline_ = t.kind == TokenKind::BadString ||
                   (t.kind == TokenKind::Delim && sheet_[t.offset] == '\\');
    }

    // The ";" that ends a block's last declaration when the sheet has none.
    void semicolon() {
        out_ += ';';
        open_ = false;
        newline_ = false;
    }

    // White space before the next token: none, one space, or a new line
    // indented for `depth`.
    void gap(Gap gap, std::size_t depth = 0) {
        if (open_)
            return;  // any white space would become part of the last token
        if (newline_) {
            newline_ = false;
            lineBreak();
            if (gap == Gap::Line)
                indent(depth);
            return;
        }
        if (gap == Gap::Space) {
            out_ += ' ';
        } else if (gap == Gap::Line && !out_.empty()) {
            lineBreak();
            indent(depth);
        }
    }

    std::string finish() {
        if (!out_.empty() && !open_)
            lineBreak();
        return std::move(out_);
    }

  private:
    // A token can end with a lone CR that an escape took ("\41" CR); a LF
    // straight after it would make CR LF, one newline, which the escape
    // would then take whole.
    void lineBreak() {
        if (out_.back() == '\r')
            out_ += '\r';
        out_ += '\n';
    }

    void indent(std::size_t depth) {
        out_.append((depth < kDeepestIndent ? depth : kDeepestIndent) * kIndentWidth, ' ');
    }

    std::string_view sheet_;
    std::string out_;
    bool open_ = false;
    bool newline_ = false;
};

// Reads the sheet one item at a time: the tokens up to the next structural
// "{", "}" or ";" are kept until that token tells what they were (a rule's
// prelude, a declaration or another statement), then written.
class Formatter {
  public:
    explicit Formatter(std::string_view sheet)
        : sheet_(sheet), tokens_(sheet), out_(sheet, sheet.size() + sheet.size() / 2 + 16) {}

    std::string run() {
        Token t;
        while (tokens_.next(t)) {
            switch (t.kind) {
                case TokenKind::Whitespace:
                    break;
                case TokenKind::Comment:
                    out_.gap(Writer::Gap::Line, depth_);
                    out_.token(t);
                    break;
                case TokenKind::Semicolon:  // an empty statement stays with what came before
                    out_.gap(Writer::Gap::None);
                    out_.token(t);
                    break;
                case TokenKind::RightBrace:
                    if (depth_ > 0) {
                        closeBlock(t);
                        break;
                    }
                    [[fallthrough]];
                default:
                    item(t);
                    break;
            }
        }
        return out_.finish();
    }

  private:
    using Gap = Writer::Gap;

    void item(Token t) {
        item_.clear();
        closers_.clear();
        int custom = -1;  // not yet known
        for (;;) {
            if (closers_.empty()) {
                if (t.kind == TokenKind::Semicolon) {
                    writeStatement();
                    out_.gap(Gap::None);
                    out_.token(t);
                    return;
                }
                if (t.kind == TokenKind::RightBrace && depth_ > 0) {
                    if (writeStatement())
                        out_.semicolon();
                    closeBlock(t);
                    return;
                }
                if (t.kind == TokenKind::LeftBrace) {
                    if (custom < 0)
                        custom = customProperty() ? 1 : 0;
                    if (custom == 0) {
                        openBlock(t);
                        return;
                    }
                }
            }
            if (!closers_.empty() && t.kind == closers_.back())
                closers_.pop_back();
            else if (opensSimpleBlock(t.kind))
                closers_.push_back(closerOf(t.kind));
            item_.push_back(t);
            if (!tokens_.next(t)) {
                writeStatement();
                return;
            }
        }
    }

    // The index of the token after the first one that is neither white
    // space nor a comment, from `from`; item_.size() when there is none.
    std::size_t nextSolid(std::size_t from) const {
        while (from < item_.size() && isBlank(item_[from].kind))
            ++from;
        return from;
    }

    // The index of a declaration's colon, or 0 when the item is no
    // declaration (its first token is the name, so a colon is never first).
    std::size_t declarationColon() const {
        if (depth_ == 0 || item_.empty() || item_[0].kind != TokenKind::Ident)
            return 0;
        const std::size_t colon = nextSolid(1);
        return colon < item_.size() && item_[colon].kind == TokenKind::Colon ? colon : 0;
    }

    bool customProperty() const {
        return declarationColon() != 0 && startsWithDashes(sheet_, item_[0]);
    }

    // item_[from, to): each run of white space as one space.
    void writeRun(std::size_t from, std::size_t to) {
        bool space = false;
        for (std::size_t i = from; i < to; ++i) {
            const Token& t = item_[i];
            if (t.kind == TokenKind::Whitespace) {
                space = true;
                continue;
            }
            out_.gap(space ? Gap::Space : Gap::None);
            out_.token(t);
            space = false;
        }
    }

    std::size_t trimmedEnd() const {
        std::size_t end = item_.size();
        while (end > 0 && item_[end - 1].kind == TokenKind::Whitespace)
            --end;
        return end;
    }

    // Writes the item as a line of its own; true when it is a declaration.
    bool writeStatement() {
        out_.gap(Gap::Line, depth_);
        const std::size_t end = trimmedEnd();
        const std::size_t colon = declarationColon();
        if (colon == 0) {
            writeRun(0, end);
            return false;
        }
        for (std::size_t i = 0; i < colon; ++i) {
            if (item_[i].kind != TokenKind::Whitespace) {
                out_.gap(Gap::None);
                out_.token(item_[i]);
            }
        }
        out_.gap(Gap::None);
        out_.token(item_[colon]);
        out_.gap(Gap::Space);
        std::size_t value = colon + 1;
        while (value < end && item_[value].kind == TokenKind::Whitespace)
            ++value;
        writeRun(value, end);
        out_.gap(Gap::None);
        return true;
    }

    void openBlock(const Token& brace) {
        out_.gap(Gap::Line, depth_);
        const std::size_t end = trimmedEnd();
        writeRun(0, end);
        out_.gap(end > 0 ? Gap::Space : Gap::None);
        out_.token(brace);
        ++depth_;
    }

    void closeBlock(const Token& brace) {
        --depth_;
        out_.gap(Gap::Line, depth_);
        out_.token(brace);
    }

    std::string_view sheet_;
    Tokenizer tokens_;
    Writer out_;
    std::size_t depth_ = 0;           // rules' blocks open
    std::vector<Token> item_;         // the item read so far
    std::vector<TokenKind> closers_;  // closing tokens of the item's open simple blocks
};

// ---------------------------------------------------------------------------
// The sameness, read off a whole token list at once and on its own terms, so
// that it checks the formatter rather than repeats it.

enum class Role : unsigned char { Plain, Structural, DeclarationColon };

struct Marked {
    std::vector<Token> tokens;
    std::vector<Role> roles;
};

Marked markStructure(std::string_view sheet) {
    Marked m{tokenize(sheet), {}};
    const std::vector<Token>& t = m.tokens;
    m.roles.assign(t.size(), Role::Plain);

    enum class Item { Start, AfterName, AfterColon, Other };
    Item item = Item::Start;
    std::size_t colon = 0;
    bool custom = false;
    std::size_t blocks = 0;
    std::vector<TokenKind> simple;
    auto endItem = [&](bool declaration) {
        if (declaration && item == Item::AfterColon)
            m.roles[colon] = Role::DeclarationColon;
        item = Item::Start;
        custom = false;
    };

    for (std::size_t i = 0; i < t.size(); ++i) {
        const TokenKind k = t[i].kind;
        if (!simple.empty()) {
            if (k == simple.back())
                simple.pop_back();
            else if (opensSimpleBlock(k))
                simple.push_back(closerOf(k));
            continue;
        }
        if (isBlank(k))
            continue;
        if (k == TokenKind::Semicolon || (k == TokenKind::RightBrace && blocks > 0)) {
            m.roles[i] = Role::Structural;
            endItem(true);
            if (k == TokenKind::RightBrace)
                --blocks;
            continue;
        }
        if (k == TokenKind::LeftBrace && !custom) {
            m.roles[i] = Role::Structural;
            endItem(false);
            ++blocks;
            continue;
        }
        if (item == Item::Start) {
            item = blocks > 0 && k == TokenKind::Ident ? Item::AfterName : Item::Other;
            colon = i;  // the name, until the colon is seen
        } else if (item == Item::AfterName) {
            if (k == TokenKind::Colon) {
                custom = startsWithDashes(sheet, t[colon]);
                colon = i;
                item = Item::AfterColon;
            } else {
                item = Item::Other;
            }
        }
        if (opensSimpleBlock(k))
            simple.push_back(closerOf(k));
    }
    endItem(true);
    return m;
}

// The tokens that count, per the two removals of sameSheet.
std::vector<Token> significantTokens(std::string_view sheet) {
    const Marked m = markStructure(sheet);
    const std::size_t n = m.tokens.size();
    // For each token: whether the nearest solid token after it is an anchor
    // of insignificant white space (or the end), and whether it is a
    // structural "}".
    std::vector<unsigned char> anchorAfter(n + 1, 1), braceAfter(n + 1, 0);
    for (std::size_t i = n; i-- > 0;) {
        const Token& t = m.tokens[i];
        if (isBlank(t.kind)) {
            anchorAfter[i] = anchorAfter[i + 1];
            braceAfter[i] = braceAfter[i + 1];
        } else {
            anchorAfter[i] = m.roles[i] != Role::Plain;
            braceAfter[i] = m.roles[i] == Role::Structural && t.kind == TokenKind::RightBrace;
        }
    }
    std::vector<Token> kept;
    kept.reserve(n);
    bool anchorBefore = true;  // the start of the sheet
    for (std::size_t i = 0; i < n; ++i) {
        const Token& t = m.tokens[i];
        if (t.kind == TokenKind::Whitespace) {
            if (!anchorBefore && !anchorAfter[i + 1])
                kept.push_back(t);
            continue;
        }
        if (t.kind == TokenKind::Comment) {
            kept.push_back(t);
            continue;
        }
        anchorBefore = m.roles[i] != Role::Plain;
        if (t.kind == TokenKind::Semicolon && m.roles[i] == Role::Structural && braceAfter[i + 1])
            continue;
        kept.push_back(t);
    }
    return kept;
}

}  // namespace

std::string formatSheet(std::string_view sheet) {
    return Formatter(sheet).run();
}

std::optional<std::pair<std::size_t, std::size_t>> firstDifference(std::string_view a,
                                                                   std::string_view b) {
    const std::vector<Token> x = significantTokens(a);
    const std::vector<Token> y = significantTokens(b);
    std::size_t i = 0;
    for (; i < x.size() && i < y.size(); ++i) {
        if (x[i].kind != y[i].kind)
            break;
        if (x[i].kind != TokenKind::Whitespace && tokenText(a, x[i]) != tokenText(b, y[i]))
            break;
    }
    if (i == x.size() && i == y.size())
        return std::nullopt;
    return std::make_pair(i < x.size() ? x[i].offset : a.size(),
                          i < y.size() ? y[i].offset : b.size());
}

bool sameSheet(std::string_view a, std::string_view b) {
    return !firstDifference(a, b).has_value();
}

}  // namespace kessrune::css
