// What the X11 backend shows of the region library's canvas: random batches
// of stamps through the real RGN_StampShape and RGN_ApplyRegion, on the
// server-drawn way and on the client-image way, compared pixel for pixel on
// the screen with a reference made only from the pictures and the shape
// table, and clickable exactly where a figure is. Then the drawings that
// must leave the server-drawn way, and what a steady tick costs.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/toolkit/application.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/form_definition.h"
#include "platform/winapi.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_form_window.h"
#include "rgn/frm_RGN_Picture.h"
#include "rgn/mod_RGN_UserFunction.h"
#include "rgn/shape_table.h"
#include "tests/e2e/backend_connection.h"
#include "tests/e2e/x_session.h"

namespace {

constexpr int kWidth = 480, kHeight = 320;
constexpr uint32_t kRoot = 0x304860;
constexpr int kTwips = 15;

const FormDefinition& CanvasDefinition()
{
    static const FormDefinition definition{.Name = "Canvas",
                                           .Caption = "Canvas",
                                           .BorderStyle = 0,
                                           .ShowInTaskbar = false,
                                           .StartUpPosition = 0,
                                           .ClientLeft = 0,
                                           .ClientTop = 0,
                                           .ClientWidth = 100 * kTwips,
                                           .ClientHeight = 100 * kTwips,
                                           .ScaleMode = 1,
                                           .StoredAutoRedraw = 0,
                                           .Palette = -1,
                                           .Timers = {},
                                           .ImageArrays = {}};
    return definition;
}

class CanvasForm : public Form {
public:
    CanvasForm() : Form(CanvasDefinition()) {}
};

struct Stamp {
    int shape, x, y; // pixels
};

// The screen as it must look: the root, and inside the union of the stamped
// outlines each pixel of the last picture stamped over it.
class Reference {
public:
    // The screen's size in the program's pixels.
    explicit Reference(int scale = 1)
        : width_(kWidth / scale), height_(kHeight / scale),
          pixels_(std::size_t(width_) * std::size_t(height_), kRoot), inside_(pixels_.size(), false)
    {
    }

    void Add(const Stamp& stamp)
    {
        const Picture& picture = DefaultInstance<frm_RGN_Picture>().pPicture(int16_t(stamp.shape)).GetPicture();
        const ShapeRecord& record = ShapeTable[stamp.shape];
        for (DWORD i = 0; i < record.rdh.nCount; ++i) {
            const RECT& r = record.Buffer[i];
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    Set(stamp.x + x, stamp.y + y, picture.Pixel(x, y), true);
        }
    }
    // Paints inside the figures only, as a drawing on the canvas shows.
    void Paint(const RECT& r, uint32_t Function(int, int))
    {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (Inside(x, y))
                    Set(x, y, Function(x, y), true);
    }

    bool Inside(int x, int y) const { return inside_[Index(x, y)]; }
    uint32_t At(int x, int y) const { return pixels_[Index(x, y)]; }

private:
    std::size_t Index(int x, int y) const { return std::size_t(y) * std::size_t(width_) + std::size_t(x); }
    void Set(int x, int y, uint32_t pixel, bool inside)
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return;
        pixels_[Index(x, y)] = pixel;
        inside_[Index(x, y)] = inside;
    }

    int width_, height_;
    std::vector<uint32_t> pixels_;
    std::vector<bool> inside_;
};

