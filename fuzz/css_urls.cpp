// url extraction and rewriting on any bytes: the references lie inside the
// sheet in order without overlapping; rewriting none of them gives the sheet
// back; rewriting all of them gives a sheet whose references are the new
// addresses, however they are spelt, and whose other bytes are the old ones;
// and every reference resolves against an absolute address.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "css/urls.h"

namespace {

[[noreturn]] void fail(const char* what, std::size_t at) {
    std::fprintf(stderr, "css urls: %s (%zu)\n", what, at);
    std::abort();
}

// New addresses with what needs escaping: quotes, backslashes, parentheses,
// control characters and newlines, hex digits after them, Chinese text.
std::string newAddress(std::size_t i) {
    static constexpr std::string_view kPieces[] = {
        "images/a.png",
        "q\"uote",
        "back\\slash",
        "pa(re)n",
        "new\nline",
        "tab\t1",
        "\x7f"
        "f",
        "\xe8\x97\x8d.png",
        "sp ace",
        "'single'",
    };
    return std::string(kPieces[i % std::size(kPieces)]) + std::to_string(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune::css;
    const std::string_view sheet(reinterpret_cast<const char*>(data), size);
    const std::vector<SheetUrl> urls = findUrls(sheet);
    std::size_t end = 0;
    for (const SheetUrl& u : urls) {
        if (u.offset < end || u.length == 0 || u.offset + u.length > size)
            fail("span out of order or outside the sheet", u.offset);
        end = u.offset + u.length;
        if (!resolveUrl("http://shop.example/css/a/s.css?v=1", u.value))
            fail("no resolution against an absolute base", u.offset);
    }

    if (rewriteUrls(sheet, [](const SheetUrl&) { return std::nullopt; }) != sheet)
        fail("rewriting nothing changed the sheet", 0);

    std::size_t count = 0;
    const std::string rewritten =
        rewriteUrls(sheet, [&count](const SheetUrl&) { return newAddress(count++); });
    const std::vector<SheetUrl> again = findUrls(rewritten);
    if (again.size() != urls.size())
        fail("rewritten sheet has another number of references", again.size());
    std::size_t copied = 0, copiedAgain = 0;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        if (again[i].value != newAddress(i))
            fail("rewritten reference reads back differently", i);
        if (again[i].import != urls[i].import)
            fail("rewritten reference changed its @import flag", i);
        if (sheet.substr(copied, urls[i].offset - copied) !=
            std::string_view(rewritten).substr(copiedAgain, again[i].offset - copiedAgain))
            fail("bytes between references changed", i);
        copied = urls[i].offset + urls[i].length;
        copiedAgain = again[i].offset + again[i].length;
    }
    if (sheet.substr(copied) != std::string_view(rewritten).substr(copiedAgain))
        fail("bytes after the references changed", copied);
    return 0;
}
