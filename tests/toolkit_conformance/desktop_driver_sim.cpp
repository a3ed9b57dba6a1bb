// The toolkit tests' desktop on the simulated desktop: the program runs on
// the virtual clock, a second at a time, for at most a virtual minute.
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_form_window.h"
#include "tests/support/test_forms.h"
#include "tests/toolkit_conformance/desktop_driver.h"

namespace {

constexpr int kStepMs = 1000;
constexpr int64_t kLongestRunMs = 60'000;

class SimDriver final : public DesktopDriver {
public:
    int Run(Form& startup) override
    {
        sim_.Start(startup);
        while (sim_.Running() && sim_.Now() < kLongestRunMs)
            sim_.Advance(kStepMs);
        if (sim_.Running()) {
            toolkit::EndRun();
            return kGivenUpStatus;
        }
        return sim_.ExitStatus();
    }

    void Click(Form& form, int x, int y) override
    {
        const RECT rect = sim_.FormWindow(form.hwnd())->Rect();
        sim_.Click(rect.left + x, rect.top + y);
    }

    const std::vector<std::string>& Messages() const override { return sim_.Messages(); }
    // The simulated user dismisses every box at once.
    void ShowMessageBoxes() override {}
    int BoxesDismissed() const override { return int(sim_.Messages().size()); }

private:
    SimDesktop sim_;
};

} // namespace

std::unique_ptr<DesktopDriver> MakeDesktopDriver() { return std::make_unique<SimDriver>(); }
