// A form: a window with stored properties, a persistent image, controls and
// the Load, Click and QueryUnload events. Positions and sizes are in twips.
//
// The object outlives its window: Unload destroys the window and stops the
// form's timers, but the object stays valid (handlers further up the stack
// may still be running) and no further event reaches it until it is loaded
// again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/winapi.h"

struct FormDefinition;
class NativeWindow;
class Picture;
class Timer;

class Form {
public:
    explicit Form(const FormDefinition& definition);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Events; a form overrides those it handles.
    virtual void Form_Load() {}
    virtual void Form_Click() {}
    virtual void Form_QueryUnload(int& Cancel, int UnloadMode)
    {
        (void)Cancel;
        (void)UnloadMode;
    }

    const std::string& Name() const;
    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& text);
    const std::string& Tag() const { return tag_; }
    void Tag(const std::string& text) { tag_ = text; }

    int32_t Left() const { return left_; }
    void Left(int32_t twips);
    int32_t Top() const { return top_; }
    void Top(int32_t twips);
    int32_t Width() const { return width_; }
    void Width(int32_t twips);
    int32_t Height() const { return height_; }
    void Height(int32_t twips);

    bool AutoRedraw() const { return auto_redraw_; }
    void AutoRedraw(bool on) { auto_redraw_ = on; }
    int32_t BackColor() const { return back_color_; }
    void BackColor(int32_t color);
    bool Visible() const;
    void Show();
    void Hide();

    // Device context of the persistent image, and the window. Both exist
    // only while the form is loaded; referring to them loads it.
    HDC hdc();
    HWND hwnd();

    // Clears the persistent image to BackColor.
    void Cls();
    // Draws the whole picture at its own size with its top-left corner at
    // (x, y) twips, through hdc, so a clip region selected there applies.
    void PaintPicture(const Picture& picture, double x, double y, uint32_t rop = SRCCOPY);

    const FormDefinition& Definition() const { return definition_; }
    bool IsLoaded() const { return window_ != nullptr; }
    NativeWindow* Window() const { return window_.get(); }

    // Toolkit side. Load creates the window hidden, starts the enabled
    // timers and raises Load; Unload asks QueryUnload and, unless cancelled,
    // destroys the window and stops the timers. Unload returns false when
    // cancelled.
    void LoadForm();
    bool UnloadForm(int unload_mode);
    void DestroyWithoutEvents();
    void AddTimer(Timer* timer) { timers_.push_back(timer); }

private:
    void PlaceWindow();

    const FormDefinition& definition_;
    std::unique_ptr<NativeWindow> window_;
    std::vector<Timer*> timers_;
    std::string caption_;
    std::string tag_;
    int32_t left_, top_, width_, height_;
    bool auto_redraw_ = false;
    int32_t back_color_;
    bool visible_ = false;
    bool loading_ = false;
    bool unloading_ = false;
};
