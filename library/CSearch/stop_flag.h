// The request to stop a run early, shared by the threads of a job pool, the processes
// they wait for, and a signal handler.
#pragma once

#include <atomic>

namespace confsearch {

// Once set it stays set. Setting it is async-signal-safe: a handler may call stop().
class StopFlag {
public:
    // Records why: the signal number (SIGINT, SIGTERM) or 0 for a stop asked by the program.
    void stop(int signal = 0) noexcept {
        signal_.store(signal, std::memory_order_relaxed);
        stopped_.store(true, std::memory_order_release);
    }
    bool stopped() const noexcept { return stopped_.load(std::memory_order_acquire); }
    // The signal given to stop(); 0 when none was or the flag is not set.
    int signal() const noexcept { return stopped() ? signal_.load(std::memory_order_relaxed) : 0; }

private:
    static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
                  "a signal handler sets the flag");
    std::atomic<bool> stopped_{false};
    std::atomic<int> signal_{0};
};

}  // namespace confsearch
