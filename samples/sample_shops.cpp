#include "samples/sample_shops.h"

#include <array>
#include <filesystem>
#include <utility>

#include "testing/files.h"

namespace kessrune::samples {

namespace {

constexpr std::array kShops{
    SampleShop{"lanting.taobao.com", "text/html; charset=GBK", "shop.css", false,
               "Taobao, designer template, GBK page, sheet with the shop-nav class",
               "店铺名称：兰亭书画", "掌柜：兰亭居士", "★当前模板为设计师模板，模版设计：墨池设计",
               5},
    SampleShop{"mumu.taobao.com", "text/html", "modules.css", false,
               "Taobao, system template, UTF-8 declared in the page, plain sheet",
               "店铺名称：木木手作", "掌柜：木木的小院", "☆当前模板为系统默认模板", 4},
    SampleShop{"yunxiu.tmall.com", "text/html; charset=utf-8", "designer.css", false,
               "Tmall, designer template, UTF-8 said only in the headers", "店铺名称：云袖旗舰店",
               "掌柜：云袖官方", "★当前模板为设计师模板，模版设计：青墨视觉", 5},
    SampleShop{"qingshan.tmall.com", "text/html; charset=GBK", "system.css", true,
               "Tmall, system template, GBK page, sheet on the image host",
               "店铺名称：青山茶业旗舰店", "掌柜：青山茶业", "☆当前模板为系统默认模板", 4},
};

}  // namespace

std::span<const SampleShop> sampleShops() {
    return kShops;
}

std::string_view shopsFolder() {
    return KESSRUNE_SAMPLE_SHOPS;
}

std::string shopFile(const SampleShop& shop, std::string_view file) {
    const std::filesystem::path path = std::filesystem::path(shopsFolder()) / shop.directory / file;
    return testing::readFile(path).value_or("");
}

std::string fillPlaceholders(std::string page, int port) {
    const std::string origin = "http://127.0.0.1:" + std::to_string(port);
    const std::string portText = std::to_string(port);
    for (const auto& [placeholder, value] :
         {std::pair<std::string_view, std::string_view>{"{{ORIGIN}}", origin},
          {"{{PORT}}", portText}}) {
        for (size_t at = page.find(placeholder); at != std::string::npos;
             at = page.find(placeholder, at + value.size())) {
            page.replace(at, placeholder.size(), value);
        }
    }
    return page;
}

std::string shopPage(const SampleShop& shop, int port) {
    return fillPlaceholders(shopFile(shop, "index.html"), port);
}

}  // namespace kessrune::samples
