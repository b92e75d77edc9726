#include "css/tokenizer.h"

#include <array>

namespace kessrune::css {
namespace {

// Byte classes. Bytes 0x80-0xFF stand for the non-ASCII code points they are
// part of, and the zero byte for the U+FFFD that preprocessing makes of it.
enum : std::uint8_t {
    kNameStart = 1,
    kName = 2,
    kDigit = 4,
    kHex = 8,
    kSpace = 16,
    kNewline = 32,
    kNonPrintable = 64,
};

constexpr std::array<std::uint8_t, 256> makeClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int b = 0; b < 256; ++b) {
        std::uint8_t c = 0;
        const bool letter = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
        if (letter || b == '_' || b >= 0x80 || b == 0)
            c |= kNameStart | kName;
        if (b >= '0' && b <= '9')
            c |= kDigit | kHex | kName;
        if (b == '-')
            c |= kName;
        if ((b >= 'a' && b <= 'f') || (b >= 'A' && b <= 'F'))
            c |= kHex;
        if (b == ' ' || b == '\t' || b == '\n' || b == '\r' || b == '\f')
            c |= kSpace;
        if (b == '\n' || b == '\r' || b == '\f')
            c |= kNewline;
        if ((b >= 1 && b <= 8) || b == 0x0b || (b >= 0x0e && b <= 0x1f) || b == 0x7f)
            c |= kNonPrintable;
        classes[static_cast<std::size_t>(b)] = c;
    }
    return classes;
}
constexpr std::array<std::uint8_t, 256> kClasses = makeClasses();

constexpr std::uint32_t kReplacement = 0xFFFD;

int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The checks and consumers of the standard's section 4.3, each on a position
// of the sheet. Positions past the end read as end of input.
class Scanner {
  public:
    explicit Scanner(std::string_view s)
        : p_(reinterpret_cast<const unsigned char*>(s.data())), n_(s.size()) {}

    std::size_t size() const { return n_; }
    int at(std::size_t i) const { return i < n_ ? p_[i] : -1; }
    bool is(std::size_t i, std::uint8_t cls) const { return i < n_ && (kClasses[p_[i]] & cls); }

    // After a newline at i: CR LF is one newline.
    std::size_t afterNewline(std::size_t i) const {
        return p_[i] == '\r' && at(i + 1) == '\n' ? i + 2 : i + 1;
    }

    // "Check if two code points are a valid escape": a "\" not followed by a
    // newline (one that ends the sheet is valid and stands for U+FFFD).
    bool validEscape(std::size_t i) const { return at(i) == '\\' && !is(i + 1, kNewline); }

    // "Check if three code points would start an ident sequence".
    bool startsIdent(std::size_t i) const {
        const int c = at(i);
        if (c == '-')
            return is(i + 1, kNameStart) || at(i + 1) == '-' || validEscape(i + 1);
        if (c == '\\')
            return validEscape(i);
        return is(i, kNameStart);
    }

    // "Check if three code points would start a number".
    bool startsNumber(std::size_t i) const {
        const int c = at(i);
        if (c == '+' || c == '-') {
            if (is(i + 1, kDigit))
                return true;
            return at(i + 1) == '.' && is(i + 2, kDigit);
        }
        if (c == '.')
            return is(i + 1, kDigit);
        return is(i, kDigit);
    }

    // "Consume an escaped code point", from just after the "\". `open` tells
    // whether a white-space code point written next would still belong to
    // the escape. `value` (when given) gets the code point.
    std::size_t escape(std::size_t i, bool& open, std::uint32_t* value = nullptr) const {
        if (i >= n_) {
            open = true;
            if (value)
                *value = kReplacement;
            return i;
        }
        if (!is(i, kHex)) {
            open = false;
            if (value)
                *value = p_[i] == 0 ? kReplacement : p_[i];
            return i + 1;
        }
        std::uint32_t cp = 0;
        const std::size_t end = i + 6 < n_ ? i + 6 : n_;
        while (i < end && is(i, kHex))
            cp = cp * 16 + static_cast<std::uint32_t>(hexValue(p_[i++]));
        if (is(i, kSpace)) {
            i = afterNewline(i);  // one white-space code point; CR LF counts as one
            open = false;
        } else {
            open = true;
        }
        if (value)
            *value =
                (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) ? kReplacement : cp;
        return i;
    }

    // "Consume an ident sequence".
    std::size_t identSequence(std::size_t i, bool& open) const {
        for (;;) {
            if (is(i, kName)) {
                ++i;
                while (i < n_ && (kClasses[p_[i]] & kName))
                    ++i;
                open = false;
            } else if (validEscape(i)) {
                i = escape(i + 1, open);
            } else {
                return i;
            }
        }
    }

