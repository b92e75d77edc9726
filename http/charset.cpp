#include "http/charset.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <utility>
#include <vector>

#include "text/ascii.h"

namespace kessrune {
namespace {

static_assert(sizeof(wchar_t) == 4, "glibc's WCHAR_T is one UCS-4 code point per wchar_t");

// ---------------------------------------------------------------------------
// One iconv conversion descriptor, closed when the holder goes.

class Iconv {
  public:
    enum class Stop { done, outputFull, invalid, incomplete };

    Iconv() = default;  // holds nothing
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    Iconv(Iconv&& other) noexcept : cd_(std::exchange(other.cd_, none())) {}
    Iconv& operator=(Iconv&& other) noexcept {
        if (this != &other) {
            close();
            cd_ = std::exchange(other.cd_, none());
        }
        return *this;
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    ~Iconv() { close(); }

    explicit operator bool() const { return cd_ != none(); }

    // One iconv(3) call: converts from `in` into `out` and advances both.
    // On `invalid` and `incomplete`, `in` points at the offending sequence.
    Stop convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
        char* from = const_cast<char*>(in);  // iconv(3) never writes through it
        const std::size_t r = iconv(cd_, &from, &inLeft, &out, &outLeft);
        in = from;
        return r == static_cast<std::size_t>(-1) ? stopFromErrno() : Stop::done;
    }

    // Writes what a stateful encoding needs to return to its initial state.
    Stop finish(char*& out, std::size_t& outLeft) {
        const std::size_t r = iconv(cd_, nullptr, nullptr, &out, &outLeft);
        return r == static_cast<std::size_t>(-1) ? stopFromErrno() : Stop::done;
    }

  private:
    static iconv_t none() { return reinterpret_cast<iconv_t>(-1); }
    static Stop stopFromErrno() {
        switch (errno) {
            case E2BIG:
                return Stop::outputFull;
            case EINVAL:
                return Stop::incomplete;
            default:  // EILSEQ, or anything unforeseen: skip the sequence
                return Stop::invalid;
        }
    }
    void close() {
        if (cd_ != none())
            iconv_close(cd_);
        cd_ = none();
    }

    iconv_t cd_ = none();
};

// ---------------------------------------------------------------------------
// Charset names

enum class Family { utf8, gbk, other };

// "utf-8", "UTF8", "Windows-936" ...: case and "-" / "_" do not matter.
Family familyOf(std::string_view name) {
    std::string key;
    for (const char c : name) {
        if (c != '-' && c != '_')
            key += asciiUpper(c);
    }
    if (key == "UTF8")
        return Family::utf8;
    if (key == "GBK" || key == "CP936" || key == "MS936" || key == "WINDOWS936")
        return Family::gbk;
    return Family::other;
}

// ---------------------------------------------------------------------------
// Invalid input

bool inRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

// The length of the invalid sequence at `p` that becomes one "?": for UTF-8
// the longest start of a well-formed sequence (at least one byte), so a
// truncated character costs one "?"; for GBK a lead byte with a byte in the
// trail range after it (an unmapped pair), else one byte; for any other
// charset one byte.
std::size_t invalidLength(Family family, const char* p, std::size_t n) {
    const auto* s = reinterpret_cast<const unsigned char*>(p);
    if (n < 2)
        return n;
    if (family == Family::gbk) {
        const bool pair = inRange(s[0], 0x81, 0xFE) && inRange(s[1], 0x40, 0xFE) && s[1] != 0x7F;
        return pair ? 2 : 1;
    }
    if (family != Family::utf8)
        return 1;

    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (inRange(s[0], 0xC2, 0xDF)) {
        length = 2;
    } else if (inRange(s[0], 0xE0, 0xEF)) {
        length = 3;
        if (s[0] == 0xE0)
            low = 0xA0;
        if (s[0] == 0xED)
            high = 0x9F;
    } else if (inRange(s[0], 0xF0, 0xF4)) {
        length = 4;
        if (s[0] == 0xF0)
            low = 0x90;
        if (s[0] == 0xF4)
            high = 0x8F;
    } else {
        return 1;
    }
    std::size_t i = 1;
    if (!inRange(s[1], low, high))
        return 1;
    ++i;
    while (i < length && i < n && inRange(s[i], 0x80, 0xBF))
        ++i;
    return i;
}

// ---------------------------------------------------------------------------
// Output

// Appends to a byte container (Bytes or std::string) through raw pointers,
// growing it geometrically. Memory is reserved for the expected size but
// only touched as it is written.
template <class Buffer>
class Sink {
  public:
    explicit Sink(Buffer& buffer, std::size_t expected) : buffer_(buffer) {
        buffer_.clear();
        buffer_.reserve(expected);
    }
    ~Sink() { buffer_.resize(size_); }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    // Room for at least `n` more bytes; write there, then commit().
    char* room(std::size_t n) {
        if (buffer_.size() - size_ < n)
            buffer_.resize(std::max(size_ + n, 2 * buffer_.size()));
        return reinterpret_cast<char*>(buffer_.data()) + size_;
    }
    std::size_t roomLeft() const { return buffer_.size() - size_; }
    void commit(const char* end) {
        size_ = static_cast<std::size_t>(end - reinterpret_cast<const char*>(buffer_.data()));
    }

