#include "tests/windows/test_forms.h"

#include <algorithm>

#include "platform/toolkit/form_definition.h"

TestScript* g_script = nullptr;

TestScript::TestScript() : start_(std::chrono::steady_clock::now()) {}

long TestScript::Now() const
{
    using namespace std::chrono;
    return long(duration_cast<milliseconds>(steady_clock::now() - start_).count());
}

void TestScript::Log(const std::string& what)
{
    events.push_back(what);
    times.push_back(Now());
}

int TestScript::Count(const std::string& what) const
{
    return int(std::count(events.begin(), events.end(), what));
}

long TestScript::TimeOf(const std::string& what, int n) const
{
    for (std::size_t i = 0; i < events.size(); ++i)
        if (events[i] == what && --n == 0)
            return times[i];
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
    g_script->Log("query " + std::to_string(UnloadMode));
    if (g_script->on_query_unload)
        g_script->on_query_unload(*this, Cancel, UnloadMode);
}

SideForm::SideForm() : Form(SideFormDefinition()), tmrSide(*this, SideFormDefinition().Timers[0])
{
    tmrSide.OnTimer = [] {
        g_script->Log("side");
        if (g_script->on_side)
            g_script->on_side();
    };
}
