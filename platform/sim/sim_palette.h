// The colours the simulated desktop paints what is not a form (0x00RRGGBB).
// None is a colour the figures use much, so a test can tell them apart.
#pragma once

#include <cstdint>

namespace sim_palette {

constexpr uint32_t kDesktop = 0x3A6EA5;
constexpr uint32_t kFrame = 0x404040;
constexpr uint32_t kActiveTitle = 0x0054E3;
constexpr uint32_t kInactiveTitle = 0x7A96DF;
constexpr uint32_t kClient = 0xECE9D8;
constexpr int kFrameWidth = 1;

} // namespace sim_palette
