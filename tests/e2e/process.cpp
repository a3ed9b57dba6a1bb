#include "tests/e2e/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string TemporaryPath(const char* suffix)
{
    std::string path = std::string("/tmp/walkers-e2e-XXXXXX") + suffix;
    const int fd = mkstemps(path.data(), int(std::strlen(suffix)));
    if (fd >= 0)
        close(fd);
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

Process::Process(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& environment)
    : output_path_(TemporaryPath(".out")), errors_path_(TemporaryPath(".err"))
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (!environment.count(name))
            variables.push_back(text);
    }
    for (const auto& [name, value] : environment)
        if (!value.empty())
            variables.push_back(name + "=" + value);

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (std::string& variable : variables)
        env.push_back(variable.data());
    env.push_back(nullptr);

    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // Goes when the test goes, even if the test is killed.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(output_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errors_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execvpe(args[0], args.data(), env.data());
        _exit(127);
    }
}

Process::~Process()
{
    if (pid_ > 0 && !status_) {
        kill(pid_, SIGTERM);
        if (!Wait(std::chrono::seconds(2))) {
            kill(pid_, SIGKILL);
            Reap(true);
        }
    }
    unlink(output_path_.c_str());
    unlink(errors_path_.c_str());
}

bool Process::Reap(bool block)
{
    if (status_ || pid_ <= 0)
        return true;
    int raw = 0;
    const pid_t done = waitpid(pid_, &raw, block ? 0 : WNOHANG);
    if (done != pid_)
        return false;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return true;
}

bool Process::Running() { return pid_ > 0 && !Reap(false); }

std::optional<int> Process::Wait(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!Reap(false)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
}

void Process::Signal(int signal)
{
    if (pid_ > 0 && !status_)
        kill(pid_, signal);
}

std::string Process::Output() const { return ReadFile(output_path_); }
std::string Process::Errors() const { return ReadFile(errors_path_); }

RunResult RunToEnd(const std::vector<std::string>& argv,
                   const std::map<std::string, std::string>& environment,
                   std::chrono::milliseconds timeout)
{
    Process process(argv, environment);
    RunResult result;
    result.status = process.Wait(timeout);
    result.output = process.Output();
    return result;
}
