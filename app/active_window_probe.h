// The probe of the foreground window: one question per call, asked of the
// platform afresh every time, answered as text; and the wrappers that turn
// the answers into the title and the edges in twips.
#pragma once

#include <cstdint>
#include <string>

// Mode 0 the title; 1 to 4 the left, top, right or bottom edge in twips as
// decimal text; any other mode empty text.
std::string RGN_ActiveWindowInfo(int32_t mode);

std::string ActiveWindowTitle();
int32_t ActiveWindowLeft();
int32_t ActiveWindowTop();
int32_t ActiveWindowRight();
