// Form1 running on a simulated 1920x1080 desktop at 15 twips a pixel.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "app/Form1.h"
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_form_window.h"
#include "tests/app/form1_walker_state.h"

class WalkersTest : public ::testing::Test {
protected:
    static constexpr int kTick = 50;
    static constexpr int kLimitOffset = 64; // a figure's width in pixels

    Form1& Start()
    {
        form = &sim.Start<Form1>();
        return *form;
    }
    Form1Inspector Walkers() { return Form1Inspector{*form}; }
    void Tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            sim.Advance(kTick);
    }
    const pixman_region32_t* ShownRegion() { return sim.FormWindow(form->hwnd())->RegionArea(); }
    // Pixels the figures put on the screen, and where.
    int ChangedPixels(const RECT& area) { return sim.Capture().CountChanged(area); }
    std::optional<RECT> ChangedBounds() { return sim.Capture().ChangedBounds(); }

    SimDesktop sim;
    Form1* form = nullptr;
};
