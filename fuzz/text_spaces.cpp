// trimText, removeSpaces and toLowerText against the reference walks.
#include <cstdint>
#include <string>

#include "fuzz/text_oracle.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    oracle::Input in(data, size);
    const std::string t = in.rest();
    const auto check = [&t](const char* what, const std::string& got, const std::string& want) {
        if (got != want)
            oracle::differ(what, "t=\"" + oracle::show(t) + "\" got \"" + oracle::show(got) +
                                     "\" want \"" + oracle::show(want) + "\"");
    };
    check("trimText", trimText(t), oracle::trimText(t));
    check("removeSpaces", removeSpaces(t), oracle::removeSpaces(t));
    check("toLowerText", toLowerText(t), oracle::toLowerText(t));
    return 0;
}
