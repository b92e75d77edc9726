#include "text/text.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "text/ascii.h"

namespace kessrune {
namespace {

constexpr bool isHigh(unsigned char c) {
    return c >= 0x80;
}
constexpr bool isHigh(char c) {
    return isHigh(static_cast<unsigned char>(c));
}

// Width of the character that starts at offset `i` of the walk: two bytes for
// a byte 0x80-0xFF, one otherwise (an incomplete final character counts 2 and
// so runs off the end, which every caller treats as the end of the walk).
inline std::size_t charWidth(std::string_view t, std::size_t i) {
    return isHigh(t[i]) ? 2 : 1;
}

// The offset just past the run of bytes 0x80-0xFF that ends at `end`, never
// below `floor`: the run is [result, end). Whole words of high bytes are
// skipped at once, so texts of nothing but lead bytes are counted quickly.
std::size_t highRunStart(std::string_view t, std::size_t end, std::size_t floor) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::size_t i = end;
    while (i >= floor + 8) {
        std::uint64_t word;
        std::memcpy(&word, t.data() + i - 8, 8);
        if ((word & kHighBits) != kHighBits)
            break;
        i -= 8;
    }
    while (i > floor && isHigh(t[i - 1]))
        --i;
    return i;
}

// How often a byte turns up in shop pages and style sheets, roughly, per
// thousand bytes; letters count both cases. Ignoring case, the search looks
// for the needle byte that is rarest by this measure.
constexpr int typicalFrequency(unsigned char c) {
    constexpr std::string_view kLetters = "etaoinsrhldcumfpgwybvkxjqz";  // most frequent first
    constexpr int kLetterFrequency[] = {60, 48, 45, 40, 40, 38, 38, 35, 25, 25, 24, 24, 15,
                                        15, 10, 12, 10, 6,  5,  8,  5,  3,  3,  2,  1,  1};
    const std::size_t letter = kLetters.find(asciiLower(static_cast<char>(c)));
    if (letter != std::string_view::npos)
        return kLetterFrequency[letter];
    if (c == ' ' || c == '"' || c == '<' || c == '>' || c == '/' || c == '=')
        return 40;
    if ((c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' || c == ';' || c == '_' ||
        c == '\n' || c == '#' || c == '{' || c == '}' || c == ',' || c == '(' || c == ')')
        return 20;
    if (c >= 0x80)
        return 8;  // Chinese text, spread over many byte values
    return 2;
}

// Finds the character-stepped occurrences of a non-empty needle. A fast byte
// search proposes candidates; a candidate lies on a character boundary of the
// walk exactly when the run of bytes 0x80-0xFF just before it, counted back
// to the last known boundary, has even length. Known boundaries only move
// forward, so every byte is counted back at most once and the whole scan stays
// linear even on texts made only of lead bytes. Calls must ask for offsets
// that never go back.
class Matcher {
  public:
    Matcher(std::string_view t, std::string_view x, bool ignoreCase)
        : t_(t), x_(x), ignoreCase_(ignoreCase) {
        if (!ignoreCase_)
            return;
        // Ignoring case, a letter stands for two bytes and the first one of
        // the needle is often a common letter, so the byte searched for is
        // the rarest of the needle's first bytes.
        const std::size_t considered = std::min<std::size_t>(x_.size(), 16);
        for (std::size_t k = 1; k < considered; ++k) {
            if (typicalFrequency(static_cast<unsigned char>(x_[k])) <
                typicalFrequency(static_cast<unsigned char>(x_[anchor_])))
                anchor_ = k;
        }
        lower_ = asciiLower(x_[anchor_]);
        upper_ = asciiUpper(x_[anchor_]);
    }

    // The first occurrence at offset >= `from`, where `from` is a boundary of
    // the walk (the walk's start, or just past an earlier match or
    // character); npos when there is none.
    std::size_t next(std::size_t from) {
        if (from > known_)
            known_ = from;
        std::size_t q = from;
        while (true) {
            q = candidate(q);
            if (q == std::string_view::npos)
                return q;
            if ((q - highRunStart(t_, q, known_)) % 2 == 0) {
                known_ = q;
                return q;
            }
            // q is the second byte of a character, so q + 1 is a boundary.
            known_ = q + 1;
            q = q + 1;
        }
    }

  private:
    std::size_t candidate(std::size_t from) {
        if (t_.size() < x_.size() || from > t_.size() - x_.size())
            return std::string_view::npos;
        if (!ignoreCase_)
            return t_.find(x_, from);
        // Ignoring case, the anchor byte of a match is one of two bytes. The
        // next offset of each is cached, so each of the two memchr scans
        // passes over the text once however many candidates fail.
        const std::size_t last = t_.size() - x_.size();  // last offset a match may start at
        std::size_t q = from;
        while (q <= last) {
            std::size_t hit = nextOf(lower_, nextLower_, q + anchor_, last + anchor_);
            if (upper_ != lower_)
                hit = std::min(hit, nextOf(upper_, nextUpper_, q + anchor_, last + anchor_));
            if (hit == std::string_view::npos)
                return hit;
            const std::size_t start = hit - anchor_;
            if (equalsIgnoringAsciiCase(t_.substr(start, x_.size()), x_))
                return start;
            q = start + 1;
        }
        return std::string_view::npos;
    }

    // The first offset in [from, to] holding `c`, or npos; `cache` keeps the
    // answer of an earlier call, still right while it is not behind `from`.
    std::size_t nextOf(char c, std::size_t& cache, std::size_t from, std::size_t to) const {
        if (cache != kUnknown && (cache == std::string_view::npos || cache >= from))
            return cache;
        const void* hit = std::memchr(t_.data() + from, c, to - from + 1);
        cache = hit == nullptr
                    ? std::string_view::npos
                    : static_cast<std::size_t>(static_cast<const char*>(hit) - t_.data());
        return cache;
    }

    static constexpr std::size_t kUnknown = std::string_view::npos - 1;
    std::string_view t_;
    std::string_view x_;
    bool ignoreCase_;
    std::size_t anchor_ = 0;  // offset in the needle of the byte searched for
    char lower_ = 0;
    char upper_ = 0;
    std::size_t nextLower_ = kUnknown;
    std::size_t nextUpper_ = kUnknown;
    std::size_t known_ = 0;  // a known boundary of the walk
};

bool isSpaceAt(std::string_view t, std::size_t i) {
    if (t[i] == ' ')
        return true;
    return static_cast<unsigned char>(t[i]) == 0xA1 && i + 1 < t.size() &&
           static_cast<unsigned char>(t[i + 1]) == 0xA1;
}

}  // namespace

Text leftText(std::string_view t, int n) {
    if (n <= 0)
        return {};
    return Text(t.substr(0, static_cast<std::size_t>(n)));
}

Text rightText(std::string_view t, int n) {
    if (n <= 0)
        return {};
    if (static_cast<std::size_t>(n) >= t.size())
        return Text(t);
    return Text(t.substr(t.size() - static_cast<std::size_t>(n)));
}

Text midText(std::string_view t, int start, int n) {
    if (start < 1 || static_cast<std::size_t>(start) > t.size() || n <= 0)
        return {};
    return Text(t.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n)));
}

