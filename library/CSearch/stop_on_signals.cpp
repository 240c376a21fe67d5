#include "CSearch/stop_on_signals.h"

#include "CSearch/process_groups.h"

#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace confsearch {

namespace {

const int HANDLED[3] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<StopFlag*> installed{nullptr};
std::atomic<bool> signalled_once{false};

void on_stop_signal(int signal) {
    const int saved_errno = errno;
    if (signalled_once.exchange(true)) {
        // The chemist insists: no grace for the programs, and the default end for this one
        // (the signal stays blocked until the handler returns, then takes effect).
        signal_process_groups(SIGKILL);
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        sigaction(signal, &fallback, nullptr);
        raise(signal);
    } else {
        if (StopFlag* flag = installed.load()) flag->stop(signal);
        signal_process_groups(SIGTERM);
    }
    errno = saved_errno;
}

}  // namespace

StopOnSignals::StopOnSignals(StopFlag& flag) {
    StopFlag* none = nullptr;
    if (!installed.compare_exchange_strong(none, &flag))
        throw std::logic_error("signal handlers for a stop are already installed");
    signalled_once = false;
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    for (int signal : HANDLED) sigaddset(&action.sa_mask, signal);
    // Restarting interrupted calls keeps the library's reads and writes simple; the wait
    // for a program notices the flag within its polling interval.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) sigaction(HANDLED[i], &action, &previous_[i]);
}

StopOnSignals::~StopOnSignals() {
    for (int i = 0; i < 3; ++i) sigaction(HANDLED[i], &previous_[i], nullptr);
    installed = nullptr;
}

}  // namespace confsearch
