#include "platform/toolkit/events.h"

#include "platform/toolkit/form.h"
#include "platform/toolkit/toolkit_internal.h"
#include "platform/toolkit/timer.h"

namespace {

// The QueryUnload reason for the window's close command.
constexpr int kUnloadFromControlMenu = 0;

} // namespace

namespace toolkit {

void DeliverClick(Form& form)
{
    if (form.IsLoaded())
        RunHandler([&form] { form.Form_Click(); });
}

void DeliverClose(Form& form)
{
    if (form.IsLoaded())
        RunHandler([&form] { form.UnloadForm(kUnloadFromControlMenu); });
}

void DeliverTimer(Timer& timer)
{
    if (timer.Running() && timer.Owner().IsLoaded() && timer.OnTimer)
        RunHandler(timer.OnTimer);
}

} // namespace toolkit
