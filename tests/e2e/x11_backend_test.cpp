// The X11 backend on its own, on a virtual X server: the probe's answers
// about other programs' windows (and what they cost), the window region's
// ownership, what a shaped form window shows, and the message box.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>
#include <unistd.h>

#include "platform/toolkit/form_definition.h"
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/form.h"
#include "platform/winapi.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_layout_lookup.h"
#include "platform/x11/x11_questions.h"
#include "tests/e2e/backend_connection.h"
#include "tests/e2e/desktop_scene.h"

namespace {

using namespace std::chrono_literals;

HWND Handle(Window window) { return reinterpret_cast<HWND>(uintptr_t(window)); }

const FormDefinition& CanvasDefinition()
{
    static const FormDefinition definition{.Name = "Canvas",
                                           .Caption = "Canvas",
                                           .BorderStyle = 0,
                                           .ShowInTaskbar = false,
                                           .StartUpPosition = 0,
                                           .ClientLeft = 0,
                                           .ClientTop = 0,
                                           .ClientWidth = 640 * 15,
                                           .ClientHeight = 400 * 15,
                                           .ScaleMode = 1,
                                           .StoredAutoRedraw = 0,
                                           .Palette = -1,
                                           .Timers = {},
                                           .ImageArrays = {}};
    return definition;
}

// A backend on its own connection to the session, installed for the calls.
class BackendOnDesktop : public ::testing::Test {
protected:
    explicit BackendOnDesktop(bool window_manager = true)
        : session(XSession::Options{.width = 1024, .height = 700,
                                    .window_manager = window_manager})
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(session.Ready());
        std::unique_ptr<X11Connection> connection = ConnectBackend(session);
        ASSERT_NE(connection, nullptr);
        backend = std::make_unique<X11Backend>(std::move(connection));
        InstallBackend(backend.get());
        InstallUser32Desktop(&backend->Desktop());
    }

    void TearDown() override
    {
        toolkit::EndRun();
        InstallUser32Desktop(nullptr);
        InstallBackend(nullptr);
        backend.reset();
    }

    bool Activate(Window window)
    {
        session.Xdotool({"windowactivate", std::to_string(window)});
        return WaitUntil([&] { return session.ActiveWindow() == window; }, 5s);
    }

    // Asks until the answer comes, as ticks would.
    bool ForegroundBecomes(Window window)
    {
        return WaitUntil([&] { return GetForegroundWindow() == Handle(window); }, 3s);
    }

    std::string Title(Window window)
    {
        char text[128];
        std::memset(text, 'x', sizeof text);
        const int length = GetWindowTextA(Handle(window), text, sizeof text);
        return length > 0 ? std::string(text) : std::string();
    }