  private:
    Buffer& buffer_;
    std::size_t size_ = 0;
};

// ---------------------------------------------------------------------------
// The conversion: source -> characters -> GBK (the system code page) ->
// target. Characters are decoded into a chunk of wide characters at a time
// and passed on chunk by chunk; iconv is called per chunk and once more per
// invalid or unrepresentable character only.

constexpr std::size_t kChunk = 8192;  // wide characters per chunk
constexpr wchar_t kBom = 0xFEFF;
constexpr wchar_t kQuestion = L'?';

// Characters glibc's GBK maps in ways the system's texts cannot hold: the
// euro sign becomes the single byte 0x80, which every text operation takes
// as the first byte of a two-byte character, and the tag characters
// U+E0000-U+E007F vanish. Both become "?", as other characters GBK lacks.
bool gbkCannotHold(wchar_t c) {
    return c == 0x20AC || (c >= 0xE0000 && c <= 0xE007F);
}

template <class Buffer>
class Converter {
  public:
    Converter(Iconv decoder, Iconv toGbk, Iconv encoder, Family source, bool targetIsGbk,
              Buffer& result, std::size_t expected)
        : decoder_(std::move(decoder)),
          toGbk_(std::move(toGbk)),
          encoder_(std::move(encoder)),
          source_(source),
          targetIsGbk_(targetIsGbk),
          wide_(kChunk + 1),
          result_(result, expected) {}

    void run(std::string_view input) {
        const char* in = input.data();
        std::size_t inLeft = input.size();
        std::size_t count = 0;  // wide characters waiting in wide_
        bool ended = false;     // a zero character ended the text

        while (inLeft > 0) {
            if (count >= kChunk) {
                passOn(count);
                count = 0;
            }
            char* out = reinterpret_cast<char*>(wide_.data() + count);
            std::size_t outLeft = (kChunk - count) * sizeof(wchar_t);
            const Iconv::Stop stop = decoder_.convert(in, inLeft, out, outLeft);
            const std::size_t fresh = count;
            count = static_cast<std::size_t>(reinterpret_cast<wchar_t*>(out) - wide_.data());
            if (screen(fresh, count)) {
                ended = true;
                break;
            }
            if (stop == Iconv::Stop::outputFull) {
                if (count == 0)
                    break;  // cannot happen with a whole chunk free
                passOn(count);
                count = 0;
            } else if (stop == Iconv::Stop::invalid) {
                wide_[count++] = kQuestion;
                const std::size_t skip = invalidLength(source_, in, inLeft);
                in += skip;
                inLeft -= skip;
            } else if (stop == Iconv::Stop::incomplete) {
                wide_[count++] = kQuestion;  // a character cut off at the end
                inLeft = 0;
            }
        }
        if (!ended) {
            if (count >= kChunk) {
                passOn(count);
                count = 0;
            }
            char* out = reinterpret_cast<char*>(wide_.data() + count);
            std::size_t outLeft = (kChunk - count) * sizeof(wchar_t);
            decoder_.finish(out, outLeft);
            const std::size_t fresh = count;
            count = static_cast<std::size_t>(reinterpret_cast<wchar_t*>(out) - wide_.data());
            screen(fresh, count);
        }
        passOn(count);
        if (!targetIsGbk_) {
            char* out = result_.room(64);
            std::size_t outLeft = result_.roomLeft();
            encoder_.finish(out, outLeft);
            result_.commit(out);
        }
    }

  private:
    // Looks at the wide characters [from, count): a zero character ends the
    // text there (true, count cut); characters GBK cannot hold become "?".
    bool screen(std::size_t from, std::size_t& count) {
        for (std::size_t i = from; i < count; ++i) {
            const wchar_t c = wide_[i];
            if (c == 0) {
                count = i;
                return true;
            }
            if (gbkCannotHold(c))
                wide_[i] = kQuestion;
        }
        return false;
    }

    // Encodes wide_[0, count) into GBK and, for another target, on into it.
    void passOn(std::size_t count) {
        std::size_t first = 0;
        if (!bomChecked_ && count > 0) {
            bomChecked_ = true;
            if (wide_[0] == kBom)
                first = 1;  // a byte-order mark at the start
        }
        if (first == count)
            return;
        if (targetIsGbk_) {
            toGbk(first, count, result_);
            return;
        }
        {
            Sink<std::string> sink(gbkChunk_, 0);
            toGbk(first, count, sink);
        }
        fromGbk(gbkChunk_);
    }

