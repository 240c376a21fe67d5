#include "CSearch/screening_progress.h"

#include <cmath>
#include <cstdio>
#include <ostream>

namespace confsearch {

namespace {

// Clears from the cursor to the end of the line, so that a shorter line leaves no tail.
const char* const CLEAR_TO_END = "\033[K";

}  // namespace

std::string clock_text(double seconds) {
    const long total = seconds > 0 ? std::lround(seconds) : 0;
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

std::string progress_text(const std::string& stage, const JobProgress& progress) {
    std::string text = stage + ": " + std::to_string(progress.done) + " of " +
                       std::to_string(progress.total) + " done, " +
                       std::to_string(progress.failed) + " failed, " +
                       std::to_string(progress.running) + " running, " +
                       clock_text(progress.elapsed_seconds) + " elapsed";
    if (progress.seconds_left >= 0)
        text += ", about " + clock_text(progress.seconds_left) + " left";
    return text;
}

ProgressDisplay::ProgressDisplay(std::ostream& out, bool terminal, std::string prefix)
    : out_(out), terminal_(terminal), prefix_(std::move(prefix)) {}

void ProgressDisplay::show(const std::string& stage, const JobProgress& progress) {
    // A stage whose every job finished in an earlier start has nothing to show.
    if (progress.total == 0) return;
    const std::string line = prefix_ + ": " + progress_text(stage, progress);
    if (terminal_) {
        out_ << '\r' << line << CLEAR_TO_END << std::flush;
        open_ = true;
        return;
    }
    if (stage != stage_) {
        stage_ = stage;
        tenths_ = -1;
    }
    const int tenths =
        progress.total == 0 ? 10 : static_cast<int>(10 * progress.done / progress.total);
    if (tenths == tenths_) return;
    tenths_ = tenths;
    out_ << line << std::endl;
}

void ProgressDisplay::finish() {
    if (open_) out_ << '\n' << std::flush;
    open_ = false;
}

}  // namespace confsearch
