// kessrune-samples: serves the sample shops on 127.0.0.1 and prints the
// addresses to try, until it is stopped.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "samples/sample_server.h"

#ifndef KESSRUNE_FIXTURES
#define KESSRUNE_FIXTURES "samples"
#endif

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}

int usage(std::FILE* to, int status) {
    std::fprintf(to,
                 "Usage: kessrune-samples [--port N] [--root DIR] [--delay MS]\n"
                 "Serves the Kessrune sample shops on 127.0.0.1 and prints their addresses.\n"
                 "  --port N    listen on port N (default: any free port)\n"
                 "  --root DIR  the folder holding shops/ (default: %s)\n"
                 "  --delay MS  wait MS milliseconds on the first request of each connection\n",
                 KESSRUNE_FIXTURES);
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
    std::string root = KESSRUNE_FIXTURES;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return usage(stdout, 0);
        }
        if (i + 1 >= argc) {
            return usage(stderr, 2);
        }
        const char* value = argv[++i];
        if (arg == "--root") {
            root = value;
        } else if (!((arg == "--port" && readNumber(value, port)) ||
                     (arg == "--delay" && readNumber(value, delay)))) {
            return usage(stderr, 2);
        }
    }

    SampleServer server(root, ServerOptions{std::chrono::milliseconds(delay)});
    if (!server.start(port)) {
        std::fprintf(stderr, "kessrune-samples: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("Kessrune sample shops on %s (Ctrl+C stops)\n", server.origin().c_str());
    for (const SampleShop& shop : sampleShops()) {
        std::printf("  %-48s %s\n", server.shopAddress(shop).c_str(),
                    std::string(shop.summary).c_str());
    }
    std::fflush(stdout);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!stopRequested) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    server.stop();
    return 0;
}
