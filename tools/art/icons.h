// The two icons: the program's own (the figure bent into an arch) and the
// generic window picture.
#pragma once

#include "tools/art/ico_writer.h"
#include "tools/art/tube_shape.h"

// `size` square at 32 bits: `arch` (placed in a 64x64 frame) drawn at
// size/64 and centred; transparent ground (alpha 0), partly covered pixels
// alpha 128. The program's file icon is the 32-pixel one.
IconImage DrawAppIcon(const TubePose& arch, int size = 32);

// A white window with a cyan caption bar (black at 1 bit) on a transparent ground.
IconImage DrawWindowIcon(int size, int bits);
