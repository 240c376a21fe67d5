// The small file that marks a finished job (or set-up) in the run folder: one "key value"
// a line, enough to restart a run without running the job again.
#pragma once

#include "CSearch/process.h"

#include <filesystem>
#include <map>
#include <string>

namespace confsearch {

class DoneMarker {
public:
    // A value ends at its line: line ends in it become blanks.
    void set(const std::string& key, const std::string& value);
    // The value of key; throws std::runtime_error naming the marker file when it is
    // missing (the file name is what read() was given).
    const std::string& get(const std::string& key) const;
    std::string text() const;
    // Throws std::runtime_error "<file>, line N: ..." for a line without a key, a key given
    // twice, or a file that cannot be read.
    static DoneMarker read(const std::filesystem::path& file);

    // The outcome of the job's program as keys process, seconds, time_limit and error.
    void set_outcome(const ProcessOutcome& outcome);
    // Throws std::runtime_error naming the file for a damaged or missing value.
    ProcessOutcome get_outcome() const;

private:
    std::string file_;
    std::map<std::string, std::string> values_;
};

}  // namespace confsearch
