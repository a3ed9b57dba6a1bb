// The simulated screen: its size, its twips per pixel and the system metrics
// derived from them, with the values of a common 1920x1080 desktop at 96 dpi.
#pragma once

#include <map>

struct SimScreen {
    int width = 1920;
    int height = 1080;
    float twips_per_pixel_x = 15;
    float twips_per_pixel_y = 15;
    int caption_height = 23;
    int taskbar_height = 40;
    // Metrics a test set outright, ahead of the derived ones.
    std::map<int, int> metric_overrides;

    // GetSystemMetrics' answer; 0 for an index it does not know, as Windows.
    int Metric(int index) const;
};