int findText(std::string_view t, std::string_view x, int start, bool ignoreCase) {
    const std::size_t b = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (b >= t.size())
        return -1;
    if (x.empty())
        return 1;
    const std::size_t q = Matcher(t, x, ignoreCase).next(b);
    return q == std::string_view::npos ? -1 : static_cast<int>(q) + 1;
}

namespace {

// The last exact occurrence of a non-empty `x` that starts on a character
// boundary of a walk from the first byte, as a 1-based position, or -1.
// Candidates come from the end, so the usual answer costs one short search.
// A candidate is on a boundary when the run of bytes 0x80-0xFF before it has
// even length, the run itself starting on one; the last run counted is
// remembered, so no byte is counted twice and texts of lead bytes stay linear.
int findLastExact(std::string_view t, std::string_view x) {
    if (x.size() > t.size())
        return -1;
    std::size_t runStart = std::string_view::npos;  // [runStart, runEnd): bytes 0x80-0xFF
    std::size_t runEnd = 0;
    std::size_t from = t.size() - x.size();
    while (true) {
        const std::size_t q = t.rfind(x, from);
        if (q == std::string_view::npos)
            return -1;
        if (runStart == std::string_view::npos || q < runStart || q > runEnd) {
            runStart = highRunStart(t, q, 0);
            runEnd = q;
        }
        if ((q - runStart) % 2 == 0)
            return static_cast<int>(q) + 1;
        if (q == 0)
            return -1;
        from = q - 1;
    }
}

}  // namespace

