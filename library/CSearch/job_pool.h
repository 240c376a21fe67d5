// Running many independent jobs (one xtb optimisation each) a fixed number at a time,
// with progress reports and an early stop.
#pragma once

#include "CSearch/stop_flag.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace confsearch {

enum class JobStatus {
    succeeded,
    failed,   // the job said so, or threw
    stopped,  // the job was running when the pool was stopped and gave up
    not_run,  // the pool was stopped before the job's turn came
};

struct JobReport {
    JobStatus status = JobStatus::not_run;
    // What a job that threw said (what() of its exception).
    std::string error;
};

// Where a run stands. done counts the jobs that finished, failed ones included.
struct JobProgress {
    std::size_t total = 0;
    std::size_t done = 0;
    std::size_t failed = 0;
    std::size_t running = 0;
    double elapsed_seconds = 0.0;
    // From the pace of the jobs done so far; negative until one is done.
    double seconds_left = -1.0;
};

class JobPool {
public:
    // A job runs on a worker thread. It should return soon after the flag is set
    // (run_process ends its program then) and say stopped when it gave up for that reason.
    using Job = std::function<JobStatus(const StopFlag& stop)>;
    using ProgressReport = std::function<void(const JobProgress&)>;

    // At most `workers` jobs at once; 0: one per core.
    explicit JobPool(unsigned workers = 0);
    ~JobPool();
    JobPool(const JobPool&) = delete;
    JobPool& operator=(const JobPool&) = delete;

    unsigned workers() const { return workers_; }
    // Jobs run in the order added.
    void add(Job job);
    // Runs every job added since the last run and returns their reports in that order.
    // progress, when given, is called on this thread only: whenever a job starts or ends
    // and every progress_interval seconds in between, and once at the end.
    std::vector<JobReport> run(const ProgressReport& progress = {}, double progress_interval = 1.0);
    // The flag that stops the run: no job starts after it is set (from any thread, or from
    // a signal handler through StopOnSignals). It stays set for later runs.
    StopFlag& stop_flag() { return stop_; }

private:
    unsigned workers_;
    std::vector<Job> jobs_;
    StopFlag stop_;
};

}  // namespace confsearch
