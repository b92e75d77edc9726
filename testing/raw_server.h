// Servers on 127.0.0.1 for the page-fetch tests and benchmark: a raw
// HTTP/1.1 server that records every request byte for byte and lets a
// handler write any response (or stall, or hang up), and a test CA with the
// certificates the HTTPS servers present.
#ifndef KESSRUNE_TESTING_RAW_SERVER_H
#define KESSRUNE_TESTING_RAW_SERVER_H

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <httplib.h>

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

class RawServer {
  public:
    using Handler = std::function<void(const RawRequest&, RawConnection&)>;

    // Listens on 127.0.0.1, on a port of the system's choice. Each new
    // connection waits `connectionDelay` before its first byte is read.
    explicit RawServer(std::chrono::milliseconds connectionDelay = {});
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    // The handler for requests whose path is `path`; other paths get 404.
    void on(const std::string& path, Handler handler);

    int port() const { return port_; }
    std::string url(std::string_view path = "/") const;  // "http://127.0.0.1:<port><path>"

    std::vector<RawRequest> requests() const;
    int connections() const { return accepted_.load(); }

  private:
    void acceptLoop();
    void serve(int fd, int connection);
    void answer(int fd, int connection);

    int listener_ = -1;
    int port_ = 0;
    std::chrono::milliseconds connectionDelay_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> accepted_{0};
    mutable std::mutex mutex_;
    std::map<std::string, Handler> handlers_;
    std::vector<RawRequest> requests_;
    std::vector<int> clients_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// A certificate authority of the test's own and certificates made with it,
// written as PEM files into a fresh temporary directory (removed at the end).
class TestCertificates {
  public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    std::string caFile() const;          // the CA certificate
    std::string serverCertFile() const;  // signed by the CA for 127.0.0.1 and localhost
    std::string serverKeyFile() const;
    std::string selfSignedCertFile() const;  // for 127.0.0.1, signed by nobody's CA
    std::string otherHostCertFile() const;   // signed by the CA for other.example only
    std::string keyFile() const { return serverKeyFile(); }  // the key of every certificate

  private:
    std::filesystem::path dir_;
};

// A cpp-httplib HTTPS server on 127.0.0.1 (a port of the system's choice),
// running in its own thread until destroyed. Handlers are added on
// `server()` before the first request.
class HttpsServer {
  public:
    HttpsServer(const std::string& certFile, const std::string& keyFile);
    ~HttpsServer();
    HttpsServer(const HttpsServer&) = delete;
    HttpsServer& operator=(const HttpsServer&) = delete;

    httplib::SSLServer& server() { return server_; }
    int port() const { return port_; }
    // "https://127.0.0.1:<port><path>"
    std::string url(std::string_view path = "/") const;

  private:
    httplib::SSLServer server_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTING_RAW_SERVER_H
