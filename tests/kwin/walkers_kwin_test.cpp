// The program itself on a headless KWin, judged from real screenshots: the
// figures stand on the active window's title bar and follow its moves, the
// focus and its title; clicks between them reach the window below, while
// they walk and while they stand still; a click on a figure ends the
// program; the keyboard stays where it was; --stop ends it, and so does
// losing the compositor.
#include <gtest/gtest.h>

#include <dirent.h>
#include <thread>

#include "tests/desktops/gtk_window.h"
#include "tests/e2e/desktop_scene.h"
#include "tests/kwin/kwin_session.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStartup = 20s;
// KWin composites with llvmpipe here: on a loaded machine the overlay was
// seen to reach the screen five seconds after walkers had the report.
constexpr auto kFollow = 10s;

// The window below's colour, also where the front window's shadow darkens it.
bool NearBelow(uint32_t pixel)
{
    constexpr uint32_t kBelow = 0xC0C0E0;
    for (int shift : {0, 8, 16}) {
        const int difference = int((pixel >> shift) & 0xFF) - int((kBelow >> shift) & 0xFF);
        if (difference > 0 || difference < -24)
            return false;
    }
    return true;
}

class WalkersOnKWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The second run, on the root's KWin 6, is skipped only when the
        // root cannot be built here, and says why.
        if (test_root::Wanted() && !test_root::Unavailable().empty())
            GTEST_SKIP() << test_root::Unavailable();
        ASSERT_TRUE(session.Ready()) << "no headless KWin";
        // KWin alone shows black where no window is, which would pass for
        // the pictures' background: a backdrop covers it.
        // KWin 6's Breeze rounds the title bar's top corners, where the
        // black would show: there the backdrop reaches past the screen.
        const int overhang = session.Nested() ? 8 : 0;
        backdrop = Window("backdrop", "304860",
                          Box{-overhang, -overhang, KWinSession::kWidth + overhang,
                              KWinSession::kHeight + overhang});
        ASSERT_TRUE(backdrop);
    }

    void TearDown() override
    {
        if ((HasFailure() || std::getenv("WALKERS_E2E_SAVE")) && !last.pixels.empty()) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            last.Save(std::string("/tmp/walkers-kwin-") + test->name() + ".ppm");
        }
    }

    // A window of the frame's size (KWin's title bar above its client),
    // moved there.
    std::unique_ptr<GtkTestWindow> Window(const std::string& title, const std::string& colour,
                                          const Box& frame)
    {
        GtkTestWindow::Options options;
        options.title = title;
        options.colour = colour;
        options.width = frame.right - frame.left;
        options.height = frame.bottom - frame.top - session.TitleBar();
        auto window = std::make_unique<GtkTestWindow>(options, session.Environment(),
                                                      session.Directory());
        if (!window->WaitMapped() || !Place(title, frame))
            return nullptr;
        return window;
    }

    bool Place(const std::string& title, const Box& frame)
    {
        frames[title] = frame;
        return session.Place(title, frame);
    }

    // KWin's stand-in icon on each title bar is orange, like the figures:
    // a screenshot is judged without them.
    Screenshot CaptureWithoutIcons()
    {
        Screenshot shot = session.Capture();
        if (shot.pixels.empty())
            return shot;
        for (const auto& [title, frame] : frames)
            for (int y = std::max(frame.top + 4, 0); y < std::min(frame.top + 32, shot.height); ++y)
                for (int x = std::max(frame.left + 4, 0); x < std::min(frame.left + 32, shot.width); ++x)
                    shot.pixels[size_t(y) * size_t(shot.width) + size_t(x)] = 0xEFF0F1;
        return shot;
    }

    // Whether there are figures, and all stand on the title bar of `frame`.
    bool OnTitleBar(const Box& frame)
    {
        last = CaptureWithoutIcons();
        if (last.pixels.empty())
            return false;
        scan = ScanFigures(last, TitleBarBand(frame));
        black_seen += scan.black;
        return scan.brown > 200 && scan.outside == 0;
    }

    bool WaitOnTitleBar(const Box& frame, std::chrono::milliseconds timeout)
    {
        seen = frame;
        return WaitUntil([&] { return OnTitleBar(frame); }, timeout);
    }

    bool StandStill()
    {
        return WaitUntil(
            [&] {
                const Screenshot before = CaptureWithoutIcons();
                std::this_thread::sleep_for(200ms);
                last = CaptureWithoutIcons();
                return !last.pixels.empty() && before.pixels == last.pixels;
            },
            kFollow + 5s);
    }

    // A point of the window below inside `frame`'s figures' band, clear of
    // every figure by 8 pixels.
    std::optional<std::pair<int, int>> GapOverBelow(const Box& frame)
    {
        const Box band = TitleBarBand(frame);
        for (int y = band.top + 8; y < band.bottom - 8; ++y)
            for (int x = band.left + 8; x < band.right - 8; ++x) {
                bool clear = true;
                for (int dy = -8; dy <= 8 && clear; ++dy)
                    for (int dx = -8; dx <= 8 && clear; ++dx)
                        clear = NearBelow(last.At(x + dx, y + dy));
                if (clear)
                    return std::make_pair(x, y);
            }
        return std::nullopt;
    }

    std::string Seen() const
    {
        return "frame " + std::to_string(seen.left) + "," + std::to_string(seen.top) + " - " +
               std::to_string(seen.right) + "," + std::to_string(seen.bottom) +
               "; figure pixels " + std::to_string(scan.brown) + ", outside the title bar " +
               std::to_string(scan.outside);
    }

    std::unique_ptr<Process> StartWalkers()
    {
        return std::make_unique<Process>(std::vector<std::string>{WALKERS_BINARY},
                                         session.Environment());
    }

    // The script files walkers left in the runtime directory.
    int ScriptFiles() const
    {
        int count = 0;
        if (DIR* dir = opendir(session.Directory().c_str())) {
            while (const dirent* entry = readdir(dir))
                count += std::string(entry->d_name).starts_with("walkers-kwin-");
            closedir(dir);
        }
        return count;
    }

    KWinSession session;
    std::unique_ptr<GtkTestWindow> backdrop;
    std::map<std::string, Box> frames; // where each window was put
    Screenshot last;
    FigureScan scan{};
    Box seen{};
    int black_seen = 0;
};

