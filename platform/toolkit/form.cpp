#include "platform/toolkit/form.h"

#include "platform/toolkit/form_definition.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/backend.h"
#include "platform/toolkit/picture.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/toolkit/system_colors.h"
#include "platform/toolkit/timer.h"
#include "platform/toolkit/toolkit_internal.h"
#include "platform/toolkit/twips.h"

Form::Form(const FormDefinition& definition)
    : definition_(definition), caption_(definition.Caption), left_(definition.ClientLeft),
      top_(definition.ClientTop), width_(definition.ClientWidth),
      height_(definition.ClientHeight), back_color_(int32_t(kButtonFace))
{
}

Form::~Form() { DestroyWithoutEvents(); }

const std::string& Form::Name() const { return definition_.Name; }

void Form::Caption(const std::string& text)
{
    caption_ = text;
    if (window_)
        window_->SetTitle(caption_);
}

void Form::Left(int32_t twips)
{
    left_ = twips;
    PlaceWindow();
}

void Form::Top(int32_t twips)
{
    top_ = twips;
    PlaceWindow();
}

void Form::Width(int32_t twips)
{
    width_ = twips;
    PlaceWindow();
}

void Form::Height(int32_t twips)
{
    height_ = twips;
    PlaceWindow();
}

void Form::BackColor(int32_t color) { back_color_ = color; }

bool Form::Visible() const { return window_ && window_->IsVisible(); }

void Form::Show()
{
    LoadForm();
    if (window_)
        window_->SetVisible(true);
}

void Form::Hide()
{
    if (window_)
        window_->SetVisible(false);
}

HDC Form::hdc()
{
    LoadForm();
    return window_ ? window_->ImageDC() : nullptr;
}

HWND Form::hwnd()
{
    LoadForm();
    return window_ ? window_->Handle() : nullptr;
}

void Form::Cls()
{
    LoadForm();
    if (window_)
        window_->Clear(static_cast<COLORREF>(back_color_));
}

void Form::PaintPicture(const Picture& picture, double x, double y, uint32_t rop)
{
    if (rop != SRCCOPY)
        throw RuntimeError(5, "Invalid procedure call or argument");
    LoadForm();
    if (!window_)
        return;
    Backend& desktop = InstalledBackend();
    window_->DrawPicture(picture, TwipsToPixels(x, desktop.TwipsPerPixelX()),
                         TwipsToPixels(y, desktop.TwipsPerPixelY()));
}

void Form::PlaceWindow()
{
    if (!window_)
        return;
    Backend& desktop = InstalledBackend();
    float tx = desktop.TwipsPerPixelX();
    float ty = desktop.TwipsPerPixelY();
    window_->Place(TwipsToPixels(left_, tx), TwipsToPixels(top_, ty), TwipsToPixels(width_, tx),
                   TwipsToPixels(height_, ty));
}

// Loading takes the stored properties afresh, makes the window hidden,
// starts the enabled timers (they run before Load is raised) and raises Load.
void Form::LoadForm()
{
    if (window_ || loading_)
        return;
    loading_ = true;
    caption_ = definition_.Caption;
    tag_.clear();
    left_ = definition_.ClientLeft;
    top_ = definition_.ClientTop;
    width_ = definition_.ClientWidth;
    height_ = definition_.ClientHeight;
    auto_redraw_ = false;
    back_color_ = int32_t(kButtonFace);
    try {
        window_ = InstalledBackend().NewWindow(*this);
        window_->SetTitle(caption_);
        PlaceWindow();
        toolkit::FormLoaded(*this);
        for (Timer* timer : timers_)
            timer->FormLoaded();
    } catch (...) {
        loading_ = false;
        throw;
    }
    loading_ = false;
    Form_Load();
}

// An Unload asked for while the form's own QueryUnload runs is the one
// already under way: it neither asks again nor overrules a cancel.
bool Form::UnloadForm(int unload_mode)
{
    if (!window_ || unloading_)
        return true;
    int cancel = 0;
    unloading_ = true;
    try {
        Form_QueryUnload(cancel, unload_mode);
    } catch (...) {
        unloading_ = false;
        throw;
    }
    unloading_ = false;
    if (cancel)
        return false;
    DestroyWithoutEvents();
    return true;
}

void Form::DestroyWithoutEvents()
{
    if (!window_)
        return;
    for (Timer* timer : timers_)
        timer->FormUnloaded();
    toolkit::FormUnloaded(*this);
    window_.reset();
}
