// What the toolkit needs of a window system. One backend is installed at a
// time: the simulated desktop, X11 or Win32.
#pragma once

#include <memory>
#include <string>

#include "platform/winapi.h"

class Form;
class Picture;
class Timer;
struct FormDefinition;

// The window behind one loaded form, with its persistent image.
class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual HWND Handle() = 0;
    // The device context of the persistent image.
    virtual HDC ImageDC() = 0;
    // Outer position and size in screen pixels.
    virtual void Place(int x, int y, int width, int height) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsVisible() = 0;
    // Clears the persistent image, ignoring any clip.
    virtual void Clear(COLORREF color) = 0;
    // SRCCOPY of the whole picture at its own size, clipped by ImageDC's clip.
    virtual void DrawPicture(const Picture& picture, int x, int y) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    // A hidden window for a form being loaded.
    virtual std::unique_ptr<NativeWindow> NewWindow(Form& form) = 0;

    // After StartTimer the backend calls toolkit::DeliverTimer every
    // interval until StopTimer. Starting a running timer restarts its
    // interval.
    virtual void StartTimer(Timer& timer, int interval_ms) = 0;
    virtual void StopTimer(Timer& timer) = 0;

    // Handles every pending event, then returns.
    virtual void ProcessPendingEvents() = 0;
    // Waits for and handles events until no form is loaded.
    virtual void RunLoop() = 0;

    virtual void ShowMessage(const std::string& text) = 0;

    virtual float TwipsPerPixelX() = 0;
    virtual float TwipsPerPixelY() = 0;
    virtual int ScreenWidthPixels() = 0;
    virtual int ScreenHeightPixels() = 0;
};

void InstallBackend(Backend* backend);
Backend& InstalledBackend();
