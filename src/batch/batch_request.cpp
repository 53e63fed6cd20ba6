#include "batch/batch_request.h"

#include <getopt.h>

#include <set>

#include "batch/batch_command.h"
#include "fields/field_type.h"

namespace qvr {

namespace {

// The needs the command's options declare: each required one given, one kind of layout.
void check_needs(const BatchCommandInfo& command, const BatchRequest& r, const std::set<std::string>& given) {
    std::string layouts;
    std::size_t layouts_given = 0;
    for (const BatchOption& o : command.options) {
        if (o.need == Need::required && !given.count(o.name))
            throw UsageError(std::string(o.name) + " is missing", r.command);
        if (o.need != Need::layout) continue;
        layouts += (layouts.empty() ? "" : " or ") + std::string(o.name) + " " + o.value;
        layouts_given += given.count(o.name);
    }
    if (layouts.empty()) return;
    if (layouts_given > 1) throw UsageError("--layout and --field cannot be used together", r.command);
    if (layouts_given == 0) throw UsageError("the layout (" + layouts + ") is missing", r.command);
}

// Applies the options that follow the command word, in the GNU forms ("--name value", "--name=value", a
// unique abbreviation, "--" ending the options); returns the names given. A --help or -h among them asks
// for the command's help instead.
std::set<std::string> apply_options(const std::vector<std::string>& args, const BatchCommandInfo& command,
                                    BatchRequest& r) {
    // Above getopt's own codes: 1 for an operand, and characters.
    constexpr int kFirstOption = 256;
    constexpr int kHelp = 512;
    std::vector<struct option> longs;
    int output_code = 0;
    for (const BatchOption& o : command.options) {
        // getopt takes the first of several options an abbreviation fits when they share their code, so
        // "--out" stays --output, as it was before --output-encoding; the index tells them apart.
        const int code = kFirstOption + static_cast<int>(longs.size());
        if (o.name == std::string_view("--output")) output_code = code;
        longs.push_back({o.name + 2, o.value ? required_argument : no_argument, nullptr,
                         o.name == std::string_view("--output-encoding") ? output_code : code});
    }
    longs.push_back({"help", no_argument, nullptr, kHelp});
    longs.push_back({nullptr, 0, nullptr, 0});
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int argc = static_cast<int>(args.size());
    std::set<std::string> given;
    // Each run starts afresh (optind 0 resets the parser); "-" returns every operand in its place and
    // ":" tells a missing value from an unknown name; the messages are the front end's own.
    optind = 0;
    opterr = 0;
    int index = -1;
    for (int got; (got = getopt_long(argc, argv.data(), "-:h", longs.data(), &index)) != -1;) {
        const std::string seen = argv[static_cast<std::size_t>(optind - 1)];
        if (got == kHelp || got == 'h') {
            r.help = true;
            return given;
        }
        if (got == 1) throw UsageError("unknown argument '" + std::string(optarg) + "'", r.command);
        if (got == '?' && optopt > 0 && optopt < 256)
            throw UsageError("unknown argument '-" + std::string(1, static_cast<char>(optopt)) + "'",
                             r.command);
        if (got == '?') {
            // An option of another command is named as such; getopt_long said no to it here.
            const std::string name = seen.substr(0, seen.find('='));
            for (const BatchCommandInfo* other : batch_commands())
                for (const BatchOption& o : other->options)
                    if (name == o.name)
                        throw UsageError(name + " is not an option of " + command.word, r.command);
            throw UsageError("unknown argument '" + seen + "'", r.command);
        }
        if (got == ':') throw UsageError(seen + " needs a value", r.command);
        const BatchOption& option = command.options[static_cast<std::size_t>(index)];
        if (!given.insert(option.name).second && !option.repeats)
            throw UsageError(std::string(option.name) + " is given twice", r.command);
        try {
            option.read(r, option.value ? std::string(optarg) : std::string());
        } catch (const UsageError& e) {
            throw UsageError(e.what(), r.command);  // a --field that is none: show this command's usage
        }
    }
    if (optind < argc)
        throw UsageError("unknown argument '" + args[static_cast<std::size_t>(optind)] + "'", r.command);
    return given;
}

}  // namespace

FieldTable::Row parse_field(const std::string& value) {
    // A type after the length begins with a type's word; its parentheses may hold a colon of their own.
    std::size_t typed_end = value.size();
    FieldType type;
    const auto type_after = [&value](std::size_t colon) {
        return colon != std::string::npos && is_field_type_word(std::string_view(value).substr(
                                                 colon + 1, value.find('(', colon) - colon - 1));
    };
    std::size_t type_colon = value.rfind(':');
    if (!type_after(type_colon) && value.rfind('(') != std::string::npos)
        type_colon = value.rfind(':', value.rfind('('));
    if (type_after(type_colon)) {
        try {
            type = parse_field_type(std::string_view(value).substr(type_colon + 1));
        } catch (const NotAFieldType& e) {
            throw UsageError("--field '" + value + "': " + e.what(), BatchCommand::none);
        }
        typed_end = type_colon;
    }
    const std::string field = value.substr(0, typed_end);
    const std::size_t last = field.rfind(':');
    const std::size_t middle =
        last == 0 || last == std::string::npos ? std::string::npos : field.rfind(':', last - 1);
    if (middle == std::string::npos)
        throw UsageError("--field '" + value + "' is not NAME:START:LENGTH[:TYPE]", BatchCommand::none);
    return {field.substr(0, middle), field.substr(middle + 1, last - middle - 1), field.substr(last + 1), "",
            type};
}

BatchRequest parse_batch_request(const std::vector<std::string>& args) {
    BatchRequest r;
    if (args.empty()) throw UsageError("no command given", BatchCommand::none);
    if (args[0] == "--help" || args[0] == "-h" || (args.size() == 1 && args[0] == "--version")) {
        r.command = args[0] == "--version" ? BatchCommand::version : BatchCommand::help;
        return r;
    }
    const BatchCommandInfo* command = nullptr;
    for (const BatchCommandInfo* c : batch_commands())
        if (args[0] == c->word) command = c;
    if (!command) throw UsageError("unknown command '" + args[0] + "'", BatchCommand::none);
    r.command = command->command;
    const std::set<std::string> given = apply_options(args, *command, r);
    if (r.help) return r;
    check_needs(*command, r, given);
    if (command->check) command->check(r, given);
    return r;
}

}  // namespace qvr
