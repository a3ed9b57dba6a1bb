/* The resource numbers the executable's resource script and the backend
   share. Plain C preprocessor only: windres reads this file too. */
#pragma once

/* Icon groups, in the order they are listed: the file icon first. */
#define WALKERS_ICON_PROGRAM 1
#define WALKERS_ICON_WINDOW 2

/* The frame pictures: frame k is bitmap WALKERS_BITMAP_FRAME0 + k. */
#define WALKERS_BITMAP_FRAME0 100
