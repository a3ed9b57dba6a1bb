#include "platform/toolkit/command_line.h"

#include <algorithm>
#include <getopt.h>
#include <ostream>

namespace {

constexpr int kUsageError = 2;

// getopt_long reports a long option by this index plus its row.
constexpr int kLongBase = 256;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

} // namespace

ParsedCommandLine ParseCommandLine(std::span<const CommandOption> options, int argc,
                                   char* const argv[])
{
    std::vector<option> table;
    std::string short_options = ":"; // a missing value returns ':' rather than '?'
    for (size_t i = 0; i < options.size(); ++i) {
        const CommandOption& o = options[i];
        const int has_arg = o.value_name.empty() ? no_argument : required_argument;
        table.push_back({o.name.c_str(), has_arg, nullptr, kLongBase + int(i)});
        if (o.short_name) {
            short_options += o.short_name;
            if (has_arg == required_argument)
                short_options += ':';
        }
    }
    table.push_back({nullptr, 0, nullptr, 0});

    ParsedCommandLine line;
    // Options first, as POSIX has it: the first word that is not an option
    // ends them, and is refused below as a stray argument.
    short_options.insert(short_options.begin(), '+');
    opterr = 0;
    optind = 0; // start afresh, also on a second parse
    int code = 0;
    while ((code = getopt_long(argc, argv, short_options.c_str(), table.data(), nullptr)) != -1) {
        // The word that getopt_long just read, for the messages.
        const std::string word = argv[optind - 1] ? argv[optind - 1] : "";
        if (code == '?' || code == ':') {
            const bool short_form = optopt > 0 && optopt < kLongBase && word.rfind("--", 0) != 0;
            const std::string named = short_form ? std::string("-") + char(optopt) : word;
            if (code == ':')
                line.error = "option " + Quoted(named) + " needs a value";
            else if (optopt >= kLongBase)
                line.error = "option " + Quoted(word.substr(0, word.find('='))) +
                             " takes no value";
            else
                line.error = "unknown option " + Quoted(named.substr(0, named.find('=')));
            return line;
        }
        const CommandOption* matched = nullptr;
        if (code >= kLongBase)
            matched = &options[size_t(code - kLongBase)];
        for (const CommandOption& o : options)
            if (!matched && o.short_name == code)
                matched = &o;
        if (matched)
            line.given[matched->name] = optarg ? optarg : "";
    }
    if (optind < argc)
        line.error = "unexpected argument " + Quoted(argv[optind]);
    return line;
}

std::vector<CommandOption> CommonOptions()
{
    return {
        {"help", 'h', "", "show this help and exit"},
        {"version", 'V', "", "show the version and exit"},
    };
}

std::string UsageText(std::span<const CommandOption> options)
{
    std::string text =
        "Usage: walkers [OPTION]...\n"
        "Small figures walk along the title bar of the window in front.\n"
        "Click a figure to end them.\n\n";
    for (const CommandOption& o : options) {
        std::string left = o.short_name ? std::string("  -") + o.short_name + ", --" : "      --";
        left += o.name;
        if (!o.value_name.empty())
            left += "=" + o.value_name;
        left.resize(std::max<size_t>(left.size() + 2, 24), ' ');
        text += left + o.help + "\n";
    }
    return text;
}

std::optional<int> AnswerCommonOptions(const ParsedCommandLine& line,
                                       std::span<const CommandOption> options, std::ostream& out,
                                       std::ostream& err)
{
    if (!line.error.empty()) {
        err << "walkers: " << line.error << " (see 'walkers --help')\n";
        return kUsageError;
    }
    if (line.Has("help")) {
        out << UsageText(options);
        return 0;
    }
    if (line.Has("version")) {
        out << "walkers " << WALKERS_VERSION << "\n";
        return 0;
    }
    return std::nullopt;
}
