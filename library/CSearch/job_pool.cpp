#include "CSearch/job_pool.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace confsearch {

namespace {

using Clock = std::chrono::steady_clock;

// What the workers share with the thread that reports progress.
struct Board {
    std::mutex lock;
    std::condition_variable changed;
    std::size_t next = 0;
    std::size_t done = 0;
    std::size_t failed = 0;
    std::size_t running = 0;
    unsigned workers_left = 0;
    bool news = false;
};

void work(const std::vector<JobPool::Job>& jobs, std::vector<JobReport>& reports,
          const StopFlag& stop, Board& board) {
    for (;;) {
        std::size_t index = 0;
        {
            std::lock_guard<std::mutex> hold(board.lock);
            if (stop.stopped() || board.next == jobs.size()) break;
            index = board.next++;
            ++board.running;
            board.news = true;
        }
        board.changed.notify_all();
        JobReport report;
        try {
            report.status = jobs[index](stop);
        } catch (const std::exception& fault) {
            report = {JobStatus::failed, fault.what()};
        } catch (...) {
            report = {JobStatus::failed, "unknown exception"};
        }
        {
            std::lock_guard<std::mutex> hold(board.lock);
            reports[index] = report;
            --board.running;
            if (report.status == JobStatus::succeeded || report.status == JobStatus::failed)
                ++board.done;
            if (report.status == JobStatus::failed) ++board.failed;
            board.news = true;
        }
        board.changed.notify_all();
    }
    {
        std::lock_guard<std::mutex> hold(board.lock);
        --board.workers_left;
        board.news = true;
    }
    board.changed.notify_all();
}

JobProgress progress_of(const Board& board, std::size_t total, Clock::time_point start) {
    JobProgress progress;
    progress.total = total;
    progress.done = board.done;
    progress.failed = board.failed;
    progress.running = board.running;
    progress.elapsed_seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The pace of the whole pool so far: with n workers busy, jobs finish n times as fast
    // as one job takes, and the elapsed time already holds that.
    if (board.done > 0)
        progress.seconds_left = progress.elapsed_seconds * static_cast<double>(total - board.done) /
                                static_cast<double>(board.done);
    return progress;
}

// Reports progress until every worker has left.
void report_until_done(Board& board, std::size_t total, Clock::time_point start,
                       const JobPool::ProgressReport& progress, double progress_interval) {
    const auto interval = std::chrono::duration<double>(std::max(progress_interval, 0.01));
    std::unique_lock<std::mutex> hold(board.lock);
    for (;;) {
        board.changed.wait_for(hold, interval, [&board] { return board.news; });
        board.news = false;
        const bool finished = board.workers_left == 0;
        if (progress) {
            const JobProgress now = progress_of(board, total, start);
            // The report runs without the lock, so that a slow terminal never holds up a
            // worker that wants the next job.
            hold.unlock();
            progress(now);
            hold.lock();
        }
        if (finished) return;
    }
}

}  // namespace

JobPool::JobPool(unsigned workers) : workers_(workers) {
    if (workers_ == 0) workers_ = std::max(1u, std::thread::hardware_concurrency());
}

JobPool::~JobPool() = default;

void JobPool::add(Job job) { jobs_.push_back(std::move(job)); }

std::vector<JobReport> JobPool::run(const ProgressReport& progress, double progress_interval) {
    const std::vector<Job> jobs = std::move(jobs_);
    jobs_.clear();
    std::vector<JobReport> reports(jobs.size());
    Board board;
    board.news = true;  // a first report at the start
    const auto start = Clock::now();
    const auto threads = static_cast<unsigned>(std::min<std::size_t>(workers_, jobs.size()));
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < threads; ++i) {
        {
            std::lock_guard<std::mutex> hold(board.lock);
            ++board.workers_left;
        }
        try {
            pool.emplace_back(work, std::cref(jobs), std::ref(reports), std::cref(stop_),
                              std::ref(board));
        } catch (const std::system_error&) {
            // Fewer threads than asked for still do every job.
            std::lock_guard<std::mutex> hold(board.lock);
            --board.workers_left;
            if (pool.empty()) throw;
            break;
        }
    }
    try {
        report_until_done(board, jobs.size(), start, progress, progress_interval);
    } catch (...) {
        // A progress report that throws ends the run, but never leaves a worker unjoined.
        stop_.stop();
        for (auto& thread : pool) thread.join();
        throw;
    }
    for (auto& thread : pool) thread.join();
    return reports;
}

}  // namespace confsearch
