#include "analysis/shop_address.h"

#include <gtest/gtest.h>

#include <string>

namespace kessrune {
namespace {

TEST(ShopAddress, WordsAreExactAndNeverStartOnASecondByte) {
    struct Row {
        std::string address;
        bool tmall;
        bool taobao;
    };
    const Row rows[] = {
        {"http://qingshan.tmall.com/", true, false},
        {"http://lanting.taobao.com/", false, true},
        {"http://127.0.0.1/tmall-and-taobao/", true, true},
        {"http://x.TMALL.com/", false, false},
        {"http://x.Taobao.com/", false, false},
        // 0x81 takes the "t" after it as its second byte.
        {"http://\x81tmall.com/", false, false},
        {"http://\x81\x81tmall.com/", true, false},
        {"", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        EXPECT_EQ(holdsTmall(row.address), row.tmall);
        EXPECT_EQ(holdsTaobao(row.address), row.taobao);
        EXPECT_EQ(isShopAddress(row.address), row.tmall || row.taobao);
    }
}

}  // namespace
}  // namespace kessrune
