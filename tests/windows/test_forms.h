// Small forms for the Win32 backend's tests. What they see goes to a
// script, stamped with the milliseconds since the script was made; the
// forms themselves are destroyed when the program ends.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/toolkit.h"

class TestForm;

struct TestScript {
    TestScript();
    std::vector<std::string> events; // "slow", "fast", "click", ...
    std::vector<long> times;         // when each event was logged
    std::function<void(TestForm&)> on_load, on_click, on_slow, on_fast;
    std::function<void(TestForm&, int& cancel, int mode)> on_query_unload;
    std::function<void()> on_side;

    void Log(const std::string& what);
    long Now() const;
    int Count(const std::string& what) const;
    // The time of the n-th (from 1) event named `what`, or -1.
    long TimeOf(const std::string& what, int n = 1) const;

private:
    std::chrono::steady_clock::time_point start_;
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
    Timer tmrSide;
};
