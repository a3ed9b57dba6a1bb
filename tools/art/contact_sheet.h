// All frames side by side, enlarged, between grey bars: for judging the hop at
// a glance.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/toolkit/bmp24.h"

std::vector<uint8_t> ContactSheetPng(std::span<const Bmp24> frames, int scale);