    void SetText(Window window, const char* property, const char* type, const std::string& text)
    {
        XChangeProperty(session.display(), window, XInternAtom(session.display(), property, False),
                        XInternAtom(session.display(), type, False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
        XSync(session.display(), False);
    }

    XSession session;
    std::unique_ptr<X11Backend> backend;
};

class BackendWithoutManager : public BackendOnDesktop {
protected:
    BackendWithoutManager() : BackendOnDesktop(false) {}
};

bool Same(const RECT& a, const Box& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The frame window the manager put the client in, measured on the server.
Box FrameWindow(Display* display, Window client)
{
    Window top = client;
    for (;;) {
        Window root = None, up = None;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display, top, &root, &up, &children, &count);
        if (children)
            XFree(children);
        if (up == root)
            break;
        top = up;
    }
    XWindowAttributes a{};
    XGetWindowAttributes(display, top, &a);
    return Box{a.x, a.y, a.x + a.width + 2 * a.border_width, a.y + a.height + 2 * a.border_width};
}

TEST_F(BackendOnDesktop, ForegroundWindowAndItsTitleFollowTheManager)
{
    SampleWindow first(session, "first", "300x200+50+300");
    SampleWindow second(session, "second", "300x200+450+300");
    ASSERT_TRUE(first.Ready() && second.Ready());
    ASSERT_TRUE(Activate(first.Id()));
    EXPECT_TRUE(ForegroundBecomes(first.Id()));
    EXPECT_EQ(Title(first.Id()), "first");
    ASSERT_TRUE(Activate(second.Id()));
    EXPECT_TRUE(ForegroundBecomes(second.Id()));
    EXPECT_EQ(Title(second.Id()), "second");
    // Renamed while in front: the next question has the new title.
    SetText(second.Id(), "_NET_WM_NAME", "UTF8_STRING", "renamed");
    EXPECT_TRUE(WaitUntil([&] { return Title(second.Id()) == "renamed"; }, 2s));
}

TEST_F(BackendOnDesktop, TitlePrefersTheUtf8NameAndIsCutTo127Bytes)
{
    SampleWindow sample(session, "sample", "300x200+50+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    ASSERT_TRUE(ForegroundBecomes(sample.Id()));

    std::string long_title;
    for (int i = 0; i < 100; ++i)
        long_title += "\xC3\xA9"; // 200 bytes of UTF-8
    SetText(sample.Id(), "WM_NAME", "STRING", "plain");
    SetText(sample.Id(), "_NET_WM_NAME", "UTF8_STRING", long_title);
    ASSERT_TRUE(WaitUntil([&] { return Title(sample.Id()).size() == 127; }, 2s));
    EXPECT_EQ(Title(sample.Id()), long_title.substr(0, 127));

    XDeleteProperty(session.display(), sample.Id(),
                    XInternAtom(session.display(), "_NET_WM_NAME", False));
    XSync(session.display(), False);
    EXPECT_TRUE(WaitUntil([&] { return Title(sample.Id()) == "plain"; }, 2s));
}

TEST_F(BackendOnDesktop, ANameOfTheWrongTypeGivesWayToThePlainName)
{
    SampleWindow sample(session, "sample", "300x200+50+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    ASSERT_TRUE(ForegroundBecomes(sample.Id()));
    SetText(sample.Id(), "WM_NAME", "STRING", "Form1");
    SetText(sample.Id(), "_NET_WM_NAME", "STRING", "not the title");
    EXPECT_TRUE(WaitUntil([&] { return Title(sample.Id()) == "Form1"; }, 2s)) << Title(sample.Id());
    // Nor is a 32-bit list of numbers a title, whatever its type says.
    const long numbers[2] = {0x41414141, 0x42424242};
    XChangeProperty(session.display(), sample.Id(),
                    XInternAtom(session.display(), "_NET_WM_NAME", False),
                    XInternAtom(session.display(), "UTF8_STRING", False), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(numbers), 2);
    SetText(sample.Id(), "WM_NAME", "STRING", "plain");
    EXPECT_TRUE(WaitUntil([&] { return Title(sample.Id()) == "plain"; }, 2s)) << Title(sample.Id());
}

// Another client renaming the window in front as fast as it can: the
// questions cost a bounded number of round trips, and the notices of its
// changes are observed and dropped, not kept.
TEST_F(BackendOnDesktop, ATitleFloodCostsFewRoundTripsAndKeepsNoEvents)
{
    SampleWindow sample(session, "sample", "300x200+50+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    ASSERT_TRUE(ForegroundBecomes(sample.Id()));
    Title(sample.Id());
    const uint64_t round_trips = backend->Questions().Asked();
    const auto start = std::chrono::steady_clock::now();
    std::size_t most_kept = 0;
    Display* other = session.display();
    const Atom name = XInternAtom(other, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(other, "UTF8_STRING", False);
    for (int burst = 0; burst < 40; ++burst) {
        for (int change = 0; change < 500; ++change) {
            const std::string title = "flood " + std::to_string(burst * 500 + change);
            XChangeProperty(other, sample.Id(), name, utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(title.data()),
                            int(title.size()));
        }
        XSync(other, False);
        // A tick's worth of questions.
        for (int question = 0; question < 60; ++question) {
            Title(sample.Id());
            RECT rect{};
            GetWindowRect(Handle(sample.Id()), &rect);
        }
        most_kept = std::max(most_kept, backend->Loop().KeptEvents());
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    // At most one title read per 10 ms, and a few more for the rest.
    EXPECT_LE(backend->Questions().Asked() - round_trips,
              uint64_t(elapsed.count() / 10 + 10))
        << "in " << elapsed.count() << " ms";
    EXPECT_EQ(most_kept, 0u);
    EXPECT_TRUE(WaitUntil([&] { return Title(sample.Id()) == "flood 19999"; }, 3s))
        << Title(sample.Id());
}

// Another client rewriting the root's _NET_ACTIVE_WINDOW as fast as it can:
// the root stops being listened to, and listening again (which means reading
// a burst of the flood once more, thousands of notices) waits twice as long
// each time the flood is heard again at once: over six seconds of flood it
// happens a few times, not once a second.
TEST_F(BackendOnDesktop, ARootFloodIsListenedToAgainEverLessOften)
{
    SampleWindow sample(session, "sample", "300x200+50+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    ASSERT_TRUE(ForegroundBecomes(sample.Id()));
    Process flood({WALKERS_HOSTILE_CLIENT, "root-flood", "14", std::to_string(sample.Id())},
                  session.Environment());
    ASSERT_TRUE(WaitUntil([&] { return flood.Output().find("started") != std::string::npos; },
                          5s));
    // Asks as ticks would and reads whatever arrives; true once nothing
    // more arrived for `quiet`.
    auto ask_until_quiet = [&](std::chrono::milliseconds quiet, std::chrono::milliseconds most) {
        const auto start = std::chrono::steady_clock::now();
        auto last_heard = start;
        uint64_t events = backend->Stats().x_events;
        for (auto now = start; now - start < most; now = std::chrono::steady_clock::now()) {
            GetForegroundWindow();
            backend->Drain();
            if (backend->Stats().x_events != events) {
                events = backend->Stats().x_events;
                last_heard = now;
            } else if (now - last_heard >= quiet) {
                return true;
            }
            std::this_thread::sleep_for(1ms);
        }
        return false;
    };
    // What the server sent before it took in that the root is not listened
    // to is read first.
    ASSERT_TRUE(ask_until_quiet(300ms, 6s)) << "the flood was never stopped";
    const uint64_t listened = backend->Foreground().RootListenedAgain();
    const uint64_t events = backend->Stats().x_events;
    ask_until_quiet(6s, 6s);
    ASSERT_TRUE(flood.Running()) << "the flood ended early: " << flood.Errors();
    const uint64_t again = backend->Foreground().RootListenedAgain() - listened;
    std::printf("root listened to again %llu times in 6 s, %llu notices read\n",
                (unsigned long long)again, (unsigned long long)(backend->Stats().x_events - events));
    EXPECT_LE(again, 3u);
    // It leaves the window in front named, and the answer follows.
    ASSERT_TRUE(flood.Wait(20s).has_value());
    EXPECT_TRUE(ForegroundBecomes(sample.Id()));
}

// Another client grabs the server, makes `change` on its connection and
// lets go a second and a half later. Meanwhile `ask` is called as ticks
// would call the probe; false if a call waited for the server (the grab
// was over when it came back).
bool AnsweredWhileGrabbed(const XSession& session, X11Backend& backend,
                          const std::function<void(Display*)>& change,
                          const std::function<void()>& ask)
{
    Display* grabber = XOpenDisplay(session.Name().c_str());
    if (!grabber)
        return false;
    XGrabServer(grabber);
    change(grabber);
    XSync(grabber, False);
    std::atomic<bool> grabbed{true};
    std::thread release([&] {
        std::this_thread::sleep_for(1500ms);
        grabbed = false;
        XUngrabServer(grabber);
        XSync(grabber, False);
    });
    bool answered = true;
    const auto start = std::chrono::steady_clock::now();
    while (answered && std::chrono::steady_clock::now() - start < 300ms) {
        backend.Drain();
        ask();
        answered = grabbed;
        std::this_thread::sleep_for(5ms);
    }
    release.join();
    XCloseDisplay(grabber);
    return answered;
}

// A server busy with another client may take a second to come to a
// question: the window in front's title, once known, is answered at once
// while a new read of it waits for its answer. A server grabbed by another
// client answers nothing at all until it lets go.
TEST_F(BackendOnDesktop, AQuestionTheServerIsSlowToAnswerHoldsNoTick)
{
    SampleWindow sample(session, "sample", "300x200+50+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    ASSERT_TRUE(ForegroundBecomes(sample.Id()));
    EXPECT_TRUE(WaitUntil([&] { return Title(sample.Id()) == "sample"; }, 2s));

    const std::string renamed = "renamed while grabbed";
    // The notice of the change comes; the read it calls for is not waited for.
    std::string during;
    const bool answered_while_grabbed = AnsweredWhileGrabbed(
        session, *backend,
        [&](Display* grabber) {
            XChangeProperty(grabber, sample.Id(), XInternAtom(grabber, "_NET_WM_NAME", False),
                            XInternAtom(grabber, "UTF8_STRING", False), 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(renamed.data()),
                            int(renamed.size()));
        },
        [&] { during = Title(sample.Id()); });
    EXPECT_TRUE(answered_while_grabbed) << "the questions waited for the server";
    EXPECT_EQ(during, "sample");
    EXPECT_TRUE(WaitUntil([&] { return Title(sample.Id()) == renamed; }, 3s)) << Title(sample.Id());
}

// A window manager as far as the probe can tell: a check window naming
// itself on itself and on the root, and _NET_SUPPORTED listing
// _NET_ACTIVE_WINDOW, which names `active`.
Window StartFakeManager(Display* display, Window active)
{
    const Window root = DefaultRootWindow(display);
    const long check = long(XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0));
    const long supported = long(XInternAtom(display, "_NET_ACTIVE_WINDOW", False));
    const Atom check_name = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    auto set = [&](Window window, Atom property, Atom type, const long& value) {
        XChangeProperty(display, window, property, type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
    };
    set(root, XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, long(active));
    set(Window(check), check_name, XA_WINDOW, check);
    set(root, XInternAtom(display, "_NET_SUPPORTED", False), XA_ATOM, supported);
    set(root, check_name, XA_WINDOW, check);
    XSync(display, False);
    return Window(check);
}

void NameActive(Display* display, Window window)
{
    const long value = long(window);
    XChangeProperty(display, DefaultRootWindow(display),
                    XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
    XSync(display, False);
}


// Under a server grab held by another client, nothing the probe asks is
// answered. A new window in front, a reparented one and a window manager
// that ends must hold no tick: the window known before stays the answer,
// title and rectangle, and once the grab ends the answers follow.
TEST_F(BackendWithoutManager, ChangesUnderAServerGrabHoldNoTickAndAreFollowedAfter)
{
    SampleWindow first(session, "first", "300x200+50+300");
    SampleWindow second(session, "second", "300x200+450+300");
    SampleWindow third(session, "third", "200x100+50+50");
    ASSERT_TRUE(first.Ready() && second.Ready() && third.Ready());
    auto rect_of = [](Window window) {
        RECT rect{};
        return GetWindowRect(Handle(window), &rect) ? rect : RECT{-1, -1, -1, -1};
    };
    auto stays = [&](Window window, const std::string& title, const RECT& rect) {
        return [&, window, title, rect] {
            EXPECT_EQ(GetForegroundWindow(), Handle(window));
            EXPECT_EQ(Title(window), title);
            const RECT now = rect_of(window);
            EXPECT_TRUE(now.left == rect.left && now.top == rect.top &&
                        now.right == rect.right && now.bottom == rect.bottom);
        };
    };

    // The focus moves to a window never asked about.
    session.Xdotool({"windowfocus", "--sync", std::to_string(first.Id())});
    ASSERT_TRUE(ForegroundBecomes(first.Id()));
    const RECT first_rect{50, 300, 350, 500};
    EXPECT_TRUE(AnsweredWhileGrabbed(
        session, *backend,
        [&](Display* d) { XSetInputFocus(d, second.Id(), RevertToParent, CurrentTime); },
        stays(first.Id(), "first", first_rect)))
        << "a new focus waited for the server";
    EXPECT_TRUE(ForegroundBecomes(second.Id()));
    EXPECT_EQ(Title(second.Id()), "second");

    // A window manager comes and names a window; once it is the answer, its
    // title and rectangle are known too.
    const Window check = StartFakeManager(session.display(), third.Id());
    ASSERT_TRUE(ForegroundBecomes(third.Id()));
    EXPECT_TRUE(backend->Foreground().ManagerRunning());
    NameActive(session.display(), first.Id());
    ASSERT_TRUE(ForegroundBecomes(first.Id()));
    EXPECT_TRUE(AnsweredWhileGrabbed(
        session, *backend, [&](Display* d) { NameActive(d, second.Id()); },
        stays(first.Id(), "first", first_rect)))
        << "a window newly named waited for the server";
    EXPECT_TRUE(ForegroundBecomes(second.Id()));
    EXPECT_EQ(Title(second.Id()), "second");

    // The window in front is put in another's frame.
    const Window frame = XCreateSimpleWindow(session.display(), DefaultRootWindow(session.display()),
                                       500, 100, 400, 300, 0, 0, 0);
    XMapWindow(session.display(), frame);
    XSync(session.display(), False);
    const RECT second_rect{450, 300, 750, 500};
    EXPECT_TRUE(AnsweredWhileGrabbed(
        session, *backend, [&](Display* d) { XReparentWindow(d, second.Id(), frame, 20, 30); },
        stays(second.Id(), "second", second_rect)))
        << "a reparented window waited for the server";
    EXPECT_TRUE(WaitUntil(
        [&] {
            const RECT now = rect_of(second.Id());
            return now.left == 500 && now.top == 100 && now.right == 900 && now.bottom == 400;
        },
        2s));

    // The window manager ends; without one the focus names the window.
    EXPECT_TRUE(AnsweredWhileGrabbed(
        session, *backend,
        [&](Display* d) {
            XDestroyWindow(d, check);
            XSetInputFocus(d, third.Id(), RevertToParent, CurrentTime);
        },
        [&] {
            EXPECT_EQ(GetForegroundWindow(), Handle(second.Id()));
            EXPECT_EQ(Title(second.Id()), "second");
        }))
        << "a window manager's end waited for the server";
    EXPECT_TRUE(ForegroundBecomes(third.Id()));
    EXPECT_FALSE(backend->Foreground().ManagerRunning());
    EXPECT_EQ(Title(third.Id()), "third");
}

TEST_F(BackendOnDesktop, WindowRectIsTheFrameLessClientSideShadows)
{
    SampleWindow sample(session, "sample", "300x200+150+250");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    ASSERT_TRUE(ForegroundBecomes(sample.Id()));
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(Handle(sample.Id()), &rect));
    const Box frame = FrameWindow(session.display(), sample.Id());
    EXPECT_TRUE(Same(rect, frame)) << rect.left << "," << rect.top << "," << rect.right << ","
                                   << rect.bottom;
    // The frame is more than the window: decorations are included.
    int client_x = 0, client_y = 0;
    Window child = None;
    XTranslateCoordinates(session.display(), sample.Id(), DefaultRootWindow(session.display()), 0,
                          0, &client_x, &client_y, &child);
    EXPECT_LT(rect.top, client_y);

    const long shadows[4] = {10, 20, 30, 40}; // left, right, top, bottom
    XChangeProperty(session.display(), sample.Id(),
                    XInternAtom(session.display(), "_GTK_FRAME_EXTENTS", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(shadows), 4);
    XSync(session.display(), False);
    EXPECT_TRUE(WaitUntil(
        [&] {
            GetWindowRect(Handle(sample.Id()), &rect);
            return rect.left == frame.left + 10 && rect.right == frame.right - 20 &&
                   rect.top == frame.top + 30 && rect.bottom == frame.bottom - 40;
        },
        2s));
}

TEST_F(BackendOnDesktop, SteadyStateAsksTheServerNothingAndMovesComeFromEvents)
{
    SampleWindow sample(session, "sample", "300x200+150+250");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    ASSERT_TRUE(ForegroundBecomes(sample.Id()));
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(Handle(sample.Id()), &rect));
    Title(sample.Id());
    // A window new in front is asked about once more a moment later; the
    // answers come over the next few ticks.
    std::this_thread::sleep_for(150ms);
    for (int tick = 0; tick < 10; ++tick) {
        GetForegroundWindow();
        ASSERT_TRUE(GetWindowRect(Handle(sample.Id()), &rect));
        Title(sample.Id());
        std::this_thread::sleep_for(5ms);
    }

    // A tick's worth of questions, many times over: no request at all.
    const uint64_t requests = backend->Connection().RequestsSent();
    const uint64_t round_trips = backend->Questions().Asked();
    for (int tick = 0; tick < 50; ++tick) {
        for (int question = 0; question < 60; ++question) {
            HWND window = GetForegroundWindow();
            EXPECT_EQ(window, Handle(sample.Id()));
            EXPECT_EQ(Title(sample.Id()), "sample");
            EXPECT_TRUE(GetWindowRect(window, &rect));
        }
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(backend->Connection().RequestsSent(), requests);
    EXPECT_EQ(backend->Questions().Asked(), round_trips);

    // Moved by the manager: the new place comes with the events.
    const RECT before = rect;
    session.Xdotool({"windowmove", std::to_string(sample.Id()), "400", "320"});
    EXPECT_TRUE(WaitUntil(
        [&] {
            GetWindowRect(Handle(sample.Id()), &rect);
            return rect.left != before.left;
        },
        2s));
    EXPECT_TRUE(Same(rect, FrameWindow(session.display(), sample.Id())));
    EXPECT_EQ(rect.right - rect.left, before.right - before.left);
    EXPECT_EQ(backend->Questions().Asked(), round_trips);
}

TEST_F(BackendOnDesktop, AWindowThatIsGoneIsNoWindow)
{
    SampleWindow sample(session, "sample", "300x200+150+250");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    ASSERT_TRUE(ForegroundBecomes(sample.Id()));
    RECT rect{1, 2, 3, 4};
    ASSERT_TRUE(GetWindowRect(Handle(sample.Id()), &rect));

    sample.process().Signal(SIGKILL);
    ASSERT_TRUE(sample.process().Wait(5s).has_value());
    EXPECT_TRUE(WaitUntil([&] { return !GetWindowRect(Handle(sample.Id()), &rect); }, 2s));
    EXPECT_EQ(Title(sample.Id()), "");
    // Never a window of anyone's: no answer, and no error ends us.
    const Window nowhere = 0x7FFFFF;
    EXPECT_EQ(Title(nowhere), "");
    EXPECT_FALSE(GetWindowRect(Handle(nowhere), &rect));
}

// A window manager that ends takes its frames with it while the window's
// place is being asked: the window is still there, found where it is now.
TEST_F(BackendWithoutManager, ALookupWhoseFrameGoesFindsTheWindowWhereItIsNow)
{
    Display* desktop = session.display();
    const Window root = DefaultRootWindow(desktop);
    const Window frame = XCreateSimpleWindow(desktop, root, 200, 150, 400, 300, 0, 0, 0);
    const Window client = XCreateSimpleWindow(desktop, frame, 10, 20, 300, 200, 0, 0, 0);
    XMapWindow(desktop, client);
    XMapWindow(desktop, frame);
    XSync(desktop, False);

    // The backend's own questions wait for nothing meanwhile: these are
    // asked beside them, on the same connection.
    X11Connection& x = backend->Connection();
    X11Questions questions(x);
    // A round trip on the connection for questions: what was asked before
    // it is answered, and the answers are read, not yet taken.
    auto answered = [&] {
        std::free(xcb_get_input_focus_reply(x.Questions(), xcb_get_input_focus(x.Questions()),
                                            nullptr));
    };
    X11LayoutLookup lookup(questions);
    std::optional<X11LayoutLookup::Outcome> outcome;
    lookup.Start(xcb_window_t(client), [&](X11LayoutLookup::Outcome ended) { outcome = ended; });
    // The first answers (the client's parent is the frame) are given...
    answered();
    // ...and then the frame goes, as a manager's do when it ends.
    XReparentWindow(desktop, client, root, 250, 180);
    XDestroyWindow(desktop, frame);
    XSync(desktop, False);

    for (int turn = 0; turn < 20 && !outcome; ++turn) {
        questions.Take();
        answered(); // the answers to what it asked next
    }
    ASSERT_EQ(outcome, X11LayoutLookup::Outcome::kFound) << "the window was taken for gone";
    EXPECT_EQ(lookup.Found().top_level, client);
    EXPECT_EQ(lookup.Found().top.x, 250);
    EXPECT_EQ(lookup.Found().top.y, 180);
    XDestroyWindow(desktop, client);
    XSync(desktop, False);
}

TEST_F(BackendWithoutManager, TheFocusNamesTheForegroundWindow)
{
    SampleWindow first(session, "first", "300x200+50+300");
    SampleWindow second(session, "second", "300x200+450+300");
    ASSERT_TRUE(first.Ready() && second.Ready());
    session.Xdotool({"windowfocus", "--sync", std::to_string(first.Id())});
    EXPECT_TRUE(ForegroundBecomes(first.Id()));
    session.Xdotool({"windowfocus", "--sync", std::to_string(second.Id())});
    EXPECT_TRUE(ForegroundBecomes(second.Id()));
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(Handle(second.Id()), &rect));
    EXPECT_EQ(rect.left, 450);
    EXPECT_EQ(rect.top, 300);
    EXPECT_EQ(rect.right, 750);
    XSetInputFocus(session.display(), PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(session.display(), False);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == nullptr; }, 2s))
        << GetForegroundWindow();
}

TEST_F(BackendOnDesktop, TheScreenIsTheRootWindow)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 700);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION), 700);
    EXPECT_EQ(backend->TwipsPerPixelX(), 15.0f);
    EXPECT_EQ(backend->TwipsPerPixelY(), 15.0f);
}

// --- Form windows.

class CanvasForm : public Form {
public:
    CanvasForm() : Form(CanvasDefinition()) {}
};

// Paints the image: a colour for each 40-pixel square, so any pixel shown
// in the wrong place shows the wrong colour.
uint32_t Checker(int x, int y) { return 0x400000u + uint32_t((x / 40) * 0x1030 + (y / 40) * 0x21); }

void PaintChecker(HDC dc, int width, int height)
{
    for (int y = 0; y < height; y += 40)
        for (int x = 0; x < width; x += 40) {
            const uint32_t rgb = Checker(x, y);
            HBRUSH brush = CreateSolidBrush(RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
            HRGN square = CreateRectRgn(x, y, x + 40, y + 40);
            FillRgn(dc, square, brush);
            DeleteObject(square);
            DeleteObject(brush);
        }
}

HRGN Shape(std::initializer_list<RECT> rects)
{
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : rects) {
        HRGN part = CreateRectRgn(r.left, r.top, r.right, r.bottom);
        CombineRgn(shape, shape, part, RGN_OR);
        DeleteObject(part);
    }
    return shape;
}

// Every pixel inside the shape shows the image, every other the root.
::testing::AssertionResult ShowsExactly(const Screenshot& shot, std::initializer_list<RECT> shape,
                                        uint32_t root, uint32_t (*image)(int, int))
{
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x) {
            bool inside = false;
            for (const RECT& r : shape)
                inside |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            const uint32_t want = inside ? image(x, y) : root;
            if (shot.At(x, y) != want)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << shot.At(x, y)
                       << " not " << want;
        }
    return ::testing::AssertionSuccess();
}

TEST_F(BackendWithoutManager, ShowsTheImageOnlyInsideTheRegionAndSendsNothingUnchanged)
{
    CanvasForm form;
    form.LoadForm();
    ASSERT_TRUE(form.IsLoaded());
    PaintChecker(form.hdc(), 640, 400);
    // 60 rows from row 100: the background tile is 64 rows tall and the
    // shape crosses its wrap at row 128.
    const std::initializer_list<RECT> shape = {{10, 100, 90, 160}, {200, 130, 260, 150}};
    ASSERT_TRUE(SetWindowRgn(form.hwnd(), Shape(shape), TRUE));
    form.Show();
    SyncBackend(backend->Connection());
    Screenshot shot;
    EXPECT_TRUE(WaitUntil([&] {
        shot = session.Capture();
        return bool(ShowsExactly(shot, shape, 0x304860, Checker));
    }, 3s)) << ShowsExactly(shot, shape, 0x304860, Checker);

    // A new shape, too tall for that tile: the new outline, the image in it.
    const std::initializer_list<RECT> moved = {{400, 300, 470, 390}, {20, 20, 60, 30}};
    ASSERT_TRUE(SetWindowRgn(form.hwnd(), Shape(moved), TRUE));
    SyncBackend(backend->Connection());
    EXPECT_TRUE(ShowsExactly(session.Capture(), moved, 0x304860, Checker));

    // The same shape and the same pixels: nothing goes to the server.
    const uint64_t requests = backend->Connection().RequestsSent();
    ASSERT_TRUE(SetWindowRgn(form.hwnd(), Shape(moved), TRUE));
    EXPECT_EQ(backend->Connection().RequestsSent(), requests);

    // The same shape, new pixels: they show.
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    HRGN whole = CreateRectRgn(0, 0, 640, 400);
    FillRgn(form.hdc(), whole, white);
    DeleteObject(white);
    ASSERT_TRUE(SetWindowRgn(form.hwnd(), Shape(moved), TRUE));
    SyncBackend(backend->Connection());
    auto all_white = [](int, int) { return 0xFFFFFFu; };
    EXPECT_TRUE(ShowsExactly(session.Capture(), moved, 0x304860, all_white));

    // A shape that overlaps the last one, and new pixels at the same time (a
    // figure taking its next step): the new pixels everywhere inside it,
    // where it stays as much as where it is new.
    PaintChecker(form.hdc(), 640, 400);
    const std::initializer_list<RECT> stepped = {{410, 305, 480, 395}, {20, 25, 60, 35}};
    ASSERT_TRUE(SetWindowRgn(form.hwnd(), Shape(stepped), TRUE));
    SyncBackend(backend->Connection());
    EXPECT_TRUE(ShowsExactly(session.Capture(), stepped, 0x304860, Checker));
    DeleteObject(whole);
}

TEST_F(BackendOnDesktop, TheWindowOwnsItsRegionAndLiveObjectsStayFlat)
{
    const std::size_t regions = gdi32_internals::LiveObjects(gdi32_internals::Kind::Region);
    {
        CanvasForm form;
        form.LoadForm();
        for (int i = 0; i < 200; ++i) {
            HRGN shape = CreateRectRgn(i, 10, i + 50, 60);
            ASSERT_TRUE(SetWindowRgn(form.hwnd(), shape, TRUE));
        }
        // Only the window's current region is alive.
        EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), regions + 1);
        // A handle that is not a live region is refused, and stays the caller's.
        HRGN gone = CreateRectRgn(0, 0, 1, 1);
        DeleteObject(gone);
        EXPECT_FALSE(SetWindowRgn(form.hwnd(), gone, TRUE));
        EXPECT_FALSE(SetWindowRgn(Handle(0x123456), CreateRectRgn(0, 0, 1, 1), TRUE));
        EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), regions + 2);
        form.DestroyWithoutEvents();
    }
    // The window's last region went with it.
    EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), regions + 1);
}

