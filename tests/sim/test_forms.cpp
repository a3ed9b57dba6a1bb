#include "tests/sim/test_forms.h"

#include "platform/toolkit/form_definition.h"
#include "platform/sim/sim_desktop.h"

TestScript* g_script = nullptr;

void TestScript::Log(const std::string& what)
{
    events.push_back(what + "@" + std::to_string(desktop->Now()));
}

namespace {

FormDefinition Borderless(std::string name, std::vector<TimerDefinition> timers)
{
    FormDefinition definition{};
    definition.Name = name;
    definition.Caption = name + " caption";
    definition.BorderStyle = 0;
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
        Borderless("frmTest", {{"tmrSlow", 100, true}, {"tmrFast", 40, true}});
    return definition;
}

const FormDefinition& SideFormDefinition()
{
    static const FormDefinition definition = Borderless("frmSide", {{"tmrSide", 50, true}});
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

SideForm::SideForm() : Form(SideFormDefinition()), tmrSide(*this, SideFormDefinition().Timers[0])
{
    tmrSide.OnTimer = [] {
        g_script->Log("side");
        if (g_script->on_side)
            g_script->on_side();
    };
}
