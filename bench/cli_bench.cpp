// A whole analysis by kessrune-cli against curl asking for the same requests
// in one invocation, both over loopback to a server that adds 20 ms to every
// new connection (the cost of reaching a distant server). The bar holds when
// kessrune-cli reuses one connection for the run, as curl does.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ratio.h"
#include "samples/sample_server.h"
#include "samples/sample_shops.h"

extern char** environ;

namespace {

using kessrune::samples::SampleServer;
using kessrune::samples::SampleShop;
using kessrune::samples::sampleShops;

constexpr std::chrono::milliseconds kConnectionDelay{20};

// The Taobao designer shop: five requests, every one to 127.0.0.1.
const SampleShop& benchShop() {
    return sampleShops()[0];
}

SampleServer& server() {
    static SampleServer* s = [] {
        auto* created = new SampleServer({.connectionDelay = kConnectionDelay});
        if (!created->start()) {
            std::fprintf(stderr, "cli_bench: %s\n", created->failure().c_str());
            std::exit(1);
        }
        return created;
    }();
    return *s;
}

// Runs the program with its output thrown away; its exit status, or -1.
int runQuietly(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        waitpid(pid, &status, 0);
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

std::vector<std::string> cliCommand() {
    return {KESSRUNE_CLI_EXE, "--json", server().shopAddress(benchShop())};
}

// The same requests with the same header profile, in one curl invocation.
std::vector<std::string> curlCommand() {
    const SampleShop& shop = benchShop();
    const std::string address = server().shopAddress(shop);
    std::vector<std::string> args = {
        "curl",
        "--silent",
        "--user-agent",
        "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; 731QM; .NET CLR 2.0.50727; .NET CLR "
        "3.0.04506.648; .NET CLR 3.5.21022)",
        "--header",
        "Referer: " + address,
        "--header",
        "Accept: */*",
        "--header",
        "Accept-Language: zh-cn",
        "--header",
        "Content-Type: application/x-www-form-urlencoded"};
    for (int i = 0; i + 1 < shop.requests; ++i) {
        args.insert(args.end(), {"--output", "/dev/null", address});
    }
    args.insert(args.end(), {"--output", "/dev/null", server().cssAddress(shop)});
    return args;
}

struct Runs {
    std::vector<double> seconds;
    int connections = 0;  // seen by the server over all runs
    size_t requests = 0;
    bool failed = false;
};

struct Measurements {
    Runs cli;
    Runs curl;
};

// Runs the two side by side, alternating, so that whatever else the machine
// does weighs on both alike; each run is timed from spawn to exit.
const Measurements& measurements() {
    static const Measurements m = [] {
        constexpr int kPairs = 30;
        Measurements out;
        const std::vector<std::string> commands[] = {cliCommand(), curlCommand()};
        Runs* runs[] = {&out.cli, &out.curl};
        for (int pair = 0; pair < kPairs; ++pair) {
            for (int k = 0; k < 2; ++k) {
                const int which = (pair + k) % 2;
                server().clearLog();
                const auto start = std::chrono::steady_clock::now();
                runs[which]->failed |= runQuietly(commands[which]) != 0;
                const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
                runs[which]->seconds.push_back(took.count());
                runs[which]->connections += server().connections();
                runs[which]->requests += server().requests().size();
            }
        }
        return out;
    }();
    return m;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void report(benchmark::State& state, const Runs& runs, const char* what) {
    for (auto _ : state) {
        state.SetIterationTime(median(runs.seconds));
    }
    const double n = static_cast<double>(runs.seconds.size());
    state.counters["runs"] = n;
    state.counters["connections/run"] = runs.connections / n;
    state.counters["requests/run"] = static_cast<double>(runs.requests) / n;
    if (runs.failed) {
        state.SkipWithError(what);
    } else if (runs.connections != static_cast<int>(n)) {
        state.SkipWithError("more than one connection per run");
    }
}

// Median wall time of one whole analysis.
void BM_kessruneCli(benchmark::State& state) {
    report(state, measurements().cli, "kessrune-cli failed");
}

// Median wall time of curl asking for the same five requests.
void BM_curlSameRequests(benchmark::State& state) {
    report(state, measurements().curl, "curl failed");
}

BENCHMARK(BM_kessruneCli)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_curlSameRequests)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
KESSRUNE_RATIO("kessrune-cli analysis / curl, same requests, 20 ms per connection",
               "BM_kessruneCli/iterations:1/manual_time",
               "BM_curlSameRequests/iterations:1/manual_time", 1.2);

}  // namespace

int main(int argc, char** argv) {
    return kessrune::bench::runWithRatios(argc, argv);
}
