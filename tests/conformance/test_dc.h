// A DC to draw on in the conformance tests: the project's image DC, or on
// Windows a memory DC holding a 32-bit DIB section. Either starts black.
#pragma once

#include "platform/winapi.h"

HDC MakeTestDC(int width, int height);
void FreeTestDC(HDC dc);

// Whether Windows' calls are Wine's, which still differs from Windows in a
// few places that the tests name.
bool OnWine();
