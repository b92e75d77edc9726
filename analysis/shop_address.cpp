#include "analysis/shop_address.h"

#include "text/text.h"

namespace kessrune {

bool holdsTmall(std::string_view address) {
    return findText(address, kTmallWord) != -1;
}

bool holdsTaobao(std::string_view address) {
    return findText(address, kTaobaoWord) != -1;
}

bool isShopAddress(std::string_view address) {
    return holdsTmall(address) || holdsTaobao(address);
}

}  // namespace kessrune