    // GBK takes at most two bytes a character, and "?" one.
    template <class Out>
    void toGbk(std::size_t first, std::size_t count, Out& sink) {
        const char* in = reinterpret_cast<const char*>(wide_.data() + first);
        std::size_t inLeft = (count - first) * sizeof(wchar_t);
        while (inLeft > 0) {
            char* out = sink.room(inLeft / 2 + 2);
            std::size_t outLeft = sink.roomLeft();
            const Iconv::Stop stop = toGbk_.convert(in, inLeft, out, outLeft);
            if (stop == Iconv::Stop::invalid && outLeft > 0) {
                *out++ = '?';  // a character GBK lacks
                in += sizeof(wchar_t);
                inLeft -= sizeof(wchar_t);
            } else if (stop != Iconv::Stop::done && stop != Iconv::Stop::outputFull) {
                inLeft = 0;  // not expected from whole wide characters: give up on the chunk
            }
            sink.commit(out);
        }
    }

    // Encodes GBK text into the target; a character the target lacks
    // becomes the target's "?".
    void fromGbk(std::string_view gbk) {
        const char* in = gbk.data();
        std::size_t inLeft = gbk.size();
        std::size_t extra = 16;  // grows while a full output makes no progress
        while (inLeft > 0) {
            char* out = result_.room(inLeft * 4 + extra);
            std::size_t outLeft = result_.roomLeft();
            const std::size_t before = inLeft;
            const Iconv::Stop stop = encoder_.convert(in, inLeft, out, outLeft);
            if (stop == Iconv::Stop::outputFull && inLeft == before) {
                extra *= 2;
            } else if (stop == Iconv::Stop::invalid) {
                const auto lead = static_cast<unsigned char>(*in);
                const std::size_t skip = lead >= 0x80 && inLeft >= 2 ? 2 : 1;
                in += skip;
                inLeft -= skip;
                const char* question = "?";
                std::size_t questionLeft = 1;
                encoder_.convert(question, questionLeft, out, outLeft);
            } else if (stop == Iconv::Stop::incomplete) {
                inLeft = 0;
            }
            result_.commit(out);
        }
    }

    Iconv decoder_;  // source -> wide characters
    Iconv toGbk_;    // wide characters -> GBK
    Iconv encoder_;  // GBK -> target, unused when the target is GBK
    Family source_;
    bool targetIsGbk_;
    bool bomChecked_ = false;
    std::vector<wchar_t> wide_;
    std::string gbkChunk_;
    Sink<Buffer> result_;
};

// Converts `input` into `result`; false (and `result` empty) when a charset
// name is unknown.
template <class Buffer>
bool convertInto(std::string_view input, std::string_view sourceCharset,
                 std::string_view targetCharset, Buffer& result) {
    result.clear();
    const std::string source(sourceCharset.empty() ? "UTF-8" : sourceCharset);
    const std::string target(targetCharset.empty() ? "GBK" : targetCharset);
    const bool targetIsGbk = familyOf(target) == Family::gbk;

    Iconv decoder("WCHAR_T", source.c_str());
    Iconv toGbk("GBK", "WCHAR_T");
    Iconv encoder = targetIsGbk ? Iconv() : Iconv(target.c_str(), "GBK");
    if (!decoder || !toGbk || (!targetIsGbk && !encoder))
        return false;

    {
        // UTF-8 and GBK input never grows into GBK; other cases grow as needed.
        Converter<Buffer> converter(std::move(decoder), std::move(toGbk), std::move(encoder),
                                    familyOf(source), targetIsGbk, result, input.size());
        converter.run(input);
    }
    // A result far smaller than the reservation (a zero character early on)
    // gives the rest back.
    if (result.size() < result.capacity() / 2)
        result.shrink_to_fit();
    return true;
}

}  // namespace

Bytes convertCharset(const Bytes& data, std::string_view sourceCharset,
                     std::string_view targetCharset, std::optional<int> readPosition) {
    Bytes result;
    const std::string_view input(reinterpret_cast<const char*>(data.data()), data.size());
    if (!convertInto(input, sourceCharset, targetCharset, result))
        return {};
    if (readPosition && *readPosition > 0) {
        const auto skip = std::min(static_cast<std::size_t>(*readPosition), result.size());
        result.erase(result.begin(), result.begin() + static_cast<std::ptrdiff_t>(skip));
    }
    return result;
}

Text gbkFromUtf8(std::string_view utf8) {
    Text result;
    convertInto(utf8, "UTF-8", "GBK", result);
    return result;
}

std::string utf8FromGbk(std::string_view gbk) {
    std::string result;
    convertInto(gbk, "GBK", "UTF-8", result);
    return result;
}

void utf8FromGbkInPieces(std::string_view gbk, const std::function<void(std::string_view)>& sink) {
    constexpr std::size_t kPiece = std::size_t{256} << 10;
    gbk = gbk.substr(0, gbk.find('\0'));
    std::size_t start = 0;
    while (start < gbk.size()) {
        // Cut only where the character walk from the start stands, so that
        // no two-byte character is split between two pieces.
        std::size_t end = start;
        const std::size_t stop = std::min(gbk.size(), start + kPiece);
        while (end < stop)
            end += static_cast<unsigned char>(gbk[end]) >= 0x80 ? 2 : 1;
        end = std::min(end, gbk.size());
        const std::string piece = utf8FromGbk(gbk.substr(start, end - start));
        if (!piece.empty())
            sink(piece);
        start = end;
    }
}

}  // namespace kessrune