    // "Consume a number".
    std::size_t number(std::size_t i, bool& integer) const {
        integer = true;
        if (at(i) == '+' || at(i) == '-')
            ++i;
        while (is(i, kDigit))
            ++i;
        if (at(i) == '.' && is(i + 1, kDigit)) {
            integer = false;
            i += 2;
            while (is(i, kDigit))
                ++i;
        }
        if (at(i) == 'e' || at(i) == 'E') {
            std::size_t j = i + 1;
            if (at(j) == '+' || at(j) == '-')
                ++j;
            if (is(j, kDigit)) {
                integer = false;
                i = j + 1;
                while (is(i, kDigit))
                    ++i;
            }
        }
        return i;
    }

    Token read(std::size_t i) const;

    // Whether the ident sequence [from, to) names "url" (ASCII case ignored,
    // escapes resolved).
    bool namesUrl(std::size_t from, std::size_t to) const;

    // Appends the decoded code points of the ident sequence [from, to).
    void decodeName(std::string& out, std::size_t from, std::size_t to) const;

    // Appends the code point of the escape whose "\" is at i; returns the
    // position after it. An escaped byte 0x80-0xFF is copied as it is: it
    // starts a UTF-8 sequence whose other bytes follow as plain bytes.
    std::size_t appendEscape(std::string& out, std::size_t i) const {
        if (i + 1 < n_ && p_[i + 1] >= 0x80) {
            out += static_cast<char>(p_[i + 1]);
            return i + 2;
        }
        bool open = false;
        std::uint32_t cp = 0;
        const std::size_t next = escape(i + 1, open, &cp);
        appendUtf8(out, cp);
        return next;
    }

  private:
    Token make(TokenKind kind, std::size_t from, std::size_t to) const {
        Token t;
        t.kind = kind;
        t.offset = from;
        t.length = to - from;
        return t;
    }
    Token numeric(std::size_t i) const;
    Token identLike(std::size_t i) const;
    Token url(std::size_t start, std::size_t i) const;
    Token badUrl(std::size_t start, std::size_t i) const;
    Token string(std::size_t i) const;

    const unsigned char* p_;
    std::size_t n_;
};

Token Scanner::numeric(std::size_t i) const {
    const std::size_t start = i;
    bool integer = true;
    i = number(i, integer);
    Token t;
    if (startsIdent(i)) {
        bool open = false;
        i = identSequence(i, open);
        t = make(TokenKind::Dimension, start, i);
        t.openEnd = open;
    } else if (at(i) == '%') {
        t = make(TokenKind::Percentage, start, i + 1);
    } else {
        t = make(TokenKind::Number, start, i);
    }
    t.integer = integer;
    return t;
}

bool Scanner::namesUrl(std::size_t from, std::size_t to) const {
    auto isUrl = [](std::string_view name) {
        if (name.size() != 3)
            return false;
        return (name[0] | 0x20) == 'u' && (name[1] | 0x20) == 'r' && (name[2] | 0x20) == 'l';
    };
    const std::string_view raw(reinterpret_cast<const char*>(p_) + from, to - from);
    if (raw.size() == 3)
        return isUrl(raw);
    // Three escaped code points take at most 3 * 8 bytes ("\00006c" and CR LF).
    if (raw.size() > 24 || raw.find('\\') == std::string_view::npos)
        return false;
    std::string name;
    decodeName(name, from, to);
    return isUrl(name);
}

void Scanner::decodeName(std::string& out, std::size_t from, std::size_t to) const {
    std::size_t i = from;
    while (i < to) {
        if (p_[i] == '\\') {
            i = appendEscape(out, i);
        } else if (p_[i] == 0) {
            appendUtf8(out, kReplacement);
            ++i;
        } else {
            out += static_cast<char>(p_[i++]);
        }
    }
}

Token Scanner::identLike(std::size_t i) const {
    const std::size_t start = i;
    bool open = false;
    i = identSequence(i, open);
    if (at(i) != '(') {
        Token t = make(TokenKind::Ident, start, i);
        t.openEnd = open;
        return t;
    }
    if (namesUrl(start, i)) {
        // "url(" then at most one white-space code point before a quote makes
        // a function token; the white space stays for the next token.
        std::size_t j = i + 1;
        while (is(j, kSpace) && is(j + 1, kSpace))
            ++j;
        const int c = at(j);
        const int d = at(j + 1);
        const bool quote = c == '"' || c == '\'' || (is(j, kSpace) && (d == '"' || d == '\''));
        if (!quote)
            return url(start, i + 1);
    }
    return make(TokenKind::Function, start, i + 1);
}

