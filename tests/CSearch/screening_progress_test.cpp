#include <gtest/gtest.h>
#include "CSearch.h"

#include <sstream>

using namespace confsearch;

namespace {

JobProgress at(std::size_t done, std::size_t total, double elapsed, double left = -1) {
    JobProgress progress;
    progress.total = total;
    progress.done = done;
    progress.failed = done / 4;
    progress.running = done < total ? 2 : 0;
    progress.elapsed_seconds = elapsed;
    progress.seconds_left = left;
    return progress;
}

}  // namespace

TEST(ScreeningProgress, ClockAndLine) {
    EXPECT_EQ(clock_text(0), "0:00");
    EXPECT_EQ(clock_text(7.4), "0:07");
    EXPECT_EQ(clock_text(754), "12:34");
    EXPECT_EQ(clock_text(3723), "1:02:03");
    EXPECT_EQ(clock_text(-3), "0:00");
    EXPECT_EQ(progress_text("GFN2", at(45, 120, 83, 130)),
              "GFN2: 45 of 120 done, 11 failed, 2 running, 1:23 elapsed, about 2:10 left");
    EXPECT_EQ(progress_text("GFN-FF", at(0, 8, 1)),
              "GFN-FF: 0 of 8 done, 0 failed, 2 running, 0:01 elapsed");
}

// In a log a line at the first report and at every further tenth; on a terminal one line
// rewritten in place.
TEST(ScreeningProgress, TenthsInALogOneLineOnATerminal) {
    std::ostringstream log;
    ProgressDisplay display(log, false, "screen_conformers");
    for (std::size_t done = 0; done <= 20; ++done) {
        display.show("GFN2", at(done, 20, static_cast<double>(done)));
        display.show("GFN2", at(done, 20, static_cast<double>(done) + 0.5));
    }
    display.show("GFN2 from GFN-FF", at(0, 3, 0));
    display.show("GFN2 from GFN-FF", at(1, 3, 1));
    display.finish();
    std::istringstream lines(log.str());
    std::vector<std::string> read;
    for (std::string line; std::getline(lines, line);) read.push_back(line);
    ASSERT_EQ(read.size(), 11u + 2u);
    EXPECT_EQ(read[0], "screen_conformers: GFN2: 0 of 20 done, 0 failed, 2 running, 0:00 elapsed");
    EXPECT_EQ(read[10].substr(0, 39), "screen_conformers: GFN2: 20 of 20 done,");
    EXPECT_EQ(read[11].substr(0, 45), "screen_conformers: GFN2 from GFN-FF: 0 of 3 d");

    std::ostringstream terminal;
    ProgressDisplay live(terminal, true, "s");
    live.show("GFN2", at(0, 2, 0));
    live.show("GFN2", at(1, 2, 1, 1));
    live.show("GFN2", at(0, 0, 1));  // nothing left to run: nothing shown
    live.finish();
    EXPECT_EQ(terminal.str(),
              "\rs: GFN2: 0 of 2 done, 0 failed, 2 running, 0:00 elapsed\033[K"
              "\rs: GFN2: 1 of 2 done, 0 failed, 2 running, 0:01 elapsed, about 0:01 left\033[K\n");
}
