// The toolkit's message box on X11: a small modal window with the text and
// one OK button. It returns when OK is clicked, Enter or Escape is pressed,
// or the window is closed. Meanwhile the program's timers wait and its other
// events are kept for afterwards.
#pragma once

#include <X11/Xlib.h>
#include <string>
#include <vector>

class X11Backend;

class X11MessageBox {
public:
    X11MessageBox(X11Backend& backend, const std::string& text);
    ~X11MessageBox();
    X11MessageBox(const X11MessageBox&) = delete;
    X11MessageBox& operator=(const X11MessageBox&) = delete;

    void Run();

private:
    void Draw();
    // True when the event dismisses the box.
    bool Handle(const XEvent& event);
    bool InButton(int x, int y) const;

    X11Backend& backend_;
    Display* display_;
    std::vector<std::string> lines_;
    XFontStruct* font_ = nullptr;
    bool font_loaded_ = false;
    Window window_ = None;
    GC gc_ = nullptr;
    int width_ = 0, height_ = 0;
    int line_height_ = 0;
    XRectangle button_{};
};
