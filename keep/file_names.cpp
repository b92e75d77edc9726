#include "keep/file_names.h"

#include "text/ascii.h"

namespace kessrune::keep {
namespace {

bool isPlain(char c) {
    return isAsciiLetter(c) || isAsciiDigit(c) || c == '-' || c == '_' || c == '.' || c == '~';
}

int hexValue(char c) {
    if (isAsciiDigit(c))
        return c - '0';
    return asciiLower(c) - 'a' + 10;
}

std::string percentDecoded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && isAsciiHexDigit(s[i + 1]) &&
            isAsciiHexDigit(s[i + 2])) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The length of the well-formed UTF-8 character at the start of `s` that is
// neither a C1 control nor beyond U+10FFFF; 0 when there is none.
std::size_t utf8CharacterLength(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto trail = [&](std::size_t i) { return i < s.size() && (b(i) & 0xc0) == 0x80; };
    const unsigned char lead = b(0);
    if (lead == 0xc2)
        return trail(1) && b(1) >= 0xa0 ? 2 : 0;  // U+0080-U+009F are controls
    if (lead > 0xc2 && lead < 0xe0)
        return trail(1) ? 2 : 0;
    if (lead >= 0xe0 && lead < 0xf0) {
        if (!trail(1) || !trail(2))
            return 0;
        if (lead == 0xe0 && b(1) < 0xa0)
            return 0;  // over-long
        if (lead == 0xed && b(1) >= 0xa0)
            return 0;  // a surrogate
        return 3;
    }
    if (lead >= 0xf0 && lead < 0xf5) {
        if (!trail(1) || !trail(2) || !trail(3))
            return 0;
        if ((lead == 0xf0 && b(1) < 0x90) || (lead == 0xf4 && b(1) >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

// `segment` with every byte that may not stand in a name made "_", runs of
// dots made one, and dots at either end dropped.
std::string safeName(std::string_view segment) {
    std::string out;
    for (std::size_t i = 0; i < segment.size();) {
        const char c = segment[i];
        if (isPlain(c)) {
            if (c != '.' || out.empty() || out.back() != '.')
                out += c;
            ++i;
        } else if (const std::size_t n = utf8CharacterLength(segment.substr(i)); n > 0) {
            out.append(segment.substr(i, n));
            i += n;
        } else {
            out += '_';
            ++i;
        }
    }
    const std::size_t begin = out.find_first_not_of('.');
    if (begin == std::string::npos)
        return "";
    const std::size_t end = out.find_last_not_of('.');
    return out.substr(begin, end + 1 - begin);
}

bool isExtension(std::string_view s) {
    if (s.empty() || s.size() > 10)
        return false;
    for (const char c : s) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c))
            return false;
    }
    return true;
}

// `name` split before its extension's dot ("" when it has no extension).
std::pair<std::string_view, std::string_view> splitExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || !isExtension(name.substr(dot + 1)))
        return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

// The first `n` bytes of `s`, or fewer so as not to cut a UTF-8 character.
std::string_view cutBetweenCharacters(std::string_view s, std::size_t n) {
    if (s.size() <= n)
        return s;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xc0) == 0x80)
        --n;
    return s.substr(0, n);
}

std::string lowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

}  // namespace

std::string imageFileName(std::string_view address) {
    address = address.substr(0, address.find_first_of("?#"));
    if (const std::size_t scheme = address.find("://"); scheme != std::string_view::npos) {
        const std::size_t path = address.find('/', scheme + 3);
        address = path == std::string_view::npos ? std::string_view() : address.substr(path);
    }
    const std::size_t slash = address.rfind('/');
    const std::string name = safeName(
        percentDecoded(slash == std::string_view::npos ? address : address.substr(slash + 1)));
    auto [stem, extension] = splitExtension(name);
    stem = cutBetweenCharacters(stem, kMaxStemBytes);
    // A cut may leave a dot at the end of the stem ("a." + ".png").
    while (!stem.empty() && stem.back() == '.')
        stem.remove_suffix(1);
    std::string out(stem.empty() ? std::string_view("image") : stem);
    out += extension;
    return out;
}

std::string FileNamer::claim(std::string_view name) {
    if (taken_.insert(lowerCase(name)).second)
        return std::string(name);
    const auto [stem, extension] = splitExtension(name);
    for (int n = 2;; ++n) {
        std::string candidate(stem);
        candidate += '-';
        candidate += std::to_string(n);
        candidate += extension;
        if (taken_.insert(lowerCase(candidate)).second)
            return candidate;
    }
}

std::string relativeUrl(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        if (isPlain(c) || c == '/') {
            out += c;
        } else {
            const auto b = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xf];
        }
    }
    return out;
}

}  // namespace kessrune::keep
