// The toolkit tests' desktop on Windows (or Wine): the Win32 backend and
// the real message loop, clicks posted to the form's window as the mouse
// would make them, and a user who reads each message box before pressing
// its OK button.
#include <algorithm>

#include "platform/toolkit/application_title.h"
#include "platform/win32/win32_backend.h"
#include "tests/support/test_forms.h"
#include "tests/toolkit_conformance/desktop_driver.h"
#include "tests/toolkit_conformance/message_record.h"

namespace {

constexpr UINT kLongestRunMs = 30'000;
constexpr UINT kUserPaceMs = 200;

class Win32Driver;
Win32Driver* current = nullptr; // the thread timers' callbacks find it here

class Win32Driver final : public DesktopDriver {
public:
    Win32Driver() : record_(backend_)
    {
        InstallBackend(&record_);
        current = this;
    }
    ~Win32Driver() override
    {
        toolkit::EndRun();
        InstallBackend(nullptr);
        current = nullptr;
    }

    int Run(Form& startup) override
    {
        const UINT_PTR watchdog = SetTimer(nullptr, 0, kLongestRunMs, GiveUp);
        const UINT_PTR user = record_.show ? SetTimer(nullptr, 0, kUserPaceMs, LookAtBoxes) : 0;
        const int status = toolkit::RunStartupForm(startup);
        KillTimer(nullptr, watchdog);
        if (user)
            KillTimer(nullptr, user);
        return status;
    }

    void Click(Form& form, int x, int y) override
    {
        PostMessageA(form.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(form.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    const std::vector<std::string>& Messages() const override { return record_.messages; }
    void ShowMessageBoxes() override { record_.show = true; }
    int BoxesDismissed() const override { return dismissed_; }

private:
    // Ends a run that goes on too long: WM_QUIT ends the program.
    static void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(kGivenUpStatus); }

    static BOOL CALLBACK FindBox(HWND window, LPARAM found)
    {
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) != "#32770" || !IsWindowVisible(window))
            return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    static BOOL CALLBACK ReadText(HWND child, LPARAM texts)
    {
        char text[256] = {};
        GetWindowTextA(child, text, sizeof text);
        reinterpret_cast<std::vector<std::string>*>(texts)->push_back(text);
        return TRUE;
    }

    // Runs in whichever loop is dispatching, the box's own included: a box
    // seen at the last look has been read, and is dismissed.
    static void CALLBACK LookAtBoxes(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
        if (!box || box != current->last_seen_) {
            current->last_seen_ = box;
            return;
        }
        std::vector<std::string> texts;
        EnumChildWindows(box, ReadText, reinterpret_cast<LPARAM>(&texts));
        char title[64] = {};
        GetWindowTextA(box, title, sizeof title);
        const std::string& asked = current->record_.messages.back();
        if (std::string(title) == WALKERS_APPLICATION_TITLE &&
            std::find(texts.begin(), texts.end(), asked) != texts.end())
            ++current->dismissed_;
        current->last_seen_ = nullptr;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }

    Win32Backend backend_;
    MessageRecord record_;
    HWND last_seen_ = nullptr;
    int dismissed_ = 0;
};

} // namespace

std::unique_ptr<DesktopDriver> MakeDesktopDriver() { return std::make_unique<Win32Driver>(); }
