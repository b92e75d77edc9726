// cpp-httplib servers on 127.0.0.1, started and stopped as LoopbackServers:
// HttplibServer (HTTP, or HTTPS given a certificate) and HttpsServer, which
// starts in its constructor. Routes are added on server() before the first
// request that needs them.
//   HttplibServer web;
//   web.server().Get("/", [](const httplib::Request&, httplib::Response& res) {
//       res.set_content("hello", "text/plain");
//   });
//   ASSERT_TRUE(web.start()) << web.failure();
//   fetchPage(web.url("/"));  // "http://127.0.0.1:<port>/"
#ifndef KESSRUNE_TESTING_HTTPLIB_SERVER_H
#define KESSRUNE_TESTING_HTTPLIB_SERVER_H

#include <httplib.h>

#include <memory>
#include <string>
#include <string_view>

#include "testing/loopback_server.h"

namespace kessrune::testing {

class HttplibServer : public LoopbackServer {
  public:
    // Plain HTTP.
    HttplibServer();
    // HTTPS with the certificate and key of these PEM files; start() fails,
    // naming them, when they do not load.
    HttplibServer(const std::string& certFile, const std::string& keyFile);
    ~HttplibServer() override;  // stops

    httplib::Server& server() { return *server_; }
    // The threads that serve connections, each holding one kept-alive
    // connection until it closes or falls idle (cpp-httplib's default is
    // eight); set before start().
    void setThreads(std::size_t threads) { threads_ = threads; }
    // "<http or https>://127.0.0.1:<port><path>"
    std::string url(std::string_view path = "/") const;

  protected:
    Bound bindLoopback(int port) override;
    void serve() override;
    void halt() override;

  private:
    void prepareServer();

    std::unique_ptr<httplib::Server> server_;
    std::string scheme_ = "http";
    std::string loadFailure_;
    std::size_t threads_ = CPPHTTPLIB_THREAD_POOL_COUNT;
};

// An HTTPS server that is serving once constructed; the constructor throws
// std::runtime_error, saying why, when it cannot start.
//   HttpsServer tls(certificates.serverCertFile(), certificates.keyFile());
//   tls.server().Get("/", ...);  fetchPage(tls.url("/"));
class HttpsServer final : public HttplibServer {
  public:
    HttpsServer(const std::string& certFile, const std::string& keyFile);
};

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTING_HTTPLIB_SERVER_H
