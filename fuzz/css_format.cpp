// The formatter's round trip on any bytes: the formatted sheet is the same
// sheet (css::sameSheet), formatting it again changes nothing, and its size
// stays within a fixed multiple of the input's.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "css/format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune::css;
    const std::string_view sheet(reinterpret_cast<const char*>(data), size);
    const std::string formatted = formatSheet(sheet);
    if (const auto at = firstDifference(sheet, formatted)) {
        std::fprintf(stderr, "css format: not the same sheet from byte %zu (formatted byte %zu)\n",
                     at->first, at->second);
        std::fprintf(stderr, "---- formatted:\n%s\n----\n", formatted.c_str());
        std::abort();
    }
    if (formatSheet(formatted) != formatted) {
        std::fprintf(stderr, "css format: formatting the formatted sheet changes it\n");
        std::fprintf(stderr, "---- formatted:\n%s\n---- again:\n%s\n----\n", formatted.c_str(),
                     formatSheet(formatted).c_str());
        std::abort();
    }
    // Per input byte at most a new line, the deepest indent and two bytes.
    if (formatted.size() > 72 * size + 1) {
        std::fprintf(stderr, "css format: %zu bytes out of %zu\n", formatted.size(), size);
        std::abort();
    }
    return 0;
}
