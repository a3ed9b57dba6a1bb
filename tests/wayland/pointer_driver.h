// Clicks for a compositor's end-to-end tests: the virtual pointer program
// (virtual_pointer.cpp), started at the first click and kept for the whole
// session, since each new pointer device makes clients take their pointer
// anew; commands go to it through a named pipe.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "tests/e2e/process.h"

class PointerDriver {
public:
    // The pipe goes in `directory`; the pointer reaches the compositor named
    // in `environment`, whose layout is `width` x `height`.
    PointerDriver(std::string directory, std::map<std::string, std::string> environment,
                  int width, int height);
    ~PointerDriver();
    PointerDriver(const PointerDriver&) = delete;
    PointerDriver& operator=(const PointerDriver&) = delete;

    // Moves the pointer to layout pixel (x, y) and clicks there (or only
    // moves); returns once the compositor has seen it.
    bool Click(int x, int y, bool move_only = false);

private:
    std::string directory_;
    std::map<std::string, std::string> environment_;
    int width_, height_;
    std::unique_ptr<Process> pointer_;
    int commands_ = -1;
    int clicks_ = 0;
};
