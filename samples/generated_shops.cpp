#include "samples/generated_shops.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "text/ascii.h"

namespace kessrune::samples {
namespace {

enum class Kind { taobaoDesigner, taobaoSystem, tmallDesigner, tmallSystem };

Kind kindOf(int number) {
    return static_cast<Kind>((number - 1) % 4);
}

bool isTmall(Kind kind) {
    return kind == Kind::tmallDesigner || kind == Kind::tmallSystem;
}

bool isDesigner(Kind kind) {
    return kind == Kind::taobaoDesigner || kind == Kind::tmallDesigner;
}

std::string numberText(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", number);
    return text;
}

// A colour of the shop's own, so that no two neighbouring sheets are alike.
std::string colour(int number, int which) {
    const std::uint32_t mixed = static_cast<std::uint32_t>(number * 2 + which) * 2654435761u;
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(mixed >> 8) & 0xffffff);
    return text;
}

// The names the page holds (UTF-8).
struct Names {
    std::string shop, keeper, designer;
};

Names namesOf(const GeneratedShop& shop) {
    const std::string n = numberText(shop.number);
    const bool tmall = isTmall(kindOf(shop.number));
    return {tmall ? "样品" + n + "旗舰店" : "样品小店" + n, "店主" + n, "设计室" + n};
}

// One rule of a sheet: as the marketplace serves it, and as the analysis
// shows it once the scope is taken off.
struct Rule {
    std::string served, shown;
};

std::vector<Rule> rulesOf(const GeneratedShop& shop) {
    const std::string n = numberText(shop.number);
    const std::string c1 = colour(shop.number, 0), c2 = colour(shop.number, 1);
    const std::string comment = "/* " + namesOf(shop).shop + " 店铺装修 */";
    const std::string banner =
        ".gen" + n + "-banner{background:" + c1 + " url(images/gen" + n + "-banner.png) no-repeat}";
    switch (kindOf(shop.number)) {
        case Kind::taobaoDesigner:  // the navigation's scope goes, the plain one stays
            return {
                {comment, comment},
                {"#page #content .tshop-pbsm-shop-nav-ch{background:" + c1 + ";height:36px}",
                 "{background:" + c1 + ";height:36px}"},
                {"#page #content .tshop-pbsm-shop-nav-ch a{color:" + c2 + "}",
                 " a{color:" + c2 + "}"},
                {"#page #content .skin-box{width:950px}", "#page #content .skin-box{width:950px}"},
                {banner, banner},
            };
        case Kind::taobaoSystem:
            return {
                {comment, comment},
                {"#page #content .skin-box-bd{padding:10px;background:" + c1 + "}",
                 " .skin-box-bd{padding:10px;background:" + c1 + "}"},
                {"#page #content{width:990px}", "{width:990px}"},
                {"body{background:" + c2 + "}", "body{background:" + c2 + "}"},
                {banner, banner},
            };
        case Kind::tmallDesigner:
        case Kind::tmallSystem:  // two spaces after the scope mark it; one does not
            return {
                {comment, comment},
                {"#page #content  .slogo{background:" + c1 + "}", ".slogo{background:" + c1 + "}"},
                {"#page #content  .slogo-shopname{color:" + c2 + "}",
                 ".slogo-shopname{color:" + c2 + "}"},
                {"#page #content .skin-box{width:990px}", "#page #content .skin-box{width:990px}"},
                {banner, banner},
            };
    }
    return {};
}

std::string joined(const std::vector<Rule>& rules, std::string Rule::*part) {
    std::string out;
    for (const Rule& rule : rules)
        out += rule.*part + "\n";
    return out;
}

}  // namespace

GeneratedShop generatedShop(int number) {
    GeneratedShop shop;
    shop.number = number < 1 ? 1 : number;
    const Kind kind = kindOf(shop.number);
    const std::string n = numberText(shop.number);
    shop.directory = "gen" + n + (isTmall(kind) ? ".tmall.com" : ".taobao.com");
    shop.cssFile = "gen" + n + ".css";
    shop.cssOnImageHost = kind == Kind::tmallSystem;
    const Names names = namesOf(shop);
    shop.shopName = "店铺名称：" + names.shop;
    shop.shopkeeper = "掌柜：" + names.keeper;
    shop.templateKind = isDesigner(kind) ? "★当前模板为设计师模板，模版设计：" + names.designer
                                         : "☆当前模板为系统默认模板";
    shop.requests = isDesigner(kind) ? 5 : 4;
    shop.summary = std::string(isTmall(kind) ? "Tmall" : "Taobao") +
                   (isDesigner(kind) ? ", designer template" : ", system template") +
                   (shop.cssOnImageHost ? ", sheet on the image host" : "") + " (generated)";
    return shop;
}

