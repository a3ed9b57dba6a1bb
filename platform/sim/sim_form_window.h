// The window of a loaded form on the simulated desktop: its record in the
// window stack, its persistent image with a device context over it, and the
// window region it owns once SetWindowRgn gave it one.
#pragma once

#include <cstdint>
#include <memory>
#include <pixman.h>
#include <string>

#include "platform/shared/form_surface.h"
#include "platform/sim/sim_window_stack.h"
#include "platform/toolkit/backend.h"

class SimFormWindow final : public NativeWindow {
public:
    // Created hidden, on top of the ordinary band. The stack is shared so a
    // window that outlives its desktop can still take itself off it.
    SimFormWindow(std::shared_ptr<SimWindowStack> stack, Form& owner, const std::string& title,
                  RECT rect, uint32_t background_xrgb);
    ~SimFormWindow() override;

    HWND Handle() override { return handle_; }
    HDC ImageDC() override { return surface_.DC(); }
    void Place(int x, int y, int width, int height) override;
    void SetTitle(const std::string& title) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override;
    void Clear(COLORREF color) override;
    void DrawPicture(const Picture& picture, int x, int y) override;

    Form& Owner() const { return owner_; }
    const TiledImage& Image() const { return surface_.Image(); }
    RECT Rect() const;
    HRGN Region() const { return surface_.Region(); }
    // The window region in window coordinates; null when there is none.
    const pixman_region32_t* RegionArea() const { return surface_.RegionArea(); }
    // On success the window owns `region` (null: none) and deletes the one
    // it had. A handle that is not a live region is refused and stays the
    // caller's.
    bool SetRegion(HRGN region) { return surface_.AdoptRegion(region); }
    // Whether a click at screen pixel (x, y) lands on this window.
    bool HitTest(int x, int y) const;

private:
    std::shared_ptr<SimWindowStack> stack_;
    Form& owner_;
    HWND handle_;
    FormSurface surface_;
};
