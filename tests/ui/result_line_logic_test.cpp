// The line under the progress bar, on a clock of the test's own: what it shows in each state
// of a test, and how often it is redrawn while data flows.
#include "ui/result_line_logic.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"
#include "tests/support/ending_samples.h"

namespace {

using std::chrono::milliseconds;
using Clock = ResultLineLogic::Clock;

constexpr std::uint64_t BlocksPerTick = 10;  // 10 KiB every 10 ms: 8.19 Mbit/s

constexpr auto Finished = FinishedSampleEnding;
constexpr auto FinishedLine = FinishedSampleLine;

class ResultLine : public ::testing::Test {
protected:
    Clock::time_point at(int ms) const { return start_ + milliseconds(ms); }

    // Progress every 10 ms from one moment to another, with a redraw asked for after each
    // notification and whenever the line's timer would fire; the moments of the redraws.
    std::vector<int> flow(int fromMs, int toMs) {
        std::vector<int> drawn;
        for (int ms = fromMs; ms <= toMs; ms += 10) {
            blocks_ += BlocksPerTick;
            line_.progress(blocks_, at(ms));
            if (line_.redraw(at(ms))) {
                drawn.push_back(ms);
            }
        }
        return drawn;
    }

    // Redraws every 100 ms with no progress.
    void stall(int fromMs, int toMs) {
        for (int ms = fromMs; ms <= toMs; ms += 100) {
            line_.redraw(at(ms));
        }
    }

