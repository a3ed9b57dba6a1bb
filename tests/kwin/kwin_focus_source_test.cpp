// The KWin focus source off the desktop: the script's reports read into
// the probe's answers, and the source on a private session bus, where
// every program of the session can call walkers.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/kwin/kwin_focus_source.h"
#include "platform/kwin/kwin_report.h"
#include "platform/kwin/kwin_script.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;

TEST(KWinReport, ReadsTheActiveWindowAndRefusesAnythingElse)
{
    // KWin 6 gives fractional rectangles; a window on a second output lies
    // beyond the first one's width.
    const auto report = kwin_report::Parse(
        R"({"id":"{8b36003a-a452}","caption":"Editor – notes","x":1920.4,"y":-20,"width":600,"height":337.6})");
    ASSERT_TRUE(report && report->window);
    const FocusedWindow& window = *report->window;
    EXPECT_EQ(window.title, "Editor – notes");
    EXPECT_EQ(window.left, 1920);
    EXPECT_EQ(window.top, -20);
    EXPECT_EQ(window.right, 2520);
    EXPECT_EQ(window.bottom, 318);
    EXPECT_EQ(window.id, kwin_report::WindowNumber("{8b36003a-a452}"));
    EXPECT_NE(window.id, 0u);
    EXPECT_LT(window.id, uint64_t(1) << 40) << "would name one of walkers' own windows";
    EXPECT_NE(kwin_report::WindowNumber("{a}"), kwin_report::WindowNumber("{b}"));

    const auto none = kwin_report::Parse("{}");
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->window);

    for (const char* malformed :
         {"", "[]", "{", "null", R"({"caption":"x","x":0,"y":0,"width":1,"height":1})",
          R"({"id":"","caption":"x","x":0,"y":0,"width":1,"height":1})",
          R"({"id":"a","caption":7,"x":0,"y":0,"width":1,"height":1})",
          R"({"id":"a","caption":"x","x":"0","y":0,"width":1,"height":1})",
          R"({"id":"a","caption":"x","x":0,"y":0,"width":0,"height":1})",
          R"({"id":"a","caption":"x","x":0,"y":0,"width":1,"height":-5})",
          R"({"id":"a","caption":"x","x":1e300,"y":0,"width":1,"height":1})",
          R"({"id":"a","caption":"x","x":0,"y":0,"width":1})"})
        EXPECT_FALSE(kwin_report::Parse(malformed)) << malformed;
    EXPECT_FALSE(kwin_report::Parse(R"({"id":"a","caption":")" + std::string(10000, 'x') +
                                    R"(","x":0,"y":0,"width":1,"height":1})"));
}

// A session bus of the test's own, and three programs on it: walkers, KWin
// (which owns org.kde.KWin) and a stranger.
class KWinSourceOnABus : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/walkers-bus.XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        directory = pattern;
        address = "unix:path=" + directory + "/bus";
        daemon = std::make_unique<Process>(
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--address=" + address},
            std::map<std::string, std::string>{});
        ASSERT_TRUE(WaitUntil([&] {
            struct stat info{};
            return stat((directory + "/bus").c_str(), &info) == 0;
        }, 10s));
        walkers = SessionBus::Open(5000, address.c_str());
        kwin = SessionBus::Open(5000, address.c_str());
        stranger = SessionBus::Open(5000, address.c_str());
        ASSERT_TRUE(walkers && kwin && stranger);
        ASSERT_GE(sd_bus_request_name(kwin->get(), "org.kde.KWin", 0), 0);
        source = std::make_unique<KWinFocusSource>(*walkers, walkers->OwnerOf("org.kde.KWin", 5000));
    }

    void TearDown() override
    {
        source.reset();
        walkers.reset();
        kwin.reset();
        stranger.reset();
        daemon.reset();
        RunToEnd({"rm", "-rf", directory}, {});
    }

    // `from` reports `text` to walkers, without waiting for the answer.
    void Report(SessionBus& from, const std::string& text)
    {
        sd_bus_call_method_async(from.get(), nullptr, walkers->UniqueName().c_str(),
                                 kwin_script::kPath, kwin_script::kInterface,
                                 kwin_script::kMethod, nullptr, nullptr, "s", text.c_str());
        sd_bus_flush(from.get());
    }

    // Walkers' loop takes turns until `done`, at most two seconds.
    bool TakeUntil(const std::function<bool()>& done)
    {
        return WaitUntil([&] {
            sd_bus_wait(walkers->get(), 10000);
            return walkers->Process() && done();
        }, 2s);
    }

    std::string directory, address;
    std::unique_ptr<Process> daemon;
    std::unique_ptr<SessionBus> walkers, kwin, stranger;
    std::unique_ptr<KWinFocusSource> source;
};

TEST_F(KWinSourceOnABus, BelievesOnlyKWinsWellFormedReportsAndTakesAFloodInTurns)
{
    const std::string editor = R"({"id":"e","caption":"editor","x":10,"y":20,"width":300,"height":200})";
    Report(*kwin, editor);
    ASSERT_TRUE(TakeUntil([&] { return source->Focused().has_value(); }));
    EXPECT_EQ(source->Focused()->title, "editor");
    EXPECT_EQ(source->Focused()->bottom, 220);

    // A stranger's report and KWin's malformed one change nothing.
    Report(*stranger, R"({"id":"x","caption":"forged","x":0,"y":0,"width":9,"height":9})");
    Report(*kwin, R"({"id":"x","caption":"broken")");
    ASSERT_TRUE(TakeUntil([&] { return source->Refused() == 2; }));
    EXPECT_EQ(source->Focused()->title, "editor");

    // A flood: each turn takes a bounded share and asks to come back at
    // once, so the loop's timers run between the turns.
    constexpr int kFlood = 500;
    for (int i = 0; i < kFlood; ++i)
        Report(*stranger, editor);
    const unsigned long long before = walkers->Messages();
    ASSERT_TRUE(WaitUntil([&] {
        sd_bus_wait(walkers->get(), 10000);
        walkers->Process();
        return walkers->TimeoutMs() == 0;
    }, 2s)) << "the flood was never left for a later turn";
    EXPECT_LE(walkers->Messages() - before, 2u * SessionBus::kMessagesPerTurn);
    ASSERT_TRUE(TakeUntil([&] { return source->Refused() == 2 + kFlood; }));

    // Nothing is active: the probe finds no window.
    Report(*kwin, "{}");
    ASSERT_TRUE(TakeUntil([&] { return !source->Focused().has_value(); }));
}

TEST_F(KWinSourceOnABus, ABusThatClosesMidCallEndsTheSource)
{
    // A call that KWin never answers, and the bus goes while walkers waits.
    setenv("XDG_RUNTIME_DIR", directory.c_str(), 1);
    std::thread killer([&] {
        std::this_thread::sleep_for(300ms);
        daemon->Signal(SIGKILL);
    });
    std::string error;
    EXPECT_FALSE(source->LoadScript(3000, error));
    killer.join();
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(WaitUntil([&] { return !walkers->Process(); }, 2s))
        << "the loop would go on without its bus";
    EXPECT_STREQ(walkers->LostMessage(), "lost the connection to the session bus");
    EXPECT_FALSE(source->AwaitFirstReport(100));
}

} // namespace
