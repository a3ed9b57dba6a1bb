// The Windows calls the program makes, under their own names.
// On Windows they are <windows.h>'s; elsewhere the project provides them
// (platform/user32_gdi32) with the same layouts and the same effects.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "platform/user32_gdi32/win_constants.h"
#include "platform/user32_gdi32/win_types.h"
#include "platform/user32_gdi32/win_calls.h"
#endif
