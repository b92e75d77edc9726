#include "samples/sample_server.h"

#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

namespace kessrune::samples {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

void replaceAll(std::string& s, std::string_view from, std::string_view to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
        s.replace(at, from.size(), to);
    }
}

bool readFile(const std::filesystem::path& file, std::string& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream data;
    data << in.rdbuf();
    out = std::move(data).str();
    return true;
}

struct Page {
    std::string body;
    std::string contentType;
};

}  // namespace

std::string SeenRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (equalIgnoringCase(key, name)) {
            return value;
        }
    }
    return {};
}

struct SampleServer::State {
    std::filesystem::path shops;
    ServerOptions options;
    httplib::Server server;
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    std::map<std::string, Page> pages;
    std::vector<SeenRequest> seen;
    std::set<std::pair<std::string, int>> clients;

    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port); }

    // The first request on a connection pays the set-up delay.
    void record(const httplib::Request& req) {
        SeenRequest r{req.method, req.target, {}, req.remote_port};
        for (const auto& [key, value] : req.headers) {
            r.headers.emplace_back(key, value);
        }
        bool fresh = false;
        {
            std::lock_guard lock(mutex);
            seen.push_back(std::move(r));
            fresh = clients.emplace(req.remote_addr, req.remote_port).second;
        }
        if (fresh && options.connectionDelay.count() > 0) {
            std::this_thread::sleep_for(options.connectionDelay);
        }
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
        if (path.find("..") != std::string::npos || path.find('\\') != std::string::npos) {
            return std::nullopt;
        }
        std::string file = path.substr(1);
        if (file.empty() || endsWith(file, "/")) {
            file += "index.html";
        }
        Page page;
        if (!readFile(shops / file, page.body)) {
            return std::nullopt;
        }
        if (endsWith(file, ".css")) {
            page.contentType = "text/css";
        } else {
            page.contentType = "text/html";
            for (const SampleShop& shop : sampleShops()) {
                if (file == std::string(shop.directory) + "/index.html") {
                    page.contentType = shop.pageContentType;
                }
            }
            replaceAll(page.body, "{{ORIGIN}}", origin());
            replaceAll(page.body, "{{PORT}}", std::to_string(port));
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
        body += "</ul></body></html>\n";
        return {body, "text/html; charset=utf-8"};
    }
};

SampleServer::SampleServer(std::string fixturesRoot, ServerOptions options)
    : state_(std::make_unique<State>()) {
    state_->shops = std::filesystem::path(fixturesRoot) / "shops";
    state_->options = options;
    auto& server = state_->server;
    // A whole analysis runs on one connection, as a browser's would.
    server.set_keep_alive_max_count(1000);
    server.set_keep_alive_timeout(30);
    // Headers and body go out in separate writes; without this each response
    // would wait for the client's delayed acknowledgement.
    server.set_tcp_nodelay(true);
    auto handler = [state = state_.get()](const httplib::Request& req, httplib::Response& res) {
        state->record(req);
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
    auto& state = *state_;
    if (state.thread.joinable()) {
        return true;
    }
    if (port == 0) {
        state.port = state.server.bind_to_any_port("127.0.0.1");
    } else {
        state.port = state.server.bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (state.port <= 0) {
        state.port = 0;
        return false;
    }
    state.thread = std::thread([&state] { state.server.listen_after_bind(); });
    // stop() only reaches a server whose loop runs.
    while (!state.server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void SampleServer::stop() {
    auto& state = *state_;
    if (state.thread.joinable()) {
        state.server.stop();
        state.thread.join();
    }
}

int SampleServer::port() const {
    return state_->port;
}

std::string SampleServer::origin() const {
    return state_->origin();
}

std::string SampleServer::shopAddress(const SampleShop& shop) const {
    return origin() + "/" + std::string(shop.directory) + "/";
}

std::string SampleServer::cssAddress(const SampleShop& shop) const {
    std::string base =
        shop.cssOnImageHost ? "http://img.localhost:" + std::to_string(state_->port) : origin();
    return base + "/" + std::string(shop.directory) + "/" + std::string(shop.cssFile);
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

void SampleServer::clearLog() {
    std::lock_guard lock(state_->mutex);
    state_->seen.clear();
    state_->clients.clear();
}

}  // namespace kessrune::samples
