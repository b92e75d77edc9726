#include "css/urls.h"

#include "css/tokenizer.h"

namespace kessrune::css {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string trimmed(std::string value) {
    std::size_t end = value.size();
    while (end > 0 && isSpace(value[end - 1]))
        --end;
    std::size_t begin = 0;
    while (begin < end && isSpace(value[begin]))
        ++begin;
    return value.substr(begin, end - begin);
}

UrlKind kindOf(std::string_view value) {
    if (value.empty())
        return UrlKind::Empty;
    if (value[0] == '#')
        return UrlKind::Fragment;
    if (equalsIgnoringAsciiCase(value.substr(0, 5), "data:"))
        return UrlKind::Data;
    return UrlKind::Address;
}

bool isBlank(TokenKind kind) {
    return kind == TokenKind::Whitespace || kind == TokenKind::Comment;
}

bool opens(TokenKind kind) {
    return kind == TokenKind::LeftParen || kind == TokenKind::Function ||
           kind == TokenKind::LeftBracket || kind == TokenKind::LeftBrace;
}

bool closes(TokenKind kind) {
    return kind == TokenKind::RightParen || kind == TokenKind::RightBracket ||
           kind == TokenKind::RightBrace;
}

}  // namespace

std::vector<SheetUrl> findUrls(std::string_view sheet) {
    std::vector<SheetUrl> urls;
    auto add = [&](std::size_t offset, std::size_t length, std::string value, bool import) {
        SheetUrl url;
        url.offset = offset;
        url.length = length;
        url.value = trimmed(std::move(value));
        url.kind = kindOf(url.value);
        url.import = import;
        urls.push_back(std::move(url));
    };

    // The at-rule whose prelude is being read: what it is, and how deep in
    // parentheses and brackets the prelude is.
    enum class Prelude { None, Import, Namespace, Other };
    Prelude prelude = Prelude::None;
    bool preludeStart = false;  // no solid token of the prelude yet
    std::size_t depth = 0;

    Tokenizer tokens(sheet);
    Token t;
    while (tokens.next(t)) {
        if (prelude != Prelude::None && depth == 0 &&
            (t.kind == TokenKind::Semicolon || t.kind == TokenKind::LeftBrace ||
             t.kind == TokenKind::RightBrace)) {
            prelude = Prelude::None;
            continue;
        }
        if (t.kind == TokenKind::AtKeyword && prelude == Prelude::None) {
            const std::string name = tokenValue(sheet, t);
            prelude = equalsIgnoringAsciiCase(name, "import")      ? Prelude::Import
                      : equalsIgnoringAsciiCase(name, "namespace") ? Prelude::Namespace
                                                                   : Prelude::Other;
            preludeStart = true;
            depth = 0;
            continue;
        }
        const bool first = preludeStart && !isBlank(t.kind);
        if (first)
            preludeStart = false;
        if (prelude != Prelude::None) {
            if (opens(t.kind))
                ++depth;
            else if (closes(t.kind) && depth > 0)
                --depth;
        }
        if (prelude == Prelude::Namespace)
            continue;
        const bool import = prelude == Prelude::Import;

        if (t.kind == TokenKind::Url) {
            add(t.offset, t.length, tokenValue(sheet, t), import);
        } else if (t.kind == TokenKind::String && first && import) {
            add(t.offset, t.length, tokenValue(sheet, t), true);
        } else if (t.kind == TokenKind::Function &&
                   equalsIgnoringAsciiCase(tokenValue(sheet, t), "url")) {
            // url( [blank] string [blank] ) and nothing else. The look ahead
            // reads on a copy, so that a mismatch leaves the tokens to the
            // main walk: each token is read at most twice.
            Tokenizer ahead = tokens;
            Token string, close;
            while (ahead.next(string) && isBlank(string.kind)) {
            }
            if (string.kind != TokenKind::String)
                continue;
            while (ahead.next(close) && isBlank(close.kind)) {
            }
            if (close.kind != TokenKind::RightParen)
                continue;
            add(t.offset, close.offset + 1 - t.offset, tokenValue(sheet, string), import);
            if (prelude != Prelude::None && depth > 0)
                --depth;  // the ")" is passed over with the rest
            tokens = ahead;
        }
    }
    return urls;
}

// ---------------------------------------------------------------------------
// RFC 3986, section 5.2.

