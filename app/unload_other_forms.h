#pragma once

#include <string>

// Unloads every loaded form whose Name differs from `name`.
void RGN_UnloadOtherForms(const std::string& name);
