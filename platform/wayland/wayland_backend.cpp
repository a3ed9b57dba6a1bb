#include "platform/wayland/wayland_backend.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/wayland/wayland_form_window.h"

namespace {

// Form windows' handles, far above the compositors' window ids.
constexpr uintptr_t kFirstFormHandle = uintptr_t(1) << 40;

} // namespace

WaylandBackend::WaylandBackend(WaylandConnection& connection, std::unique_ptr<FocusSource> focus)
    : connection_(connection), focus_(std::move(focus)), next_handle_(kFirstFormHandle)
{
    focused_ = focus_->Focused();
    connection_.on_layout_changed = [this] {
        for (const auto& [handle, window] : windows_)
            window->FollowOutputs();
    };
    // A press is judged as it is read: by the time the button comes up a
    // tick may have moved the figures from under it.
    connection_.on_press = [this](const WaylandClick& click) {
        pressed_ = nullptr;
        for (const auto& [handle, window] : windows_)
            if (window->Clicked(click.surface, click.x, click.y))
                pressed_ = handle;
    };
    connection_.on_release = [this] {
        if (pressed_)
            clicked_.push_back(pressed_);
        pressed_ = nullptr;
    };
}

WaylandBackend::~WaylandBackend()
{
    connection_.on_layout_changed = nullptr;
    connection_.on_press = nullptr;
    connection_.on_release = nullptr;
    if (std::getenv("WALKERS_WAYLAND_STATS"))
        ReportStats();
}

void WaylandBackend::ReportStats()
{
    const FocusStats stats = focus_->Stats();
    std::fprintf(stderr,
                 "walkers stats: ticks %llu, focus %s, requests %llu, reply_bytes %llu, "
                 "reply_wait_us %llu, tree_read_us %llu, refreshes_skipped %llu, events %llu\n",
                 (unsigned long long)ticks_, focus_->Name().c_str(),
                 (unsigned long long)stats.requests, (unsigned long long)stats.reply_bytes,
                 (unsigned long long)(stats.reply_wait_ns / 1000),
                 (unsigned long long)(stats.tree_read_ns / 1000),
                 (unsigned long long)stats.refreshes_skipped, (unsigned long long)stats.events);
}

std::unique_ptr<NativeWindow> WaylandBackend::NewWindow(Form& form)
{
    const HWND handle = reinterpret_cast<HWND>(next_handle_++);
    // The window takes itself off the list when it goes (Forget).
    auto window = std::make_unique<WaylandFormWindow>(*this, form, handle);
    windows_[handle] = window.get();
    return window;
}

WaylandFormWindow* WaylandBackend::FindForm(HWND hwnd) const
{
    auto found = windows_.find(hwnd);
    return found == windows_.end() ? nullptr : found->second;
}

// No message box of our own on Wayland: the message goes to standard error.
void WaylandBackend::ShowMessage(const std::string& text)
{
    std::fprintf(stderr, "walkers: %s\n", text.c_str());
}

int WaylandBackend::ScreenWidthPixels()
{
    int left = 0, top = 0, right = 0, bottom = 0;
    connection_.Bounds(left, top, right, bottom);
    return right - left;
}

int WaylandBackend::ScreenHeightPixels()
{
    int left = 0, top = 0, right = 0, bottom = 0;
    connection_.Bounds(left, top, right, bottom);
    return bottom - top;
}

void WaylandBackend::LostCompositor()
{
    // Nothing can be shown or taken down any more: say why and end at once.
    static const char message[] = "walkers: lost the connection to the Wayland compositor\n";
    ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    _exit(1);
}
