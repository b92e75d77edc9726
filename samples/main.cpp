// kessrune-samples: serves the sample shops on 127.0.0.1 and prints the
// addresses to try, until it is stopped (Ctrl+C, or SIGTERM).
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
                 "Usage: kessrune-samples [--port N] [--shops DIR] [--delay MS]\n"
                 "Serves the Kessrune sample shops on 127.0.0.1 and prints their addresses.\n"
                 "  --port N    listen on port N (default: any free port)\n"
                 "  --shops DIR the folder of the shops' directories (default: %s)\n"
                 "  --delay MS  wait MS milliseconds on the first request of each connection\n",
                 std::string(kessrune::samples::shopsFolder()).c_str());
    return status;
}

bool readNumber(const char* text, int& out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 65535) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kessrune::samples;
    int port = 0;
    int delay = 0;
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
        if (arg == "--shops") {
            options.shops = value;
        } else if (!((arg == "--port" && readNumber(value, port)) ||
                     (arg == "--delay" && readNumber(value, delay)))) {
            return usage(stderr, 2);
        }
    }
    options.connectionDelay = std::chrono::milliseconds(delay);

    // The signals that stop the server are blocked before its threads start,
    // so that all of them inherit the block and the main thread alone takes
    // the signal, in sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

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
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    return 0;
}
