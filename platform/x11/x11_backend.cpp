#include "platform/x11/x11_backend.h"
#include "platform/shared/memory_figures.h"
#include "platform/shared/monotonic_clock.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/x11/x11_ewmh_focus_source.h"
#include "platform/x11/x11_message_box.h"
#include "platform/x11/x11_window.h"

namespace {

// The root tells of the foreground window changing (_NET_ACTIVE_WINDOW),
// of a window manager coming or going, of its own size changing, and,
// without a window manager, of the input focus coming from or going to
// none.
constexpr long kRootEventMask = PropertyChangeMask | StructureNotifyMask | FocusChangeMask;

} // namespace

X11Backend::X11Backend(Display* display, X11BackendSetup setup)
    : x_(display, setup.argb_visual), events_(display),
      foreground_(x_, [this](Window window) { return OwnEventMask(window); }),
      focus_(setup.focus ? std::move(setup.focus) : std::make_unique<X11EwmhFocusSource>(foreground_)),
      painter_(x_), pictures_(x_, painter_),
      pictures_on_server_(std::getenv("WALKERS_X11_CLIENT_IMAGE") == nullptr)
{
    XSelectInput(display, x_.root(), kRootEventMask);
    const char* stats = std::getenv("WALKERS_X11_STATS");
    stats_.MeasureScheduling(stats && std::string_view(stats) == "scheduling");
    last_read_ns_ = MonotonicNanoseconds();
}

X11Backend::~X11Backend()
{
    if (std::getenv("WALKERS_X11_STATS"))
        ReportStats();
}

// One line of counters since the start, for tools/measure-x11-cpu.sh, and
// the longest gap between ticks since the last report with where its time
// went.
void X11Backend::ReportStats()
{
    const X11TickSpan gap = stats_.TakeLongest();
    const MemoryFigures memory = CurrentMemoryFigures();
    auto ms = [](int64_t ns) { return (long long)(ns / 1'000'000); };
    auto kb = [](uint64_t bytes) { return (unsigned long long)(bytes / 1024); };
    std::fprintf(stderr,
                 "walkers stats: ticks %llu, x_events %llu, waits %llu, round_trips %llu, "
                 "requests %llu, pixel_puts %llu, pixels %llu, picture_copies %llu, "
                 "flushes_held %llu, socket_looks %llu, "
                 "resident_kb %llu, live_heap_kb %llu, heap_kb %llu, "
                 "longest_tick_gap_ms %lld (waiting %lld, round_trips %lld, flushing %lld "
                 "[runnable %lld, socket unwritable %lld times, unread %lld kB], "
                 "running %lld, runnable %lld)\n",
                 (unsigned long long)stats_.timer_events, (unsigned long long)stats_.x_events,
                 (unsigned long long)stats_.waits, (unsigned long long)x_.RoundTrips(),
                 (unsigned long long)NextRequest(x_.display()) - 1,
                 (unsigned long long)painter_.PutRequests(),
                 (unsigned long long)painter_.PixelsSent(), (unsigned long long)pictures_.Copies(),
                 (unsigned long long)stats_.flushes_held,
                 (unsigned long long)x_.Outflow().Looks(), kb(memory.resident_bytes),
                 kb(memory.live_bytes), kb(memory.heap_bytes),
                 ms(gap.wall_ns), ms(gap.waiting_ns), ms(gap.round_trip_ns),
                 ms(gap.flushing_ns), ms(gap.flush_runnable_ns), (long long)gap.flushes_unwritable,
                 (long long)(gap.most_unsent / 1024), ms(gap.running_ns), ms(gap.runnable_ns));
    std::fflush(stderr);
}

std::unique_ptr<NativeWindow> X11Backend::NewWindow(Form& form)
{
    return std::make_unique<X11FormWindow>(*this, form);
}

void X11Backend::Register(Window window, X11FormWindow* form_window)
{
    windows_[window] = form_window;
}

void X11Backend::Unregister(Window window) { windows_.erase(window); }

X11FormWindow* X11Backend::FindForm(Window window) const
{
    auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : found->second;
}

X11FormWindow* X11Backend::FindForm(HWND hwnd) const
{
    return FindForm(Window(reinterpret_cast<uintptr_t>(hwnd)));
}

long X11Backend::OwnEventMask(Window window) const
{
    if (window == x_.root())
        return kRootEventMask;
    const X11FormWindow* form = FindForm(window);
    return form ? form->EventMaskOf(window) : NoEventMask;
}

void X11Backend::ShowMessage(const std::string& text)
{
    std::fprintf(stderr, "walkers: %s\n", text.c_str());
    X11MessageBox box(*this, text);
    box.Run();
}
