// Each test gets its own simulated desktop and a script for the test forms.
#pragma once

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"
#include "tests/support/test_forms.h"

using Events = std::vector<std::string>;

class SimTest : public ::testing::Test {
protected:
    SimTest()
    {
        // Each event with its virtual time: "slow@100".
        script.stamp = [this] { return "@" + std::to_string(sim.Now()); };
        g_script = &script;
    }
    ~SimTest() override
    {
        // Forms still loaded go first, while the script exists.
        toolkit::EndRun();
        g_script = nullptr;
    }

    SimDesktop sim;
    TestScript script;
};