TEST_F(WalkersOnKWin, FollowTheActiveWindowAndLetClicksThrough)
{
    const Box below_frame{60, 100, 1100, 460};
    Box frame{300, 330, 900, 630};
    auto below = Window("below", "C0C0E0", below_frame);
    ASSERT_TRUE(below);
    auto sample = Window("sample", "8FBF8F", frame);
    ASSERT_TRUE(sample);
    auto walkers = StartWalkers();
    ASSERT_TRUE(WaitOnTitleBar(frame, kStartup)) << Seen() << walkers->Errors();
    EXPECT_EQ(ScriptFiles(), 0) << "the script's file stayed after KWin read it";
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(sample->LostKeyboard()) << "walkers took the keyboard focus";

    // Moves, a focus change and back: KWin's script reports each.
    for (const Box& moved : {Box{200, 380, 800, 680}, Box{400, 300, 1000, 600}}) {
        frame = moved;
        ASSERT_TRUE(Place("sample", frame));
        EXPECT_TRUE(WaitOnTitleBar(frame, kFollow)) << "did not follow the move: " << Seen();
    }
    ASSERT_TRUE(session.Activate("below"));
    EXPECT_TRUE(WaitOnTitleBar(below_frame, kFollow)) << "did not follow the focus: " << Seen();
    ASSERT_TRUE(session.Activate("sample"));
    EXPECT_TRUE(WaitOnTitleBar(frame, kFollow)) << "did not follow the focus back: " << Seen();

    // A new title deals the figures anew along the same title bar.
    ASSERT_TRUE(sample->SetTitle("renamed"));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(WaitOnTitleBar(frame, kFollow)) << "lost the title bar on a new title: " << Seen();

    // A click between the walking figures reaches the window below, which
    // takes the focus and the figures.
    auto gap = GapOverBelow(frame);
    ASSERT_TRUE(gap.has_value());
    ASSERT_TRUE(session.Click(gap->first, gap->second));
    EXPECT_TRUE(WaitUntil([&] { return below->Presses() == 1; }, 3s))
        << "the click between the figures did not reach the window below";
    EXPECT_TRUE(WaitOnTitleBar(below_frame, kFollow)) << "did not follow the click's focus: " << Seen();

    // Titled like their own window, the front window makes them stand still:
    // a click between them still goes through, and one on a figure ends
    // walkers as the user asks.
    ASSERT_TRUE(session.Activate("renamed"));
    ASSERT_TRUE(WaitOnTitleBar(frame, kFollow)) << Seen();
    ASSERT_TRUE(sample->SetTitle("Form1"));
    ASSERT_TRUE(StandStill()) << "the figures did not hold still";
    gap = GapOverBelow(frame);
    ASSERT_TRUE(gap.has_value());
    ASSERT_TRUE(session.Click(gap->first, gap->second));
    EXPECT_TRUE(WaitUntil([&] { return below->Presses() == 2; }, 3s))
        << "a click between still figures did not reach the window below";
    // KWin 5.27 tells over the bus that nothing is active as it takes the
    // press, before the button reaches walkers, which may have moved the
    // figures by then: the click still counts.
    ASSERT_TRUE(session.Activate("Form1"));
    ASSERT_TRUE(StandStill());
    const auto figure = InteriorFigurePixel(last, 3);
    ASSERT_TRUE(figure.has_value());
    const int presses = sample->Presses() + below->Presses();
    ASSERT_TRUE(session.Click(figure->first, figure->second));
    const auto status = walkers->Wait(5s);
    ASSERT_TRUE(status.has_value()) << "still running after a click on a figure";
    EXPECT_EQ(*status, 0) << walkers->Errors();
    EXPECT_EQ(sample->Presses() + below->Presses(), presses)
        << "the click on a figure reached a window below";
    EXPECT_EQ(black_seen, 0) << "the pictures' black background showed";
}

