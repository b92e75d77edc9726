#include "samples/sample_server.h"

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "testing/files.h"
#include "testing/httplib_server.h"
#include "text/ascii.h"

namespace kessrune::samples {

constexpr std::size_t kServerThreads = 64;

namespace {

struct Page {
    std::string body;
    std::string contentType;
};

}  // namespace

std::string SeenRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringAsciiCase(key, name)) {
            return value;
        }
    }
    return {};
}

struct SampleServer::State {
    std::filesystem::path shops;
    ServerOptions options;

    mutable std::mutex mutex;
    std::map<std::string, Page> pages;
    std::vector<SeenRequest> seen;
    std::set<std::pair<std::string, int>> clients;
    std::atomic<int> accepted{0};
    // Set while the server stops, so that no delay holds the stop up.
    bool stopping = false;
    std::condition_variable stoppingChanged;

    // Last, so that it stops before what its handlers use goes.
    testing::HttplibServer http;

    int port() const { return http.port(); }
    std::string origin() const { return http.origin(); }

    void record(const httplib::Request& req) {
        SeenRequest r{req.method, req.target, {}, req.remote_port};
        for (const auto& [key, value] : req.headers) {
            r.headers.emplace_back(key, value);
        }
        std::lock_guard lock(mutex);
        seen.push_back(std::move(r));
        clients.emplace(req.remote_addr, req.remote_port);
    }

    // Waits `delay`, or less when the server stops meanwhile.
    void pause(std::chrono::milliseconds delay) {
        if (delay.count() <= 0) {
            return;
        }
        std::unique_lock lock(mutex);
        stoppingChanged.wait_for(lock, delay, [this] { return stopping; });
    }

    void setStopping(bool value) {
        {
            std::lock_guard lock(mutex);
            stopping = value;
        }
        stoppingChanged.notify_all();
    }

    // A generated shop's page or sheet; nullopt when `path` is neither.
    std::optional<Page> findGenerated(const std::string& path) const {
        const std::size_t slash = path.find('/', 1);
        if (slash == std::string::npos) {
            return std::nullopt;
        }
        const std::optional<int> number = generatedShopNumber(path.substr(1, slash - 1));
        if (!number || *number > options.generatedShops) {
            return std::nullopt;
        }
        const GeneratedShop shop = generatedShop(*number);
        const std::string file = path.substr(slash + 1);
        if (file.empty() || file == "index.html") {
            return Page{generatedPage(shop, port()), std::string(kGeneratedPageType)};
        }
        if (file == shop.cssFile) {
            return Page{generatedSheet(shop), std::string(kGeneratedSheetType)};
        }
        return std::nullopt;
    }

    std::optional<Page> find(const std::string& path) const {
        {
            std::lock_guard lock(mutex);
            if (auto it = pages.find(path); it != pages.end()) {
                return it->second;
            }
        }
        if (path == "/") {
            return indexPage();
        }
        if (options.generatedShops > 0 && path.starts_with("/gen")) {
            return findGenerated(path);
        }
        if (path.find("..") != std::string::npos || path.find('\\') != std::string::npos) {
            return std::nullopt;
        }
        std::string file = path.substr(1);
        if (file.empty() || file.ends_with('/')) {
            file += "index.html";
        }
        std::optional<std::string> body = testing::readFile(shops / file);
        if (!body) {
            return std::nullopt;
        }
        Page page{std::move(*body), {}};
        if (file.ends_with(".css")) {
            page.contentType = "text/css";
        } else {
            page.contentType = "text/html";
            for (const SampleShop& shop : sampleShops()) {
                if (file == std::string(shop.directory) + "/index.html") {
                    page.contentType = shop.pageContentType;
                }
            }
            page.body = fillPlaceholders(std::move(page.body), port());
        }
        return page;
    }

    Page indexPage() const {
        std::string body =
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Kessrune sample "
            "shops</title></head><body><h1>Kessrune sample shops</h1><ul>\n";
        for (const SampleShop& shop : sampleShops()) {
            std::string address = origin() + "/" + std::string(shop.directory) + "/";
            body += "<li><a href=\"" + address + "\">" + address + "</a> " +
                    std::string(shop.summary) + "</li>\n";
        }
        for (int n = 1; n <= options.generatedShops; ++n) {
            const GeneratedShop shop = generatedShop(n);
            std::string address = origin() + "/" + shop.directory + "/";
            body +=
                "<li><a href=\"" + address + "\">" + address + "</a> " + shop.summary + "</li>\n";
        }
        body += "</ul></body></html>\n";
        return {body, "text/html; charset=utf-8"};
    }
};

