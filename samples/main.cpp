// kessrune-samples: serves the sample shops on 127.0.0.1 and prints the
// addresses to try, until it is stopped (Ctrl+C, or SIGTERM); then tells on
// stderr how many connections it accepted.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "samples/sample_server.h"

namespace {

int usage(std::FILE* to, int status) {
    std::fprintf(to,
                 "Usage: kessrune-samples [--port N] [--shops N] [--shops-dir DIR]\n"
                 "                        [--connection-delay-ms MS] [--response-delay-ms MS]\n"
                 "Serves the Kessrune sample shops on 127.0.0.1 and prints their addresses.\n"
                 "  --port N                 listen on port N (default: any free port)\n"
                 "  --shops N                also serve N generated shops (default: 0)\n"
                 "  --shops-dir DIR          the folder of the shops' directories (default: %s)\n"
                 "  --connection-delay-ms MS wait MS milliseconds on each new connection\n"
                 "                           before reading from it (--delay MS says the same)\n"
                 "  --response-delay-ms MS   wait MS milliseconds before each response\n"
                 "On SIGINT or SIGTERM it stops and prints the connections accepted to stderr.\n",
                 std::string(kessrune::samples::shopsFolder()).c_str());
    return status;
}

bool readNumber(const char* text, long most, int& out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > most) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kessrune::samples;
    constexpr long kMostShops = 100'000;
    constexpr long kMostDelay = 600'000;
    int port = 0;
    int connectionDelay = 0;
    int responseDelay = 0;
    ServerOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return usage(stdout, 0);
        }
        if (i + 1 >= argc) {
            return usage(stderr, 2);
        }
        const char* value = argv[++i];
        if (arg == "--shops-dir") {
            options.shops = value;
        } else if (!((arg == "--port" && readNumber(value, 65535, port)) ||
                     (arg == "--shops" && readNumber(value, kMostShops, options.generatedShops)) ||
                     ((arg == "--connection-delay-ms" || arg == "--delay") &&
                      readNumber(value, kMostDelay, connectionDelay)) ||
                     (arg == "--response-delay-ms" &&
                      readNumber(value, kMostDelay, responseDelay)))) {
            return usage(stderr, 2);
        }
    }
    options.connectionDelay = std::chrono::milliseconds(connectionDelay);
    options.responseDelay = std::chrono::milliseconds(responseDelay);

    // The signals that stop the server are blocked before its threads start,
    // so that all of them inherit the block and the main thread alone takes
    // the signal, in sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const int shops = options.generatedShops;
    SampleServer server(options);
    if (!server.start(port)) {
        std::fprintf(stderr, "kessrune-samples: %s\n", server.failure().c_str());
        return 1;
    }
    std::printf("Kessrune sample shops on %s (Ctrl+C stops)\n", server.origin().c_str());
    for (const SampleShop& shop : sampleShops()) {
        std::printf("  %-48s %s\n", server.shopAddress(shop).c_str(),
                    std::string(shop.summary).c_str());
    }
    for (int n = 1; n <= shops; ++n) {
        const GeneratedShop shop = generatedShop(n);
        std::printf("  %-48s %s\n", server.shopAddress(shop).c_str(), shop.summary.c_str());
    }
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    std::fprintf(stderr, "kessrune-samples: %d connections accepted\n",
                 server.acceptedConnections());
    return 0;
}
