#include "http/url.h"

#include <gtest/gtest.h>

#include <string>

namespace kessrune {
namespace {

struct AddressCase {
    std::string address;
    std::string host;
    std::string hostWithPort;
    int port;
    std::string path;
};

TEST(Url, HostPortAndPath) {
    const AddressCase cases[] = {
        {"", "", "", 80, "/"},
        {"HTTPS://X.Y.Z:8443/p?q=1", "x.y.z", "x.y.z:8443", 8443, "/p?q=1"},
        {"http://x.y.z", "x.y.z", "x.y.z", 80, "/"},
        {"https://x.y.z", "x.y.z", "x.y.z", 443, "/"},
        {"x.y.z/p/q", "x.y.z", "x.y.z", 80, "/p/q"},
        {"http://Shop.Taobao.com/Index.htm?A=B#F", "shop.taobao.com", "shop.taobao.com", 80,
         "/Index.htm?A=B#F"},
        // Without a scheme the host is cut after a later "http://".
        {"x.y.z/?u=http://w.v.u/p", "w.v.u", "w.v.u", 80, "/p"},
        // A query without a slash stays in the host.
        {"http://x.y.z?q=1", "x.y.z?q=1", "x.y.z?q=1", 80, "/"},
        // An empty port reads as 0.
        {"http://x.y.z:/p", "x.y.z", "x.y.z:", 0, "/p"},
        {"http://x.y.z:abc/p", "x.y.z", "x.y.z:abc", 0, "/p"},
        // Only the first five letters decide the default port.
        {"httpsx.y", "httpsx.y", "httpsx.y", 443, "/"},
        {"HtTpS://a.b/", "a.b", "a.b", 443, "/"},
        // An explicit port always wins.
        {"https://x.y.z:8080/", "x.y.z", "x.y.z:8080", 8080, "/"},
        {"http://x.y.z:443/a", "x.y.z", "x.y.z:443", 443, "/a"},
        // The last colon of the host carries the port.
        {"http://u:p@x.y:81/a", "u", "u:p@x.y:81", 81, "/a"},
        // No host at all: the path starts at the first slash of the address.
        {"http:///p", "", "", 80, "///p"},
        {"/p/q", "", "", 80, "/p/q"},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(urlHost(c.address), c.host);
        EXPECT_EQ(urlHost(c.address, false, true), c.hostWithPort);
        EXPECT_EQ(urlPort(c.address), c.port);
        EXPECT_EQ(urlPath(c.address), c.path);
    }
}

TEST(Url, DomainOnly) {
    struct Case {
        std::string address;
        bool keepPort;
        std::string host;
    };
    const Case cases[] = {
        {"w.x.y.z", false, "y.z"},
        {"http://shop123.taobao.com/", false, "taobao.com"},
        {"intranet", false, "intranet"},
        {"", false, ""},
        // The labels are taken before the port is cut.
        {"x.y.z:81", false, "y.z"},
        {"x.y.z:81", true, "y.z:81"},
        // Only the last two labels, even under a two-label national suffix.
        {"http://www.example.com.cn/", false, "com.cn"},
        // A trailing dot leaves no empty last label.
        {"x.y.z.", false, "y.z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address + (c.keepPort ? " keepPort" : ""));
        EXPECT_EQ(urlHost(c.address, true, c.keepPort), c.host);
    }
}

TEST(Url, GbkHostIsLowerCasedOnlyInAscii) {
    // "店" is B5 EA; a second byte that looks like a letter stays as it is.
    const std::string address = "http://A\xb5\x41.COM/P";
    EXPECT_EQ(urlHost(address), "a\xb5\x41.com");
    EXPECT_EQ(urlPath(address), "/P");
}

}  // namespace
}  // namespace kessrune