class CanvasOnX11 : public ::testing::Test {
protected:
    explicit CanvasOnX11(bool window_manager = false)
        : session(XSession::Options{.width = kWidth, .height = kHeight, .window_manager = window_manager})
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
        canvas = std::make_unique<CanvasForm>();
        canvas->LoadForm();
        RGN_InitCanvas(*canvas, 1, -1, -1);
        canvas->Show();
    }

    void TearDown() override
    {
        canvas.reset();
        toolkit::EndRun();
        InstallUser32Desktop(nullptr);
        InstallBackend(nullptr);
        backend.reset();
    }

    void StampAll(const std::vector<Stamp>& stamps, Reference& reference)
    {
        for (const Stamp& s : stamps) {
            RGN_StampShape(s.shape, *canvas, s.x * kTwips, s.y * kTwips);
            reference.Add(s);
        }
    }
    void Apply()
    {
        RGN_ApplyRegion(*canvas);
        SyncBackend(backend->Connection());
    }

    // Every pixel as the reference has it, each of its pixels a square of
    // `scale` x `scale` on the screen.
    ::testing::AssertionResult Shows(const Reference& reference, int scale = 1)
    {
        const Screenshot shot = session.Capture();
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (shot.At(x, y) != reference.At(x / scale, y / scale)) {
                    std::ostringstream what;
                    what << "pixel " << x << "," << y << " is " << std::hex << shot.At(x, y)
                         << " not " << reference.At(x / scale, y / scale);
                    return ::testing::AssertionFailure() << what.str();
                }
        return ::testing::AssertionSuccess();
    }

    // Shows the reference, and a click at sample points lands on the canvas
    // exactly where a figure is.
    ::testing::AssertionResult ShowsAndTakesClicks(const Reference& reference, std::mt19937& random,
                                                   int scale = 1)
    {
        if (::testing::AssertionResult shown = Shows(reference, scale); !shown)
            return shown;
        Display* probe = session.display();
        const Window root = DefaultRootWindow(probe);
        // Seen and clicked: the overlay, not the window the manager frames.
        const Window window = backend->FindForm(canvas->hwnd())->Overlay();
        std::uniform_int_distribution<int> column(0, kWidth - 1), row(0, kHeight - 1);
        for (int i = 0; i < 150; ++i) {
            const int x = column(random), y = row(random);
            XWarpPointer(probe, None, root, 0, 0, 0, 0, x, y);
            Window under = None, child = None;
            int root_x, root_y, win_x, win_y;
            unsigned mask;
            XQueryPointer(probe, root, &under, &child, &root_x, &root_y, &win_x, &win_y, &mask);
            const bool inside = reference.Inside(x / scale, y / scale);
            if ((child == window) != inside)
                return ::testing::AssertionFailure() << "a click at " << x << "," << y
                                                     << (inside ? " misses" : " hits") << " the canvas";
        }
        return ::testing::AssertionSuccess();
    }

    XSession session;
    std::unique_ptr<X11Backend> backend;
    std::unique_ptr<CanvasForm> canvas;
};

// Overlapping figures anywhere, some across the screen's edges.
std::vector<Stamp> RandomBatch(std::mt19937& random, int scale = 1)
{
    std::uniform_int_distribution<int> count(1, 12), shape(0, 12), x(-50, kWidth / scale - 10),
        y(-50, kHeight / scale - 10);
    std::vector<Stamp> stamps(std::size_t(count(random)));
    for (Stamp& s : stamps)
        s = Stamp{shape(random), x(random), y(random)};
    return stamps;
}

TEST_F(CanvasOnX11, RandomBatchesShowExactlyTheStampedFiguresOnBothWays)
{
    for (const bool on_server : {true, false}) {
        backend->DrawPicturesOnServer(on_server);
        std::mt19937 random(on_server ? 13 : 31);
        const uint64_t copies = backend->Drawing().PictureCopies(), puts = backend->Upload().PutRequests();
        for (int batch = 0; batch < 25; ++batch) {
            Reference reference;
            StampAll(RandomBatch(random), reference);
            Apply();
            ASSERT_TRUE(ShowsAndTakesClicks(reference, random))
                << (on_server ? "server-drawn" : "client image") << ", batch " << batch;
        }
        // Each way was the one taken.
        if (on_server) {
            EXPECT_GT(backend->Drawing().PictureCopies(), copies);
            EXPECT_EQ(backend->Upload().PutRequests(), puts + backend->Drawing().Count());
        } else {
            EXPECT_EQ(backend->Drawing().PictureCopies(), copies);
            EXPECT_GT(backend->Upload().PutRequests(), puts);
        }
    }
}

