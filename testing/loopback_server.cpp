#include "testing/loopback_server.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace kessrune::testing {

LoopbackServer::~LoopbackServer() {
    if (thread_.joinable()) {
        std::fprintf(stderr,
                     "LoopbackServer on 127.0.0.1:%d destroyed while its loop runs: the "
                     "subclass's destructor must call stop()\n",
                     port());
        std::terminate();
    }
}

bool LoopbackServer::start(int port) {
    {
        std::lock_guard lock(mutex_);
        if (state_ == State::running)
            return true;
    }
    stop();  // a loop that ended on its own still has a thread to join
    failure_.clear();
    Bound bound = bindLoopback(port);
    if (bound.port <= 0) {
        failure_ = bound.failure.empty() ? "cannot listen on 127.0.0.1:" + std::to_string(port)
                                         : std::move(bound.failure);
        return false;
    }
    port_ = bound.port;
    {
        std::lock_guard lock(mutex_);
        state_ = State::starting;
    }
    thread_ = std::thread([this] {
        serve();
        {
            std::lock_guard lock(mutex_);
            state_ = State::ended;
        }
        changed_.notify_all();
    });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return state_ != State::starting; });
    if (state_ == State::running)
        return true;
    lock.unlock();
    thread_.join();
    failure_ = "the server on 127.0.0.1:" + std::to_string(port_) + " ended before it served";
    return false;
}

void LoopbackServer::stop() {
    if (!thread_.joinable())
        return;
    bool serving;
    {
        std::lock_guard lock(mutex_);
        serving = state_ == State::running;
    }
    if (serving)
        halt();
    thread_.join();
    std::lock_guard lock(mutex_);
    state_ = State::stopped;
}

bool LoopbackServer::running() const {
    std::lock_guard lock(mutex_);
    return state_ == State::running;
}

std::string LoopbackServer::origin(std::string_view scheme) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port());
}

void LoopbackServer::loopRunning() {
    {
        std::lock_guard lock(mutex_);
        state_ = State::running;
    }
    changed_.notify_all();
}

void LoopbackServer::startOrThrow(int port) {
    if (!start(port))
        throw std::runtime_error(failure_);
}

}  // namespace kessrune::testing
