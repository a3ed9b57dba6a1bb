// Unloading forms from inside their own handlers, on the simulated desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/toolkit/form_definition.h"
#include "platform/sim/sim_desktop.h"
#include "platform/toolkit/toolkit.h"

namespace {

std::vector<std::string> journal;

FormDefinition JournalDefinition(std::string name)
{
    FormDefinition definition{};
    definition.Name = name;
    definition.Caption = name;
    definition.ClientWidth = 1500;
    definition.ClientHeight = 1500;
    definition.Timers = {{"tmrTick", 50, true}};
    return definition;
}

// A form that journals its events and runs what a test asks in them.
template <int Id>
class JournalForm : public Form {
public:
    JournalForm() : Form(Stored()), tmrTick(*this, Stored().Timers[0])
    {
        tmrTick.OnTimer = [this] {
            journal.push_back(Name() + ".tick");
            if (on_tick)
                on_tick(*this);
        };
    }
    static const FormDefinition& Stored()
    {
        static const FormDefinition definition = JournalDefinition("frm" + std::to_string(Id));
        return definition;
    }
    void Form_Click() override
    {
        journal.push_back(Name() + ".click");
        if (on_click)
            on_click(*this);
    }
    void Form_QueryUnload(int& Cancel, int) override
    {
        journal.push_back(Name() + ".query");
        if (on_query)
            on_query(*this, Cancel);
    }

    Timer tmrTick;
    inline static std::function<void(JournalForm&)> on_tick, on_click;
    inline static std::function<void(JournalForm&, int&)> on_query;
};

using A = JournalForm<1>;
using B = JournalForm<2>;
using C = JournalForm<3>;

class UnloadTest : public ::testing::Test {
protected:
    UnloadTest() { journal.clear(); }
    ~UnloadTest() override
    {
        toolkit::EndRun();
        A::on_tick = nullptr;
        A::on_click = nullptr;
        A::on_query = nullptr;
    }
    SimDesktop sim;
};

TEST_F(UnloadTest, AClickInsideATicksDoEventsUnloadsTheFormUnderTheTick)
{
    A::on_click = [](A& form) { Unload(form); };
    bool object_still_usable = false;
    A::on_tick = [&](A& form) {
        form.tmrTick.Enabled(false);
        sim.Click(5, 5); // the form's window is 100 x 100 pixels at 0, 0
        DoEvents(); // the click runs here and unloads the form
        object_still_usable = form.Name() == "frm1" && !form.IsLoaded();
        form.tmrTick.Enabled(true); // starts nothing now
        journal.push_back("tick returns");
    };
    sim.Start<A>();
    sim.Advance(49);
    EXPECT_TRUE(journal.empty());
    sim.Advance(1);
    EXPECT_TRUE(object_still_usable);
    EXPECT_EQ(journal, (std::vector<std::string>{"frm1.tick", "frm1.click", "frm1.query", "tick returns"}));
    EXPECT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ExitStatus(), 0);
    EXPECT_EQ(sim.RunningTimers(), 0u);
    sim.Advance(500);
    EXPECT_EQ(journal.size(), 4u) << "no event reaches an unloaded form";
}

TEST_F(UnloadTest, FormsUnloadingEachOtherWhileTheCollectionIsWalked)
{
    // Unloading the first form unloads the third from its QueryUnload.
    A::on_query = [](A&, int&) { Unload(toolkit::Instance<C>()); };
    sim.Start<A>();
    DefaultInstance<B>();
    DefaultInstance<C>();
    ASSERT_EQ(Forms().size(), 3u);
    for (Form* form : Forms())
        Unload(*form);
    EXPECT_EQ(journal, (std::vector<std::string>{"frm1.query", "frm3.query", "frm2.query"}));
    EXPECT_TRUE(Forms().empty());
    sim.Advance(0);
    EXPECT_TRUE(sim.Ended());
}

TEST_F(UnloadTest, ACancelledUnloadKeepsTheFormAndItsTimer)
{
    A::on_query = [](A&, int& cancel) { cancel = 1; };
    A& form = sim.Start<A>();
    Unload(form);
    EXPECT_TRUE(form.IsLoaded());
    sim.Advance(100);
    EXPECT_EQ(journal, (std::vector<std::string>{"frm1.query", "frm1.tick", "frm1.tick"}));

    // Unload asked again from inside QueryUnload is the same unload: it
    // neither asks again nor overrules the answer.
    A::on_query = [](A& self, int& cancel) {
        Unload(self);
        cancel = journal.size() < 5;
    };
    Unload(form);
    EXPECT_TRUE(form.IsLoaded());
    Unload(form);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(journal.size(), 5u);
    sim.Advance(0);
    EXPECT_TRUE(sim.Ended());
}

} // namespace

namespace {

TEST_F(UnloadTest, EndStopsAtOnceWithoutAnyUnloadHandler)
{
    A::on_tick = [](A&) { End(); };
    sim.Start<A>();
    DefaultInstance<B>();
    sim.Advance(50);
    EXPECT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ExitStatus(), 0);
    EXPECT_EQ(journal, (std::vector<std::string>{"frm1.tick"})) << "no QueryUnload ran";
    EXPECT_TRUE(Forms().empty());
    EXPECT_EQ(sim.RunningTimers(), 0u);
}

} // namespace
