#include "platform/win32/win32_backend.h"

#include "platform/toolkit/application_title.h"
#include "platform/win32/win32_event_gate.h"
#include "platform/win32/win32_window.h"

namespace {

int LogicalPixelsPerInch(int axis)
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, axis);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

} // namespace

Win32Backend::Win32Backend()
    : twips_per_pixel_x_(1440.0f / float(LogicalPixelsPerInch(LOGPIXELSX))),
      twips_per_pixel_y_(1440.0f / float(LogicalPixelsPerInch(LOGPIXELSY)))
{
    win32::DropKept();
}

Win32Backend::~Win32Backend() { win32::DropKept(); }

std::unique_ptr<NativeWindow> Win32Backend::NewWindow(Form& form)
{
    return std::make_unique<Win32FormWindow>(form);
}

void Win32Backend::StartTimer(Timer& timer, int interval_ms) { timers_.Start(timer, interval_ms); }

void Win32Backend::StopTimer(Timer& timer) { timers_.Stop(timer); }

void Win32Backend::ShowMessage(const std::string& text)
{
    win32::ModalScope modal;
    MessageBoxA(nullptr, text.c_str(), WALKERS_APPLICATION_TITLE, MB_OK);
}

int Win32Backend::ScreenWidthPixels() { return GetSystemMetrics(SM_CXSCREEN); }

int Win32Backend::ScreenHeightPixels() { return GetSystemMetrics(SM_CYSCREEN); }