namespace {

struct Reference {
    std::optional<std::string_view> scheme, authority, query, fragment;
    std::string_view path;
};

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The five components by the pattern of RFC 3986 appendix B, a scheme only
// when it is one by the grammar (a letter, then letters, digits, "+", "-",
// "."), so that "a b:c" or "1x:y" read as paths.
Reference splitReference(std::string_view s) {
    Reference r;
    const std::size_t colon = s.find_first_of(":/?#");
    if (colon != std::string_view::npos && colon > 0 && s[colon] == ':' && isAlpha(s[0])) {
        bool valid = true;
        for (std::size_t i = 1; i < colon && valid; ++i) {
            const char c = s[i];
            valid = isAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        }
        if (valid) {
            r.scheme = s.substr(0, colon);
            s.remove_prefix(colon + 1);
        }
    }
    if (s.substr(0, 2) == "//") {
        const std::size_t end = s.find_first_of("/?#", 2);
        r.authority = s.substr(2, end == std::string_view::npos ? std::string_view::npos : end - 2);
        s.remove_prefix(end == std::string_view::npos ? s.size() : end);
    }
    const std::size_t hash = s.find('#');
    if (hash != std::string_view::npos) {
        r.fragment = s.substr(hash + 1);
        s = s.substr(0, hash);
    }
    const std::size_t question = s.find('?');
    if (question != std::string_view::npos) {
        r.query = s.substr(question + 1);
        s = s.substr(0, question);
    }
    r.path = s;
    return r;
}

// Section 5.2.4.
std::string removeDotSegments(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    auto dropLastSegment = [&out] {
        const std::size_t slash = out.rfind('/');
        out.resize(slash == std::string::npos ? 0 : slash);
    };
    while (!in.empty()) {
        if (in.substr(0, 3) == "../") {
            in.remove_prefix(3);
        } else if (in.substr(0, 2) == "./") {
            in.remove_prefix(2);
        } else if (in.substr(0, 3) == "/./") {
            in.remove_prefix(2);
        } else if (in == "/.") {
            in = in.substr(0, 1);
        } else if (in.substr(0, 4) == "/../") {
            in.remove_prefix(3);
            dropLastSegment();
        } else if (in == "/..") {
            in = in.substr(0, 1);
            dropLastSegment();
        } else if (in == "." || in == "..") {
            in = {};
        } else {
            const std::size_t end = in.find('/', 1);
            const std::size_t n = end == std::string_view::npos ? in.size() : end;
            out.append(in.substr(0, n));
            in.remove_prefix(n);
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> resolveUrl(std::string_view base, std::string_view reference) {
    const Reference b = splitReference(base);
    if (!b.scheme)
        return std::nullopt;
    const Reference r = splitReference(reference);

    std::optional<std::string_view> scheme = b.scheme, authority, query;
    std::string path;
    if (r.scheme) {
        scheme = r.scheme;
        authority = r.authority;
        path = removeDotSegments(r.path);
        query = r.query;
    } else if (r.authority) {
        authority = r.authority;
        path = removeDotSegments(r.path);
        query = r.query;
    } else {
        authority = b.authority;
        if (r.path.empty()) {
            path = b.path;
            query = r.query ? r.query : b.query;
        } else {
            if (r.path[0] == '/') {
                path = removeDotSegments(r.path);
            } else {
                std::string merged;
                if (b.authority && b.path.empty()) {
                    merged = "/";
                } else {
                    const std::size_t slash = b.path.rfind('/');
                    if (slash != std::string_view::npos)
                        merged = b.path.substr(0, slash + 1);
                }
                merged += r.path;
                path = removeDotSegments(merged);
            }
            query = r.query;
        }
    }

    std::string out;
    out.append(*scheme).append(":");
    if (authority)
        out.append("//").append(*authority);
    out += path;
    if (query)
        out.append("?").append(*query);
    if (r.fragment)
        out.append("#").append(*r.fragment);
    return out;
}

// ---------------------------------------------------------------------------

std::string quotedString(std::string_view address) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(address.size() + 2);
    out += '"';
    for (const char ch : address) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == 0) {
            out += "\\fffd ";  // what a zero byte reads as
        } else if (c < 0x20 || c == 0x7f) {
            // The space ends the escape, so a hex digit may follow.
            out += '\\';
            if (c >= 0x10)
                out += kHex[c >> 4];
            out += kHex[c & 0xf];
            out += ' ';
        } else {
            out += ch;
        }
    }
    out += '"';
    return out;
}

std::string rewriteUrls(
    std::string_view sheet,
    const std::function<std::optional<std::string>(const SheetUrl& url)>& replace) {
    std::string out;
    out.reserve(sheet.size());
    std::size_t copied = 0;
    for (const SheetUrl& url : findUrls(sheet)) {
        const std::optional<std::string> address = replace(url);
        if (!address)
            continue;
        out.append(sheet.substr(copied, url.offset - copied));
        // An @import string stays a string: a url( put there could join the
        // at-keyword before it into one name ("@import\"a\"").
        const bool string = sheet[url.offset] == '"' || sheet[url.offset] == '\'';
        if (string) {
            out += quotedString(*address);
        } else {
            out.append("url(").append(quotedString(*address)).append(")");
        }
        copied = url.offset + url.length;
    }
    out.append(sheet.substr(copied));
    return out;
}

}  // namespace kessrune::css
