// The process groups of the external programs running now, so that a stop by signal can
// end every one of them at once.
#pragma once

#include <sys/types.h>

namespace confsearch {

// How many groups can be tracked at once; a group beyond that runs untracked.
const int MAX_TRACKED_GROUPS = 1024;

// Adds a process group (the id of its leader); false when the table is full.
// Async-signal-safe, as are the two below.
bool track_process_group(pid_t group) noexcept;
void untrack_process_group(pid_t group) noexcept;
// Sends the signal to every tracked group.
void signal_process_groups(int signal) noexcept;

}  // namespace confsearch
