#include "batch/batch_request.h"

#include <functional>
#include <set>

#include "common/whole_number.h"

namespace qvr {

namespace {

/// Which commands take an option.
enum Takers : unsigned { kExtract = 1, kDbf = 2, kAnalyse = 4, kDetect = 8, kCheck = 16 };

struct Option {
    const char* name;
    unsigned takers;
    bool has_value;
    std::function<void(BatchRequest&, const std::string&)> apply;
};

const std::vector<Option>& options() {
    static const std::vector<Option> all = {
        {"--input", kExtract | kDbf | kAnalyse | kDetect | kCheck, true,
         [](BatchRequest& r, const std::string& v) { r.settings.input_path = v; }},
        {"--output", kExtract | kDbf | kDetect, true,
         [](BatchRequest& r, const std::string& v) {
             r.settings.output_path = v;
             r.output_given = true;
         }},
        {"--layout", kExtract | kDbf | kCheck, true,
         [](BatchRequest& r, const std::string& v) { r.layout_path = v; }},
        {"--field", kExtract | kDbf | kCheck, true,
         [](BatchRequest& r, const std::string& v) { r.fields.push_back(parse_field(v)); }},
        {"--separator", kExtract, true,
         [](BatchRequest& r, const std::string& v) { r.settings.separator_text = v; }},
        {"--tab", kExtract, false,
         [](BatchRequest& r, const std::string&) { r.settings.tab_separator = true; }},
        {"--no-header", kExtract, false,
         [](BatchRequest& r, const std::string&) { r.settings.header = false; }},
        {"--sorted", kExtract, false, [](BatchRequest& r, const std::string&) { r.settings.sorted = true; }},
        // Duplicates are found among sorted lines, so unique brings sorted with it, as in the window.
        {"--unique", kExtract, false,
         [](BatchRequest& r, const std::string&) { r.settings.unique = r.settings.sorted = true; }},
        {"--numbers", kExtract, false,
         [](BatchRequest& r, const std::string&) { r.settings.numbers = true; }},
        {"--trim", kExtract | kDbf, false,
         [](BatchRequest& r, const std::string&) { r.settings.trim = true; }},
        {"--lower", kExtract | kDbf, true,
         [](BatchRequest& r, const std::string& v) { r.settings.lower_bound = v; }},
        {"--upper", kExtract | kDbf, true,
         [](BatchRequest& r, const std::string& v) { r.settings.upper_bound = v; }},
        {"--contains", kExtract | kDbf, true,
         [](BatchRequest& r, const std::string& v) { r.settings.contains = v; }},
        {"--sample", kExtract, true,
         [](BatchRequest& r, const std::string& v) { r.settings.sample_text = v; }},
        // The fast extract writes no header; the window clears that box when fast is ticked.
        {"--fast", kExtract, false,
         [](BatchRequest& r, const std::string&) {
             r.settings.fast = true;
             r.settings.header = false;
         }},
        {"--lines", kDetect, true,
         [](BatchRequest& r, const std::string& v) {
             const std::optional<std::int32_t> n = read_whole_number(v);
             if (!n || *n <= 0) throw UsageError("--lines needs a whole number above 0", BatchCommand::none);
             r.max_lines = static_cast<std::uint64_t>(*n);
         }},
        {"--overwrite", kExtract | kDbf | kDetect, false,
         [](BatchRequest& r, const std::string&) { r.overwrite = true; }},
    };
    return all;
}

struct CommandWord {
    const char* word;
    BatchCommand command;
    Takers taker;
};
constexpr CommandWord kCommands[] = {
    {"extract", BatchCommand::extract, kExtract}, {"dbf", BatchCommand::dbf, kDbf},
    {"analyse", BatchCommand::analyse, kAnalyse}, {"detect", BatchCommand::detect, kDetect},
    {"check", BatchCommand::check, kCheck},
};

const Option* find_option(const std::string& name) {
    for (const Option& o : options())
        if (name == o.name) return &o;
    return nullptr;
}

void check_complete(const BatchRequest& r, const std::set<std::string>& given) {
    auto missing = [&](const char* what) { throw UsageError(std::string(what) + " is missing", r.command); };
    if (!given.count("--input")) missing("--input");
    if (r.command == BatchCommand::analyse) return;
    if ((r.command == BatchCommand::extract || r.command == BatchCommand::detect) && !r.output_given)
        missing("--output");
    if (r.command == BatchCommand::detect) return;
    if (given.count("--layout") && given.count("--field"))
        throw UsageError("--layout and --field cannot be used together", r.command);
    if (!given.count("--layout") && !given.count("--field"))
        missing("the layout (--layout FILE.tab or --field NAME:START:LENGTH)");
    // The fast extract has no header, sorting, duplicate dropping or numbering: asking for them is a
    // mistake to point out, not a wish to drop silently.
    for (const char* name : {"--sorted", "--unique", "--numbers"})
        if (r.settings.fast && given.count(name))
            throw UsageError(std::string("--fast cannot be used with ") + name, r.command);
    if (r.command == BatchCommand::dbf && r.settings.output_path == "-")
        throw UsageError("the dBase table cannot go to standard output", r.command);
}

// Applies the options that follow the command word; returns the names given. A --help among them turns
// the request into the help.
std::set<std::string> apply_options(const std::vector<std::string>& args, const CommandWord& word,
                                    BatchRequest& r) {
    std::set<std::string> given;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help") {
            r.command = BatchCommand::help;
            break;
        }
        const Option* option = find_option(args[i]);
        if (!option) throw UsageError("unknown argument '" + args[i] + "'", r.command);
        if (!(option->takers & word.taker))
            throw UsageError(args[i] + " is not an option of " + word.word, r.command);
        if (!given.insert(args[i]).second && args[i] != "--field")
            throw UsageError(args[i] + " is given twice", r.command);
        if (option->has_value && i + 1 == args.size())
            throw UsageError(args[i] + " needs a value", r.command);
        try {
            option->apply(r, option->has_value ? args[++i] : std::string());
        } catch (const UsageError& e) {
            throw UsageError(e.what(), r.command);  // a --field that is none: show this command's usage
        }
    }
    return given;
}

}  // namespace

FieldTable::Row parse_field(const std::string& value) {
    const std::size_t last = value.rfind(':');
    const std::size_t middle =
        last == 0 || last == std::string::npos ? std::string::npos : value.rfind(':', last - 1);
    if (middle == std::string::npos)
        throw UsageError("--field '" + value + "' is not NAME:START:LENGTH", BatchCommand::none);
    return {value.substr(0, middle), value.substr(middle + 1, last - middle - 1), value.substr(last + 1), ""};
}

BatchRequest parse_batch_request(const std::vector<std::string>& args) {
    BatchRequest r;
    if (args.empty()) throw UsageError("no command given", BatchCommand::none);
    if (args[0] == "--help" || (args.size() == 1 && args[0] == "--version")) {
        r.command = args[0] == "--help" ? BatchCommand::help : BatchCommand::version;
        return r;
    }
    const CommandWord* word = nullptr;
    for (const CommandWord& c : kCommands)
        if (args[0] == c.word) word = &c;
    if (!word) throw UsageError("unknown command '" + args[0] + "'", BatchCommand::none);
    r.command = word->command;
    const std::set<std::string> given = apply_options(args, *word, r);
    if (r.command != BatchCommand::help) check_complete(r, given);
    return r;
}

}  // namespace qvr
