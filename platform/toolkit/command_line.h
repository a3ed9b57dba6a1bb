// The program's command line, read with getopt_long's conventions (long
// options, unambiguous abbreviations, --name=value, "--" ends the options).
// Each platform lists the options it understands in one table, so a new
// option is one more row.
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct CommandOption {
    std::string name;        // the long name, without the dashes
    char short_name = 0;     // 0: none
    std::string value_name;  // empty: the option takes no value
    std::string help;        // one line for --help
};

struct ParsedCommandLine {
    std::map<std::string, std::string> given; // option name -> its value ("" without one)
    std::string error;                        // why the line was refused; empty when it was not

    bool Has(const std::string& name) const { return given.contains(name); }
};

// Reads the options in `argv[1..argc)`. Every argument must be an option of
// the table; the first unknown option, missing or unexpected value or stray
// argument refuses the line.
ParsedCommandLine ParseCommandLine(std::span<const CommandOption> options, int argc,
                                   char* const argv[]);

// --help and --version, which every platform understands, followed by the
// platform's own options.
std::vector<CommandOption> CommonOptions();

// Answers what the common options ask: the usage text or the version on
// `out` (status 0), a refused line as one line naming --help on `err`
// (status 2). Nothing: the program goes on with what the line asks.
std::optional<int> AnswerCommonOptions(const ParsedCommandLine& line,
                                       std::span<const CommandOption> options, std::ostream& out,
                                       std::ostream& err);

// The text --help prints.
std::string UsageText(std::span<const CommandOption> options);
