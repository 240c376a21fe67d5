// The progress line: per cent of the work, rewritten with a carriage return on a terminal.
#include "CSearch/progress_line.h"

#include <unistd.h>

#include <ostream>
#include <utility>

namespace confsearch {

namespace {

const int TENTH = 10;

}  // namespace

bool standard_error_is_terminal() { return ::isatty(STDERR_FILENO) == 1; }

ProgressLine::ProgressLine(std::ostream& out, bool terminal, std::string prefix, std::string what,
                           unsigned long long total)
    : out(out),
      terminal(terminal),
      prefix(std::move(prefix)),
      what(std::move(what)),
      total(total) {}

void ProgressLine::update(unsigned long long done) {
    const int share = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    const int step = terminal ? 1 : TENTH;
    if (share / step == shown / step && shown >= 0) return;
    if (!terminal && share < TENTH) return;
    write(terminal ? share : share / TENTH * TENTH, done);
}

void ProgressLine::write(int share, unsigned long long done) {
    shown = share;
    const std::string text = prefix + ": " + std::to_string(share) + "% (" + std::to_string(done) +
                             " of " + std::to_string(total) + " " + what + ")";
    if (terminal) {
        // The line ends in blanks so that a shorter text covers a longer one.
        out << '\r' << text << "   " << std::flush;
        open = true;
    } else {
        out << text << std::endl;
    }
}

void ProgressLine::finish() {
    if (open) out << std::endl;
    open = false;
}

}  // namespace confsearch
