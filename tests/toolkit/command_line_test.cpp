// The command line's reading: what getopt_long's conventions accept, and the
// one-line refusals the program prints before it touches any display.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/toolkit/command_line.h"

namespace {

// The common options, one the platform adds and one that takes a value, as
// a platform's own table would list them.
std::vector<CommandOption> Table()
{
    std::vector<CommandOption> options = CommonOptions();
    options.push_back({"stop", 0, "", "end them"});
    options.push_back({"colour", 'c', "NAME", "a colour"});
    return options;
}

ParsedCommandLine Parse(std::vector<std::string> words)
{
    words.insert(words.begin(), "walkers");
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::vector<CommandOption> options = Table();
    return ParseCommandLine(options, int(words.size()), argv.data());
}

TEST(CommandLine, AcceptsOptionsTheGetoptWay)
{
    EXPECT_TRUE(Parse({}).given.empty());
    EXPECT_TRUE(Parse({}).error.empty());

    const ParsedCommandLine all = Parse({"--stop", "--colour=red", "-V"});
    EXPECT_EQ(all.error, "");
    EXPECT_TRUE(all.Has("stop") && all.Has("version"));
    EXPECT_FALSE(all.Has("help"));
    EXPECT_EQ(all.given.at("colour"), "red");

    // A value as the next word, short options bundled, an unambiguous
    // abbreviation, and "--" before nothing.
    const ParsedCommandLine spaced = Parse({"--colour", "blue", "-hc", "green", "--sto", "--"});
    EXPECT_EQ(spaced.error, "");
    EXPECT_EQ(spaced.given.at("colour"), "green") << "the last value counts";
    EXPECT_TRUE(spaced.Has("help") && spaced.Has("stop"));
}

TEST(CommandLine, RefusesWhatItDoesNotKnowNamingTheWord)
{
    EXPECT_EQ(Parse({"--bogus"}).error, "unknown option '--bogus'");
    EXPECT_EQ(Parse({"--bogus=3"}).error, "unknown option '--bogus'");
    EXPECT_EQ(Parse({"-x"}).error, "unknown option '-x'");
    EXPECT_EQ(Parse({"-Vx"}).error, "unknown option '-x'");
    EXPECT_EQ(Parse({"stray"}).error, "unexpected argument 'stray'");
    // Options end at the first other word: an option after it is a stray too.
    EXPECT_EQ(Parse({"stray", "--help"}).error, "unexpected argument 'stray'");
    EXPECT_EQ(Parse({"--", "--help"}).error, "unexpected argument '--help'");
    EXPECT_EQ(Parse({"--help=yes"}).error, "option '--help' takes no value");
    EXPECT_EQ(Parse({"--colour"}).error, "option '--colour' needs a value");
    EXPECT_EQ(Parse({"-c"}).error, "option '-c' needs a value");
    // Three dashes name no option.
    EXPECT_EQ(Parse({"---"}).error, "unknown option '---'");
    // A refusal leaves the next reading unharmed.
    EXPECT_EQ(Parse({"--stop"}).error, "");
}

TEST(CommandLine, AnswersHelpVersionAndRefusalsWithTheirStatuses)
{
    const std::vector<CommandOption> options = Table();
    struct Case {
        std::vector<std::string> words;
        std::optional<int> status;
        bool prints_usage, prints_version, prints_error;
    };
    const Case cases[] = {
        {{}, std::nullopt, false, false, false},
        {{"--stop"}, std::nullopt, false, false, false},
        {{"--help"}, 0, true, false, false},
        {{"--version"}, 0, false, true, false},
        {{"--help", "--version"}, 0, true, false, false},
        {{"--help", "--bogus"}, 2, false, false, true},
        {{"stray"}, 2, false, false, true},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        const auto status = AnswerCommonOptions(Parse(c.words), options, out, err);
        const std::string what = c.words.empty() ? "(none)" : c.words[0];
        EXPECT_EQ(status, c.status) << what;
        EXPECT_EQ(out.str() == UsageText(options), c.prints_usage) << what;
        EXPECT_EQ(out.str() == std::string("walkers ") + WALKERS_VERSION + "\n", c.prints_version)
            << what;
        EXPECT_EQ(!err.str().empty(), c.prints_error) << what;
        if (c.prints_error) {
            EXPECT_EQ(err.str().find('\n'), err.str().size() - 1) << "one line";
            EXPECT_NE(err.str().find("--help"), std::string::npos) << err.str();
        }
    }
    // The usage lists every option of the table, with its value's name.
    const std::string usage = UsageText(options);
    for (const char* entry : {"-h, --help", "-V, --version", "    --stop", "-c, --colour=NAME"})
        EXPECT_NE(usage.find(entry), std::string::npos) << entry;
}

} // namespace
