// The toolkit tests' desktop on X11: a real X11Backend on a virtual X
// display of its own (no window manager), the real event loop for time,
// and clicks sent to the form's window as the server would deliver them.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/toolkit/application_title.h"
#include "platform/user32_gdi32/user32_desktop.h"
#include "platform/x11/x11_backend.h"
#include "tests/e2e/backend_connection.h"
#include "tests/e2e/x_session.h"
#include "tests/toolkit_conformance/desktop_driver.h"
#include "tests/toolkit_conformance/message_record.h"

namespace {

using namespace std::chrono_literals;

Window WindowOf(Form& form) { return Window(reinterpret_cast<uintptr_t>(form.hwnd())); }

// The user at the message boxes, on a connection of their own: a box takes
// the input focus when it appears; the user reads it for a while, then
// presses Enter. The box draws its text, which cannot be read back, so a
// box counts when its title is the application's.
class BoxUser {
public:
    explicit BoxUser(Display* display) : display_(display), thread_([this] { Watch(); }) {}
    ~BoxUser()
    {
        stop_ = true;
        thread_.join();
    }
    int Dismissed() const { return dismissed_; }

private:
    void Watch()
    {
        const Window root = DefaultRootWindow(display_);
        Window done = None;
        while (!stop_) {
            Window focus = None;
            int revert = 0;
            XGetInputFocus(display_, &focus, &revert);
            if (focus != None && focus != PointerRoot && focus != root && focus != done) {
                std::this_thread::sleep_for(300ms); // reading it
                const bool titled = HasApplicationTitle(focus);
                PressEnter(focus);
                done = focus;
                dismissed_ += titled;
            }
            std::this_thread::sleep_for(20ms);
        }
    }

    bool HasApplicationTitle(Window box)
    {
        char* title = nullptr;
        if (!XFetchName(display_, box, &title) || !title)
            return false;
        const bool same = std::string(title) == WALKERS_APPLICATION_TITLE;
        XFree(title);
        return same;
    }

    void PressEnter(Window box)
    {
        XEvent event{};
        XKeyEvent& key = event.xkey;
        key.type = KeyPress;
        key.display = display_;
        key.window = box;
        key.root = DefaultRootWindow(display_);
        key.time = CurrentTime;
        key.keycode = XKeysymToKeycode(display_, XK_Return);
        key.same_screen = True;
        XSendEvent(display_, box, False, KeyPressMask, &event);
        XSync(display_, False);
    }

    Display* display_;
    std::atomic<bool> stop_{false};
    std::atomic<int> dismissed_{0};
    std::thread thread_;
};

class X11Driver final : public DesktopDriver {
public:
    X11Driver() : session_(XSession::Options{.width = 800, .height = 600, .window_manager = false})
    {
        if (!session_.Ready())
            return;
        display_ = XOpenDisplay(session_.Name().c_str());
        std::unique_ptr<X11Connection> connection = ConnectBackend(session_);
        if (!display_ || !connection)
            return;
        backend_ = std::make_unique<X11Backend>(std::move(connection));
        record_ = std::make_unique<MessageRecord>(*backend_);
        InstallBackend(record_.get());
        InstallUser32Desktop(&backend_->Desktop());
    }

    ~X11Driver() override
    {
        if (backend_)
            toolkit::EndRun();
        InstallUser32Desktop(nullptr);
        InstallBackend(nullptr);
        record_.reset();
        backend_.reset();
        if (display_)
            XCloseDisplay(display_);
    }

    bool Ready() const override { return backend_ != nullptr; }

    int Run(Form& startup) override
    {
        std::unique_ptr<BoxUser> user;
        if (record_->show)
            user = std::make_unique<BoxUser>(session_.display());
        const int status = toolkit::RunStartupForm(startup);
        if (user)
            dismissed_ += user->Dismissed();
        return status;
    }

    // A press and a release of the first button, sent to the window (which
    // the backend's sync has made); its next sync reads them, so the next
    // DoEvents finds them.
    void Click(Form& form, int x, int y) override
    {
        SyncBackend(backend_->Connection());
        XEvent event{};
        XButtonEvent& button = event.xbutton;
        button.type = ButtonPress;
        button.display = display_;
        button.window = WindowOf(form);
        button.root = DefaultRootWindow(display_);
        button.time = CurrentTime;
        button.x = x;
        button.y = y;
        button.button = Button1;
        button.same_screen = True;
        XSendEvent(display_, button.window, False, ButtonPressMask, &event);
        button.type = ButtonRelease;
        button.state = Button1Mask;
        XSendEvent(display_, button.window, False, ButtonReleaseMask, &event);
        XSync(display_, False);
        SyncBackend(backend_->Connection());
    }

    const std::vector<std::string>& Messages() const override { return record_->messages; }
    void ShowMessageBoxes() override { record_->show = true; }
    int BoxesDismissed() const override { return dismissed_; }

private:
    XSession session_;
    Display* display_ = nullptr; // the clicks'

    std::unique_ptr<X11Backend> backend_;
    std::unique_ptr<MessageRecord> record_;
    int dismissed_ = 0;
};

} // namespace

std::unique_ptr<DesktopDriver> MakeDesktopDriver() { return std::make_unique<X11Driver>(); }