// The server's task queue, wrapped: cpp-httplib hands it each connection it
// accepts, as one task, before anything is read from it, which makes it the
// place to count connections and to delay them.
class SampleServer::AcceptQueue final : public httplib::TaskQueue {
  public:
    AcceptQueue(httplib::TaskQueue* inner, State& state) : inner_(inner), state_(state) {}

    void enqueue(std::function<void()> fn) override {
        state_.accepted.fetch_add(1);
        const std::chrono::milliseconds delay = state_.options.connectionDelay;
        if (delay.count() <= 0) {
            inner_->enqueue(std::move(fn));
            return;
        }
        // The wait runs on the pool's thread, not on the loop that accepts.
        inner_->enqueue([fn = std::move(fn), delay, &state = state_] {
            state.pause(delay);
            fn();
        });
    }
    void shutdown() override { inner_->shutdown(); }
    void on_idle() override { inner_->on_idle(); }

  private:
    std::unique_ptr<httplib::TaskQueue> inner_;
    State& state_;
};

SampleServer::SampleServer(ServerOptions options) : state_(std::make_unique<State>()) {
    state_->shops = options.shops;
    state_->options = std::move(options);
    httplib::Server& server = state_->http.server();
    // A whole analysis runs on one connection, as a browser's would.
    server.set_keep_alive_max_count(1000);
    server.set_keep_alive_timeout(30);
    // Headers and body go out in separate writes; without this each response
    // would wait for the client's delayed acknowledgement.
    server.set_tcp_nodelay(true);
    // A pool for many clients at once (a batch of eight shops keeps up to
    // sixteen connections): with eight threads the ninth connection would
    // wait out another's keep-alive.
    state_->http.setThreads(kServerThreads);
    server.new_task_queue = [made = server.new_task_queue, state = state_.get()] {
        return new AcceptQueue(made(), *state);
    };
    auto handler = [state = state_.get()](const httplib::Request& req, httplib::Response& res) {
        state->record(req);
        state->pause(state->options.responseDelay);
        if (auto page = state->find(req.path)) {
            res.set_content(std::move(page->body), page->contentType);
        } else {
            res.status = 404;
            res.set_content("not found\n", "text/plain");
        }
    };
    server.Get(R"(/.*)", handler);
    server.Post(R"(/.*)", handler);
}

SampleServer::~SampleServer() {
    stop();
}

bool SampleServer::start(int port) {
    state_->setStopping(false);
    return state_->http.start(port);
}

const std::string& SampleServer::failure() const {
    return state_->http.failure();
}

void SampleServer::stop() {
    // The listening socket goes first: a connection whose delay the stop cuts
    // short then finds the server gone and closes, instead of waiting out
    // the keep-alive time for a request that never comes.
    if (state_->http.running())
        state_->http.server().stop();
    state_->setStopping(true);
    state_->http.stop();
}

int SampleServer::port() const {
    return state_->port();
}

std::string SampleServer::origin() const {
    return state_->origin();
}

std::string SampleServer::shopAddress(const SampleShop& shop) const {
    return origin() + "/" + std::string(shop.directory) + "/";
}

std::string SampleServer::cssAddress(const SampleShop& shop) const {
    std::string base =
        shop.cssOnImageHost ? "http://img.localhost:" + std::to_string(port()) : origin();
    return base + "/" + std::string(shop.directory) + "/" + std::string(shop.cssFile);
}

std::string SampleServer::shopAddress(const GeneratedShop& shop) const {
    return origin() + "/" + shop.directory + "/";
}

std::string SampleServer::cssAddress(const GeneratedShop& shop) const {
    std::string base =
        shop.cssOnImageHost ? "http://img.localhost:" + std::to_string(port()) : origin();
    return base + "/" + shop.directory + "/" + shop.cssFile;
}

void SampleServer::addPage(std::string path, std::string body, std::string contentType) {
    std::lock_guard lock(state_->mutex);
    state_->pages[std::move(path)] = Page{std::move(body), std::move(contentType)};
}

std::vector<SeenRequest> SampleServer::requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->seen;
}

int SampleServer::connections() const {
    std::lock_guard lock(state_->mutex);
    return static_cast<int>(state_->clients.size());
}

int SampleServer::acceptedConnections() const {
    return state_->accepted.load();
}

void SampleServer::clearLog() {
    std::lock_guard lock(state_->mutex);
    state_->seen.clear();
    state_->clients.clear();
    state_->accepted.store(0);
}

}  // namespace kessrune::samples
