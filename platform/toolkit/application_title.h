// The application's title: the caption of the program's message boxes and
// the product name in its version block. A macro, so that the resource
// script reads the same text.
#pragma once

#define WALKERS_APPLICATION_TITLE "Project1"
