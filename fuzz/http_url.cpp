// Any address: the three address functions must hold their shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "http/url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kessrune;
    const std::string_view address(reinterpret_cast<const char*>(data), size);

    const Text host = urlHost(address);
    const Text hostWithPort = urlHost(address, false, true);
    const Text domain = urlHost(address, true);
    const Text domainWithPort = urlHost(address, true, true);
    // The port is cut off the end: the host is where the host with port begins.
    if (hostWithPort.compare(0, host.size(), host) != 0)
        std::abort();
    if (domainWithPort.compare(0, domain.size(), domain) != 0)
        std::abort();

    static_cast<void>(urlPort(address));

    const Text path = urlPath(address);
    if (path.empty() || path[0] != '/')
        std::abort();
    if (path.size() > 1 && address.find(path) == std::string_view::npos)
        std::abort();
    return 0;
}
