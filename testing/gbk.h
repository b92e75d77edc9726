// Test helpers: UTF-8 <-> GBK through iconv, independent of the code under
// test, so that the expected texts are written in readable Chinese.
#ifndef KESSRUNE_TESTING_GBK_H
#define KESSRUNE_TESTING_GBK_H

#include <iconv.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kessrune::testing {

inline std::string iconvConvert(std::string_view in, const char* from, const char* to) {
    struct Closer {
        void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
    };
    iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv_open failed");
    }
    std::unique_ptr<void, Closer> cd(raw);
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    if (iconv(raw, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
        throw std::runtime_error(std::string("not convertible: ") + std::string(in));
    }
    out.resize(out.size() - dstLeft);
    return out;
}

// The GBK bytes of a UTF-8 literal: gbk("掌柜：") == "\xd5\xc6\xb9\xf1\xa3\xba".
inline std::string gbk(std::string_view utf8) {
    return iconvConvert(utf8, "UTF-8", "GBK");
}
inline std::string utf8(std::string_view gbkText) {
    return iconvConvert(gbkText, "GBK", "UTF-8");
}

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTING_GBK_H
