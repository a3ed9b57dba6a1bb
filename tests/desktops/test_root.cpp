#include "tests/desktops/test_root.h"

#include <cstdlib>

#include "tests/e2e/process.h"

namespace test_root {

std::string Unavailable()
{
    // The ctest fixture has built it, or said why it could not: asking
    // again costs nothing when it is there and reports the same reason.
    const RunResult built =
        RunToEnd({"sh", "-c", std::string(WALKERS_TEST_ROOT_SCRIPT) + " build 2>&1"}, {},
                 std::chrono::minutes(15));
    if (built.status == 0)
        return "";
    std::string reason = built.output;
    while (!reason.empty() && reason.back() == '\n')
        reason.pop_back();
    return reason.empty() ? "the Debian 13 root is not ready" : reason;
}

std::vector<std::string> Prefix(const std::vector<std::string>& binds)
{
    std::vector<std::string> prefix{WALKERS_TEST_ROOT_SCRIPT, "run",
                                    "--bind", WALKERS_TEST_ROOT_BUILD_DIR,
                                    "--bind", WALKERS_TEST_ROOT_SOURCE_DIR};
    for (const std::string& bind : binds)
        prefix.insert(prefix.end(), {"--bind", bind});
    prefix.push_back("--");
    return prefix;
}

bool Wanted() { return std::getenv("WALKERS_IN_TEST_ROOT") != nullptr; }

std::vector<std::string> WantedPrefix()
{
    return Wanted() ? Prefix() : std::vector<std::string>{};
}

std::vector<std::string> Inside(const std::vector<std::string>& argv,
                                const std::vector<std::string>& binds)
{
    std::vector<std::string> full = Prefix(binds);
    full.insert(full.end(), argv.begin(), argv.end());
    return full;
}

} // namespace test_root
