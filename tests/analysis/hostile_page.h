// A shop page written by an attacker: its style-sheet link carries CR LF
// and whole header lines, which must never reach our requests as lines.
#ifndef KESSRUNE_TESTS_ANALYSIS_HOSTILE_PAGE_H
#define KESSRUNE_TESTS_ANALYSIS_HOSTILE_PAGE_H

#include <string>
#include <vector>

#include "samples/sample_server.h"
#include "testing/gbk.h"

namespace kessrune::testing {

inline const std::string kInjectedLines =
    "\r\nX-Injected: from-page\r\nHost: injected.example\r\nCookie: s=attacker";

// A Taobao system-template page (GBK) whose style-sheet link is
// `sheet` followed by kInjectedLines.
inline std::string hostileShopPage(const std::string& sheet) {
    return gbk(
        "<div class=\"shop-name\"><a>恶意</a><i></i>进入店铺</div>"
        "<div class=\"seller\">掌柜：x</a>wangwang</div>"
        "system module 模块自定义（设计师）css输出 <link href=\"" +
        sheet + kInjectedLines + "\"> GLOBAL");
}

// "" when every request carried exactly one Host (`host`), one Referer, no
// Cookie and no line of the page's; else what was wrong.
inline std::string injectedLineProblem(const std::vector<samples::SeenRequest>& requests,
                                       const std::string& host) {
    if (requests.empty())
        return "no request arrived";
    for (const samples::SeenRequest& r : requests) {
        int hosts = 0, referers = 0;
        for (const auto& [name, value] : r.headers) {
            if (name == "Host" && value != host)
                return r.path + ": Host " + value;
            hosts += name == "Host";
            referers += name == "Referer";
            if (name == "X-Injected" || name == "Cookie")
                return r.path + ": a line from the page: " + name;
        }
        if (hosts != 1 || referers != 1)
            return r.path + ": " + std::to_string(hosts) + " Host and " + std::to_string(referers) +
                   " Referer lines";
    }
    return {};
}

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTS_ANALYSIS_HOSTILE_PAGE_H
