// Speed of the page fetch on one shop's five requests, each figure a ratio
// against a baseline of the same run. The servers on 127.0.0.1 serve a
// 200 KB page at five addresses and add 20 ms to every new connection, as a
// distant shop server would cost a round trip or two:
//   - fetchPage five times, starting from an empty store, against the curl
//     tool fetching the same five addresses in one invocation (which keeps
//     its connection across them): at most 1.15 times;
//   - against the same five fetches with a fresh connection each (the store
//     dropped before every fetch): well below 1 for https, where every new
//     connection also costs a TLS handshake;
//   - 8 threads fetching a page that takes 200 ms five times each, against
//     the same 40 fetches one after another: at most 0.3 times.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/ratio.h"
#include "http/fetch.h"
#include "testing/httplib_server.h"
#include "testing/raw_server.h"
#include "testing/test_certificates.h"

extern char** environ;

namespace kessrune {
namespace {

using namespace std::chrono_literals;
using testing::HttpsServer;
using testing::RawConnection;
using testing::RawRequest;
using testing::RawServer;
using testing::TestCertificates;

constexpr auto kConnectionCost = 20ms;
constexpr int kPages = 5;
constexpr auto kSlowPage = 200ms;
constexpr int kThreads = 8;

const std::string& page() {
    static const std::string text = [] {
        std::string out;
        while (out.size() < 200 * 1000)
            out += "<div class=\"item\"><a href=\"/i/123\">shop item</a></div>\n";
        return out;
    }();
    return text;
}

// Both servers, started once for the whole run.
struct Servers {
    TestCertificates certificates;
    RawServer http{kConnectionCost};
    HttpsServer https{certificates.serverCertFile(), certificates.keyFile()};
    RawServer slow;
    std::mutex mutex;
    std::set<int> seenPorts;

    Servers() {
        const std::string response =
            testing::httpResponse(200, {"Content-Type: text/html; charset=gbk"}, page());
        for (int i = 1; i <= kPages; ++i) {
            const std::string path = "/page" + std::to_string(i);
            http.on(path, [response](const RawRequest&, RawConnection& c) { c.send(response); });
            https.server().Get(path, [this](const httplib::Request& req, httplib::Response& res) {
                bool fresh;
                {
                    std::lock_guard lock(mutex);
                    fresh = seenPorts.insert(req.remote_port).second;
                }
                if (fresh)
                    std::this_thread::sleep_for(kConnectionCost);
                res.set_content(page(), "text/html; charset=gbk");
            });
        }
        slow.on("/slow", [](const RawRequest&, RawConnection& c) {
            std::this_thread::sleep_for(kSlowPage);
            c.send(testing::httpResponse(200, {}, "slow page"));
        });
        FetchSettings settings;
        settings.caFile = certificates.caFile();
        setFetchSettings(settings);
    }

    std::vector<std::string> urls(bool tls) const {
        std::vector<std::string> out;
        for (int i = 1; i <= kPages; ++i) {
            const std::string path = "/page" + std::to_string(i);
            out.push_back(tls ? https.url(path) : http.url(path));
        }
        return out;
    }
};

Servers& servers() {
    static Servers instance;
    return instance;
}

void BM_fetchFive(benchmark::State& state) {
    const auto urls = servers().urls(state.range(0) != 0);
    for (auto _ : state) {
        resetFetchStore();
        for (const std::string& url : urls) {
            const Text body = fetchPage(url);
            if (body.size() != page().size())
                state.SkipWithError("short page");
            benchmark::DoNotOptimize(body.data());
        }
    }
}

void BM_fetchFiveFreshConnections(benchmark::State& state) {
    const auto urls = servers().urls(state.range(0) != 0);
    for (auto _ : state) {
        for (const std::string& url : urls) {
            resetFetchStore();
            const Text body = fetchPage(url);
            if (body.size() != page().size())
                state.SkipWithError("short page");
            benchmark::DoNotOptimize(body.data());
        }
    }
    resetFetchStore();
}

void BM_curlToolFive(benchmark::State& state) {
    const bool tls = state.range(0) != 0;
    std::vector<std::string> args = {"curl", "--http1.1", "--silent", "--fail"};
    if (tls) {
        args.push_back("--cacert");
        args.push_back(servers().certificates.caFile());
    }
    for (const std::string& url : servers().urls(tls)) {
        args.push_back("--output");
        args.push_back("/dev/null");
        args.push_back(url);
    }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("curl cannot be started");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("curl failed");
    }
}

// Five fetches of the slow page on each of `threads` threads at once.
void fetchSlowPages(benchmark::State& state, int threads, int perThread) {
    const std::string url = servers().slow.url("/slow");
    for (auto _ : state) {
        std::atomic<int> good{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&] {
                for (int i = 0; i < perThread; ++i)
                    good += fetchPage(url) == "slow page";
            });
        }
        for (std::thread& w : workers)
            w.join();
        if (good != threads * perThread)
            state.SkipWithError("a slow fetch failed");
    }
}
void BM_slowPagesConcurrent(benchmark::State& state) {
    fetchSlowPages(state, kThreads, kPages);
}
void BM_slowPagesInARow(benchmark::State& state) {
    fetchSlowPages(state, 1, kThreads * kPages);
}
BENCHMARK(BM_slowPagesConcurrent)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_slowPagesInARow)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_fetchFive)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_curlToolFive)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_fetchFiveFreshConnections)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

KESSRUNE_RATIO("five fetches, http / curl tool", "BM_fetchFive/0/real_time",
               "BM_curlToolFive/0/real_time", 1.15);
KESSRUNE_RATIO("five fetches, https / curl tool", "BM_fetchFive/1/real_time",
               "BM_curlToolFive/1/real_time", 1.15);
KESSRUNE_RATIO("8 threads x 5 slow fetches / 40 in a row",
               "BM_slowPagesConcurrent/iterations:2/real_time",
               "BM_slowPagesInARow/iterations:1/real_time", 0.3);
KESSRUNE_RATIO("five fetches, http / fresh connection each", "BM_fetchFive/0/real_time",
               "BM_fetchFiveFreshConnections/0/real_time", 0.7);
KESSRUNE_RATIO("five fetches, https / fresh connection each", "BM_fetchFive/1/real_time",
               "BM_fetchFiveFreshConnections/1/real_time", 0.6);

}  // namespace
}  // namespace kessrune

int main(int argc, char** argv) {
    return kessrune::bench::runWithRatios(argc, argv);
}