// `walkers --stop` reaches it over the session bus and it ends as after a
// click; another, when KWin goes, ends with a message.
TEST_F(WalkersOnKWin, StopsOnRequestAndEndsWithTheCompositor)
{
    const Box frame{300, 300, 900, 600};
    auto sample = Window("sample", "8FBF8F", frame);
    ASSERT_TRUE(sample);
    auto walkers = StartWalkers();
    ASSERT_TRUE(WaitOnTitleBar(frame, kStartup)) << Seen() << walkers->Errors();
    const RunResult stop = RunToEnd({WALKERS_BINARY, "--stop"}, session.Environment(), 20s);
    EXPECT_EQ(stop.status, 0) << stop.output;
    const auto status = walkers->Wait(5s);
    ASSERT_TRUE(status.has_value()) << "still running after --stop";
    EXPECT_EQ(*status, 0) << walkers->Errors();
    EXPECT_EQ(RunToEnd({WALKERS_BINARY, "--stop"}, session.Environment(), 20s).status, 1);

    auto second = StartWalkers();
    ASSERT_TRUE(WaitOnTitleBar(frame, kStartup)) << Seen() << second->Errors();
    session.Kill();
    const auto lost = second->Wait(5s);
    ASSERT_TRUE(lost.has_value()) << "still running without its compositor";
    EXPECT_NE(*lost, 0);
    EXPECT_NE(second->Errors().find("lost the connection"), std::string::npos) << second->Errors();
}

} // namespace
