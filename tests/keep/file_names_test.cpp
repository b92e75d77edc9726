#include "keep/file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace kessrune::keep {
namespace {

TEST(ImageFileName, SafeNamesFromAnyAddress) {
    const std::string longStem(200, 'x');
    struct Case {
        std::string address, name;
    } cases[] = {
        {"http://x/i/a.png", "a.png"},
        {"http://x/i/a.png?v=2#top", "a.png"},
        {"http://x/i/%E5%9B%BE%20a.PNG", "图_a.PNG"},
        {"http://x/%2e%2e%2f%2e%2e%2fetc%2fpasswd", "_._etc_passwd"},
        {"http://x/..%5c..%5cwin.ini", "_._win.ini"},
        {"http://x/evil%00.png", "evil_.png"},
        {"http://x/a%0d%0aSet-Cookie:1.gif", "a__Set-Cookie_1.gif"},
        {"http://x/.htaccess", "htaccess"},
        {"http://x/...", "image"},
        {"http://x/", "image"},
        {"http://x", "image"},
        {"http://x/.png", "png"},
        {"http://x/a.b.c..d", "a.b.c.d"},
        {"http://x/archive.tar.verylongextension", "archive.tar.verylongextension"},
        {"http://x/\xff\xfe\xc2\x85.jpg", "____.jpg"},
        {"http://x/" + longStem + ".webp", std::string(kMaxStemBytes, 'x') + ".webp"},
        {"http://x/" + std::string(79, 'a') + "\xe5\x9b\xbe.png", std::string(79, 'a') + ".png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(imageFileName(c.address), c.name);
    }
}

TEST(FileNamer, EachNameOnceInAnyCase) {
    FileNamer names;
    EXPECT_EQ(names.claim("a.png"), "a.png");
    EXPECT_EQ(names.claim("A.png"), "A-2.png");
    EXPECT_EQ(names.claim("a.png"), "a-3.png");
    EXPECT_EQ(names.claim("a-2.png"), "a-2-2.png");
    EXPECT_EQ(names.claim("image"), "image");
    EXPECT_EQ(names.claim("image"), "image-2");
}

TEST(RelativeUrl, EscapesAllButPlainBytes) {
    EXPECT_EQ(relativeUrl("images/a-b_c.~1.png"), "images/a-b_c.~1.png");
    EXPECT_EQ(relativeUrl("images/图 a.png"), "images/%E5%9B%BE%20a.png");
}

}  // namespace
}  // namespace kessrune::keep
