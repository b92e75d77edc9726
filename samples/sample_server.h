// A loopback web server for the sample shops, for the demo and for tests.
//
// Serves samples/shops on 127.0.0.1 (port 0 picks a free one), one
// thread of its own; fills "{{ORIGIN}}" and "{{PORT}}" in the pages it
// serves. Every request it sees is kept, in arrival order, with its headers
// and the client port, so a test can tell which connection carried it.
//   SampleServer server(KESSRUNE_FIXTURES);
//   if (server.start()) { auto a = server.shopAddress(sampleShops()[0]); ... }
#ifndef KESSRUNE_SAMPLES_SAMPLE_SERVER_H
#define KESSRUNE_SAMPLES_SAMPLE_SERVER_H

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "samples/sample_shops.h"

namespace kessrune::samples {

struct SeenRequest {
    std::string method;
    std::string path;                                          // with the query
    std::vector<std::pair<std::string, std::string>> headers;  // sorted by name
    int clientPort = -1;

    // The value of the first header of that name (any case); "" when absent.
    std::string header(std::string_view name) const;
};

struct ServerOptions {
    // Waited once on the first request of every new connection: the cost of
    // setting up a connection to a distant server.
    std::chrono::milliseconds connectionDelay{0};
};

class SampleServer {
  public:
    // `fixturesRoot` is the folder that holds shops/.
    explicit SampleServer(std::string fixturesRoot, ServerOptions options = {});
    ~SampleServer();  // stops
    SampleServer(const SampleServer&) = delete;
    SampleServer& operator=(const SampleServer&) = delete;

    // Listens on 127.0.0.1:port (0: any free port). False when it cannot.
    bool start(int port = 0);
    void stop();
    int port() const;

    std::string origin() const;  // "http://127.0.0.1:PORT"
    std::string shopAddress(const SampleShop& shop) const;
    std::string cssAddress(const SampleShop& shop) const;

    // Serves `body` as it is at `path` (before any file), e.g. pages made
    // by a test.
    void addPage(std::string path, std::string body, std::string contentType = "text/html");

    std::vector<SeenRequest> requests() const;
    // How many connections carried at least one request.
    int connections() const;
    // Forgets the requests and connections seen so far (a connection still
    // open counts, and waits, again on its next request).
    void clearLog();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kessrune::samples

#endif  // KESSRUNE_SAMPLES_SAMPLE_SERVER_H
