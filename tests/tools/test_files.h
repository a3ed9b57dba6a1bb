// Reading the stored pictures and the tables they are held to.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/toolkit/bmp24.h"
#include "tools/outline/outline_rule.h"

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::filesystem::path FramePath(int k)
{
    std::string name = (k < 10 ? "frame0" : "frame") + std::to_string(k) + ".bmp";
    return std::filesystem::path(WALKERS_FRAMES_DIR) / name;
}

inline Bmp24 LoadFrame(int k)
{
    std::string error;
    auto picture = DecodeBmp24(ReadBytes(FramePath(k)), &error);
    EXPECT_TRUE(picture) << FramePath(k) << ": " << error;
    return picture ? *picture : Bmp24::Blank();
}

struct FrameTarget {
    OutlineRect box;
    int pixels;
};

// Where each pose sits and how big it is, frame by frame.
constexpr std::array<FrameTarget, 13> kFrameTargets = {{
    {{1, 40, 63, 61}, 1055}, {{1, 37, 63, 63}, 1084}, {{2, 30, 63, 62}, 1151},
    {{2, 22, 62, 59}, 1245}, {{4, 14, 61, 55}, 1338}, {{2, 9, 62, 46}, 1253},
    {{2, 4, 63, 36}, 1152},  {{1, 3, 63, 28}, 1092},  {{1, 6, 63, 25}, 1047},
    {{1, 12, 63, 36}, 1083}, {{2, 19, 63, 49}, 1146}, {{2, 26, 63, 57}, 1152},
    {{1, 34, 63, 59}, 1077},
}};

// A fresh, empty folder for one test.
inline std::filesystem::path ScratchDir(const std::string& name)
{
    auto dir = std::filesystem::temp_directory_path() /
               ("walkers_" + name + "_" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    return dir;
}
