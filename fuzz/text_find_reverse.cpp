// findTextReverse against the reference walk, with and without a start.
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/text_oracle.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    oracle::Input in(data, size);
    const bool ignoreCase = in.flag();
    const bool withStart = in.flag();
    const std::string x = in.text(8);
    const std::string t = in.rest();
    for (int round = 0; round < 3; ++round) {
        std::optional<int> start;
        if (withStart || round > 0)
            start = in.position(t.size());
        if (round == 0 && !withStart)
            start.reset();
        const int got = findTextReverse(t, x, start, ignoreCase);
        const int want = oracle::findTextReverse(t, x, start, ignoreCase);
        if (got != want)
            oracle::differ("findTextReverse",
                           "t=\"" + oracle::show(t) + "\" x=\"" + oracle::show(x) +
                               "\" start=" + (start ? std::to_string(*start) : "none") +
                               " ignoreCase=" + std::to_string(ignoreCase) + " got " +
                               std::to_string(got) + " want " + std::to_string(want));
    }
    return 0;
}
