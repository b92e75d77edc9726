// findText against the reference walk: both case modes, any start.
#include <cstdint>
#include <string>

#include "fuzz/text_oracle.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    oracle::Input in(data, size);
    const bool ignoreCase = in.flag();
    const std::string x = in.text(8);
    const std::string t = in.rest();
    for (int round = 0; round < 3; ++round) {
        const int start = round == 0 ? 1 : in.position(t.size());
        const int got = findText(t, x, start, ignoreCase);
        const int want = oracle::findText(t, x, start, ignoreCase);
        if (got != want)
            oracle::differ("findText", "t=\"" + oracle::show(t) + "\" x=\"" + oracle::show(x) +
                                           "\" start=" + std::to_string(start) +
                                           " ignoreCase=" + std::to_string(ignoreCase) + " got " +
                                           std::to_string(got) + " want " + std::to_string(want));
    }
    return 0;
}
