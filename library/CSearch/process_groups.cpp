#include "CSearch/process_groups.h"

#include <atomic>
#include <csignal>

namespace confsearch {

namespace {

// A fixed table of lock-free slots (0: free): a signal handler may read it while threads
// start and end programs, so it can neither lock nor allocate.
static_assert(std::atomic<pid_t>::is_always_lock_free, "a signal handler reads the table");
std::atomic<pid_t> groups[MAX_TRACKED_GROUPS];

}  // namespace

bool track_process_group(pid_t group) noexcept {
    for (auto& slot : groups) {
        pid_t free = 0;
        if (slot.compare_exchange_strong(free, group)) return true;
    }
    return false;
}

void untrack_process_group(pid_t group) noexcept {
    for (auto& slot : groups) {
        pid_t expected = group;
        if (slot.compare_exchange_strong(expected, 0)) return;
    }
}

void signal_process_groups(int signal) noexcept {
    for (const auto& slot : groups) {
        const pid_t group = slot.load();
        if (group > 0) kill(-group, signal);
    }
}

}  // namespace confsearch
