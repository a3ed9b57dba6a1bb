// Small forms for the toolkit's tests, on every backend. Forms are
// destroyed when the program ends, so what they see goes to a script that
// outlives them.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/toolkit.h"

class TestForm;

// What RunStartupForm returns when a run was given up.
constexpr int kGivenUpStatus = 99;

struct TestScript {
    TestScript();

    std::vector<std::string> events; // "slow", "fast", "click", "query 1 frmTest", ...
    std::function<void(TestForm&)> on_load, on_click, on_slow, on_fast;
    // For every test form's QueryUnload.
    std::function<void(Form&, int& cancel, int mode)> on_query_unload;
    std::function<void()> on_side;
    // Appended to each event when set, e.g. the virtual time "@100".
    std::function<std::string()> stamp;

    // Records an event. A run still going after `give_up_after` is ended
    // here (status kGivenUpStatus), so that a backend whose timers never
    // stop cannot hang a test.
    void Log(const std::string& what);
    int Count(const std::string& what) const;
    // Where the n-th (from 1) event named `what` is in `events`, or -1.
    long IndexOf(const std::string& what, int n = 1) const;

    std::chrono::steady_clock::duration give_up_after = std::chrono::seconds(30);

private:
    std::chrono::steady_clock::time_point made_;
};

// Set by each test; the forms report to it.
extern TestScript* g_script;

// Borderless, no taskbar button, 200 x 100 pixels at (100, 100) at 15
// twips a pixel, with a 100 ms and a 40 ms timer, both enabled, started in
// that order.
class TestForm : public Form {
public:
    TestForm();
    void Form_Load() override;
    void Form_Click() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;

    Timer tmrSlow;
    Timer tmrFast;
};

// A sizable form with a taskbar button and a 50 ms timer; never shown.
class SideForm : public Form {
public:
    SideForm();
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;

    Timer tmrSide;
};
