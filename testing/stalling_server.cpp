#include "testing/stalling_server.h"

namespace kessrune::testing {

StallingServer::StallingServer() {
    server().Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(mutex_);
        paths_.push_back(request.path);
        arrived_.notify_all();
        // Bounded, so that a test that never releases still ends.
        released_.wait_for(lock, std::chrono::seconds(30), [this] { return release_; });
        response.set_content("<html></html>", "text/html");
    });
}

StallingServer::~StallingServer() {
    release();
    stop();
}

bool StallingServer::waitForRequest(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, limit, [this] { return !paths_.empty(); });
}

void StallingServer::release() {
    {
        std::lock_guard lock(mutex_);
        release_ = true;
    }
    released_.notify_all();
}

std::vector<std::string> StallingServer::paths() const {
    std::lock_guard lock(mutex_);
    return paths_;
}

}  // namespace kessrune::testing
