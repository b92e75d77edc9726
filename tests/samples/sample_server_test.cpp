#include "samples/sample_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "http/fetch.h"
#include "testing/raw_server.h"

namespace kessrune::samples {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class SampleServerTest : public ::testing::Test {
  protected:
    void SetUp() override { resetFetchStore(); }
    // Closing the kept connections first lets the server stop at once.
    void TearDown() override {
        resetFetchStore();
        server_.reset();
    }

    // A server that serves until the end of the test.
    SampleServer& serve(ServerOptions options) {
        server_ = std::make_unique<SampleServer>(std::move(options));
        EXPECT_TRUE(server_->start()) << server_->failure();
        return *server_;
    }

    static FetchReport fetched(const std::string& address, std::string* body = nullptr) {
        FetchReport report;
        FetchOptions options;
        options.report = &report;
        const std::string got = fetchBody(address, options);
        if (body)
            *body = got;
        return report;
    }

    std::unique_ptr<SampleServer> server_;
};

TEST_F(SampleServerTest, ServesTheGeneratedShopsItIsAskedFor) {
    SampleServer& server = serve({.generatedShops = 4});
    for (const int n : {1, 4}) {
        const GeneratedShop shop = generatedShop(n);
        SCOPED_TRACE(shop.directory);
        std::string page, sheet;
        EXPECT_EQ(fetched(server.shopAddress(shop), &page).status, 200);
        EXPECT_EQ(page, generatedPage(shop, server.port()));
        EXPECT_NE(page.find(server.cssAddress(shop)), std::string::npos);
        EXPECT_EQ(fetched(server.cssAddress(shop), &sheet).status, 200);
        EXPECT_EQ(sheet, generatedSheet(shop));
    }
    EXPECT_EQ(fetched(server.shopAddress(generatedShop(5))).status, 404);
    EXPECT_EQ(fetched(server.origin() + "/gen0001.taobao.com/other.css").status, 404);
    std::string index;
    fetched(server.origin() + "/", &index);
    EXPECT_NE(index.find(server.shopAddress(generatedShop(4))), std::string::npos);
    EXPECT_EQ(index.find("gen0005"), std::string::npos);
    // The hand-made shops are still there.
    EXPECT_EQ(fetched(server.shopAddress(sampleShops()[0])).status, 200);
}

TEST_F(SampleServerTest, DelaysAndCountsEachNewConnection) {
    constexpr auto kConnectionDelay = 60ms, kResponseDelay = 30ms;
    SampleServer& server =
        serve({.connectionDelay = kConnectionDelay, .responseDelay = kResponseDelay});
    const std::string address = server.shopAddress(sampleShops()[0]);

    const auto start = Clock::now();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fetched(address).status, 200);
    EXPECT_GE(Clock::now() - start, kConnectionDelay + 3 * kResponseDelay);
    EXPECT_EQ(server.acceptedConnections(), 1);  // the fetch layer kept its connection

    resetFetchStore();
    EXPECT_EQ(fetched(address).status, 200);
    EXPECT_EQ(server.acceptedConnections(), 2);
    EXPECT_EQ(server.connections(), 2);
    server.clearLog();
    EXPECT_EQ(server.acceptedConnections(), 0);
}

TEST_F(SampleServerTest, AStopDoesNotWaitOutAConnectionDelay) {
    SampleServer& server = serve({.connectionDelay = std::chrono::hours(1)});
    testing::Socket client;
    client.reset(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(server.port()));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client.get(), reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    for (int i = 0; i < 5000 && server.acceptedConnections() == 0; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(server.acceptedConnections(), 1);

    const auto start = Clock::now();
    server.stop();
    EXPECT_LT(Clock::now() - start, 30s);
}

}  // namespace
}  // namespace kessrune::samples
