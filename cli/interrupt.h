// Ctrl+C and SIGTERM turned into a stop request, so that a batch can end
// its transfers and write what has finished instead of dying mid-write.
//   std::stop_source stop;
//   InterruptWatch watch(stop);   // before any worker thread starts
//   ... runBatch(..., {.stop = stop.get_token()}, ...);
//   if (watch.signal()) return 128 + watch.signal();
#ifndef KESSRUNE_CLI_INTERRUPT_H
#define KESSRUNE_CLI_INTERRUPT_H

#include <atomic>
#include <stop_token>
#include <thread>

namespace kessrune {

class InterruptWatch {
  public:
    // Blocks SIGINT and SIGTERM in the calling thread (threads started after
    // it inherit that) and watches for them on a thread of its own.
    explicit InterruptWatch(std::stop_source stop);
    ~InterruptWatch();  // stops watching and restores the signal mask
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The signal that asked for the stop; 0 when none came.
    int signal() const { return signal_.load(); }

  private:
    int signalFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<int> signal_{0};
    std::jthread watcher_;
};

}  // namespace kessrune

#endif  // KESSRUNE_CLI_INTERRUPT_H
