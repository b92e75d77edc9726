// Any bytes in any of several charsets: convertCharset must finish, and its
// GBK output is always well-formed GBK that holds no zero byte.
#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "http/charset.h"

namespace {

constexpr const char* kCharsets[] = {
    "",         "UTF-8",       "GBK",     "gbk",        "CP936",  "UTF-16",
    "UTF-16LE", "UTF-16BE",    "UTF-32",  "ISO-8859-1", "GB2312", "BIG5",
    "EUC-JP",   "ISO-2022-JP", "GB18030", "UTF-7",      "ASCII",  "NO-SUCH-CS",
};

bool gbkTarget(std::string_view name) {
    return name.empty() || name == "GBK" || name == "gbk";
}

// Whether iconv decodes all of `s` from `charset` without an error: a second
// opinion, independent of the converter under test.
bool decodesWhole(std::string_view s, const char* charset) {
    const std::unique_ptr<void, int (*)(iconv_t)> cd(iconv_open("WCHAR_T", charset), iconv_close);
    if (cd.get() == reinterpret_cast<iconv_t>(-1))
        std::abort();
    std::wstring wide(s.size() + 1, L'\0');
    char* in = const_cast<char*>(s.data());
    std::size_t inLeft = s.size();
    char* out = reinterpret_cast<char*>(wide.data());
    std::size_t outLeft = wide.size() * sizeof(wchar_t);
    const std::size_t r = iconv(cd.get(), &in, &inLeft, &out, &outLeft);
    return r != static_cast<std::size_t>(-1) && inLeft == 0;
}

// Single bytes below 0x80 other than zero, and pairs of a lead byte
// 0x81-0xFE with a trail byte 0x40-0xFE other than 0x7F, which GBK maps.
bool wellFormedGbk(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == 0)
            return false;
        if (c < 0x80)
            continue;
        if (c == 0x80 || c == 0xFF || i + 1 == s.size())
            return false;
        const auto t = static_cast<unsigned char>(s[++i]);
        if (t < 0x40 || t == 0x7F || t == 0xFF)
            return false;
    }
    return decodesWhole(s, "GBK");
}

bool wellFormedUtf8(std::string_view s) {
    return s.find('\0') == s.npos && decodesWhole(s, "UTF-8");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    FuzzedDataProvider input(data, size);
    const std::string_view source = input.PickValueInArray(kCharsets);
    const std::string_view target = input.PickValueInArray(kCharsets);
    const int position = input.ConsumeIntegralInRange(-4, 64);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const Bytes bytes(rest.begin(), rest.end());

    const Bytes all = convertCharset(bytes, source, target);
    if (gbkTarget(target) &&
        !wellFormedGbk(std::string_view(reinterpret_cast<const char*>(all.data()), all.size())))
        std::abort();

    // From a read position: the same bytes without the first ones.
    const Bytes part = convertCharset(bytes, source, target, position);
    const std::size_t skip = position <= 0 ? 0 : std::min<std::size_t>(position, all.size());
    if (part != Bytes(all.begin() + static_cast<std::ptrdiff_t>(skip), all.end()))
        std::abort();

    // The window's edge, on the raw bytes whatever they are.
    if (!wellFormedGbk(gbkFromUtf8(rest)))
        std::abort();
    if (!wellFormedUtf8(utf8FromGbk(rest)))
        std::abort();
    return 0;
}
