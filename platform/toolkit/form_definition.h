// What a form definition holds: the stored properties of a form and its
// controls, the values every backend reads when it loads a form.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct TimerDefinition {
    std::string Name;
    int Interval; // milliseconds
    bool Enabled;
};

struct ImageDefinition {
    int Index;
    std::span<const uint8_t> PictureBmp; // the stored 24-bit BMP file
    int32_t Left, Top, Width, Height;    // twips
    bool Stretch;
    bool Visible;
};

struct ImageArrayDefinition {
    std::string Name;
    std::vector<ImageDefinition> Members;
};

struct FormDefinition {
    std::string Name;
    std::string Caption;
    int BorderStyle;     // 0 none, 2 sizable
    bool ShowInTaskbar;
    int StartUpPosition; // 0 manual, 3 the system's default
    int32_t ClientLeft, ClientTop, ClientWidth, ClientHeight; // twips
    // Three stored values no logic reads: the drawing scale (1, twips), the
    // design-time AutoRedraw (0, off) and the palette (-1, none).
    int16_t ScaleMode;
    uint8_t StoredAutoRedraw;
    int32_t Palette;
    std::vector<TimerDefinition> Timers;
    std::vector<ImageArrayDefinition> ImageArrays;
};
