// The Debian 13 root the newer desktops run in (tools/test-root.sh): a
// session runs its compositor, its windows and walkers through Prefix(),
// and a test skips with the root's own reason when it cannot be built.
#pragma once

#include <string>
#include <vector>

namespace test_root {

// Empty when the root is ready; otherwise why not, in one line (it was
// never built, its build failed, it cannot be built here).
std::string Unavailable();

// The command that runs a program inside the root, to go before its argv.
// The build and source trees, /tmp and `binds` appear at the same paths
// inside.
std::vector<std::string> Prefix(const std::vector<std::string>& binds = {});

// Whether this run of a desktop's tests is for the root's newer desktop:
// ctest runs the same scenarios a second time with WALKERS_IN_TEST_ROOT
// set.
bool Wanted();

// Prefix() when Wanted(), else nothing: what a session runs its desktop
// under.
std::vector<std::string> WantedPrefix();

// `argv` run inside the root.
std::vector<std::string> Inside(const std::vector<std::string>& argv,
                                const std::vector<std::string>& binds = {});

} // namespace test_root
