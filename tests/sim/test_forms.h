// Small forms for the simulated desktop's tests. Forms are destroyed when
// the program ends, so what they see goes to a script that outlives them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/toolkit.h"

class SimDesktop;
class TestForm;

struct TestScript {
    SimDesktop* desktop = nullptr;      // for the virtual time of each event
    std::vector<std::string> events;    // "slow@100", "click@150", ...
    std::function<void(TestForm&)> on_load, on_click, on_slow, on_fast;
    std::function<void()> on_side;

    void Log(const std::string& what);
};

// Set by each test; the forms report to it.
extern TestScript* g_script;

// 200 x 100 pixels at (100, 100) at 15 twips a pixel, with a 100 ms and a
// 40 ms timer, both enabled, started in that order.
class TestForm : public Form {
public:
    TestForm();
    void Form_Load() override;
    void Form_Click() override;

    Timer tmrSlow;
    Timer tmrFast;
};

// A second form with a 50 ms timer.
class SideForm : public Form {
public:
    SideForm();
    Timer tmrSide;
};
