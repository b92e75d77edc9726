// extractBetween against the reference built from the reference walks:
// start position, case switch, and markers holding the "#引号" escape.
#include <cstdint>
#include <string>

#include "fuzz/text_oracle.h"
#include "text/markers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    oracle::Input in(data, size);
    const bool matchCase = in.flag();
    const bool escapeFirst = in.flag();
    // The escape is put in whole at times, as the alphabet makes it rare.
    std::string startMarker = in.text(6);
    std::string endMarker = in.text(6);
    if (escapeFirst)
        startMarker.insert(0, "#\xd2\xfd\xba\xc5");
    if (in.flag())
        endMarker += "#\xd2\xfd\xba\xc5";
    const std::string t = in.rest();
    const int start = in.flag() ? 1 : in.position(t.size());
    const std::string got = extractBetween(t, startMarker, endMarker, start, matchCase);
    const std::string want = oracle::extractBetween(t, startMarker, endMarker, start, matchCase);
    if (got != want)
        oracle::differ("extractBetween",
                       "t=\"" + oracle::show(t) + "\" start=\"" + oracle::show(startMarker) +
                           "\" end=\"" + oracle::show(endMarker) +
                           "\" startPosition=" + std::to_string(start) +
                           " matchCase=" + std::to_string(matchCase) + " got \"" +
                           oracle::show(got) + "\" want \"" + oracle::show(want) + "\"");
    return 0;
}
