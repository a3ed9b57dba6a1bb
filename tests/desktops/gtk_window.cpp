#include "tests/desktops/gtk_window.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/e2e/x_session.h"

using namespace std::chrono_literals;

namespace {

int counter = 0;

} // namespace

GtkTestWindow::GtkTestWindow(const Options& options,
                             const std::map<std::string, std::string>& environment,
                             const std::string& directory, const std::vector<std::string>& prefix)
    : pipe_(directory + "/gtk-window-" + std::to_string(getpid()) + "-" +
            std::to_string(++counter))
{
    if (mkfifo(pipe_.c_str(), 0600) != 0)
        pipe_.clear();
    std::vector<std::string> argv = prefix;
    argv.insert(argv.end(), {GTK_TEST_WINDOW, "--title", options.title, "--size",
                             std::to_string(options.width) + "x" + std::to_string(options.height),
                             "--colour", options.colour});
    if (options.x >= 0 && options.y >= 0)
        argv.insert(argv.end(),
                    {"--position", std::to_string(options.x), std::to_string(options.y)});
    if (!options.decorated)
        argv.push_back("--undecorated");
    if (!options.second_title.empty())
        argv.insert(argv.end(), {"--second-title", options.second_title});
    if (!pipe_.empty())
        argv.insert(argv.end(), {"--commands", pipe_});
    std::map<std::string, std::string> variables = environment;
    variables["GDK_BACKEND"] = options.backend;
    // Quiet and quick: no accessibility bus, no settings daemon to wait for.
    variables["NO_AT_BRIDGE"] = "1";
    variables["GTK_A11Y"] = "none";
    variables["GSETTINGS_BACKEND"] = "memory";
    variables["GDK_SCALE"] = "1";
    process_ = std::make_unique<Process>(argv, variables);
}

GtkTestWindow::~GtkTestWindow()
{
    if (commands_fd_ >= 0)
        close(commands_fd_);
    process_.reset();
    if (!pipe_.empty())
        unlink(pipe_.c_str());
}

bool GtkTestWindow::WaitMapped()
{
    return WaitUntil([&] { return Count("mapped") > 0 || !process_->Running(); }, 15s) &&
           process_->Running();
}

bool GtkTestWindow::Command(const std::string& line)
{
    // The window opens its end when it starts: until then there is no
    // reader, and opening without waiting says so.
    if (commands_fd_ < 0 &&
        !WaitUntil(
            [&] {
                commands_fd_ = open(pipe_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                return commands_fd_ >= 0 || !process_->Running();
            },
            10s))
        return false;
    if (commands_fd_ < 0)
        return false;
    const std::string text = line + "\n";
    if (write(commands_fd_, text.data(), text.size()) != ssize_t(text.size()))
        return false;
    const std::string done = "done " + std::to_string(++sent_);
    return WaitUntil([&] { return Count(done) > 0; }, 5s);
}

int GtkTestWindow::Count(const std::string& line) const
{
    const std::string output = process_->Output();
    int count = 0;
    for (std::size_t at = 0; (at = output.find(line, at)) != std::string::npos; ++at)
        if (at == 0 || output[at - 1] == '\n')
            ++count;
    return count;
}

int GtkTestWindow::Presses() const { return Count("press "); }

bool GtkTestWindow::HasKeyboard() const
{
    const std::string output = process_->Output();
    const std::size_t enter = output.rfind("keyboard enter");
    const std::size_t leave = output.rfind("keyboard leave");
    return enter != std::string::npos && (leave == std::string::npos || leave < enter);
}

bool GtkTestWindow::LostKeyboard() const { return Count("keyboard leave") > 0; }

unsigned long GtkTestWindow::Xid() const
{
    const std::string output = process_->Output();
    const std::size_t at = output.find("xid ");
    return at == std::string::npos ? 0 : std::stoul(output.substr(at + 4));
}
