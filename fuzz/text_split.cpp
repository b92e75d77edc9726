// splitText against the reference walk, with and without a greatest number
// of pieces.
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/text_oracle.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    oracle::Input in(data, size);
    std::optional<int> maxPieces;
    if (in.flag())
        maxPieces = in.count();
    const std::string sep = in.text(4);
    const std::string t = in.rest();
    const TextArray got = splitText(t, sep, maxPieces);
    const oracle::Strs want = oracle::splitText(t, sep, maxPieces);
    if (got != want) {
        std::string detail = "t=\"" + oracle::show(t) + "\" sep=\"" + oracle::show(sep) +
                             "\" max=" + (maxPieces ? std::to_string(*maxPieces) : "none") +
                             " got " + std::to_string(got.size()) + " pieces, want " +
                             std::to_string(want.size()) + ":";
        for (const auto& piece : want)
            detail += " \"" + oracle::show(piece) + "\"";
        oracle::differ("splitText", detail);
    }
    return 0;
}