int findTextReverse(std::string_view t, std::string_view x, std::optional<int> start,
                    bool ignoreCase) {
    std::string_view stretch = t;
    if (start) {
        if (*start <= 1)
            return -1;
        stretch = t.substr(0, static_cast<std::size_t>(*start) - 1);
    }
    if (stretch.empty())
        return -1;
    if (x.empty())
        return 1;
    if (!ignoreCase)
        return findLastExact(stretch, x);
    Matcher matcher(stretch, x, ignoreCase);
    std::size_t last = std::string_view::npos;
    std::size_t from = 0;
    while (true) {
        const std::size_t q = matcher.next(from);
        if (q == std::string_view::npos)
            break;
        last = q;
        // Occurrences may overlap, so the walk goes on with the character
        // after the match, not after the whole match.
        from = q + charWidth(stretch, q);
        if (from > stretch.size())
            break;
    }
    return last == std::string_view::npos ? -1 : static_cast<int>(last) + 1;
}

Text replaceText(std::string_view t, std::string_view x, std::string_view r, int start, int count,
                 bool exact) {
    const std::size_t b = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (t.empty() || x.empty() || count == 0 || b >= t.size())
        return Text(t);
    Text out;
    out.reserve(t.size());
    Matcher matcher(t, x, !exact);
    std::size_t copied = 0;  // everything before this offset is in `out`
    std::size_t from = b;    // where the walk goes on: a character boundary
    int done = 0;
    while (true) {
        const std::size_t q = matcher.next(from);
        if (q == std::string_view::npos)
            break;
        out.append(t.substr(copied, q - copied));
        out.append(r);
        copied = from = q + x.size();
        if (++done == count) {
            out.append(t.substr(copied));
            return out;
        }
    }
    // With a one-byte needle the walk reaches the end of the text, and an
    // incomplete final character met there is dropped; a longer needle stops
    // the walk early and the rest is copied as it is.
    std::size_t end = t.size();
    if (x.size() == 1 && (t.size() - highRunStart(t, t.size(), from)) % 2 == 1)
        end = t.size() - 1;
    if (end > copied)
        out.append(t.substr(copied, end - copied));
    return out;
}

TextArray splitText(std::string_view t, std::string_view sep, std::optional<int> maxPieces) {
    TextArray pieces;
    const bool limited = maxPieces.has_value();
    const int limit = limited ? (*maxPieces < 0 ? 0 : *maxPieces) : 0;
    if (t.empty() || (limited && limit == 0))
        return pieces;
    if (sep.empty()) {
        pieces.emplace_back(t);
        return pieces;
    }
    Matcher matcher(t, sep, false);
    std::size_t pieceStart = 0;
    while (true) {
        const std::size_t q = matcher.next(pieceStart);
        if (q == std::string_view::npos)
            break;
        pieces.emplace_back(t.substr(pieceStart, q - pieceStart));
        pieceStart = q + sep.size();
        if (limited && static_cast<int>(pieces.size()) == limit)
            return pieces;
    }
    if (pieceStart < t.size())
        pieces.emplace_back(t.substr(pieceStart));
    return pieces;
}

Text trimText(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && isSpaceAt(t, i))
        i += t[i] == ' ' ? 1 : 2;
    std::size_t end = i;  // end of the last non-space character
    std::size_t walk = i;
    while (walk < t.size()) {
        const std::size_t w = charWidth(t, walk);
        if (walk + w > t.size()) {
            // An incomplete final character is removed, and the spaces
            // before it stay.
            return Text(t.substr(i, walk - i));
        }
        if (!isSpaceAt(t, walk))
            end = walk + w;
        walk += w;
    }
    return Text(t.substr(i, end - i));
}

