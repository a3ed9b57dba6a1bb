// Paints the simulated desktop as a person would see it: the background,
// then every visible window from the bottom of the z-order up. A scripted
// window is a frame, a title bar and a client area; a form window shows its
// persistent image only inside its window region.
#pragma once

#include "platform/sim/sim_screenshot.h"

class SimWindowStack;

SimScreenshot ComposeScreen(const SimWindowStack& stack, int width, int height,
                            int caption_height);
