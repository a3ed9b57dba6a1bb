#include "tests/wayland/pointer_driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/e2e/x_session.h"

using namespace std::chrono_literals;

PointerDriver::PointerDriver(std::string directory, std::map<std::string, std::string> environment,
                             int width, int height)
    : directory_(std::move(directory)), environment_(std::move(environment)), width_(width),
      height_(height)
{
}

PointerDriver::~PointerDriver()
{
    if (commands_ >= 0)
        close(commands_); // the pointer's end of input: it ends
    if (pointer_)
        pointer_->Wait(2s);
}

bool PointerDriver::Click(int x, int y, bool move_only)
{
    if (!pointer_) {
        const std::string pipe = directory_ + "/pointer";
        if (mkfifo(pipe.c_str(), 0600) != 0)
            return false;
        pointer_ = std::make_unique<Process>(
            std::vector<std::string>{WAYLAND_VIRTUAL_POINTER, pipe, std::to_string(width_),
                                     std::to_string(height_)},
            environment_);
        commands_ = open(pipe.c_str(), O_WRONLY | O_CLOEXEC); // waits for the reader
        if (commands_ < 0 ||
            !WaitUntil([&] { return pointer_->Output().find("ready") != std::string::npos; }, 5s))
            return false;
    }
    const std::string line = std::string(move_only ? "move " : "click ") + std::to_string(x) +
                             " " + std::to_string(y) + "\n";
    if (write(commands_, line.data(), line.size()) != ssize_t(line.size()))
        return false;
    const std::string done = "done " + std::to_string(++clicks_) + "\n";
    return WaitUntil([&] { return pointer_->Output().find(done) != std::string::npos; }, 5s);
}