    const Clock::time_point start_ = Clock::time_point() + std::chrono::hours(1);
    ResultLineLogic line_;
    std::uint64_t blocks_ = 0;
};

TEST_F(ResultLine, IsEmptyUntilDataFlows) {
    EXPECT_FALSE(line_.redraw(at(0)));
    EXPECT_EQ(line_.text(), "");
    EXPECT_FALSE(line_.showsResult());
    EXPECT_FALSE(line_.nextRedraw());

    line_.testStarting();
    line_.redraw(at(0));
    EXPECT_EQ(line_.text(), "");
    EXPECT_FALSE(line_.nextRedraw());
}

TEST_F(ResultLine, LiveFiguresShowAtOnceThenFollowTheData) {
    line_.testStarting();
    line_.downloadStarted(100000000, at(0));
    EXPECT_EQ(line_.redraw(at(0)), "0 B of 100.0 MB, -- Mbit/s");
    EXPECT_FALSE(line_.showsResult());

    flow(10, 1000);
    EXPECT_EQ(line_.text(), "1.0 MB of 100.0 MB, 8.19 Mbit/s, 1:37 left");
}

TEST_F(ResultLine, WithoutALengthShowsWhatArrivedAndNoTimeLeft) {
    for (const std::uint64_t unknown : {std::uint64_t{0}, std::uint64_t{0xFFFFFFFF}}) {
        ResultLineLogic line;
        line.testStarting();
        line.downloadStarted(unknown, at(0));
        std::uint64_t blocks = 0;
        for (int ms = 10; ms <= 1000; ms += 10) {
            blocks += BlocksPerTick;
            line.progress(blocks, at(ms));
        }
        line.redraw(at(1000));
        EXPECT_EQ(line.text(), "1.0 MB, 8.19 Mbit/s") << unknown;
    }
}

TEST_F(ResultLine, IsRedrawnAtMostTenTimesASecondWhileDataFlows) {
    line_.testStarting();
    line_.downloadStarted(100000000, at(0));
    ASSERT_TRUE(line_.redraw(at(0)));

    const std::vector<int> drawn = flow(10, 2000);
    ASSERT_FALSE(drawn.empty());
    EXPECT_GE(drawn.front(), 100);
    for (std::size_t i = 1; i < drawn.size(); ++i) {
        EXPECT_GE(drawn[i] - drawn[i - 1], 100)
            << "redraws at " << drawn[i - 1] << " and " << drawn[i] << " ms";
    }
    // And it does keep up: about one redraw in every tenth of a second.
    EXPECT_GE(drawn.size(), 19u);
}

TEST_F(ResultLine, TellsWhenTheNextRedrawIsDue) {
    line_.testStarting();
    line_.downloadStarted(100000000, at(0));
    // A change of state is due at once.
    ASSERT_TRUE(line_.nextRedraw());
    EXPECT_LE(*line_.nextRedraw(), at(0));
    line_.redraw(at(0));
    EXPECT_EQ(line_.nextRedraw(), at(100));

    line_.progress(5, at(30));
    EXPECT_FALSE(line_.redraw(at(99)));
    EXPECT_EQ(line_.nextRedraw(), at(100));
    EXPECT_TRUE(line_.redraw(at(100)));
    EXPECT_EQ(line_.nextRedraw(), at(200));
}

TEST_F(ResultLine, AStallTakesTheRateAndTheTimeLeftAway) {
    line_.testStarting();
    line_.downloadStarted(100000000, at(0));
    line_.redraw(at(0));
    flow(10, 1000);
    ASSERT_NE(line_.text().find("left"), std::string::npos) << line_.text();

    stall(1100, 4000);
    EXPECT_EQ(line_.text(), "1.0 MB of 100.0 MB, -- Mbit/s");

    // Data flowing again brings them back.
    flow(4010, 5500);
    EXPECT_NE(line_.text().find("8.19 Mbit/s"), std::string::npos) << line_.text();
    EXPECT_NE(line_.text().find("left"), std::string::npos) << line_.text();
}

TEST_F(ResultLine, AFinishedTestShowsItsResultAtOnce) {
    line_.testStarting();
    line_.downloadStarted(100000000, at(0));
    line_.redraw(at(0));
    flow(10, 50);

    line_.testFinished(OutcomeFinished, Finished());
    // Within the live line's tenth of a second: the result waits for no limit.
    EXPECT_EQ(line_.redraw(at(60)), FinishedLine);
    EXPECT_TRUE(line_.showsResult());
    EXPECT_FALSE(line_.nextRedraw());
    // Late progress of the ended test changes nothing.
    line_.progress(999, at(70));
    EXPECT_FALSE(line_.redraw(at(500)));
    EXPECT_EQ(line_.text(), FinishedLine);
}

TEST_F(ResultLine, FailuresShowTheirCauseCancelsLeaveItEmpty) {
    TestEnding refused = Finished();
    refused.cause = "could not connect to example.org port 8080: connection refused";
    const struct {
        const char* what;
        unsigned outcome;
        std::optional<TestEnding> ending;
        const char* line;  // nullptr: words of the outcome's own, whatever they are
    } cases[] = {
        {"cancelled", OutcomeCancelled, Finished(), ""},
        {"exit requested", OutcomeExitRequested, Finished(), ""},
        {"URL not opened", OutcomeOpenUrlException, refused, refused.cause.c_str()},
        {"no length", OutcomeNoHttpLength, Finished(), nullptr},
        // A worker that never started leaves no ending.
        {"finished without an ending", OutcomeFinished, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        ResultLineLogic line;
        line.testFinished(OutcomeFinished, Finished());
        line.redraw(at(0));
        ASSERT_EQ(line.text(), FinishedLine);

        line.testStarting();
        line.redraw(at(10));
        EXPECT_EQ(line.text(), "") << c.what;
        line.downloadStarted(100000000, at(20));
        line.redraw(at(20));
        EXPECT_NE(line.text(), "") << c.what;

        std::optional<TestEnding> ending = c.ending;
        if (ending) {
            ending->outcome = c.outcome;
        }
        line.testFinished(c.outcome, ending);
        line.redraw(at(30));
        if (c.line != nullptr) {
            EXPECT_EQ(line.text(), c.line) << c.what;
        } else {
            EXPECT_NE(line.text(), "") << c.what;
        }
        EXPECT_FALSE(line.showsResult()) << c.what;
        EXPECT_FALSE(line.nextRedraw()) << c.what;
    }
}

}  // namespace
