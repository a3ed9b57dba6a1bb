// Reads the 32-bit images of .ico files as the art tool writes them, for
// the build steps that make other formats of the icons.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "tools/art/ico_writer.h"

// The first 32-bit image: pixels 0xAARRGGBB, top row first. Nothing when
// the file holds no well-formed one; `error` says why.
std::optional<IconImage> DecodeIco32(std::span<const uint8_t> bytes, std::string* error);
