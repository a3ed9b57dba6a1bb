// A program the end-to-end tests start: its standard output and error go to
// files, so a test can read what it printed at any time, and the test can
// wait for its end with a deadline. The destructor ends it if it still runs.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class Process {
public:
    // Starts argv[0] (searched in PATH) with the environment changed by
    // `environment` (an empty value removes the variable).
    Process(const std::vector<std::string>& argv,
            const std::map<std::string, std::string>& environment);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t Pid() const { return pid_; }
    bool Running();
    // The exit status (128 + signal for a signal), or nothing if it did not
    // end in time.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    void Signal(int signal);
    std::string Output() const;
    std::string Errors() const;

private:
    bool Reap(bool block);

    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string output_path_;
    std::string errors_path_;
};

// Runs a program to its end (at most `timeout`) and returns its output.
struct RunResult {
    std::optional<int> status;
    std::string output;
};
RunResult RunToEnd(const std::vector<std::string>& argv,
                   const std::map<std::string, std::string>& environment,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));