// "Consume a url token", from just after "url(".
Token Scanner::url(std::size_t start, std::size_t i) const {
    while (is(i, kSpace))
        ++i;
    for (;;) {
        if (i >= n_) {
            Token t = make(TokenKind::Url, start, i);
            t.openEnd = true;
            return t;
        }
        // The bytes that need no attention, at one test each.
        while (i < n_) {
            const unsigned char c = p_[i];
            if (c == ')' || c == '"' || c == '\'' || c == '(' || c == '\\' ||
                (kClasses[c] & (kSpace | kNonPrintable)))
                break;
            ++i;
        }
        if (i >= n_)
            continue;
        const unsigned char c = p_[i];
        if (c == ')')
            return make(TokenKind::Url, start, i + 1);
        if (kClasses[c] & kSpace) {
            while (is(i, kSpace))
                ++i;
            if (i >= n_) {
                Token t = make(TokenKind::Url, start, i);
                t.openEnd = true;
                return t;
            }
            if (p_[i] == ')')
                return make(TokenKind::Url, start, i + 1);
            return badUrl(start, i);
        }
        if (c == '\\') {
            if (!validEscape(i))
                return badUrl(start, i + 1);
            bool open = false;
            i = escape(i + 1, open);
            continue;
        }
        return badUrl(start, i + 1);  // a quote, "(" or a non-printable code point
    }
}

// "Consume the remnants of a bad url": to the next ")" that no escape takes.
Token Scanner::badUrl(std::size_t start, std::size_t i) const {
    while (i < n_) {
        if (p_[i] == ')')
            return make(TokenKind::BadUrl, start, i + 1);
        if (validEscape(i)) {
            bool open = false;
            i = escape(i + 1, open);
        } else {
            ++i;
        }
    }
    Token t = make(TokenKind::BadUrl, start, i);
    t.openEnd = true;
    return t;
}

// "Consume a string token", from the opening quote.
Token Scanner::string(std::size_t i) const {
    const std::size_t start = i;
    const unsigned char quote = p_[i++];
    for (;;) {
        while (i < n_) {
            const unsigned char c = p_[i];
            if (c == quote || c == '\\' || (kClasses[c] & kNewline))
                break;
            ++i;
        }
        if (i >= n_) {
            Token t = make(TokenKind::String, start, i);
            t.openEnd = true;
            return t;
        }
        const unsigned char c = p_[i];
        if (c == quote)
            return make(TokenKind::String, start, i + 1);
        if (c != '\\')
            return make(TokenKind::BadString, start, i);  // the newline is left for the next token
        if (i + 1 >= n_) {
            ++i;  // a "\" that ends the sheet adds nothing
        } else if (is(i + 1, kNewline)) {
            i = afterNewline(i + 1);  // an escaped newline continues the string
        } else {
            bool open = false;
            i = escape(i + 1, open);
        }
    }
}

