// The form windows' messages: repainting from the persistent image, clicks
// and the close command. A handler may unload the form, destroying the
// window object, so nothing touches it after a handler ran.
#include "platform/win32/win32_window.h"

#include <windowsx.h>

#include "platform/toolkit/events.h"
#include "platform/toolkit/form.h"
#include "platform/win32/win32_event_gate.h"

namespace {

void Paint(HWND hwnd, const Win32Image& image)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc)
        image.CopyTo(dc, paint.rcPaint);
    EndPaint(hwnd, &paint);
}

// A press and a release of the left button on the window make a click. The
// window keeps the mouse between the two, so a figure that walks away from
// under the pointer meanwhile still gets its click.
void Release(HWND hwnd, Win32FormWindow& window, LPARAM lparam)
{
    const bool pressed = window.EndPress();
    if (GetCapture() == hwnd)
        ReleaseCapture();
    POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    RECT client{};
    GetClientRect(hwnd, &client);
    if (!pressed || !PtInRect(&client, point))
        return;
    Form& form = window.Owner();
    win32::RunEventHandler([&form] { toolkit::DeliverClick(form); });
}

void Close(Form& form)
{
    win32::RunEventHandler([&form] { toolkit::DeliverClose(form); });
}

} // namespace

LRESULT CALLBACK Win32FormWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    Win32FormWindow* window = Win32FormWindow::FromHandle(hwnd);
    if (!window)
        return DefWindowProcA(hwnd, message, wparam, lparam);
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the image covers every pixel
    case WM_PAINT:
        Paint(hwnd, window->Image());
        return 0;
    case WM_SIZE:
        window->FitImage();
        return 0;
    case WM_LBUTTONDOWN:
        window->StartPress();
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
        Release(hwnd, *window, lparam);
        return 0;
    case WM_CAPTURECHANGED:
        window->EndPress();
        return 0;
    case WM_CLOSE:
        Close(window->Owner()); // unloading destroys the window; not DefWindowProc's way
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}
