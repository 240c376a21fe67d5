// Finding the xtb program and making sure it runs, before any job is started.
#pragma once

#include <stdexcept>
#include <string>

namespace confsearch {

// xtb is missing, does not start, or a job of a run's set-up failed; what() is one line
// for the person at the terminal, with the command that installs xtb where that helps.
class XtbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct XtbProgram {
    std::string path;     // as run_process starts it: "/usr/bin/xtb"
    std::string version;  // as it prints it: "6.5.1 (unknown)"
};

// The xtb at path (when not empty) or the one on PATH, once `xtb --version` has run
// within timeout_seconds and printed its version line. Throws XtbError otherwise.
XtbProgram find_xtb(const std::string& path = "", double timeout_seconds = 60.0);

}  // namespace confsearch