uint32_t Stripes(int x, int) { return x % 8 < 4 ? 0xFFFF00u : 0x00FFFFu; }

TEST_F(CanvasOnX11, OtherDrawingKeepsItsMeaningAndTheNextBatchIsServerDrawnAgain)
{
    std::mt19937 random(7);
    // A picture under a clip that is not its outline: a rectangle.
    {
        Reference reference;
        StampAll({{0, 40, 60}, {5, 80, 70}}, reference);
        const uint64_t puts = backend->Upload().PutRequests();
        HRGN clip = CreateRectRgn(50, 70, 90, 100);
        SelectClipRgn(canvas->hdc(), clip);
        const Picture& picture = DefaultInstance<frm_RGN_Picture>().pPicture(3).GetPicture();
        canvas->PaintPicture(picture, 30 * kTwips, 50 * kTwips, SRCCOPY);
        SelectClipRgn(canvas->hdc(), nullptr);
        DeleteObject(clip);
        reference.Paint({50, 70, 90, 100}, [](int x, int y) {
            return DefaultInstance<frm_RGN_Picture>().pPicture(3).GetPicture().Pixel(x - 30, y - 50);
        });
        Apply();
        EXPECT_TRUE(ShowsAndTakesClicks(reference, random));
        EXPECT_GT(backend->Upload().PutRequests(), puts);
    }
    // A fill after stamps, then a stamp over the fill, and a pixel read
    // in between: each sees the drawing before it.
    {
        Reference reference;
        StampAll({{2, 100, 100}, {7, 130, 110}}, reference);
        HBRUSH brush = CreateSolidBrush(RGB(255, 255, 0));
        HRGN area = CreateRectRgn(110, 120, 200, 150);
        FillRgn(canvas->hdc(), area, brush);
        DeleteObject(area);
        DeleteObject(brush);
        reference.Paint({110, 120, 200, 150}, [](int, int) { return 0xFFFF00u; });
        StampAll({{9, 150, 105}}, reference);
        for (const auto& [x, y] : {std::pair{120, 130}, {160, 140}, {135, 115}})
            if (reference.Inside(x, y)) {
                const COLORREF read = GetPixel(canvas->hdc(), x, y);
                const uint32_t want = reference.At(x, y);
                EXPECT_EQ(read, RGB(want >> 16, (want >> 8) & 0xFF, want & 0xFF)) << x << "," << y;
            }
        Apply();
        EXPECT_TRUE(ShowsAndTakesClicks(reference, random));
    }
    // Stripes painted pixel by pixel do not spoil the next, plain batch.
    {
        Reference reference;
        StampAll({{1, 10, 10}}, reference);
        for (int x = 10; x < 74; ++x) {
            HBRUSH brush = CreateSolidBrush(RGB(Stripes(x, 0) >> 16, (Stripes(x, 0) >> 8) & 0xFF,
                                                Stripes(x, 0) & 0xFF));
            HRGN column = CreateRectRgn(x, 10, x + 1, 74);
            FillRgn(canvas->hdc(), column, brush);
            DeleteObject(column);
            DeleteObject(brush);
        }
        reference.Paint({10, 10, 74, 74}, Stripes);
        Apply();
        EXPECT_TRUE(ShowsAndTakesClicks(reference, random));

        Reference next;
        const uint64_t puts = backend->Upload().PutRequests(), copies = backend->Drawing().PictureCopies();
        const std::size_t uploaded = backend->Drawing().Count();
        StampAll({{1, 20, 10}, {4, 200, 200}}, next);
        Apply();
        EXPECT_TRUE(ShowsAndTakesClicks(next, random));
        // No pixels but those of a picture seen for the first time.
        EXPECT_EQ(backend->Upload().PutRequests(), puts + (backend->Drawing().Count() - uploaded));
        EXPECT_EQ(backend->Drawing().PictureCopies(), copies + 2);
    }
}

