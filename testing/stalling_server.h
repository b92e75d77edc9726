// StallingServer: an HTTP server on 127.0.0.1 that holds every answer until
// release() or its destruction, for tests of what a program does while a
// transfer hangs. It keeps the path of each request as it arrives.
//   StallingServer server;
//   ASSERT_TRUE(server.start()) << server.failure();
//   ... start a fetch of server.url("/stall.taobao.com/") ...
//   ASSERT_TRUE(server.waitForRequest(10s));  // the fetch now hangs
#ifndef KESSRUNE_TESTING_STALLING_SERVER_H
#define KESSRUNE_TESTING_STALLING_SERVER_H

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "testing/httplib_server.h"

namespace kessrune::testing {

class StallingServer final : public HttplibServer {
  public:
    StallingServer();
    ~StallingServer() override;  // releases what it holds, then stops

    // Waits for the first request; false when none came within `limit`.
    bool waitForRequest(std::chrono::milliseconds limit);
    // Every held answer goes out now ("<html></html>"), and later ones at once.
    void release();
    // The paths asked for so far, in order.
    std::vector<std::string> paths() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable released_;
    bool release_ = false;
    std::vector<std::string> paths_;
};

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTING_STALLING_SERVER_H
