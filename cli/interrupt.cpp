#include "cli/interrupt.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>

namespace kessrune {
namespace {

sigset_t watchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

InterruptWatch::InterruptWatch(std::stop_source stop) {
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    signalFd_ = ::signalfd(-1, &set, SFD_CLOEXEC);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (signalFd_ == -1 || wakeFd_ == -1) {
        // Without the descriptors the signals keep their usual effect.
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    watcher_ = std::jthread([this, stop]() mutable {
        pollfd fds[2] = {{signalFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        for (;;) {
            if (::poll(fds, 2, -1) < 0)
                continue;  // EINTR
            if (fds[1].revents != 0)
                return;
            signalfd_siginfo info{};
            if (fds[0].revents != 0 && ::read(signalFd_, &info, sizeof info) == sizeof info) {
                int expected = 0;
                signal_.compare_exchange_strong(expected, static_cast<int>(info.ssi_signo));
                stop.request_stop();
            }
        }
    });
}

InterruptWatch::~InterruptWatch() {
    if (watcher_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
        watcher_.join();
    }
    if (signalFd_ != -1)
        ::close(signalFd_);
    if (wakeFd_ != -1)
        ::close(wakeFd_);
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace kessrune
