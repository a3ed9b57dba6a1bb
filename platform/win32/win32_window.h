// The window of a loaded form: a top-level Win32 window and the form's
// persistent image, from which WM_PAINT repaints it.
#pragma once

#include <utility>

#include "platform/toolkit/backend.h"
#include "platform/win32/win32_image.h"

class Win32FormWindow final : public NativeWindow {
public:
    // Created hidden: a borderless popup for BorderStyle 0, an overlapped
    // window otherwise; a tool window when the form has no taskbar button.
    explicit Win32FormWindow(Form& owner);
    ~Win32FormWindow() override;
    Win32FormWindow(const Win32FormWindow&) = delete;
    Win32FormWindow& operator=(const Win32FormWindow&) = delete;

    HWND Handle() override { return hwnd_; }
    HDC ImageDC() override { return image_.DC(); }
    void Place(int x, int y, int width, int height) override;
    void SetTitle(const std::string& title) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override;
    void Clear(COLORREF color) override;
    void DrawPicture(const Picture& picture, int x, int y) override;

    // The live form window with this handle, or null: a handler may have
    // unloaded the form, so window procedures look it up at every message.
    static Win32FormWindow* FromHandle(HWND hwnd);

    Form& Owner() const { return owner_; }
    const Win32Image& Image() const { return image_; }
    // Gives the image the client area's size, after Place or whenever the
    // window manager sized the window otherwise.
    void FitImage();

    // A left button press on the window may still become a click; one that
    // ended elsewhere or lost the mouse capture cannot.
    void StartPress() { pressed_ = true; }
    bool EndPress() { return std::exchange(pressed_, false); }

private:
    Form& owner_;
    Win32Image image_;
    HWND hwnd_;
    bool pressed_ = false;
};

// The class every form window belongs to; registered on first use.
const char* Win32FormWindowClass();
// Its window procedure (win32_window_proc.cpp).
LRESULT CALLBACK Win32FormWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
