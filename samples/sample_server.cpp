#include "samples/sample_server.h"

#include <httplib.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "testing/files.h"
#include "testing/httplib_server.h"
#include "text/ascii.h"

namespace kessrune::samples {

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

    // Last, so that it stops before what its handlers use goes.
    testing::HttplibServer http;

    int port() const { return http.port(); }
    std::string origin() const { return http.origin(); }

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
        body += "</ul></body></html>\n";
        return {body, "text/html; charset=utf-8"};
    }
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
    return state_->http.start(port);
}

const std::string& SampleServer::failure() const {
    return state_->http.failure();
}

void SampleServer::stop() {
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
