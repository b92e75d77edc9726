// Real GBK words for the text tests. Their second bytes look like ASCII
// letters and punctuation, so any walk that stops on a second byte finds
// "]", "A", "a", "[", "\" or "|" where the text holds none.
#ifndef KESSRUNE_TESTS_TEXT_GBK_WORDS_H
#define KESSRUNE_TESTS_TEXT_GBK_WORDS_H

#include <string_view>

namespace kessrune::testing {

inline constexpr std::string_view kDongHuaJinXiu =
    "\x96\x7c\xc8\x41\xe5\x5c\xc0\x43";  // 東華錦繡: | A \ C
inline constexpr std::string_view kYouFeiShuoMing =
    "\xe0\x5d\xd9\x4d\xd5\x66\xc3\xf7";                          // 郵費說明: ] M f
inline constexpr std::string_view kTiaoMa = "\x97\x6c\xb4\x61";  // 條碼: l a
inline constexpr std::string_view kBaiShe = "\x94\x5b\xd4\x4f";  // 擺設: [ O
inline constexpr std::string_view kMeiYou = "\x9b\x5d\xd3\xd0";  // 沒有: ]
inline constexpr std::string_view kHua = "\xc8\x41";             // 華: A
inline constexpr std::string_view kMa = "\xb4\x61";              // 碼: a
inline constexpr std::string_view kYun = "\xdf\x5c";             // 運: backslash
inline constexpr std::string_view kA = "\xb0\xa1";               // 啊
inline constexpr std::string_view kFullWidthSpace = "\xa1\xa1";  // 　

// A shop-page fragment made of those words; it holds no ASCII "]", "[",
// "A", "a", "|" or "\" of its own except where spelled out:
//   <b>東華錦繡</b>[郵費說明]條碼=A擺設|沒有
inline constexpr std::string_view kShopFragment =
    "<b>\x96\x7c\xc8\x41\xe5\x5c\xc0\x43</b>"  // <b>東華錦繡</b>   bytes 1-15
    "[\xe0\x5d\xd9\x4d\xd5\x66\xc3\xf7]"       // [郵費說明]        bytes 16-25
    "\x97\x6c\xb4\x61"                         // 條碼              bytes 26-29
    "=A"                                       // =A                bytes 30-31
    "\x94\x5b\xd4\x4f"                         // 擺設              bytes 32-35
    "|"                                        // |                 byte 36
    "\x9b\x5d\xd3\xd0";                        // 沒有              bytes 37-40

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTS_TEXT_GBK_WORDS_H