std::optional<int> generatedShopNumber(std::string_view directory) {
    if (directory.substr(0, 3) != "gen")
        return std::nullopt;
    std::size_t end = 3;
    long number = 0;
    while (end < directory.size() && isAsciiDigit(directory[end]) && end < 12) {
        number = number * 10 + (directory[end] - '0');
        ++end;
    }
    if (number < 1 || number > 1'000'000'000)
        return std::nullopt;
    const int n = static_cast<int>(number);
    if (generatedShop(n).directory != directory)
        return std::nullopt;
    return n;
}

std::string generatedPage(const GeneratedShop& shop, int port) {
    const Kind kind = kindOf(shop.number);
    const Names names = namesOf(shop);
    const std::string origin = "http://127.0.0.1:" + std::to_string(port);
    const std::string& dir = shop.directory;
    const std::string sheet = origin + "/" + dir + "/" + shop.cssFile;
    std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                       names.shop + (isTmall(kind) ? " - 天猫Tmall.com" : " - 淘宝网") +
                       "</title>\n";
    switch (kind) {
        case Kind::taobaoDesigner:
            page += "<link rel=\"stylesheet\" href=\"" + origin +
                    "/assets/tbsp/tshop-base.css\">\n"
                    "<!-- designer's module css begin -->\n"
                    "<link rel=\"stylesheet\" href=\"" +
                    sheet +
                    "\">\n"
                    "<!-- designer's module css end -->\n"
                    "<!-- S GLOBAL JS -->\n";
            break;
        case Kind::taobaoSystem:
            page +=
                "<!-- system module -->\n"
                "<link rel=\"stylesheet\" href=\"" +
                origin +
                "/assets/tbsp/tshop-base.css\">\n"
                "<!-- 模块自定义（设计师）css输出 -->\n"
                "<link rel=\"stylesheet\" href=\"" +
                sheet +
                "\">\n"
                "<!-- GLOBAL JS -->\n";
            break;
        case Kind::tmallDesigner:
            page +=
                "<!-- designer's module css begin -->\n"
                "<link rel=\"stylesheet\" href=\"" +
                sheet +
                "\">\n"
                "<!-- 设计师独立模块css end -->\n";
            break;
        case Kind::tmallSystem:
            page += "<!-- system module: default template -->\n";
            break;
    }
    page += "</head>\n";
    const std::string designer =
        "    <div class=\"shop-design\"><span class=\"designer\">店铺设计：<a "
        "href=\"//fuwu." +
        std::string(isTmall(kind) ? "tmall" : "taobao") + ".com/designer/gen" +
        numberText(shop.number) + "\">" + names.designer + "</a></span></div>\n";
    if (isTmall(kind)) {
        page += "<body>\n<div id=\"page\">\n";
        if (kind == Kind::tmallSystem) {
            page +=
                "  <div id=\"header\" class=\"head fix rgn\">\n"
                "    <link rel=\"stylesheet\" href=\"http://img.localhost:" +
                std::to_string(port) + "/" + dir + "/" + shop.cssFile + "\">\n";
        } else {
            page += "  <div id=\"header\" class=\"head\">\n";
        }
        page +=
            "    <div class=\"slogo\">\n"
            "      <a class=\"slogo-shopname\" href=\"//" +
            dir + "/\">" + names.shop +
            "</a>\n"
            "      <span class=\"slogo-extra\"><span class=\"WangWang\" data-nick=\"" +
            names.shop +
            "\"></span></span>\n"
            "    </div>\n"
            "    <div class=\"shopkeeper\">掌柜：<a href=\"//" +
            dir + "/contact.htm\" target=\"_blank\">" + names.keeper +
            "</a><span class=\"WangWang\" data-nick=\"" + names.keeper + "\"></span></div>\n";
        if (kind == Kind::tmallSystem) {
            page +=
                "    <ul class=\"site-nav\"><li><a href=\"//i.taobao.com/my_taobao.htm\">我的淘宝"
                "</a></li></ul>\n";
        } else {
            page += designer;
        }
    } else {
        page +=
            "<body class=\"tshop-pbsm\">\n<div id=\"page\">\n"
            "  <div class=\"shop-hd\">\n"
            "    <div class=\"shop-name\"><a class=\"shop-name-link\" href=\"//" +
            dir + "/\">" + names.shop +
            "<i class=\"arrow-down\"></i></a></div>\n"
            "    <a class=\"enter-shop\" href=\"//" +
            dir +
            "/\">进入店铺</a>\n"
            "    <div class=\"seller\">\n"
            "      <a class=\"seller-nick\" href=\"//" +
            dir + "/contact.htm\">掌柜：" + names.keeper +
            "</a>\n"
            "      <span class=\"wangwang\" data-nick=\"" +
            names.keeper +
            "\"></span>\n"
            "    </div>\n";
        if (kind == Kind::taobaoDesigner)
            page += designer;
    }
    page +=
        "  </div>\n  <div id=\"content\">\n"
        "    <div class=\"skin-box\"><div class=\"skin-box-bd\">" +
        names.shop + "</div></div>\n  </div>\n</div>\n</body>\n</html>\n";
    return page;
}

std::string generatedSheet(const GeneratedShop& shop) {
    return joined(rulesOf(shop), &Rule::served);
}

std::string generatedExpectedCss(const GeneratedShop& shop) {
    return joined(rulesOf(shop), &Rule::shown);
}

}  // namespace kessrune::samples
