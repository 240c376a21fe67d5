#include "CSearch/xtb_program.h"

#include "CSearch/job_folders.h"
#include "CSearch/process.h"
#include "CSearch/search_messages.h"
#include "CSearch/search_names.h"

#include <stdlib.h>

#include <filesystem>

namespace confsearch {

namespace fs = std::filesystem;

namespace {

// A private folder for the version check's output, removed on scope exit.
class CheckFolder {
public:
    CheckFolder() {
        std::string pattern = (fs::temp_directory_path() / "xtb-check-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw XtbError("cannot make a temporary folder to check xtb in " +
                           fs::temp_directory_path().string());
        folder_ = pattern;
    }
    ~CheckFolder() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    CheckFolder(const CheckFolder&) = delete;
    CheckFolder& operator=(const CheckFolder&) = delete;
    const fs::path& path() const { return folder_; }

private:
    fs::path folder_;
};

// The words after "xtb version " up to the compiler note: "6.5.1 (unknown)".
std::string version_in(const std::string& output) {
    const auto start = output.find(XTB_VERSION_LINE);
    if (start == std::string::npos) return "";
    const auto from = start + XTB_VERSION_LINE.size();
    std::string version = output.substr(from, output.find('\n', from) - from);
    const auto compiled = version.find(" compiled");
    if (compiled != std::string::npos) version.erase(compiled);
    while (!version.empty() && (version.back() == ' ' || version.back() == '\r'))
        version.pop_back();
    return version;
}

}  // namespace

XtbProgram find_xtb(const std::string& path, double timeout_seconds) {
    const std::string found = find_program(path.empty() ? "xtb" : path);
    if (found.empty()) throw XtbError(message::xtb_not_on_path());
    if (!path.empty() && !fs::exists(found)) throw XtbError(message::xtb_missing(path));

    const CheckFolder folder;
    ProcessRequest request;
    request.argv = {found, "--version"};
    request.working_directory = folder.path().string();
    request.stdout_file = (folder.path() / "version.out").string();
    request.stderr_file = (folder.path() / "version.err").string();
    request.timeout_seconds = timeout_seconds;
    const ProcessOutcome outcome = run_process(request);
    if (!outcome.succeeded()) throw XtbError(message::xtb_does_not_run(found, outcome.describe()));
    const std::string version = version_in(text_of_file(request.stdout_file));
    if (version.empty()) throw XtbError(message::not_xtb(found));
    return {found, version};
}

}  // namespace confsearch
