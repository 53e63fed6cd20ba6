#include "shell/program_options.h"

#include <algorithm>
#include <string_view>

#include "shell/program_values.h"

namespace qvr {

namespace {

constexpr const char* kUsage = "Usage: quarvel [FILE]\n       quarvel --help | --version\n";

// The toolkit's options, which it takes out of the arguments itself; the first group takes a value.
constexpr std::string_view kToolkitOptionsWithValue[] = {"-platform",        "-platformpluginpath",
                                                         "-platformtheme",   "-plugin",
                                                         "-qwindowgeometry", "-qwindowicon",
                                                         "-qwindowtitle",    "-style",
                                                         "-stylesheet",      "-display",
                                                         "-geometry",        "-title",
                                                         "-session",         "-name"};
constexpr std::string_view kToolkitFlags[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

template <std::size_t N>
bool among(const std::string_view (&names)[N], std::string_view arg) {
    // The toolkit takes its options with one dash or two.
    if (arg.starts_with("--")) arg.remove_prefix(1);
    return std::find(std::begin(names), std::end(names), arg) != std::end(names);
}

ProgramOptions usage_error(std::string problem) {
    ProgramOptions options;
    options.action = ProgramOptions::usage_error;
    options.problem = std::move(problem);
    return options;
}

}  // namespace

ProgramOptions read_program_options(const std::vector<std::string>& args) {
    ProgramOptions options;
    std::vector<std::string> files;
    bool only_files = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (only_files || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            only_files = true;
        } else if (arg == "--help" || arg == "-h") {
            options.action = ProgramOptions::help;
            return options;
        } else if (arg == "--version") {
            options.action = ProgramOptions::version;
            return options;
        } else if (among(kToolkitOptionsWithValue, arg)) {
            if (++i == args.size()) return usage_error("the option " + arg + " needs a value");
        } else if (!among(kToolkitFlags, arg)) {
            return usage_error("unknown option " + arg);
        }
    }
    if (files.size() > 1) return usage_error("one input file at most, not " + std::to_string(files.size()));
    if (!files.empty()) options.input_path = files.front();
    return options;
}

std::string program_help_text() {
    return std::string(kUsage) +
           "\n"
           "Cuts fixed-column text files into separated text or dBase tables.\n"
           "With FILE, opens it as File > Input does.\n"
           "\n"
           "  --help      show this help and end\n"
           "  --version   show the version and end\n"
           "\n"
           "The same jobs without windows: quarvel-batch --help\n";
}

std::string program_version_text() { return std::string("quarvel") + kVersionSuffix + "\n"; }

std::string program_usage_error_text(const std::string& problem) {
    return "quarvel: " + problem + "\n" + kUsage + "Try 'quarvel --help' for more.\n";
}

}  // namespace qvr
