// replaceText against the reference walk: exact and not, start, count.
#include <cstdint>
#include <string>

#include "fuzz/text_oracle.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    oracle::Input in(data, size);
    const bool exact = in.flag();
    const bool defaults = in.flag();
    const int start = defaults ? 1 : in.position(64);
    const int count = defaults ? -1 : in.count();
    const std::string x = in.text(8);
    const std::string r = in.text(8);
    const std::string t = in.rest();
    const std::string got = replaceText(t, x, r, start, count, exact);
    const std::string want = oracle::replaceText(t, x, r, start, count, exact);
    if (got != want)
        oracle::differ("replaceText",
                       "t=\"" + oracle::show(t) + "\" x=\"" + oracle::show(x) + "\" r=\"" +
                           oracle::show(r) + "\" start=" + std::to_string(start) + " count=" +
                           std::to_string(count) + " exact=" + std::to_string(exact) + " got \"" +
                           oracle::show(got) + "\" want \"" + oracle::show(want) + "\"");
    return 0;
}
