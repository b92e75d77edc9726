// RawServer: an HTTP/1.1 server on 127.0.0.1 for the page-fetch tests and
// benchmark that records every request byte for byte and lets a handler
// write any bytes in answer (or stall, or hang up), so that malformed,
// endless and hostile responses can be served. It is serving once
// constructed; the constructor throws std::runtime_error, saying why, when
// it cannot bind or listen.
//   RawServer server;
//   server.on("/p", [](const RawRequest&, RawConnection& c) {
//       c.send(httpResponse(200, {"Content-Type: text/html"}, "<p>"));
//   });
//   fetchPage(server.url("/p"));  server.requests()[0].header("Referer");
#ifndef KESSRUNE_TESTING_RAW_SERVER_H
#define KESSRUNE_TESTING_RAW_SERVER_H

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "testing/loopback_server.h"

namespace kessrune::testing {

// One request as it arrived.
struct RawRequest {
    std::string head;         // request line and header lines, up to and with the empty line
    std::string requestLine;  // "GET /p HTTP/1.1"
    std::string method;
    std::string target;  // as sent: "/p?q=1", or absolute through a proxy
    std::string path;    // `target` without its query
    std::string body;
    int connection = 0;  // 1 for the first connection accepted, 2 for the next...

    // The value of the first header `name` (any case), trimmed; "" when absent.
    std::string header(std::string_view name) const;
};

// A file descriptor, closed when it goes or is replaced.
class Socket {
  public:
    Socket() = default;
    ~Socket() { reset(); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    void reset(int fd = -1);
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// The connection a handler answers on.
class RawConnection {
  public:
    explicit RawConnection(int fd) : fd_(fd) {}
    // Writes all of `bytes`; false once the peer has gone.
    bool send(std::string_view bytes);
    // Waits until the client hangs up (true) or `limit` has passed (false).
    bool waitForHangUp(std::chrono::milliseconds limit);
    // Hangs up right away; the server reads no further request from it.
    void close();
    bool closed() const { return closed_; }

  private:
    int fd_;
    bool closed_ = false;
};

// "HTTP/1.1 <status>" with the header lines given (each without CR LF),
// Content-Length added, then the body.
std::string httpResponse(int status, const std::vector<std::string>& headers,
                         std::string_view body);

class RawServer final : public LoopbackServer {
  public:
    using Handler = std::function<void(const RawRequest&, RawConnection&)>;

    // Serves on 127.0.0.1, on a port of the system's choice. Each new
    // connection waits `connectionDelay` before its first byte is read.
    explicit RawServer(std::chrono::milliseconds connectionDelay = {});
    ~RawServer() override;  // hangs up on every client and waits for their threads

    // The handler for requests whose path is `path`; other paths get 404.
    void on(const std::string& path, Handler handler);

    std::string url(std::string_view path = "/") const;  // "http://127.0.0.1:<port><path>"

    std::vector<RawRequest> requests() const;
    int connections() const { return accepted_.load(); }

  protected:
    Bound bindLoopback(int port) override;
    void serve() override;
    void halt() override;

  private:
    void serveConnection(int fd, int connection);
    void answer(int fd, int connection);

    Socket listener_;
    std::chrono::milliseconds connectionDelay_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> accepted_{0};
    mutable std::mutex mutex_;
    std::map<std::string, Handler> handlers_;
    std::vector<RawRequest> requests_;
    std::vector<int> clients_;
    std::vector<std::thread> workers_;
};

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTING_RAW_SERVER_H
