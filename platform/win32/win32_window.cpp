#include "platform/win32/win32_window.h"

#include <unordered_map>

#include "platform/toolkit/form_definition.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/win32/win32_resource_ids.h"

namespace {

std::unordered_map<HWND, Win32FormWindow*>& LiveWindows()
{
    static std::unordered_map<HWND, Win32FormWindow*> windows;
    return windows;
}

DWORD StyleOf(const FormDefinition& definition)
{
    if (definition.BorderStyle == 0)
        return WS_POPUP | WS_CLIPCHILDREN;
    return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
}

DWORD ExtendedStyleOf(const FormDefinition& definition)
{
    return definition.ShowInTaskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
}

} // namespace

const char* Win32FormWindowClass()
{
    static const char* const name = [] {
        const char* class_name = "WalkersForm";
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSEXA window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = Win32FormWindowProc;
        window_class.hInstance = instance;
        // The executable's window icon; programs without one (the tests) get
        // the system's.
        window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(WALKERS_ICON_WINDOW));
        if (!window_class.hIcon)
            window_class.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
        window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        window_class.lpszClassName = class_name;
        if (!RegisterClassExA(&window_class))
            throw RuntimeError(7, "Out of memory");
        return class_name;
    }();
    return name;
}

Win32FormWindow::Win32FormWindow(Form& owner)
    : owner_(owner), image_(0, 0, COLORREF(owner.BackColor())),
      hwnd_(CreateWindowExA(ExtendedStyleOf(owner.Definition()), Win32FormWindowClass(),
                            owner.Caption().c_str(), StyleOf(owner.Definition()), 0, 0, 0, 0,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr))
{
    if (!hwnd_)
        throw RuntimeError(7, "Out of memory");
    LiveWindows()[hwnd_] = this;
}

Win32FormWindow::~Win32FormWindow()
{
    // Off the list first: the messages DestroyWindow sends find no form.
    LiveWindows().erase(hwnd_);
    DestroyWindow(hwnd_);
    // A close sent from another program is handled inside GetMessage, which
    // then waits on for a message of ours: this one wakes the program's loop
    // to see whether any form is left.
    PostMessageA(nullptr, WM_NULL, 0, 0);
}

Win32FormWindow* Win32FormWindow::FromHandle(HWND hwnd)
{
    auto found = LiveWindows().find(hwnd);
    return found == LiveWindows().end() ? nullptr : found->second;
}

void Win32FormWindow::Place(int x, int y, int width, int height)
{
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    FitImage();
}

void Win32FormWindow::FitImage()
{
    RECT client{};
    GetClientRect(hwnd_, &client);
    image_.Resize(client.right, client.bottom, COLORREF(owner_.BackColor()));
}

void Win32FormWindow::SetTitle(const std::string& title) { SetWindowTextA(hwnd_, title.c_str()); }

void Win32FormWindow::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

bool Win32FormWindow::IsVisible() { return IsWindowVisible(hwnd_) != FALSE; }

void Win32FormWindow::Clear(COLORREF color)
{
    image_.Fill(color);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32FormWindow::DrawPicture(const Picture& picture, int x, int y)
{
    image_.Draw(picture, x, y);
    InvalidateRect(hwnd_, nullptr, FALSE);
}