// Nine figures walking along a row, as on a title bar: once every picture
// is on the server, a tick sends a fill, two requests a figure, the shape
// and a repaint, and neither waits for the server nor hears from it.
TEST_F(CanvasOnX11, ASteadyTickSendsAtMostTwoRequestsAFigureAndThreeMore)
{
    constexpr int kFigures = 9;
    uint64_t looks = 0;
    for (int tick = 0; tick < 30; ++tick) {
        if (tick == 13)
            looks = backend->Connection().WriteGate().Looks();
        const uint64_t requests = backend->Connection().RequestsSent();
        const uint64_t trips = backend->Questions().Asked();
        const uint64_t events = backend->Stats().x_events;
        for (int i = 0; i < kFigures; ++i)
            RGN_StampShape((tick + i) % 13, *canvas, (i * 50 + tick * 3) * kTwips, 100 * kTwips);
        RGN_ApplyRegion(*canvas);
        const uint64_t sent = backend->Connection().RequestsSent() - requests;
        SyncBackend(backend->Connection());
        backend->Drain();
        if (tick < 13)
            continue; // every picture uploaded once by now
        EXPECT_LE(sent, 2u * kFigures + 3) << "tick " << tick;
        EXPECT_EQ(backend->Questions().Asked(), trips) << "tick " << tick;
        EXPECT_EQ(backend->Stats().x_events, events) << "tick " << tick;
    }
    // Whether the server keeps up is asked of the kernel only now and then.
    EXPECT_LE(backend->Connection().WriteGate().Looks() - looks, 17u / 4);
}

// Another client grabs the server: it reads nothing of ours until it lets
// go, and a write into the socket once the server is that far behind would
// stop the program until then. The ticks go on without waiting, their
// drawing held back, and the latest batch shows once the grab is over.
TEST_F(CanvasOnX11, TicksUnderAnotherClientsServerGrabNeverWaitAndTheLatestShowsAfter)
{
    using namespace std::chrono_literals;
    auto tick = [&](int n, Reference& reference) {
        std::vector<Stamp> stamps;
        for (int i = 0; i < 9; ++i)
            stamps.push_back(Stamp{(n + i) % 13, (i * 50 + n * 3) % (kWidth - 64), 60 + (i % 3) * 80});
        StampAll(stamps, reference);
        RGN_ApplyRegion(*canvas);
        backend->ProcessPendingEvents();
        backend->Wait(0);
    };
    for (int n = 0; n < 13; ++n) { // every picture uploaded
        Reference reference;
        tick(n, reference);
    }
    SyncBackend(backend->Connection());

    Display* grabber = XOpenDisplay(session.Name().c_str());
    ASSERT_NE(grabber, nullptr);
    XGrabServer(grabber);
    XSync(grabber, False);
    // Let go once the ticks are done, or after a while if they wait for it.
    std::mutex mutex;
    std::condition_variable ticked;
    bool done = false, grabbed = true;
    std::thread release([&] {
        std::unique_lock lock(mutex);
        ticked.wait_for(lock, 8s, [&] { return done; });
        grabbed = false;
        XUngrabServer(grabber);
        XSync(grabber, False);
    });
    // Far more than the socket takes (a tick sends about 2 KB).
    Reference latest;
    for (int n = 13; n < 113; ++n) {
        latest = Reference();
        tick(n, latest);
    }
    bool waited = false;
    {
        std::lock_guard lock(mutex);
        waited = !grabbed;
        done = true;
    }
    ticked.notify_one();
    release.join();
    XCloseDisplay(grabber);
    EXPECT_FALSE(waited) << "a tick waited for the server to read";
    EXPECT_GT(backend->Stats().flushes_held, 0u) << "the server never fell behind";

    EXPECT_TRUE(WaitUntil(
        [&] {
            backend->Wait(20);
            backend->ProcessPendingEvents();
            return bool(Shows(latest));
        },
        5s))
        << Shows(latest);
}

