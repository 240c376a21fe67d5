#include <gtest/gtest.h>

#include "CSearch/screening_array.h"

using namespace confsearch;

// A task's limit covers its optimisations in rounds of `jobs`, each up to the timeout,
// and ten minutes more, rounded up to whole minutes; a day and more as sbatch's d-hh:mm:ss.
TEST(ScreeningArray, TaskTimeLimitCoversEveryRoundOfItsChunk) {
    struct Case {
        std::size_t per_task;
        unsigned jobs;
        double timeout;
        const char* limit;
    };
    const Case cases[] = {
        {1, 1, 1.0, "0:11:00"},          // 601 s, up to the next minute
        {2, 1, 600.0, "0:30:00"},        // two rounds of 10 min
        {20, 4, 600.0, "1:00:00"},       // five rounds
        {21, 4, 600.0, "1:10:00"},       // a sixth round for the one left over
        {3, 0, 60.0, "0:13:00"},         // no jobs given: one at a time
        {1000, 1, 600.0, "6-22:50:00"},  // 10010 minutes
    };
    for (const Case& c : cases)
        EXPECT_EQ(task_time_limit(c.per_task, c.jobs, c.timeout), c.limit)
            << c.per_task << " " << c.jobs << " " << c.timeout;
}

TEST(ScreeningArray, ChunksKeepTheOrderAndStageWordsGoBothWays) {
    using Chunks = std::vector<std::vector<std::string>>;
    const std::vector<std::string> five = {"a", "b", "c", "d", "e"};
    EXPECT_EQ(task_chunks(five, 2), (Chunks{{"a", "b"}, {"c", "d"}, {"e"}}));
    EXPECT_EQ(task_chunks(five, 5), (Chunks{five}));
    EXPECT_EQ(task_chunks(five, 9), (Chunks{five}));
    EXPECT_EQ(task_chunks({"a", "b"}, 0), (Chunks{{"a"}, {"b"}}));
    EXPECT_TRUE(task_chunks({}, 3).empty());

    for (const ScreeningStage stage :
         {ScreeningStage::gfn2, ScreeningStage::gfnff, ScreeningStage::gfnff_gfn2})
        EXPECT_EQ(stage_named(stage_word(stage)), stage);
    EXPECT_EQ(stage_word(ScreeningStage::gfnff_gfn2), "gfnff_gfn2");
    EXPECT_FALSE(stage_named("gfnff-then-gfn2"));
    EXPECT_FALSE(stage_named(""));
}
