#include "batch/batch_request.h"

#include <getopt.h>

#include <charconv>
#include <functional>
#include <set>

#include "common/regular_file.h"
#include "common/whole_number.h"
#include "engine/memory_check.h"

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
         [](BatchRequest& r, const std::string& v) {
             r.settings.input_path = v == "-" ? std::string(kStandardInputPath) : v;
         }},
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
        // The window counts any other text as 0, no limit; a command line saying "--sample 1O" means a
        // limit, so it is pointed out instead.
        {"--sample", kExtract, true,
         [](BatchRequest& r, const std::string& v) {
             if (!read_whole_number(v))
                 throw UsageError("--sample '" + v + "' is not a whole number", BatchCommand::none);
             r.settings.sample_text = v;
         }},
        // The fast extract writes no header; the window clears that box when fast is ticked.
        {"--fast", kExtract, false,
         [](BatchRequest& r, const std::string&) {
             r.settings.fast = true;
             r.settings.header = false;
         }},
        {"--encoding", kExtract | kDbf | kCheck, true,
         [](BatchRequest& r, const std::string& v) {
             if (v == "cp1252")
                 r.encoding = TextEncoding::cp1252;
             else if (v == "utf-8")
                 r.encoding = TextEncoding::utf8;
             else if (v != "auto")
                 throw UsageError("--encoding '" + v + "' is not cp1252, utf-8 or auto", BatchCommand::none);
         }},
        {"--quote", kExtract, false,
         [](BatchRequest& r, const std::string&) { r.settings.quote_fields = true; }},
        {"--line-end", kExtract, true,
         [](BatchRequest& r, const std::string& v) {
             if (v != "crlf" && v != "lf")
                 throw UsageError("--line-end '" + v + "' is not crlf or lf", BatchCommand::none);
             r.settings.line_end = v == "lf" ? "\n" : "\r\n";
         }},
        {"--lines", kDetect, true,
         [](BatchRequest& r, const std::string& v) {
             // Any count a file can hold: 64 bits.
             std::uint64_t n = 0;
             const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), n);
             if (v.empty() || error != std::errc() || end != v.data() + v.size() || n == 0)
                 throw UsageError("--lines needs a whole number from 1 to 18446744073709551615",
                                  BatchCommand::none);
             r.max_lines = n;
         }},
        {"--memory", kExtract, true,
         [](BatchRequest& r, const std::string& v) {
             r.memory_cap = read_memory_size(v).value_or(0);
             if (r.memory_cap == 0)
                 throw UsageError("--memory needs a size such as 512M or 2G", BatchCommand::none);
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
    // A quote in the separator would read as the start of a quoted field: the file could not be read back.
    if (r.settings.quotes_in_separator())
        throw UsageError("--quote cannot be used with a separator holding a quote (\")", r.command);
    // The table is named after its input by default, and standard input has no name to lend.
    if (r.command == BatchCommand::dbf && !r.output_given && r.settings.input_path == kStandardInputPath)
        missing("--output (the table's name, as the input is standard input)");
    if (r.command == BatchCommand::dbf && r.settings.output_path == "-")
        throw UsageError("the dBase table cannot go to standard output", r.command);
}

// Applies the options that follow the command word, in the GNU forms ("--name value", "--name=value", a
// unique abbreviation, "--" ending the options); returns the names given. A --help among them turns the
// request into the help.
std::set<std::string> apply_options(const std::vector<std::string>& args, const CommandWord& word,
                                    BatchRequest& r) {
    // Above getopt's own codes: 1 for an operand, and characters.
    constexpr int kFirstOption = 256;
    constexpr int kHelp = 512;
    std::vector<struct option> longs;
    for (const Option& o : options())
        longs.push_back({o.name + 2, o.has_value ? required_argument : no_argument, nullptr,
                         kFirstOption + static_cast<int>(longs.size())});
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
    for (int got; (got = getopt_long(argc, argv.data(), "-:", longs.data(), nullptr)) != -1;) {
        const std::string seen = argv[static_cast<std::size_t>(optind - 1)];
        if (got == kHelp) {
            r.command = BatchCommand::help;
            return given;
        }
        if (got == 1) throw UsageError("unknown argument '" + std::string(optarg) + "'", r.command);
        if (got == '?' && optopt > 0 && optopt < 256)
            throw UsageError("unknown argument '-" + std::string(1, static_cast<char>(optopt)) + "'",
                             r.command);
        if (got == '?') throw UsageError("unknown argument '" + seen + "'", r.command);
        if (got == ':') throw UsageError(seen + " needs a value", r.command);
        const Option& option = options()[static_cast<std::size_t>(got - kFirstOption)];
        if (!(option.takers & word.taker))
            throw UsageError(std::string(option.name) + " is not an option of " + word.word, r.command);
        if (!given.insert(option.name).second && option.name != std::string("--field"))
            throw UsageError(std::string(option.name) + " is given twice", r.command);
        try {
            option.apply(r, option.has_value ? std::string(optarg) : std::string());
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
