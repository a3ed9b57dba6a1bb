// A backend seen through a recorder of its message boxes: each text is
// kept, and the box is shown by the backend itself only when asked, so
// that a test about run-time errors does not wait on a box nobody closes.
#pragma once

#include <string>
#include <vector>

#include "platform/toolkit/backend.h"

class MessageRecord final : public Backend {
public:
    explicit MessageRecord(Backend& backend) : backend_(backend) {}

    std::vector<std::string> messages;
    bool show = false;

    std::unique_ptr<NativeWindow> NewWindow(Form& form) override
    {
        return backend_.NewWindow(form);
    }
    void StartTimer(Timer& timer, int interval_ms) override
    {
        backend_.StartTimer(timer, interval_ms);
    }
    void StopTimer(Timer& timer) override { backend_.StopTimer(timer); }
    void ProcessPendingEvents() override { backend_.ProcessPendingEvents(); }
    void RunLoop() override { backend_.RunLoop(); }
    void ShowMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (show)
            backend_.ShowMessage(text);
    }
    float TwipsPerPixelX() override { return backend_.TwipsPerPixelX(); }
    float TwipsPerPixelY() override { return backend_.TwipsPerPixelY(); }
    int ScreenWidthPixels() override { return backend_.ScreenWidthPixels(); }
    int ScreenHeightPixels() override { return backend_.ScreenHeightPixels(); }

private:
    Backend& backend_;
};
