#include "css/format.h"

#include <array>
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

// Finds where an item ends: at the first ";", at a "}" inside a rule's
// block, or at a "{" (one that a custom property's value holds opens a
// simple block instead), each only outside the simple blocks the item opens.
class ItemEnd {
  public:
    void start(bool custom) {
        custom_ = custom;
        closers_.clear();
    }

    // Whether `t` ends the item (it is then no part of it); otherwise takes
    // it in.
    bool at(const Token& t, std::size_t depth) {
        if (closers_.empty() &&
            (t.kind == TokenKind::Semicolon || (t.kind == TokenKind::RightBrace && depth > 0) ||
             (t.kind == TokenKind::LeftBrace && !custom_)))
            return true;
        if (!closers_.empty() && t.kind == closers_.back())
            closers_.pop_back();
        else if (opensSimpleBlock(t.kind))
            closers_.push_back(closerOf(t.kind));
        return false;
    }

  private:
    bool custom_ = false;
    std::vector<TokenKind> closers_;  // closing tokens of the open simple blocks
};

// Writes the sheet one item at a time, as it reads it. What an item is (a
// rule's prelude, a declaration or another statement) shows at its first
// tokens, except for an item that starts "name:" in a rule's block: it is a
// nested rule ("a:hover{") when it ends at "{", which a look ahead on a copy
// of the tokenizer finds. The look ahead keeps the first few tokens it reads
// for the writing to take, so that a declaration of usual length is read
// once, and a long one is read at most twice, without being kept whole.
class Formatter {
  public:
    explicit Formatter(std::string_view sheet)
        : sheet_(sheet), tokens_(sheet), out_(sheet, sheet.size() + sheet.size() / 2 + 16) {}

    std::string run() {
        Token t;
        while (next(t)) {
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
    enum class Shape { Statement, Declaration, CustomProperty };

    // `first` is neither white space nor a comment.
    void item(const Token& first) {
        const Shape shape = shapeOf(first);
        const bool declaration = shape != Shape::Statement;
        end_.start(shape == Shape::CustomProperty);
        out_.gap(Gap::Line, depth_);
        Token end;
        const bool ended = declaration ? writeDeclaration(first, end) : writeRun(first, end);
        if (declaration)
            out_.gap(Gap::None);
        if (!ended)
            return;  // the sheet ends inside the item
        if (end.kind == TokenKind::Semicolon) {
            out_.gap(Gap::None);
            out_.token(end);
        } else if (end.kind == TokenKind::RightBrace) {
            if (declaration)
                out_.semicolon();
            closeBlock(end);
        } else {
            out_.gap(first.kind == TokenKind::LeftBrace ? Gap::None : Gap::Space);
            out_.token(end);
            ++depth_;
        }
    }

    // A declaration is an ident and a colon, white space and comments
    // aside, in a rule's block, that does not end at a "{" unless its name
    // starts with "--".
    Shape shapeOf(const Token& first) {
        if (depth_ == 0 || first.kind != TokenKind::Ident)
            return Shape::Statement;
        Tokenizer ahead = tokens_;
        Token t;
        while (lookAhead(ahead, t) && isBlank(t.kind)) {
        }
        if (t.kind != TokenKind::Colon)
            return Shape::Statement;  // also when the sheet ends first
        if (startsWithDashes(sheet_, first))
            return Shape::CustomProperty;
        ahead_.start(false);
        while (lookAhead(ahead, t)) {
            if (ahead_.at(t, depth_))
                return t.kind == TokenKind::LeftBrace ? Shape::Statement : Shape::Declaration;
        }
        return Shape::Declaration;
    }

    // The item's tokens from `t` on, each run of white space as one space
    // and none at the end. False when the sheet ends first; otherwise true,
    // with `end` the token that ends the item, not written.
    bool writeRun(Token t, Token& end) {
        bool space = false;
        do {
            if (end_.at(t, depth_)) {
                end = t;
                return true;
            }
            if (t.kind == TokenKind::Whitespace) {
                space = true;
                continue;
            }
            out_.gap(space ? Gap::Space : Gap::None);
            out_.token(t);
            space = false;
        } while (next(t));
        return false;
    }

    // "name: value", the white space around the colon dropped and one space
    // written after it; comments before the colon stay.
    bool writeDeclaration(const Token& name, Token& end) {
        out_.gap(Gap::None);
        out_.token(name);
        Token t;
        while (next(t) && t.kind != TokenKind::Colon) {
            if (t.kind == TokenKind::Comment) {
                out_.gap(Gap::None);
                out_.token(t);
            }
        }
        out_.gap(Gap::None);
        out_.token(t);
        out_.gap(Gap::Space);
        do {
            if (!next(t))
                return false;
        } while (t.kind == TokenKind::Whitespace);
        return writeRun(t, end);
    }

    void closeBlock(const Token& brace) {
        --depth_;
        out_.gap(Gap::Line, depth_);
        out_.token(brace);
    }

    // The next token to write: one the look ahead kept, or a new one.
    bool next(Token& t) {
        if (seenNext_ == seenCount_)
            return tokens_.next(t);
        t = seen_[seenNext_++];
        if (seenNext_ == seenCount_) {
            tokens_ = afterSeen_;
            seenNext_ = seenCount_ = 0;
        }
        return true;
    }

    // The next token of a look ahead from where the writing is (nothing
    // kept is left to write then), kept while there is room.
    bool lookAhead(Tokenizer& ahead, Token& t) {
        if (!ahead.next(t))
            return false;
        if (seenCount_ < seen_.size()) {
            seen_[seenCount_++] = t;
            afterSeen_ = ahead;
        }
        return true;
    }

    std::string_view sheet_;
    Tokenizer tokens_;
    Writer out_;
    std::size_t depth_ = 0;  // rules' blocks open
    ItemEnd end_;            // the end of the item being written
    ItemEnd ahead_;          // the end of the item a look ahead reads
    std::array<Token, 64> seen_;
    std::size_t seenCount_ = 0;  // tokens in seen_
    std::size_t seenNext_ = 0;   // the next one to write
    Tokenizer afterSeen_{{}};    // where reading goes on after them
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