TEST_F(BackendOnDesktop, TheFormWindowIsAnUndecoratedTopmostWindowAtTheCorner)
{
    CanvasForm form;
    form.LoadForm();
    ASSERT_TRUE(SetWindowRgn(form.hwnd(), CreateRectRgn(0, 0, 30, 30), TRUE));
    SetWindowPos(form.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    form.Show();
    const Window id = Window(reinterpret_cast<uintptr_t>(form.hwnd()));
    SyncBackend(backend->Connection());
    ASSERT_TRUE(WaitUntil([&] { return session.FindWindow("Canvas") == id; }, 3s));
    // At the corner exactly, the frame adding nothing around it.
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Box frame = session.Frame(id);
            return frame.left == 0 && frame.top == 0 && frame.right == 640 && frame.bottom == 400;
        },
        3s));
    std::vector<unsigned long> states;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(session.display(), id, XInternAtom(session.display(), "_NET_WM_STATE", False),
                       0, 16, False, XA_ATOM, &type, &format, &count, &after, &data);
    ASSERT_NE(data, nullptr);
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    auto has = [&](const char* name) {
        const Atom wanted = XInternAtom(session.display(), name, False);
        return std::find(atoms, atoms + count, wanted) != atoms + count;
    };
    EXPECT_TRUE(has("_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(has("_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(has("_NET_WM_STATE_SKIP_PAGER"));
    XFree(data);
    // Shown without taking the foreground.
    EXPECT_NE(session.ActiveWindow(), id);
    // Named as any client's window is, for session managers and window
    // lists: its class, and the machine and locale it runs in.
    XClassHint names{};
    ASSERT_TRUE(XGetClassHint(session.display(), id, &names));
    EXPECT_STREQ(names.res_name, "Canvas");
    EXPECT_STREQ(names.res_class, "Walkers");
    XFree(names.res_name);
    XFree(names.res_class);
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    XTextProperty machine{};
    ASSERT_TRUE(XGetWMClientMachine(session.display(), id, &machine));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(machine.value), machine.nitems), host);
    XFree(machine.value);
    data = nullptr;
    XGetWindowProperty(session.display(), id,
                       XInternAtom(session.display(), "WM_LOCALE_NAME", False), 0, 64, False,
                       XA_STRING, &type, &format, &count, &after, &data);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), count), std::setlocale(LC_CTYPE, nullptr));
    XFree(data);
}

