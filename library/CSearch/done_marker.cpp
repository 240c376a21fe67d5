#include "CSearch/done_marker.h"

#include "CSearch/search_names.h"
#include "myfile/read_error.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace confsearch {

namespace {

// "process exited 1 0": the kind, the exit status, the signal.
const std::pair<ProcessOutcome::Kind, const char*> KIND_NAMES[] = {
    {ProcessOutcome::Kind::exited, "exited"},
    {ProcessOutcome::Kind::signalled, "signalled"},
    {ProcessOutcome::Kind::timed_out, "timed_out"},
    {ProcessOutcome::Kind::stopped, "stopped"},
    {ProcessOutcome::Kind::not_started, "not_started"},
};

std::string number_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

}  // namespace

void DoneMarker::set(const std::string& key, const std::string& value) {
    std::string line = value;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    values_[key] = line;
}

const std::string& DoneMarker::get(const std::string& key) const {
    const auto found = values_.find(key);
    if (found == values_.end())
        throw std::runtime_error(ReadError{"no line \"" + key + "\"", 0}.message(file_));
    return found->second;
}

std::string DoneMarker::text() const {
    std::string text;
    for (const auto& [key, value] : values_) text += key + " " + value + "\n";
    return text;
}

DoneMarker DoneMarker::read(const std::filesystem::path& file) {
    DoneMarker marker;
    marker.file_ = file.string();
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error(ReadError{"cannot be read", 0}.message(marker.file_));
    std::string line;
    for (long number = 1; std::getline(in, line); ++number) {
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        if (key.empty())
            throw std::runtime_error(
                ReadError{"a line must begin with its key", number}.message(marker.file_));
        if (marker.values_.count(key) > 0)
            throw std::runtime_error(
                ReadError{"\"" + key + "\" is given twice", number}.message(marker.file_));
        marker.values_[key] = space == std::string::npos ? "" : line.substr(space + 1);
    }
    return marker;
}

void DoneMarker::set_outcome(const ProcessOutcome& outcome) {
    for (const auto& [kind, name] : KIND_NAMES)
        if (kind == outcome.kind)
            set(MARKER_PROCESS, std::string(name) + " " + std::to_string(outcome.exit_status) +
                                    " " + std::to_string(outcome.signal));
    set(MARKER_SECONDS, number_text(outcome.seconds));
    set(MARKER_TIME_LIMIT, number_text(outcome.time_limit));
    set(MARKER_ERROR, outcome.error);
}

ProcessOutcome DoneMarker::get_outcome() const {
    ProcessOutcome outcome;
    std::istringstream process(get(MARKER_PROCESS));
    std::string kind_name;
    process >> kind_name >> outcome.exit_status >> outcome.signal;
    bool known = false;
    for (const auto& [kind, name] : KIND_NAMES)
        if (kind_name == name) {
            outcome.kind = kind;
            known = true;
        }
    std::istringstream seconds(get(MARKER_SECONDS) + " " + get(MARKER_TIME_LIMIT));
    seconds >> outcome.seconds >> outcome.time_limit;
    if (!known || process.fail() || seconds.fail())
        throw std::runtime_error(ReadError{"damaged \"" + MARKER_PROCESS + "\", \"" +
                                               MARKER_SECONDS + "\" or \"" + MARKER_TIME_LIMIT +
                                               "\"",
                                           0}
                                     .message(file_));
    outcome.error = get(MARKER_ERROR);
    return outcome;
}

}  // namespace confsearch
