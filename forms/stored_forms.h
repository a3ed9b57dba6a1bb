// The program's stored forms and the 13 frame pictures, compiled in.
#pragma once

#include <cstdint>
#include <span>

#include "platform/toolkit/form_definition.h"

const FormDefinition& Form1Definition();
const FormDefinition& frm_RGN_PictureDefinition();

// The 13 frame pictures as stored BMP files.
std::span<const uint8_t> FramePictureBmp(int index);
constexpr int kFramePictureCount = 13;
