// LoopbackServer: how every server of the tests, the benchmarks and the
// sample shops starts and stops.
//
// start() binds 127.0.0.1 (port 0: one the system picks), runs the server's
// loop in a thread of its own and returns once the loop itself has said that
// it serves, through a condition variable: no caller spins on a flag, and a
// stop() right after start() is never lost on a loop that has not begun. A
// server that cannot bind, listen or run its loop makes start() return false
// at once with the reason in failure(), so a test fails with a message
// instead of waiting for its time-out.
//
// A subclass supplies the three steps and calls stop() in its own destructor
// (the steps use its members, which are gone by the time the base goes):
//   class EchoServer final : public LoopbackServer {
//     public:
//       ~EchoServer() override { stop(); }
//     protected:
//       Bound bindLoopback(int port) override;  // {port} or {0, "why not"}
//       void serve() override;  // loopRunning(), then the loop until halt()
//       void halt() override;   // makes serve() return soon
//   };
//   EchoServer server;
//   ASSERT_TRUE(server.start()) << server.failure();
//
// start() and stop() are called from one thread, the owner's; port(),
// origin() and running() from any.
#ifndef KESSRUNE_TESTING_LOOPBACK_SERVER_H
#define KESSRUNE_TESTING_LOOPBACK_SERVER_H

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace kessrune::testing {

class LoopbackServer {
  public:
    LoopbackServer() = default;
    // Aborts with a message when the loop still runs: a subclass that does not
    // stop() in its destructor would leave the loop using freed members.
    virtual ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // True once the loop serves on 127.0.0.1:port (0: a free port), or at
    // once when it already does. False, with failure() saying why, when the
    // server cannot bind or listen there, or its loop ends before serving.
    bool start(int port = 0);
    // Ends the loop and waits for its thread; nothing when none runs.
    void stop();

    bool running() const;
    // The port bound by the last successful start(); 0 before one.
    int port() const { return port_.load(); }
    // "<scheme>://127.0.0.1:<port>"
    std::string origin(std::string_view scheme = "http") const;
    // Why the last start() failed; "" when it did not.
    const std::string& failure() const { return failure_; }

  protected:
    struct Bound {
        int port = 0;         // the port listened on; 0 when none
        std::string failure;  // with port 0: why not
    };
    // Binds and listens on 127.0.0.1:port (0: any free port).
    virtual Bound bindLoopback(int port) = 0;
    // The loop, on the server's own thread: calls loopRunning() once it
    // serves, then runs until halt().
    virtual void serve() = 0;
    // Makes serve() return soon; called on the owner's thread, and only after
    // loopRunning().
    virtual void halt() = 0;

    // Told by serve() that connections are served from now on.
    void loopRunning();
    // start(port), throwing std::runtime_error with failure() when it fails:
    // for servers that start in their constructor.
    void startOrThrow(int port = 0);

  private:
    enum class State { stopped, starting, running, ended };

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::stopped;
    std::thread thread_;
    std::atomic<int> port_{0};
    std::string failure_;
};

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTING_LOOPBACK_SERVER_H
