#include <gtest/gtest.h>
#include "CSearch.h"

#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <thread>

using namespace confsearch;

namespace {

// Counts the jobs running at once; each job runs a program that sleeps.
struct Concurrency {
    std::atomic<int> now{0};
    std::atomic<int> most{0};

    JobPool::Job sleeper(const std::string& seconds) {
        return [this, seconds](const StopFlag& stop) {
            const int running = ++now;
            int seen = most.load();
            while (running > seen && !most.compare_exchange_weak(seen, running)) {
            }
            ProcessRequest request;
            request.argv = {"sleep", seconds};
            const ProcessOutcome outcome = run_process(request, &stop);
            --now;
            if (outcome.kind == ProcessOutcome::Kind::stopped) return JobStatus::stopped;
            return outcome.succeeded() ? JobStatus::succeeded : JobStatus::failed;
        };
    }
};

// The most jobs seen running at once when `jobs` sleepers of 1 s share `workers`.
int most_at_once(unsigned workers, int jobs) {
    Concurrency count;
    JobPool pool(workers);
    for (int i = 0; i < jobs; ++i) pool.add(count.sleeper("1"));
    const auto start = std::chrono::steady_clock::now();
    for (const auto& report : pool.run()) EXPECT_EQ(report.status, JobStatus::succeeded);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::cout << jobs << " sleeps of 1 s on " << workers << " workers: " << took.count() << " s\n";
    return count.most;
}

}  // namespace

TEST(JobPool, RunsAsManyJobsAtOnceAsItHasWorkers) {
    EXPECT_EQ(most_at_once(2, 2), 2);
    EXPECT_EQ(most_at_once(1, 2), 1);
    EXPECT_GE(JobPool().workers(), 1u);
}

TEST(JobPool, ReportsEveryJobInOrderAndCountsOnTheCallingThread) {
    JobPool pool(2);
    const std::vector<JobStatus> said = {JobStatus::succeeded, JobStatus::failed,
                                         JobStatus::succeeded, JobStatus::failed};
    for (const JobStatus status : said) pool.add([status](const StopFlag&) { return status; });
    pool.add([](const StopFlag&) -> JobStatus { throw std::runtime_error("disk full"); });
    std::vector<JobProgress> seen;
    const auto caller = std::this_thread::get_id();
    bool elsewhere = false;
    const auto reports = pool.run([&](const JobProgress& progress) {
        seen.push_back(progress);
        elsewhere = elsewhere || std::this_thread::get_id() != caller;
    });
    ASSERT_EQ(reports.size(), 5u);
    for (std::size_t i = 0; i < said.size(); ++i) EXPECT_EQ(reports[i].status, said[i]);
    EXPECT_EQ(reports[4].status, JobStatus::failed);
    EXPECT_EQ(reports[4].error, "disk full");
    EXPECT_FALSE(elsewhere);
    ASSERT_FALSE(seen.empty());
    const JobProgress& last = seen.back();
    EXPECT_EQ(last.total, 5u);
    EXPECT_EQ(last.done, 5u);
    EXPECT_EQ(last.failed, 3u);
    EXPECT_EQ(last.running, 0u);
    EXPECT_DOUBLE_EQ(last.seconds_left, 0.0);
    // A pool with nothing to do reports once and returns.
    EXPECT_TRUE(pool.run().empty());
}

TEST(JobPool, StopLetsNoFurtherJobStartAndEndsTheRunningOnes) {
    JobPool pool(2);
    Concurrency count;
    StopFlag& stop = pool.stop_flag();
    pool.add(count.sleeper("30"));
    pool.add([&stop](const StopFlag&) {
        stop.stop(SIGINT);
        return JobStatus::succeeded;
    });
    for (int i = 0; i < 3; ++i) pool.add([](const StopFlag&) { return JobStatus::succeeded; });
    const auto reports = pool.run();
    EXPECT_EQ(reports[0].status, JobStatus::stopped);
    EXPECT_EQ(reports[1].status, JobStatus::succeeded);
    for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(reports[i].status, JobStatus::not_run);
    EXPECT_EQ(stop.signal(), SIGINT);
}
