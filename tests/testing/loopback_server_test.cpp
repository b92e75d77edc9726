// The servers every other test leans on: a start that cannot bind says so at
// once instead of hanging, and a stop straight after a start is never lost.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>

#include "samples/sample_server.h"
#include "testing/httplib_server.h"
#include "testing/raw_server.h"

namespace kessrune::testing {
namespace {

using namespace std::chrono_literals;

// Runs `work` on a thread of its own and fails the test when it has not
// ended within `limit`; a hung server then ends the program loudly rather
// than leaving CTest to wait out its time-out.
void endsWithin(std::chrono::seconds limit, const std::function<void()>& work) {
    std::promise<void> done;
    std::future<void> ended = done.get_future();
    std::thread([&work, done = std::move(done)]() mutable {
        work();
        done.set_value();
    }).detach();
    if (ended.wait_for(limit) != std::future_status::ready) {
        std::fprintf(stderr, "a server did not stop within %lld s\n",
                     static_cast<long long>(limit.count()));
        std::abort();
    }
}

TEST(LoopbackServer, TakenPortFailsAtOnceAndSaysWhich) {
    HttplibServer first;
    ASSERT_TRUE(first.start()) << first.failure();
    const int taken = first.port();

    HttplibServer second;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.start(taken));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_NE(second.failure().find("127.0.0.1:" + std::to_string(taken)), std::string::npos)
        << second.failure();
    EXPECT_FALSE(second.running());

    // The sample-shop server goes the same way.
    samples::SampleServer samples;
    EXPECT_FALSE(samples.start(taken));
    EXPECT_NE(samples.failure().find(std::to_string(taken)), std::string::npos);
}

TEST(LoopbackServer, CertificateThatDoesNotLoadIsNamed) {
    HttplibServer tls("/nonexistent/cert.pem", "/nonexistent/key.pem");
    EXPECT_FALSE(tls.start());
    EXPECT_NE(tls.failure().find("/nonexistent/cert.pem"), std::string::npos) << tls.failure();
    EXPECT_THROW(HttpsServer("/nonexistent/cert.pem", "/nonexistent/key.pem"), std::runtime_error);
}

// cpp-httplib's stop() is lost on a loop that has not begun; start() waits
// for the loop to say it runs, so none of these stops can be.
TEST(LoopbackServer, StopRightAfterStartIsNeverLost) {
    endsWithin(60s, [] {
        for (int i = 0; i < 200; ++i) {
            HttplibServer server;
            ASSERT_TRUE(server.start()) << server.failure();
            EXPECT_TRUE(server.running());
            server.stop();
            EXPECT_FALSE(server.running());
        }
        for (int i = 0; i < 200; ++i) {
            RawServer raw;  // serving once constructed, stopped when destroyed
        }
        for (int i = 0; i < 50; ++i) {
            samples::SampleServer samples;
            ASSERT_TRUE(samples.start()) << samples.failure();
        }
    });
}

TEST(LoopbackServer, StartsAgainAfterStop) {
    HttplibServer server;
    server.server().Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("up", "text/plain");
    });
    ASSERT_TRUE(server.start()) << server.failure();
    EXPECT_TRUE(server.start());  // already serving: nothing changes
    const int port = server.port();
    server.stop();
    server.stop();  // nothing to stop
    EXPECT_FALSE(server.running());
    ASSERT_TRUE(server.start(port)) << server.failure();
    httplib::Client client("127.0.0.1", port);
    auto answer = client.Get("/");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, "up");
}

}  // namespace
}  // namespace kessrune::testing
