// Any header block and cookie list: the header scan with the cookie merge and
// the list routines must run to their end.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/cookies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    FuzzedDataProvider input(data, size);
    const bool supplied = input.ConsumeBool();
    Text cookies = input.ConsumeRandomLengthString(512);
    Text redirect = input.ConsumeRandomLengthString(64);
    const std::string raw = input.ConsumeRemainingBytesAsString();

    Text received = "stale";
    scanResponseHeaders(raw, supplied ? &cookies : nullptr, received, redirect);
    if (redirect.empty() && !raw.empty())
        std::abort();  // "" becomes the whole block

    // The merged list holds no item twice.
    const TextArray items = splitText(cookies, "; ");
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (supplied && listIndexOf(items, items[i]) != static_cast<int>(i) + 1)
            std::abort();
        cookieListHasName(items, cookieName(items[i]));
    }
    static_cast<void>(joinDistinct(raw, "\r\n"));
    return 0;
}