Text removeSpaces(std::string_view t) {
    Text out;
    out.reserve(t.size());
    std::size_t kept = 0;  // start of the run of characters not yet copied
    std::size_t i = 0;
    while (i < t.size()) {
        if (t[i] == ' ') {
            if (i > kept)
                out.append(t.substr(kept, i - kept));
            kept = ++i;
        } else if (!isHigh(t[i])) {
            ++i;
        } else if (i + 1 == t.size()) {
            break;  // an incomplete final character is dropped
        } else if (isSpaceAt(t, i)) {
            if (i > kept)
                out.append(t.substr(kept, i - kept));
            i += 2;
            kept = i;
        } else {
            i += 2;
        }
    }
    out.append(t.substr(kept, i - kept));
    return out;
}

Text toLowerText(std::string_view t) {
    Text out(t);
    for (std::size_t i = 0; i < out.size(); i += charWidth(out, i)) {
        out[i] = asciiLower(out[i]);
    }
    return out;
}

std::int32_t textToInt(std::string_view t) {
    // Full-width digits, signs and spaces count as their ASCII forms.
    Text folded;
    folded.reserve(t.size());
    for (std::size_t i = 0; i < t.size();) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (!isHigh(c)) {
            folded.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (i + 1 >= t.size())
            break;  // incomplete final character
        const auto d = static_cast<unsigned char>(t[i + 1]);
        if (c == 0xA3 && d >= 0xA1 && d <= 0xFE) {
            folded.push_back(static_cast<char>(d - 0x80));
        } else if (c == 0xA1 && d == 0xA1) {
            folded.push_back(' ');
        } else if (c == 0xA1 && d == 0xAB) {
            folded.push_back('~');
        } else if (c == 0xA1 && (d == 0xEE || d == 0xEF)) {
            folded.push_back('*');
        } else {
            folded.append(t.substr(i, 2));
        }
        i += 2;
    }
    std::size_t i = 0;
    while (i < folded.size() && (folded[i] == ' ' || (folded[i] >= '\t' && folded[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) {
        negative = folded[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;  // unsigned, so overflow wraps around as defined
    for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(folded[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

Text blankText(int n) {
    return n <= 0 ? Text() : Text(static_cast<std::size_t>(n), ' ');
}

Text charFromCode(int v) {
    const auto byte = static_cast<unsigned char>(v);
    return byte == 0 ? Text() : Text(1, static_cast<char>(byte));
}

Text concatText(std::string_view a, std::string_view b, std::string_view c) {
    Text out;
    out.reserve(a.size() + b.size() + c.size());
    out.append(a).append(b).append(c);
    return out;
}

int compareText(std::string_view a, std::string_view b) {
    // char_traits<char>::compare orders as unsigned bytes (memcmp).
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Bytes textToBytes(std::string_view t) {
    return Bytes(t.begin(), t.end());
}

Text bytesToText(const Bytes& b) {
    const void* zero = b.empty() ? nullptr : std::memchr(b.data(), 0, b.size());
    const std::size_t n =
        zero == nullptr
            ? b.size()
            : static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - b.data());
    return Text(reinterpret_cast<const char*>(b.data()), n);
}

Bytes leftBytes(const Bytes& b, int n) {
    if (n <= 0)
        return {};
    const std::size_t k = std::min(b.size(), static_cast<std::size_t>(n));
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(k));
}

int findBytes(const Bytes& b, const Bytes& x, int start) {
    if (x.empty())
        return -1;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    const std::string_view hay(reinterpret_cast<const char*>(b.data()), b.size());
    const std::string_view needle(reinterpret_cast<const char*>(x.data()), x.size());
    const std::size_t q = hay.find(needle, from);
    return q == std::string_view::npos ? -1 : static_cast<int>(q) + 1;
}

Bytes blankBytes(int n) {
    return n <= 0 ? Bytes() : Bytes(static_cast<std::size_t>(n), 0);
}

Bytes concatBytes(const Bytes& a, const Bytes& b) {
    Bytes out;
    out.reserve(a.size() + b.size());
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

Text arrayElement(const TextArray& a, int i) {
    assert(i >= 1 && i <= arraySize(a));
    if (i < 1 || i > arraySize(a))
        return {};
    return a[static_cast<std::size_t>(i) - 1];
}

}  // namespace kessrune
