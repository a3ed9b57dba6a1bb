#include "platform/shared/focused_window_answers.h"

#include <algorithm>
#include <cstring>

namespace focused_answers {

namespace {

// A coordinate in the program's pixels, rounded towards the top left.
LONG Logical(int screen, int scale)
{
    return screen >= 0 ? screen / scale : -((-screen + scale - 1) / scale);
}

} // namespace

HWND Handle(const std::optional<FocusedWindow>& focused)
{
    if (!focused || focused->id == 0)
        return nullptr;
    return reinterpret_cast<HWND>(uintptr_t(focused->id));
}

const FocusedWindow* Named(const std::optional<FocusedWindow>& focused, HWND hwnd)
{
    if (hwnd == nullptr || hwnd != Handle(focused))
        return nullptr;
    return &*focused;
}

int Title(const std::optional<FocusedWindow>& focused, HWND hwnd, char* buffer, int max_count)
{
    const FocusedWindow* window = Named(focused, hwnd);
    if (!window || max_count <= 0)
        return 0;
    const int length =
        int(std::min<std::size_t>(window->title.size(), std::size_t(max_count - 1)));
    std::memcpy(buffer, window->title.data(), std::size_t(length));
    buffer[length] = '\0';
    return length;
}

bool Rect(const std::optional<FocusedWindow>& focused, HWND hwnd, int origin_left,
          int origin_top, int scale, RECT* rect)
{
    const FocusedWindow* window = Named(focused, hwnd);
    if (!window)
        return false;
    scale = std::max(scale, 1);
    *rect = RECT{Logical(window->left - origin_left, scale), Logical(window->top - origin_top, scale),
                 Logical(window->right - origin_left, scale),
                 Logical(window->bottom - origin_top, scale)};
    return true;
}

} // namespace focused_answers
