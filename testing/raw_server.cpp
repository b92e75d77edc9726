#include "testing/raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <system_error>

#include "text/ascii.h"

namespace kessrune::testing {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::string RawRequest::header(std::string_view name) const {
    std::string_view rest(head);
    rest.remove_prefix(std::min(rest.size(), rest.find("\r\n") + 2));
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view line = rest.substr(0, end);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            equalsIgnoringAsciiCase(line.substr(0, colon), name)) {
            return std::string(trimmed(line.substr(colon + 1)));
        }
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 2);
    }
    return {};
}

bool RawConnection::send(std::string_view bytes) {
    while (!closed_ && !bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return !closed_;
}

bool RawConnection::waitForHangUp(std::chrono::milliseconds limit) {
    if (closed_)
        return false;
    // POLLRDHUP tells of the client's hang-up even while bytes it sent before
    // still wait unread, so the one poll needs no loop around it.
    pollfd p{fd_, POLLRDHUP, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, static_cast<int>(limit.count()));
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

void Socket::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

void RawConnection::close() {
    if (!closed_)
        ::shutdown(fd_, SHUT_RDWR);
    closed_ = true;
}

std::string httpResponse(int status, const std::vector<std::string>& headers,
                         std::string_view body) {
    std::string out =
        "HTTP/1.1 " + std::to_string(status) + (status < 300 ? " OK" : " Status") + "\r\n";
    for (const std::string& h : headers)
        out += h + "\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    out += body;
    return out;
}

RawServer::RawServer(std::chrono::milliseconds connectionDelay)
    : connectionDelay_(connectionDelay) {
    startOrThrow();
}

RawServer::~RawServer() {
    stop();
    {
        std::lock_guard lock(mutex_);
        for (int fd : clients_)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (std::thread& t : workers_)
        t.join();
}

void RawServer::on(const std::string& path, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[path] = std::move(handler);
}

std::string RawServer::url(std::string_view path) const {
    return origin() + std::string(path);
}

std::vector<RawRequest> RawServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

LoopbackServer::Bound RawServer::bindLoopback(int port) {
    listener_.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    ::setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (!listener_ ||
        ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_.get(), 64) != 0 ||
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const std::string reason = std::generic_category().message(errno);
        listener_.reset();
        return {0, "cannot bind and listen on 127.0.0.1:" + std::to_string(port) + ": " + reason};
    }
    return {ntohs(address.sin_port), {}};
}

// accept() blocks until a client comes or halt() shuts the listener down,
// which makes it fail at once.
void RawServer::serve() {
    loopRunning();
    while (true) {
        const int fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC);
        if (stopping_) {
            if (fd >= 0)
                ::close(fd);
            break;
        }
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            break;
        }
        const int connection = ++accepted_;
        std::lock_guard lock(mutex_);
        clients_.push_back(fd);
        workers_.emplace_back([this, fd, connection] { serveConnection(fd, connection); });
    }
}

void RawServer::halt() {
    stopping_ = true;
    ::shutdown(listener_.get(), SHUT_RDWR);
}

void RawServer::serveConnection(int fd, int connection) {
    answer(fd, connection);
    std::lock_guard lock(mutex_);
    std::erase(clients_, fd);
    ::close(fd);
}

void RawServer::answer(int fd, int connection) {
    if (connectionDelay_.count() > 0)
        std::this_thread::sleep_for(connectionDelay_);
    RawConnection out(fd);
    std::string buffer;
    char chunk[16384];
    auto fill = [&]() {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
        return true;
    };
    while (!stopping_ && !out.closed()) {
        std::size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (!fill())
                return;
        }
        RawRequest request;
        request.connection = connection;
        request.head = buffer.substr(0, end + 4);
        buffer.erase(0, end + 4);
        request.requestLine = request.head.substr(0, request.head.find("\r\n"));
        const std::size_t s1 = request.requestLine.find(' ');
        const std::size_t s2 = request.requestLine.find(' ', s1 + 1);
        request.method = request.requestLine.substr(0, s1);
        request.target = request.requestLine.substr(s1 + 1, s2 - s1 - 1);
        request.path = request.target.substr(0, request.target.find('?'));
        const std::size_t length =
            std::strtoul(request.header("Content-Length").c_str(), nullptr, 10);
        while (buffer.size() < length) {
            if (!fill())
                return;
        }
        request.body = buffer.substr(0, length);
        buffer.erase(0, length);

        Handler handler;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            // A proxy is asked for an absolute target; it is routed by its path.
            std::string route = request.path;
            if (const std::size_t scheme = route.find("://"); scheme != std::string::npos) {
                const std::size_t slash = route.find('/', scheme + 3);
                route = slash == std::string::npos ? "/" : route.substr(slash);
            }
            if (auto it = handlers_.find(route); it != handlers_.end())
                handler = it->second;
        }
        if (handler) {
            handler(request, out);
        } else {
            out.send(httpResponse(404, {}, "not found"));
        }
    }
}

}  // namespace kessrune::testing
