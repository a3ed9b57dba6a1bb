// The program's command line, run as a user would: the answers that need no
// display, and --stop ending the walkers on a virtual desktop the way a
// click does.
#include <gtest/gtest.h>

#include "tests/e2e/desktop_scene.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStartup = 15s;

struct Answer {
    std::optional<int> status;
    std::string out, err;
};

// Runs walkers with `arguments` to its end.
Answer Walkers(const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment)
{
    std::vector<std::string> argv{WALKERS_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Process walkers(argv, environment);
    Answer answer{walkers.Wait(20s), "", ""};
    answer.out = walkers.Output();
    answer.err = walkers.Errors();
    return answer;
}

// No display: none of these may need one.
Answer Ask(const std::vector<std::string>& arguments) { return Walkers(arguments, {{"DISPLAY", ""}}); }

TEST(WalkersCommandLine, AnswersHelpVersionAndMistakesWithoutADisplay)
{
    const Answer help = Ask({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: walkers"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--stop"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");

    const Answer version = Ask({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("walkers ") + WALKERS_VERSION + "\n");
    EXPECT_EQ(version.err, "");

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--bogus"}, {"stray"}, {"--stop", "now"}, {"--version=2"}}) {
        const Answer refused = Ask(wrong);
        EXPECT_EQ(refused.status, 2) << wrong[0];
        EXPECT_EQ(refused.out, "") << wrong[0];
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
        EXPECT_NE(refused.err.find("--help"), std::string::npos) << refused.err;
    }
}

class WalkersStop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(here.Ready() && elsewhere.Ready()); }

    // Whether `count` walkers show their window on `session`.
    static bool Showing(const XSession& session, size_t count)
    {
        size_t shown = 0;
        for (Window form : session.FindWindows("Form1"))
            shown += session.Viewable(form);
        return shown == count;
    }

    XSession here;
    XSession elsewhere;
};

TEST_F(WalkersStop, EndsEveryWalkersOnThisDisplayLikeAClickAndSaysWhenNoneRuns)
{
    const Answer none = Walkers({"--stop"}, here.Environment());
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no walkers"), std::string::npos) << none.err;

    SampleWindow sample(here, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready());
    here.Xdotool({"windowactivate", "--sync", std::to_string(sample.Id())});
    auto first = StartWalkers(here);
    ASSERT_TRUE(WaitUntil([&] { return Showing(here, 1); }, kStartup));
    auto second = StartWalkers(here);
    auto other = StartWalkers(elsewhere);
    ASSERT_TRUE(WaitUntil([&] { return Showing(here, 2) && Showing(elsewhere, 1); }, kStartup));
    // The figures are out before they are asked to go.
    ASSERT_TRUE(WaitUntil(
        [&] { return ScanFigures(here.Capture(), Box{0, 0, here.Width(), here.Height()}).brown > 200; },
        kStartup));

    const Answer stopped = Walkers({"--stop"}, here.Environment());
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_EQ(stopped.out + stopped.err, "");
    // --stop returns once they are gone, each having ended as after a click.
    for (Process* walkers : {first.get(), second.get()}) {
        const auto status = walkers->Wait(5s);
        ASSERT_TRUE(status.has_value()) << "still running after --stop";
        EXPECT_EQ(*status, 0) << walkers->Errors();
    }
    EXPECT_TRUE(here.FindWindows("Form1").empty());
    EXPECT_EQ(ScanFigures(here.Capture(), Box{0, 0, here.Width(), here.Height()}).brown, 0);

    // The walkers of another display were left alone, and end on their own.
    EXPECT_TRUE(other->Running());
    EXPECT_EQ(Walkers({"--stop"}, here.Environment()).status, 1);
    EXPECT_EQ(Walkers({"--stop"}, elsewhere.Environment()).status, 0);
    EXPECT_EQ(other->Wait(5s), 0);
}

} // namespace
