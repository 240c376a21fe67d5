// The progress of a long run on standard error: one line rewritten in place on a
// terminal, a line at every tenth of the way otherwise (a log file, the output of a batch
// job), so that standard output holds only what the run found.
#pragma once

#include <iosfwd>
#include <string>

namespace confsearch {

// Whether standard error is a terminal.
bool standard_error_is_terminal();

class ProgressLine {
public:
    // "<prefix>: 30% of 648 combinations": prefix names the program, what the counted things.
    ProgressLine(std::ostream& out, bool terminal, std::string prefix, std::string what,
                 unsigned long long total);
    // done of the total so far; written when the whole per cent (on a terminal) or the tenth
    // (otherwise) has moved on since the last line.
    void update(unsigned long long done);
    // Ends the line on a terminal.
    void finish();

private:
    std::ostream& out;
    bool terminal;
    std::string prefix;
    std::string what;
    unsigned long long total;
    int shown = -1;  // the last share written, per cent
    bool open = false;

    void write(int share, unsigned long long done);
};

}  // namespace confsearch
