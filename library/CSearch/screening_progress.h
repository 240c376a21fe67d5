// The progress of a screening's optimisations on standard error: one line rewritten in
// place on a terminal, a line at every tenth of a stage otherwise (a log file, the output
// of a batch job), so that standard output holds only the summary.
#pragma once

#include "CSearch/job_pool.h"

#include <iosfwd>
#include <string>

namespace confsearch {

// "0:07", "12:34", "1:02:03": a duration in whole seconds.
std::string clock_text(double seconds);

// "GFN2: 45 of 120 done, 3 failed, 2 running, 1:23 elapsed, about 2:10 left"; the time
// left once a job is done.
std::string progress_text(const std::string& stage, const JobProgress& progress);

class ProgressDisplay {
public:
    // Every line begins with "<prefix>: ", the program's name.
    ProgressDisplay(std::ostream& out, bool terminal, std::string prefix);
    // Shows where a stage stands: on a terminal the line is rewritten; otherwise a line is
    // written at the stage's first report and whenever a further tenth of its jobs is done.
    void show(const std::string& stage, const JobProgress& progress);
    // Ends the line on a terminal.
    void finish();

private:
    std::ostream& out_;
    bool terminal_;
    std::string prefix_;
    std::string stage_;
    int tenths_ = -1;  // of the stage's jobs done when its last line was written
    bool open_ = false;
};

}  // namespace confsearch
