// What the end-to-end tests look for in a screenshot. The figures are the
// only brown on the test desktop (the root, the sample windows and the
// window manager's decorations are blues, greens, greys and white), and the
// frame pictures' pure black background must never show anywhere.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/process.h"
#include "tests/e2e/x_session.h"

bool IsFigureBrown(uint32_t pixel);

struct FigureScan {
    int brown = 0;       // figure pixels on screen
    int outside = 0;     // of which outside the band looked at
    int black = 0;       // pure black pixels anywhere
    Box bounds{};        // where the figure pixels are
};
// Counts the figure pixels, and those outside `band`.
FigureScan ScanFigures(const Screenshot& shot, const Box& band);

// Where the figures stand on a window: their 64-pixel cells' bottom 12 rows
// overlap the frame's top edge, within the frame's width.
Box TitleBarBand(const Box& frame);

// A figure pixel whose neighbours within `margin` are figure pixels too.
std::optional<std::pair<int, int>> InteriorFigurePixel(const Screenshot& shot, int margin);

// A point of `band` whose neighbours within `margin` all have `colour`:
// a window below, clear of every figure, to click between them.
std::optional<std::pair<int, int>> ClearPoint(const Screenshot& shot, const Box& band,
                                              uint32_t colour, int margin);

// One of our sample windows on the desktop (tests/e2e/sample_window.cpp).
class SampleWindow {
public:
    SampleWindow(const XSession& session, const std::string& title, const std::string& geometry,
                 const std::string& colour = "8FBF8F");
    Window Id() const { return id_; }
    bool Ready() const { return id_ != None; }
    // The button presses it received, as "press X Y" lines.
    int Presses() const;
    Process& process() { return process_; }

private:
    Process process_;
    Window id_ = None;
};

// The program under test, started on the session's display.
std::unique_ptr<Process> StartWalkers(const XSession& session);