// Under a window manager, which frames the window and follows its shape a
// moment after it changes: what the frame's new shape reveals of the window
// must be painted by the server from the window's own pixels, since the
// window's drawing came before and was cut off there.
class CanvasOnX11UnderAWindowManager : public CanvasOnX11 {
protected:
    CanvasOnX11UnderAWindowManager() : CanvasOnX11(true) {}
};

TEST_F(CanvasOnX11UnderAWindowManager, FiguresShowWholeOnceTheFrameFollowsTheShape)
{
    using namespace std::chrono_literals;
    const Window window = Window(reinterpret_cast<uintptr_t>(canvas->hwnd()));
    SyncBackend(backend->Connection()); // the map request
    ASSERT_TRUE(WaitUntil([&] { return session.Viewable(window); }, 5s));
    std::mt19937 random(17);
    for (int batch = 0; batch < 12; ++batch) {
        Reference reference;
        StampAll(RandomBatch(random), reference);
        Apply();
        EXPECT_TRUE(WaitUntil([&] { return bool(Shows(reference)); }, 3s)) << "batch " << batch << ": "
                                                                          << Shows(reference).message();
    }
}

// A screen at 192 dpi: the program sees half as many pixels, and each of
// them shows as a 2x2 square, on both ways, and takes clicks the same.
class CanvasOnX11At192Dpi : public CanvasOnX11 {
protected:
    CanvasOnX11At192Dpi()
    {
        const std::string resources = "Xft.dpi:\t192\n";
        XChangeProperty(session.display(), DefaultRootWindow(session.display()),
                        XInternAtom(session.display(), "RESOURCE_MANAGER", False), XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                        int(resources.size()));
        XSync(session.display(), False);
    }
};

TEST_F(CanvasOnX11At192Dpi, RandomBatchesShowTwiceAsLargeOnBothWays)
{
    ASSERT_EQ(backend->Connection().Scale(), 2);
    EXPECT_EQ(backend->ScreenWidthPixels(), kWidth / 2);
    for (const bool on_server : {true, false}) {
        backend->DrawPicturesOnServer(on_server);
        std::mt19937 random(on_server ? 5 : 6);
        for (int batch = 0; batch < 8; ++batch) {
            Reference reference(2);
            StampAll(RandomBatch(random, 2), reference);
            Apply();
            ASSERT_TRUE(ShowsAndTakesClicks(reference, random, 2))
                << (on_server ? "server-drawn" : "client image") << ", batch " << batch;
        }
    }
}

TEST(X11Scale, IsTheResourcesDpiOverNinetySixRoundedAndAtLeastOne)
{
    EXPECT_EQ(ScaleOfResources(nullptr), 1);
    EXPECT_EQ(ScaleOfResources(""), 1);
    EXPECT_EQ(ScaleOfResources("Xcursor.size:\t24\nXft.dpi:\t96\n"), 1);
    EXPECT_EQ(ScaleOfResources("Xcursor.size:\t24\nXft.dpi:\t192\nXft.antialias:\t1\n"), 2);
    EXPECT_EQ(ScaleOfResources("Xft.dpi: 144"), 2);
    EXPECT_EQ(ScaleOfResources("Xft.dpi:\t120\n"), 1);
    EXPECT_EQ(ScaleOfResources("Xft.dpi:\t288\n"), 3);
    EXPECT_EQ(ScaleOfResources("Xft.dpi:\t40\n"), 1);
    EXPECT_EQ(ScaleOfResources("Xft.dpi:\tlarge\n"), 1);
    EXPECT_EQ(ScaleOfResources("MyXft.dpi:\t192\n"), 1);
}

} // namespace