Token Scanner::read(std::size_t i) const {
    const unsigned char c = p_[i];
    switch (c) {
        case ' ':
        case '\t':
        case '\n':
        case '\r':
        case '\f': {
            std::size_t j = i + 1;
            while (j < n_ && (kClasses[p_[j]] & kSpace))
                ++j;
            return make(TokenKind::Whitespace, i, j);
        }
        case '"':
        case '\'':
            return string(i);
        case '#':
            if (is(i + 1, kName) || validEscape(i + 1)) {
                bool open = false;
                Token t = make(TokenKind::Hash, i, identSequence(i + 1, open));
                t.idHash = startsIdent(i + 1);
                t.openEnd = open;
                return t;
            }
            return make(TokenKind::Delim, i, i + 1);
        case '(':
            return make(TokenKind::LeftParen, i, i + 1);
        case ')':
            return make(TokenKind::RightParen, i, i + 1);
        case '+':
        case '.':
            if (startsNumber(i))
                return numeric(i);
            return make(TokenKind::Delim, i, i + 1);
        case ',':
            return make(TokenKind::Comma, i, i + 1);
        case '-':
            if (startsNumber(i))
                return numeric(i);
            if (at(i + 1) == '-' && at(i + 2) == '>')
                return make(TokenKind::Cdc, i, i + 3);
            if (startsIdent(i))
                return identLike(i);
            return make(TokenKind::Delim, i, i + 1);
        case '/':
            if (at(i + 1) == '*') {
                const std::string_view rest(reinterpret_cast<const char*>(p_) + i + 2, n_ - i - 2);
                const std::size_t close = rest.find("*/");
                if (close == std::string_view::npos) {
                    Token t = make(TokenKind::Comment, i, n_);
                    t.openEnd = true;
                    return t;
                }
                return make(TokenKind::Comment, i, i + 2 + close + 2);
            }
            return make(TokenKind::Delim, i, i + 1);
        case ':':
            return make(TokenKind::Colon, i, i + 1);
        case ';':
            return make(TokenKind::Semicolon, i, i + 1);
        case '<':
            if (at(i + 1) == '!' && at(i + 2) == '-' && at(i + 3) == '-')
                return make(TokenKind::Cdo, i, i + 4);
            return make(TokenKind::Delim, i, i + 1);
        case '@':
            if (startsIdent(i + 1)) {
                bool open = false;
                Token t = make(TokenKind::AtKeyword, i, identSequence(i + 1, open));
                t.openEnd = open;
                return t;
            }
            return make(TokenKind::Delim, i, i + 1);
        case '[':
            return make(TokenKind::LeftBracket, i, i + 1);
        case '\\':
            if (validEscape(i))
                return identLike(i);
            return make(TokenKind::Delim, i, i + 1);  // "\" before a newline
        case ']':
            return make(TokenKind::RightBracket, i, i + 1);
        case '{':
            return make(TokenKind::LeftBrace, i, i + 1);
        case '}':
            return make(TokenKind::RightBrace, i, i + 1);
        default:
            break;
    }
    if (kClasses[c] & kDigit)
        return numeric(i);
    if (kClasses[c] & kNameStart)
        return identLike(i);
    return make(TokenKind::Delim, i, i + 1);
}

// Decodes a string token's contents [from, to).
void decodeString(const Scanner& s, std::string& out, std::string_view sheet, std::size_t from,
                  std::size_t to) {
    std::size_t i = from;
    while (i < to) {
        const int c = s.at(i);
        if (c == '\\') {
            if (i + 1 >= to) {
                ++i;
            } else if (s.is(i + 1, kNewline)) {
                i = s.afterNewline(i + 1);
            } else {
                i = s.appendEscape(out, i);
            }
        } else if (c == 0) {
            appendUtf8(out, kReplacement);
            ++i;
        } else {
            out += sheet[i++];
        }
    }
}

// Decodes a url token's contents [from, to): white space only ever stands
// at either end of a url token, never in its middle.
void decodeUrl(const Scanner& s, std::string& out, std::string_view sheet, std::size_t from,
               std::size_t to) {
    std::size_t i = from;
    while (i < to && s.is(i, kSpace))
        ++i;
    while (i < to) {
        const int c = s.at(i);
        if (s.is(i, kSpace))
            break;
        if (c == '\\') {
            i = s.appendEscape(out, i);
        } else if (c == 0) {
            appendUtf8(out, kReplacement);
            ++i;
        } else {
            out += sheet[i++];
        }
    }
}

}  // namespace

bool Tokenizer::next(Token& token) {
    if (position_ >= sheet_.size())
        return false;
    token = Scanner(sheet_).read(position_);
    position_ = token.offset + token.length;
    return true;
}

std::vector<Token> tokenize(std::string_view sheet) {
    std::vector<Token> tokens;
    tokens.reserve(sheet.size() / 4 + 1);
    Tokenizer tokenizer(sheet);
    Token t;
    while (tokenizer.next(t))
        tokens.push_back(t);
    return tokens;
}

std::string tokenValue(std::string_view sheet, const Token& token) {
    const Scanner s(sheet);
    const std::size_t from = token.offset;
    const std::size_t to = token.offset + token.length;
    std::string out;
    switch (token.kind) {
        case TokenKind::Ident:
            s.decodeName(out, from, to);
            break;
        case TokenKind::Function:
            s.decodeName(out, from, to - 1);
            break;
        case TokenKind::AtKeyword:
        case TokenKind::Hash:
            s.decodeName(out, from + 1, to);
            break;
        case TokenKind::Dimension: {
            bool integer = true;
            s.decodeName(out, s.number(from, integer), to);
            break;
        }
        case TokenKind::String: {
            const bool closed = !token.openEnd && token.length >= 2;
            decodeString(s, out, sheet, from + 1, closed ? to - 1 : to);
            break;
        }
        case TokenKind::Url: {
            const std::size_t open = sheet.find('(', from);
            decodeUrl(s, out, sheet, open + 1, token.openEnd ? to : to - 1);
            break;
        }
        default:
            out.assign(sheet.substr(from, token.length));
            break;
    }
    return out;
}

}  // namespace kessrune::css
