#include "tests/support/test_forms.h"

#include <algorithm>

#include "platform/toolkit/form_definition.h"

TestScript* g_script = nullptr;

TestScript::TestScript() : made_(std::chrono::steady_clock::now()) {}

void TestScript::Log(const std::string& what)
{
    events.push_back(stamp ? what + stamp() : what);
    if (std::chrono::steady_clock::now() - made_ > give_up_after)
        throw ProgramEnded{kGivenUpStatus};
}

int TestScript::Count(const std::string& what) const
{
    return int(std::count(events.begin(), events.end(), what));
}

long TestScript::IndexOf(const std::string& what, int n) const
{
    for (std::size_t i = 0; i < events.size(); ++i)
        if (events[i] == what && --n == 0)
            return long(i);
    return -1;
}

namespace {

FormDefinition Definition(std::string name, int border_style, bool in_taskbar,
                          std::vector<TimerDefinition> timers)
{
    FormDefinition definition{};
    definition.Name = name;
    definition.Caption = name + " caption";
    definition.BorderStyle = border_style;
    definition.ShowInTaskbar = in_taskbar;
    definition.ClientLeft = 1500;
    definition.ClientTop = 1500;
    definition.ClientWidth = 3000;
    definition.ClientHeight = 1500;
    definition.ScaleMode = 1;
    definition.Palette = -1;
    definition.Timers = std::move(timers);
    return definition;
}

const FormDefinition& TestFormDefinition()
{
    static const FormDefinition definition =
        Definition("frmTest", 0, false, {{"tmrSlow", 100, true}, {"tmrFast", 40, true}});
    return definition;
}

const FormDefinition& SideFormDefinition()
{
    static const FormDefinition definition =
        Definition("frmSide", 2, true, {{"tmrSide", 50, true}});
    return definition;
}

void LogQueryUnload(Form& form, int& cancel, int mode)
{
    g_script->Log("query " + std::to_string(mode) + " " + form.Name());
    if (g_script->on_query_unload)
        g_script->on_query_unload(form, cancel, mode);
}

} // namespace

TestForm::TestForm()
    : Form(TestFormDefinition()), tmrSlow(*this, TestFormDefinition().Timers[0]),
      tmrFast(*this, TestFormDefinition().Timers[1])
{
    tmrSlow.OnTimer = [this] {
        g_script->Log("slow");
        if (g_script->on_slow)
            g_script->on_slow(*this);
    };
    tmrFast.OnTimer = [this] {
        g_script->Log("fast");
        if (g_script->on_fast)
            g_script->on_fast(*this);
    };
}

void TestForm::Form_Load()
{
    if (g_script->on_load)
        g_script->on_load(*this);
}

void TestForm::Form_Click()
{
    g_script->Log("click");
    if (g_script->on_click)
        g_script->on_click(*this);
}

void TestForm::Form_QueryUnload(int& Cancel, int UnloadMode)
{
    LogQueryUnload(*this, Cancel, UnloadMode);
}

SideForm::SideForm() : Form(SideFormDefinition()), tmrSide(*this, SideFormDefinition().Timers[0])
{
    tmrSide.OnTimer = [] {
        g_script->Log("side");
        if (g_script->on_side)
            g_script->on_side();
    };
}

void SideForm::Form_QueryUnload(int& Cancel, int UnloadMode)
{
    LogQueryUnload(*this, Cancel, UnloadMode);
}
