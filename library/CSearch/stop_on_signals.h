// Stopping a run from the terminal: SIGINT, SIGTERM and SIGHUP end the external programs
// instead of leaving them running after the toolkit's program is gone.
#pragma once

#include "CSearch/stop_flag.h"

#include <csignal>

namespace confsearch {

// While it lives, the first SIGINT, SIGTERM or SIGHUP sets the flag (jobs not yet started
// are not started, running ones are ended and reported as stopped) and sends SIGTERM to
// every tracked process group; a second one sends them SIGKILL and ends this program by
// that signal's default action. The handlers found are put back by the destructor. Only
// one may live at a time: a second throws std::logic_error.
class StopOnSignals {
public:
    explicit StopOnSignals(StopFlag& flag);
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    struct sigaction previous_[3];
};

}  // namespace confsearch
