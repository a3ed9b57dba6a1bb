#include "platform/sim/sim_compositor.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/user32_gdi32/tiled_image.h"
#include "platform/sim/sim_form_window.h"
#include "platform/sim/sim_palette.h"
#include "platform/sim/sim_window_stack.h"

// Tests capture the whole screen every tick, so painting works a row at a
// time with memcpy and fills, and the screen without forms is painted once.

namespace {

class Canvas {
public:
    Canvas(int width, int height)
        : width_(width), height_(height), pixels_(new uint32_t[size_t(width) * height])
    {
        Fill(RECT{0, 0, width, height}, sim_palette::kDesktop);
    }

    Canvas(const Canvas& other)
        : width_(other.width_), height_(other.height_),
          pixels_(new uint32_t[size_t(other.width_) * other.height_])
    {
        std::memcpy(pixels_.get(), other.pixels_.get(),
                    sizeof(uint32_t) * size_t(width_) * height_);
    }

    // Paints the first row, then copies it down.
    void Fill(RECT r, uint32_t color)
    {
        r = Clip(r);
        if (r.left >= r.right || r.top >= r.bottom)
            return;
        uint32_t* first = Row(r.top) + r.left;
        std::fill_n(first, r.right - r.left, color);
        for (int y = r.top + 1; y < r.bottom; ++y)
            std::memcpy(Row(y) + r.left, first, sizeof(uint32_t) * (r.right - r.left));
    }

    // Copies the window-relative rectangle `r` of a window's image to the
    // screen, the window's top-left corner being at (origin_x, origin_y).
    void Show(const TiledImage& image, RECT r, int origin_x, int origin_y)
    {
        r.left = std::max(r.left, LONG{0});
        r.top = std::max(r.top, LONG{0});
        r.right = std::min(r.right, LONG(image.Width()));
        r.bottom = std::min(r.bottom, LONG(image.Height()));
        const RECT s = Clip(RECT{r.left + origin_x, r.top + origin_y, r.right + origin_x,
                                 r.bottom + origin_y});
        if (s.left >= s.right || s.top >= s.bottom)
            return;
        image.Read(s.left - origin_x, s.top - origin_y, s.right - s.left, s.bottom - s.top,
                   Row(s.top) + s.left, width_);
    }

    SimPixels Take() { return SimPixels(std::move(pixels_)); }

private:
    uint32_t* Row(int y) { return pixels_.get() + size_t(y) * width_; }
    RECT Clip(const RECT& r) const
    {
        return RECT{std::max(r.left, LONG{0}), std::max(r.top, LONG{0}),
                    std::min(r.right, LONG(width_)), std::min(r.bottom, LONG(height_))};
    }

    int width_;
    int height_;
    std::unique_ptr<uint32_t[]> pixels_;
};

void PaintScripted(Canvas& canvas, const SimTopLevel& window, bool active, int caption_height)
{
    using namespace sim_palette;
    const RECT& r = window.rect;
    canvas.Fill(r, kFrame);
    const RECT inside{r.left + kFrameWidth, r.top + kFrameWidth, r.right - kFrameWidth,
                      r.bottom - kFrameWidth};
    const LONG title_bottom = std::min(inside.top + caption_height, inside.bottom);
    canvas.Fill(RECT{inside.left, inside.top, inside.right, title_bottom},
                active ? kActiveTitle : kInactiveTitle);
    canvas.Fill(RECT{inside.left, title_bottom, inside.right, inside.bottom}, kClient);
}

void PaintForm(Canvas& canvas, const SimFormWindow& form)
{
    const RECT r = form.Rect();
    const pixman_region32_t* area = form.RegionArea();
    if (!area) {
        canvas.Show(form.Image(), RECT{0, 0, r.right - r.left, r.bottom - r.top}, r.left, r.top);
        return;
    }
    int count = 0;
    const pixman_box32_t* boxes =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(area), &count);
    for (int i = 0; i < count; ++i)
        canvas.Show(form.Image(), RECT{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2},
                    r.left, r.top);
}

enum class Layers { ScriptedOnly, FormsOnly, All };

void Paint(Canvas& canvas, const SimWindowStack& stack, int caption_height, Layers layers)
{
    const auto& top_first = stack.TopFirst();
    for (auto it = top_first.rbegin(); it != top_first.rend(); ++it) {
        const SimTopLevel& window = **it;
        if (!window.visible)
            continue;
        if (window.IsScripted() && layers != Layers::FormsOnly)
            PaintScripted(canvas, window, window.handle == stack.Foreground(), caption_height);
        else if (!window.IsScripted() && layers != Layers::ScriptedOnly)
            PaintForm(canvas, *window.form);
    }
}

// Whether no visible scripted window covers a visible form window, as when
// the forms are topmost: then the forms can go over the finished rest.
bool FormsOnTop(const SimWindowStack& stack)
{
    bool below_scripted = false;
    for (const auto& window : stack.TopFirst()) {
        if (!window->visible)
            continue;
        if (window->IsScripted())
            below_scripted = true;
        else if (below_scripted)
            return false;
    }
    return true;
}

} // namespace

SimScreenshot ComposeScreen(const SimWindowStack& stack, int width, int height,
                            int caption_height)
{
    Canvas without_forms(width, height);
    Paint(without_forms, stack, caption_height, Layers::ScriptedOnly);
    std::unique_ptr<Canvas> seen;
    if (FormsOnTop(stack)) {
        seen = std::make_unique<Canvas>(without_forms);
        Paint(*seen, stack, caption_height, Layers::FormsOnly);
    } else {
        seen = std::make_unique<Canvas>(width, height);
        Paint(*seen, stack, caption_height, Layers::All);
    }
    return SimScreenshot(width, height, seen->Take(), without_forms.Take());
}
