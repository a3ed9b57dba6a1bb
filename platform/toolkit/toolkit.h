// Everything the program's code uses of the form toolkit.
#pragma once

#include "platform/toolkit/application.h"
#include "platform/toolkit/fixed_array.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/image_array.h"
#include "platform/toolkit/in_out.h"
#include "platform/toolkit/numbers.h"
#include "platform/toolkit/picture.h"
#include "platform/toolkit/random_source.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/toolkit/screen.h"
#include "platform/toolkit/timer.h"
