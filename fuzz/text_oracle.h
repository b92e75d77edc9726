// The reference against which the text fuzz targets check the toolkit: each
// operation written as the plainest byte-by-byte walk of its rule, one
// character at a time, with no fast search and no shortcut. Slow on purpose.
//
// Also the input decoding shared by the targets: texts come either from raw
// bytes (zero bytes left out, since a text holds none) or from a small
// alphabet of bytes that make matches, case pairs, lead bytes, spaces and the
// "#引号" quote escape likely.
#ifndef KESSRUNE_FUZZ_TEXT_ORACLE_H
#define KESSRUNE_FUZZ_TEXT_ORACLE_H

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kessrune::oracle {

using Str = std::string;
using Strs = std::vector<std::string>;

inline bool isLead(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

inline unsigned char fold(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
}

// Whether the |x| bytes of t from offset i equal x (folding A-Z when asked).
inline bool matchesAt(std::string_view t, std::size_t i, std::string_view x, bool ignoreCase) {
    if (t.size() - i < x.size())
        return false;
    for (std::size_t k = 0; k < x.size(); ++k) {
        unsigned char a = static_cast<unsigned char>(t[i + k]);
        unsigned char b = static_cast<unsigned char>(x[k]);
        if (ignoreCase) {
            a = fold(a);
            b = fold(b);
        }
        if (a != b)
            return false;
    }
    return true;
}

// One character on from offset i: 2 for a byte 0x80-0xFF, else 1. An
// incomplete final character (a lead byte that ends t) gives nullopt: the
// walk ends there.
inline std::optional<std::size_t> stepFrom(std::string_view t, std::size_t i) {
    if (!isLead(t[i]))
        return i + 1;
    if (i + 1 == t.size())
        return std::nullopt;
    return i + 2;
}

inline Str midText(std::string_view t, int s, int n) {
    if (s < 1 || static_cast<long long>(s) > static_cast<long long>(t.size()) || n <= 0)
        return {};
    return Str(t.substr(static_cast<std::size_t>(s) - 1, static_cast<std::size_t>(n)));
}

inline int findText(std::string_view t, std::string_view x, int s, bool ignoreCase) {
    const long long L = static_cast<long long>(t.size());
    const long long b = s < 1 ? 0 : static_cast<long long>(s) - 1;
    if (b >= L)
        return -1;
    if (x.empty())
        return 1;
    std::size_t i = static_cast<std::size_t>(b);
    while (i < t.size()) {
        if (t.size() - i < x.size())
            return -1;
        if (matchesAt(t, i, x, ignoreCase))
            return static_cast<int>(i) + 1;
        const auto next = stepFrom(t, i);
        if (!next)
            return -1;
        i = *next;
    }
    return -1;
}

inline int findTextReverse(std::string_view t, std::string_view x, std::optional<int> s,
                           bool ignoreCase) {
    std::string_view stretch = t;
    if (s) {
        const long long keep = static_cast<long long>(*s) - 1;
        if (keep <= 0) {
            stretch = {};
        } else if (keep < static_cast<long long>(t.size())) {
            stretch = t.substr(0, static_cast<std::size_t>(keep));
        }
    }
    if (stretch.empty())
        return -1;
    if (x.empty())
        return 1;
    int last = -1;
    std::size_t i = 0;
    while (i < stretch.size()) {
        if (stretch.size() - i < x.size())
            break;
        if (matchesAt(stretch, i, x, ignoreCase))
            last = static_cast<int>(i) + 1;
        const auto next = stepFrom(stretch, i);
        if (!next)
            break;
        i = *next;
    }
    return last;
}

inline Str replaceText(std::string_view t, std::string_view x, std::string_view r, int s, int k,
                       bool exact) {
    if (s < 1)
        s = 1;
    if (t.empty() || x.empty() || k == 0 ||
        static_cast<long long>(s) - 1 >= static_cast<long long>(t.size()))
        return Str(t);
    Str out(t.substr(0, static_cast<std::size_t>(s) - 1));
    std::size_t i = static_cast<std::size_t>(s) - 1;
    int done = 0;
    while (i < t.size()) {
        if (t.size() - i < x.size())
            break;
        if (matchesAt(t, i, x, !exact)) {
            out += r;
            i += x.size();
            ++done;
            if (k > 0 && done == k)
                break;
            continue;
        }
        const auto next = stepFrom(t, i);
        if (!next) {
            i = t.size();  // the incomplete final character is dropped
            break;
        }
        out += t.substr(i, *next - i);
        i = *next;
    }
    out += t.substr(i);
    return out;
}

inline Strs splitText(std::string_view t, std::string_view sep, std::optional<int> m) {
    Strs pieces;
    const bool limited = m.has_value();
    const int limit = limited && *m > 0 ? *m : 0;
    if (t.empty() || (limited && limit == 0))
        return pieces;
    if (sep.empty())
        return {Str(t)};
    std::size_t pieceStart = 0;
    std::size_t i = 0;
    while (i < t.size()) {
        if (matchesAt(t, i, sep, false)) {
            pieces.emplace_back(t.substr(pieceStart, i - pieceStart));
            i += sep.size();
            pieceStart = i;
            if (limited && static_cast<int>(pieces.size()) == limit)
                return pieces;
            continue;
        }
        const auto next = stepFrom(t, i);
        if (!next)
            break;
        i = *next;
    }
    if (pieceStart < t.size())
        pieces.emplace_back(t.substr(pieceStart));
    return pieces;
}

inline Str extractBetween(std::string_view t, std::string_view startMarker,
                          std::string_view endMarker, int startPosition, bool matchCase) {
    const std::string_view escape = "#\xd2\xfd\xba\xc5";
    const Str start = replaceText(startMarker, escape, "\"", 1, -1, true);
    const Str end = replaceText(endMarker, escape, "\"", 1, -1, true);
    const int s = findText(t, start, startPosition, !matchCase);
    if (s == -1)
        return {};
    const int p = s + static_cast<int>(start.size());
    const int e = findText(t, end, p, !matchCase);
    if (e == -1)
        return {};
    return midText(t, p, e - p);
}

inline bool isSpaceAt(std::string_view t, std::size_t i) {
    return t[i] == ' ' || (t[i] == '\xa1' && i + 1 < t.size() && t[i + 1] == '\xa1');
}

inline Str trimText(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && isSpaceAt(t, i))
        i += t[i] == ' ' ? 1 : 2;
    std::size_t end = i;  // just past the last character that is not a space
    std::size_t j = i;
    while (j < t.size()) {
        const auto next = stepFrom(t, j);
        if (!next)
            return Str(t.substr(i, j - i));  // drop the incomplete final character
        if (!isSpaceAt(t, j))
            end = *next;
        j = *next;
    }
    return Str(t.substr(i, end - i));
}

inline Str removeSpaces(std::string_view t) {
    Str out;
    std::size_t i = 0;
    while (i < t.size()) {
        const auto next = stepFrom(t, i);
        if (!next)
            break;
        if (!isSpaceAt(t, i))
            out += t.substr(i, *next - i);
        i = *next;
    }
    return out;
}

inline Str toLowerText(std::string_view t) {
    Str out;
    std::size_t i = 0;
    while (i < t.size()) {
        const auto next = stepFrom(t, i);
        if (!next) {
            out += t[i];
            break;
        }
        if (*next == i + 1)
            out += static_cast<char>(fold(static_cast<unsigned char>(t[i])));
        else
            out += t.substr(i, 2);
        i = *next;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Input decoding

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size)
        : fdp_(data, size), alphabet_(fdp_.ConsumeBool()) {}

    // A text of at most maxLength bytes.
    Str text(std::size_t maxLength) {
        const Str raw =
            fdp_.ConsumeBytesAsString(fdp_.ConsumeIntegralInRange<std::size_t>(0, maxLength));
        Str t;
        for (char c : raw) {
            if (alphabet_) {
                static constexpr char kAlphabet[] = {
                    'a',    'A',    'b',    'B',    ']',    ' ',    ';',    '"', '#',  '\x81',
                    '\xa1', '\xd2', '\xfd', '\xba', '\xc5', '\xff', '\x80', 'z', '\r', '\n'};
                t.push_back(kAlphabet[static_cast<unsigned char>(c) % sizeof kAlphabet]);
            } else if (c != 0) {
                t.push_back(c);
            }
        }
        return t;
    }

    // The rest of the input as a text.
    Str rest() { return text(fdp_.remaining_bytes()); }

    // A position for a text of `length` bytes: mostly around its ends, at
    // times any integer.
    int position(std::size_t length) {
        switch (fdp_.ConsumeIntegralInRange<int>(0, 7)) {
            case 0:
                return fdp_.ConsumeIntegral<int>();
            case 1:
                return INT_MIN;
            case 2:
                return INT_MAX;
            default:
                return fdp_.ConsumeIntegralInRange<int>(-3, static_cast<int>(length) + 3);
        }
    }

    int count() { return fdp_.ConsumeIntegralInRange<int>(-2, 6); }
    bool flag() { return fdp_.ConsumeBool(); }

  private:
    FuzzedDataProvider fdp_;
    bool alphabet_;
};

inline std::string show(std::string_view s) {
    std::string out;
    char buf[8];
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

// Prints what differed and aborts, so that libFuzzer keeps the input.
[[noreturn]] inline void differ(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s differs from the reference: %s\n", what, detail.c_str());
    std::abort();
}

}  // namespace kessrune::oracle

#endif  // KESSRUNE_FUZZ_TEXT_ORACLE_H
