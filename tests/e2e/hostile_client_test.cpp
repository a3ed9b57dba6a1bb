// The program against a client that floods it and lies to it
// (tests/e2e/hostile_client.c): whatever that client does, walkers keeps
// ticking, keeps its memory, never ends, and walks on the window in front
// once the client is gone. Ticks are counted by the program itself
// (WALKERS_X11_STATS, read on SIGUSR1), memory from /proc.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/e2e/desktop_scene.h"

namespace {

using namespace std::chrono_literals;

struct Counters {
    long ticks = -1;
    long longest_gap_ms = -1;
    long live_heap_kb = -1;
};

// The counters of the last report in `errors`.
Counters LastReport(const std::string& errors)
{
    Counters counters;
    const std::size_t at = errors.rfind("walkers stats: ticks ");
    if (at == std::string::npos)
        return counters;
    std::istringstream line(errors.substr(at + 21));
    line >> counters.ticks;
    const std::size_t gap = errors.find("longest_tick_gap_ms ", at);
    if (gap != std::string::npos)
        counters.longest_gap_ms = std::stol(errors.substr(gap + 20));
    const std::size_t heap = errors.find("live_heap_kb ", at);
    if (heap != std::string::npos)
        counters.live_heap_kb = std::stol(errors.substr(heap + 13));
    return counters;
}

long ResidentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    return -1;
}

class HostileClient : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.Ready()) << "no virtual X server"; }

    bool Activate(Window window)
    {
        session.Xdotool({"windowactivate", std::to_string(window)});
        return WaitUntil([&] { return session.ActiveWindow() == window; }, 5s);
    }

    bool OnTitleBar(Window window)
    {
        const FigureScan scan =
            ScanFigures(session.Capture(), TitleBarBand(session.Frame(window)));
        return scan.brown > 200 && scan.outside == 0;
    }

    // Asks for a report and waits for it.
    Counters Report(Process& walkers)
    {
        const std::size_t reports_before = Count(walkers.Errors(), "walkers stats:");
        walkers.Signal(SIGUSR1);
        WaitUntil([&] { return Count(walkers.Errors(), "walkers stats:") > reports_before; }, 5s);
        return LastReport(walkers.Errors());
    }

    static std::size_t Count(const std::string& text, const std::string& what)
    {
        std::size_t count = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1))
            ++count;
        return count;
    }

    XSession session;
};