TEST_F(BackendOnDesktop, TheMessageBoxReturnsOnEnterEscapeOrItsButton)
{
    // Each way of dismissing it, from another thread acting as the user.
    const std::vector<std::vector<std::string>> dismissals = {
        {"key", "Return"}, {"key", "Escape"}, {"click", "1"}};
    for (const auto& dismissal : dismissals) {
        std::thread user([&] {
            Window box = None;
            WaitUntil([&] { return (box = session.FindWindow("Project1")) != None; }, 5s);
            WaitUntil([&] { return session.ActiveWindow() == box; }, 5s);
            if (dismissal[0] == "click") {
                // The OK button is centred at the bottom.
                const Box frame = session.Frame(box);
                XWindowAttributes a{};
                XGetWindowAttributes(session.display(), box, &a);
                int x = 0, y = 0;
                Window child = None;
                XTranslateCoordinates(session.display(), box, DefaultRootWindow(session.display()),
                                      a.width / 2, a.height - 16 - 13, &x, &y, &child);
                (void)frame;
                session.Xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
            } else {
                session.Xdotool(dismissal);
            }
        });
        const auto start = std::chrono::steady_clock::now();
        backend->ShowMessage("Run-time error '6':\n\nOverflow");
        user.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 8s) << dismissal[0];
        EXPECT_TRUE(WaitUntil([&] { return session.FindWindow("Project1") == None; }, 2s));
    }
}

} // namespace
