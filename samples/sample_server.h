// A loopback web server for the sample shops, for the demo and for tests.
//
// Serves the shops' folder (samples/shops unless told otherwise) on
// 127.0.0.1 (port 0 picks a free one) from threads of its own, started and
// stopped as a testing::LoopbackServer; fills "{{ORIGIN}}" and "{{PORT}}" in
// the pages it serves, and serves the generated shops the options ask for. Every request it sees is
// kept, in arrival order, with its headers and the client port, so a test can tell which connection
// carried it.
//   SampleServer server;
//   ASSERT_TRUE(server.start()) << server.failure();
//   fetchPage(server.shopAddress(sampleShops()[0]));
#ifndef KESSRUNE_SAMPLES_SAMPLE_SERVER_H
#define KESSRUNE_SAMPLES_SAMPLE_SERVER_H

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "samples/generated_shops.h"
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
    // Waited on every connection accepted, before its first byte is read:
    // the cost of setting up a connection to a distant server.
    std::chrono::milliseconds connectionDelay{0};
    // The folder of the shops' directories.
    std::string shops = std::string(shopsFolder());
    // Generated shops 1..generatedShops (samples/generated_shops.h) served
    // beside the hand-made ones.
    int generatedShops = 0;
    // Waited before every response: the time a distant server takes to answer.
    std::chrono::milliseconds responseDelay{0};
};

class SampleServer {
  public:
    explicit SampleServer(ServerOptions options = {});
    ~SampleServer();  // stops
    SampleServer(const SampleServer&) = delete;
    SampleServer& operator=(const SampleServer&) = delete;

    // Serves on 127.0.0.1:port (0: any free port) once it returns true;
    // false, with failure() saying why, when it cannot bind or listen.
    bool start(int port = 0);
    const std::string& failure() const;
    // Stops serving: from now on nobody answers on the port.
    void stop();
    int port() const;

    std::string origin() const;  // "http://127.0.0.1:PORT"
    std::string shopAddress(const SampleShop& shop) const;
    std::string cssAddress(const SampleShop& shop) const;
    std::string shopAddress(const GeneratedShop& shop) const;
    std::string cssAddress(const GeneratedShop& shop) const;

    // Serves `body` as it is at `path` (before any file), e.g. pages made
    // by a test.
    void addPage(std::string path, std::string body, std::string contentType = "text/html");

    std::vector<SeenRequest> requests() const;
    // How many connections carried at least one request.
    int connections() const;
    // How many connections the server accepted, requests or not.
    int acceptedConnections() const;
    // Forgets the requests and connections seen so far, the accepted ones
    // included (a connection still open counts again in connections() on
    // its next request, but not in acceptedConnections()).
    void clearLog();

  private:
    struct State;
    class AcceptQueue;
    std::unique_ptr<State> state_;
};

}  // namespace kessrune::samples

#endif  // KESSRUNE_SAMPLES_SAMPLE_SERVER_H
