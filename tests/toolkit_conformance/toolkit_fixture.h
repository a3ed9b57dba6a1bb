// Each toolkit test gets a desktop of its own and a script for the test
// forms.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_forms.h"
#include "tests/toolkit_conformance/desktop_driver.h"

using Events = std::vector<std::string>;

class ToolkitTest : public ::testing::Test {
protected:
    ToolkitTest() : desktop(MakeDesktopDriver()) { g_script = &script; }
    ~ToolkitTest() override
    {
        desktop.reset();
        g_script = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(desktop->Ready()) << "no desktop to run on"; }

    // How often `what` happened after the first `mark`.
    static int CountAfter(const std::string& mark, const std::string& what)
    {
        const Events& events = g_script->events;
        const auto from = std::find(events.begin(), events.end(), mark);
        return from == events.end() ? 0 : int(std::count(from, events.end(), what));
    }

    std::unique_ptr<DesktopDriver> desktop;
    TestScript script;
};