TEST_F(HostileClient, WalkersKeepsTickingAndItsMemoryWhateverAnotherClientDoes)
{
    SampleWindow sample(session, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto environment = session.Environment();
    environment["WALKERS_X11_STATS"] = "1";
    // The sanitizer's quarantine of freed memory would otherwise grow the
    // resident size by itself (a flood of events is a flood of small
    // allocations, each held there a while); kept small, as in the soak,
    // growth is the program's own.
    environment["ASAN_OPTIONS"] = "quarantine_size_mb=1";
    Process walkers({WALKERS_BINARY}, environment);
    ASSERT_TRUE(WaitUntil([&] { return OnTitleBar(sample.Id()); }, 15s));
    std::this_thread::sleep_for(1s); // past the start's allocations
    const Counters start = Report(walkers);
    const long resident_before = ResidentKilobytes(walkers.Pid());

    // Each scenario for a few seconds. At the 50 ms rhythm a second holds
    // 20 ticks; a tick stuck behind the flood (the fault this guards
    // against) makes none at all. The bound is a quarter of the rhythm, so
    // a loaded machine running the sanitized build passes; the soak
    // command holds the rhythm to 200 ms gaps.
    const std::string window = std::to_string(sample.Id());
    struct Scenario {
        const char* name;
        int seconds;
    };
    // The message flood keeps the connection for events busy past what
    // walkers can read, and makes it ask about the renamed window in front:
    // an answer that came behind that backlog would never come.
    for (const Scenario& scenario :
         {Scenario{"title-flood", 6}, Scenario{"extents", 3}, Scenario{"wrong-types", 3},
          Scenario{"active-root", 2}, Scenario{"active-pixmap", 2}, Scenario{"active-dead", 2},
          Scenario{"supported", 3}, Scenario{"message-flood", 5}, Scenario{"configure-flood", 4},
          Scenario{"root-flood", 3}}) {
        SCOPED_TRACE(scenario.name);
        const Counters before = Report(walkers);
        Process hostile({WALKERS_HOSTILE_CLIENT, scenario.name, std::to_string(scenario.seconds),
                         window},
                        session.Environment());
        const auto status = hostile.Wait(std::chrono::seconds(scenario.seconds + 20));
        ASSERT_TRUE(status.has_value() && *status == 0) << hostile.Errors();
        ASSERT_TRUE(walkers.Running()) << walkers.Errors();
        const Counters after = Report(walkers);
        const long expected = scenario.seconds * 20;
        EXPECT_GE(after.ticks - before.ticks, expected / 4)
            << "ticks during the scenario; longest gap " << after.longest_gap_ms << " ms";
        std::printf("%-14s %4ld ticks of %ld at the rhythm, longest gap %ld ms, %s\n",
                    scenario.name, after.ticks - before.ticks, expected, after.longest_gap_ms,
                    hostile.Output().c_str());
    }

    // Memory: a flood that was kept would have taken hundreds of megabytes.
    // What Xlib reads it keeps, and never gives back: had it been let read
    // in the middle of the message flood, the live heap would hold tens of
    // megabytes of its queue.
    const long resident_after = ResidentKilobytes(walkers.Pid());
    const Counters end = Report(walkers);
    std::printf("resident: %ld kB before, %ld kB after; live heap %ld kB, %ld kB\n",
                resident_before, resident_after, start.live_heap_kb, end.live_heap_kb);
    EXPECT_LT(resident_after - resident_before, 16 * 1024);
    ASSERT_GT(start.live_heap_kb, 0);
    EXPECT_LT(end.live_heap_kb - start.live_heap_kb, 4 * 1024);

    // The client is gone; a new window manager puts right what it left on
    // the root, and the figures walk on the window in front again.
    session.StopWindowManager(SIGTERM);
    session.StartWindowManager();
    ASSERT_TRUE(Activate(sample.Id()));
    EXPECT_TRUE(WaitUntil([&] { return OnTitleBar(sample.Id()); }, 5s));
    EXPECT_TRUE(walkers.Running()) << walkers.Errors();
    EXPECT_EQ(walkers.Errors().find("runtime error"), std::string::npos) << walkers.Errors();
}

TEST_F(HostileClient, AnUnmappedFormWindowReturnsAndSigusr1WithoutCountersIsHarmless)
{
    SampleWindow sample(session, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);
    ASSERT_TRUE(WaitUntil([&] { return OnTitleBar(sample.Id()); }, 15s));

    walkers->Signal(SIGUSR1);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(walkers->Running()) << "SIGUSR1 ended the program";

    // Another client unmaps Form1's windows, the one the window manager
    // frames and the overlay that shows the figures: each is back with the
    // next region.
    std::vector<Window> windows;
    ASSERT_TRUE(WaitUntil(
        [&] {
            windows.clear();
            std::istringstream found(session.Xdotool({"search", "--classname", "^Form1$"}));
            for (Window window; found >> window;)
                windows.push_back(window);
            return windows.size() == 2;
        },
        5s));
    for (const Window window : windows) {
        XUnmapWindow(session.display(), window);
        XSync(session.display(), False);
        EXPECT_TRUE(WaitUntil(
            [&] {
                XWindowAttributes attributes{};
                return XGetWindowAttributes(session.display(), window, &attributes) &&
                       attributes.map_state == IsViewable && OnTitleBar(sample.Id());
            },
            5s))
            << "window " << window << " stayed hidden";
    }
    EXPECT_TRUE(walkers->Running());
}

} // namespace
