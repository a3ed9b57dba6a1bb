// The Windows calls the program makes, under their own names.
// On Windows they are <windows.h>'s; elsewhere the project provides them
// (platform/calls) with the same layouts and the same effects.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "platform/calls/win_constants.h"
#include "platform/calls/win_types.h"
#include "platform/calls/win_calls.h"
#endif
