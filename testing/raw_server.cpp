#include "testing/raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace kessrune::testing {
namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

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
        if (colon != std::string_view::npos && equalsIgnoringCase(line.substr(0, colon), name)) {
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
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char byte;
    while (!closed_ && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0 && ::recv(fd_, &byte, 1, MSG_PEEK) <= 0)
            return true;
    }
    return false;
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
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("test server cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

RawServer::~RawServer() {
    stopping_ = true;
    acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (int fd : clients_)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (std::thread& t : workers_)
        t.join();
    ::close(listener_);
}

void RawServer::on(const std::string& path, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[path] = std::move(handler);
}

std::string RawServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<RawRequest> RawServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RawServer::acceptLoop() {
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const int connection = ++accepted_;
        std::lock_guard lock(mutex_);
        clients_.push_back(fd);
        workers_.emplace_back([this, fd, connection] { serve(fd, connection); });
    }
}

void RawServer::serve(int fd, int connection) {
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

// ---------------------------------------------------------------------------

namespace {

struct KeyDeleter {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertDeleter {
    void operator()(X509* c) const { X509_free(c); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using Cert = std::unique_ptr<X509, CertDeleter>;

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr)
        throw std::runtime_error("bad certificate extension");
    X509_add_ext(cert, extension, -1);
    X509_EXTENSION_free(extension);
}

// A certificate for `key`, signed by `issuerKey` as `issuer` (itself when null).
Cert makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                     bool authority, const char* altNames, long serial) {
    Cert cert(X509_new());
    X509* c = cert.get();
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), serial);
    X509_gmtime_adj(X509_getm_notBefore(c), -3600);
    X509_gmtime_adj(X509_getm_notAfter(c), 30L * 24 * 3600);
    X509_set_pubkey(c, key);
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Kessrune tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* signer = issuer != nullptr ? issuer : c;
    X509_set_issuer_name(c, X509_get_subject_name(signer));
    addExtension(c, signer, NID_basic_constraints, authority ? "critical,CA:TRUE" : "CA:FALSE");
    addExtension(c, signer, NID_subject_key_identifier, "hash");
    if (authority) {
        addExtension(c, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(c, signer, NID_key_usage, "critical,digitalSignature,keyEncipherment");
        addExtension(c, signer, NID_ext_key_usage, "serverAuth");
        addExtension(c, signer, NID_subject_alt_name, altNames);
    }
    if (X509_sign(c, issuerKey, EVP_sha256()) == 0)
        throw std::runtime_error("cannot sign");
    return cert;
}

void writePem(const std::filesystem::path& path, X509* cert, EVP_PKEY* key) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr)
        throw std::runtime_error("cannot write " + path.string());
    const bool ok = cert != nullptr
                        ? PEM_write_X509(f, cert) == 1
                        : PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    std::fclose(f);
    if (!ok)
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

TestCertificates::TestCertificates() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kessrune-certs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
    dir_ = pattern;

    Key key(EVP_EC_gen("P-256"));
    if (!key)
        throw std::runtime_error("cannot make a key");
    Cert ca = makeCertificate(key.get(), "Kessrune test CA", nullptr, key.get(), true, nullptr, 1);
    Cert server = makeCertificate(key.get(), "127.0.0.1", ca.get(), key.get(), false,
                                  "IP:127.0.0.1,DNS:localhost", 2);
    Cert selfSigned = makeCertificate(key.get(), "127.0.0.1", nullptr, key.get(), false,
                                      "IP:127.0.0.1,DNS:localhost", 3);
    Cert otherHost = makeCertificate(key.get(), "other.example", ca.get(), key.get(), false,
                                     "DNS:other.example", 4);
    writePem(caFile(), ca.get(), nullptr);
    writePem(serverCertFile(), server.get(), nullptr);
    writePem(selfSignedCertFile(), selfSigned.get(), nullptr);
    writePem(otherHostCertFile(), otherHost.get(), nullptr);
    writePem(serverKeyFile(), nullptr, key.get());
}

TestCertificates::~TestCertificates() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string TestCertificates::caFile() const {
    return (dir_ / "ca.pem").string();
}
std::string TestCertificates::serverCertFile() const {
    return (dir_ / "server.pem").string();
}
std::string TestCertificates::serverKeyFile() const {
    return (dir_ / "key.pem").string();
}
std::string TestCertificates::selfSignedCertFile() const {
    return (dir_ / "self-signed.pem").string();
}
std::string TestCertificates::otherHostCertFile() const {
    return (dir_ / "other-host.pem").string();
}

// ---------------------------------------------------------------------------

HttpsServer::HttpsServer(const std::string& certFile, const std::string& keyFile)
    : server_(certFile.c_str(), keyFile.c_str()) {
    if (!server_.is_valid())
        throw std::runtime_error("cannot start the HTTPS test server");
    server_.set_keep_alive_max_count(1000);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpsServer::~HttpsServer() {
    server_.stop();
    thread_.join();
}

std::string HttpsServer::url(std::string_view path) const {
    return "https://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

}  // namespace kessrune::testing
