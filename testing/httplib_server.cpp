#include "testing/httplib_server.h"

#include <sys/socket.h>

namespace kessrune::testing {

HttplibServer::HttplibServer() : server_(std::make_unique<httplib::Server>()) {
    prepareServer();
}

HttplibServer::HttplibServer(const std::string& certFile, const std::string& keyFile)
    : server_(std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str())),
      scheme_("https") {
    if (!server_->is_valid())
        loadFailure_ = "cannot load the certificate " + certFile + " or the key " + keyFile;
    prepareServer();
}

HttplibServer::~HttplibServer() {
    stop();
}

// cpp-httplib makes its task queue as the first thing its loop does, after
// it has marked itself running and before it accepts: the one moment from
// which its stop() is sure to take, told without polling is_running().
//
// Its own socket options add SO_REUSEPORT, under which a second server binds
// a port that another one already serves and the two share its clients;
// without it a taken port fails the bind, as it should.
void HttplibServer::prepareServer() {
    server_->set_socket_options([](socket_t socket) {
        const int on = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    });
    server_->new_task_queue = [this] {
        loopRunning();
        return new httplib::ThreadPool(threads_);
    };
}

std::string HttplibServer::url(std::string_view path) const {
    return origin(scheme_) + std::string(path);
}

LoopbackServer::Bound HttplibServer::bindLoopback(int port) {
    if (!loadFailure_.empty())
        return {0, loadFailure_};
    const int bound = port == 0 ? server_->bind_to_any_port("127.0.0.1")
                                : (server_->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0)
        return {0, "cannot bind and listen on 127.0.0.1:" + std::to_string(port) +
                       (port == 0 ? "" : " (is the port in use?)")};
    return {bound, {}};
}

void HttplibServer::serve() {
    server_->listen_after_bind();
}

void HttplibServer::halt() {
    server_->stop();
}

HttpsServer::HttpsServer(const std::string& certFile, const std::string& keyFile)
    : HttplibServer(certFile, keyFile) {
    startOrThrow();
}

}  // namespace kessrune::testing
