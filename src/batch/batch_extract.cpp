#include "batch/batch_extract.h"

#include <new>

#include "batch/batch_command.h"
#include "batch/batch_encoding.h"
#include "batch/batch_layout.h"
#include "batch/batch_record_types.h"
#include "batch/progress_bar.h"
#include "common/whole_number.h"
#include "engine/extract_messages.h"
#include "engine/fast_extract.h"
#include "engine/memory_check.h"
#include "engine/run_files.h"
#include "engine/standard_extract.h"
#include "outputs/output_formats.h"

namespace qvr {

namespace {

bool to_standard_output(const JobSettings& settings) { return settings.output_path == "-"; }

// A database keeps its other tables: its file being there is no reason to stop, the table is checked
// when the run opens it.
bool into_database(const JobSettings& settings) { return settings.output_format == "sqlite"; }

// The window's checks of the input and output files; where it asks before replacing a result, the front
// end replaces one only when told to.
void check_files(const BatchRequest& request, const Console& console) {
    const JobSettings& s = request.settings;
    const RunFiles files = to_standard_output(s) ? check_run_files(s.input_path, console.out_fd)
                                                 : check_run_files(s.input_path, s.output_path);
    switch (files) {
        case RunFiles::input_missing:
            throw BatchRefusal(shown_name(s.input_path), "the input file does not exist (or is a folder).");
        case RunFiles::same_file:
            throw BatchRefusal(shown_name(s.output_path), "the result cannot be written to the input file.");
        case RunFiles::output_folder:
            throw BatchRefusal(s.output_path, "the result file is a folder: give a file name.");
        case RunFiles::output_exists:
            if (!request.overwrite && !into_database(s))
                throw BatchRefusal(s.output_path,
                                   "the result file already exists (--overwrite replaces it).");
            break;
        case RunFiles::ready:
            break;
    }
}

ExtractJob make_job(JobSettings settings, const FieldTable& table, const Console& console) {
    if (settings.sample_text.empty())
        settings.sample_text.push_back('0');  // not = "0": GCC 12 warns falsely at -O3
    ExtractJob job = ExtractJob::from(settings, table.slices(), table.names(), table.types());
    job.output = output_format(settings.output_format)->maker;
    if (to_standard_output(settings)) {
        job.output_fd = console.out_fd;
        job.output_path = kStandardOutputName;
    }
    return job;
}

// True when the run wrote its result, false when the input did not fit into memory.
bool run(const BatchRequest& request, const ExtractJob& job, const Console& console, RunTally& tally) {
    const JobSettings& settings = request.settings;
    ConsoleRunHooks run_hooks(request, console);
    ExtractHooks& hooks = run_hooks.hooks;
    try {
        if (settings.fast) {
            fast_extract(job, hooks, tally);
            return true;
        }
        return standard_extract(job, hooks, tally) == ExtractOutcome::generated;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The fast extract has no header, sorting, duplicate dropping or numbering: asking for them is a mistake to
// point out, not a wish to drop silently. A quote in the separator would read as the start of a quoted
// field: the file could not be read back.
void check_options(const BatchRequest& r, const std::set<std::string>& given) {
    check_framing(r, given);
    check_record_types(r, given, into_database(r.settings) || r.settings.output_format == "xlsx");
    for (const char* name : {"--sorted", "--unique", "--numbers"})
        if (r.settings.fast && given.count(name))
            throw UsageError(std::string("--fast cannot be used with ") + name, r.command);
    const bool text = r.settings.output_format == "text";
    if (!text && r.settings.fast)
        throw UsageError("--fast writes separated text only, not --format " + r.settings.output_format,
                         r.command);
    if (!text && to_standard_output(r.settings))
        throw UsageError("--format " + r.settings.output_format + " writes a file, not standard output",
                         r.command);
    if (given.count("--table") && !into_database(r.settings))
        throw UsageError("--table names the table of --format sqlite", r.command);
    if (given.count("--sheet") && r.settings.output_format != "xlsx")
        throw UsageError("--sheet names the sheet of --format xlsx", r.command);
    if (r.settings.quotes_in_separator())
        throw UsageError("--quote cannot be used with a separator holding a quote (\")", r.command);
}

}  // namespace

const BatchCommandInfo& extract_command() {
    static const BatchCommandInfo command{
        .word = "extract",
        .command = BatchCommand::extract,
        .summary = "cuts the input into fields and writes them as separated text, as File > Go does",
        .options =
            {
                kInputOption,
                {.name = "--output",
                 .value = "FILE|-",
                 .help = "the result file, - for standard output",
                 .read = read_output,
                 .need = Need::required},
                kTypedLayoutOption,
                kFieldOption,
                kRecordOption,
                kRecordsOption,
                kCarryOption,
                {.name = "--separator",
                 .value = "TEXT",
                 .help = "the text between two fields (default \";\", may be empty)",
                 .read = [](BatchRequest& r, const std::string& v) { r.settings.separator_text = v; }},
                {.name = "--tab",
                 .help = "a tab between two fields",
                 .read = [](BatchRequest& r, const std::string&) { r.settings.tab_separator = true; }},
                {.name = "--no-header",
                 .help = "no first line of field names",
                 .read = [](BatchRequest& r, const std::string&) { r.settings.header = false; }},
                {.name = "--sorted",
                 .help = "sort the lines, letter case ignored, by the collation of the locale",
                 .read = [](BatchRequest& r, const std::string&) { r.settings.sorted = true; }},
                // Duplicates are found among sorted lines, so unique brings sorted with it, as in the window.
                {.name = "--unique",
                 .help = "drop lines equal to one already kept but for letter case (implies --sorted)",
                 .read = [](BatchRequest& r,
                            const std::string&) { r.settings.unique = r.settings.sorted = true; }},
                {.name = "--numbers",
                 .help = "number the lines",
                 .read = [](BatchRequest& r, const std::string&) { r.settings.numbers = true; }},
                kTrimOption,
                kStrictOption,
                kLowerOption,
                kUpperOption,
                kContainsOption,
                // The window counts any other text as 0, no limit; a command line saying "--sample 1O"
                // means a limit, so it is pointed out instead.
                {.name = "--sample",
                 .value = "N",
                 .help = "keep at most N lines (0: all, the default)",
                 .read =
                     [](BatchRequest& r, const std::string& v) {
                         if (!read_whole_number(v))
                             throw UsageError("--sample '" + v + "' is not a whole number",
                                              BatchCommand::none);
                         r.settings.sample_text = v;
                     }},
                {.name = "--memory",
                 .value = "SIZE",
                 .help = "memory a sorted run may use (512M, 2G); beyond it the run sorts on disk",
                 .read =
                     [](BatchRequest& r, const std::string& v) {
                         r.memory_cap = read_memory_size(v).value_or(0);
                         if (r.memory_cap == 0)
                             throw UsageError("--memory needs a size such as 512M or 2G", BatchCommand::none);
                     }},
                // The fast extract writes no header; the window clears that box when fast is ticked.
                {.name = "--fast",
                 .help = "read and write line by line, for big files (no header, no --sorted, --unique or "
                         "--numbers)",
                 .read =
                     [](BatchRequest& r, const std::string&) {
                         r.settings.fast = true;
                         r.settings.header = false;
                     }},
                kRecordEncodingOption,
                kRecordLengthOption,
                kRecordFormatOption,
                kSkipLinesOption,
                kSkipLastOption,
                {.name = "--output-encoding",
                 .value = "same|utf-8|cp1252",
                 .help = "what the result is written in: the input's bytes as they are (same, the default), "
                         "or converted; characters Windows-1252 lacks become \"?\", counted in the summary",
                 .read =
                     [](BatchRequest& r, const std::string& v) {
                         const std::optional<OutputEncoding> output = output_encoding_named(v);
                         if (!output)
                             throw UsageError("--output-encoding '" + v + "' is not same, utf-8 or cp1252",
                                              BatchCommand::none);
                         r.settings.output_encoding = *output;
                     }},
                {.name = "--quote",
                 .help = "write a field holding the separator, a quote, CR or LF between quotes, its quotes "
                         "doubled",
                 .read = [](BatchRequest& r, const std::string&) { r.settings.quote_fields = true; }},
                {.name = "--line-end",
                 .value = "crlf|lf",
                 .help = "what ends each line written (default crlf)",
                 .read =
                     [](BatchRequest& r, const std::string& v) {
                         if (v != "crlf" && v != "lf")
                             throw UsageError("--line-end '" + v + "' is not crlf or lf", BatchCommand::none);
                         r.settings.line_end = v == "lf" ? "\n" : "\r\n";
                     }},
                {.name = "--format",
                 .value = "text|sqlite|xlsx",
                 .help = "what the result is: separated text (the default), a table of a SQLite database "
                         "(its other tables kept) or an Excel workbook; fields typed as numbers and dates "
                         "are written as such",
                 .read =
                     [](BatchRequest& r, const std::string& v) {
                         if (v != "text" && v != "sqlite" && v != "xlsx")
                             throw UsageError("--format '" + v + "' is not text, sqlite or xlsx",
                                              BatchCommand::none);
                         r.settings.output_format = v;
                     }},
                {.name = "--table",
                 .value = "NAME",
                 .help = "the database's table written (default: the input's name without extension); with "
                         "--records, {type} in it stands for the type value as in --output (default: the "
                         "input's name, _ and {type}), all tables of one database in one transaction",
                 .read = [](BatchRequest& r, const std::string& v) { r.settings.output_table = v; }},
                {.name = "--sheet",
                 .value = "NAME",
                 .help = "the workbook's first sheet (default: the input's name without extension); with "
                         "--records, {type} in it stands for the type value (default: the value itself; "
                         "cut to 31 characters, [ ] : * ? / \\ written _)",
                 .read = [](BatchRequest& r, const std::string& v) { r.settings.output_table = v; }},
                {.name = "--overwrite",
                 .help = "replace the file written when it exists; for a database, replace the table of "
                         "that name (only it)",
                 .read = [](BatchRequest& r,
                            const std::string&) { r.overwrite = r.settings.replace_table = true; }},
            },
        .check = check_options,
        .run = [](const BatchRequest& r, const Console& c) {
            if (r.type_columns) return run_typed_extract(r, c);
            run_batch_extract(r, c);
            return 0;
        }};
    return command;
}

void run_batch_extract(const BatchRequest& request, const Console& console) {
    const FieldTable table = batch_field_table(request, console.memory);
    check_files(request, console);
    if (const int row = table.first_unusable_row())
        throw BatchRefusal(field_name(request, row), "the start or the length is 0.");
    const JobSettings settings = batch_job_settings(request);
    const ExtractJob job = make_job(settings, table, console);
    RunTally tally;
    if (!run(request, job, console, tally))
        throw BatchRefusal(
            shown_name(settings.input_path),
            "out of memory: the input file is too big to hold (--fast reads it line by line).");
    if (tally.input_grew) tell(console, "quarvel-batch: " + input_grew_text(settings.input_path));
    tell(console, "Number of lines generated: " + std::to_string(tally.generated_line_count) +
                      replaced_text(tally.replaced_chars));
    tell_bad_values(tally.bad_values, table.names(), console);
    if (!tally.output_note.empty()) tell(console, tally.output_note);
    tell_encoding(request, tally.encoding, tally.input_text, console);
}

ConsoleRunHooks::ConsoleRunHooks(const BatchRequest& request, const Console& console)
    : bar(console),
      memory(console.memory, request.memory_cap ? request.memory_cap : UINT64_MAX),
      hooks(memory) {
    hooks.gauge = [this](int position) { bar.show(position); };
    hooks.stop = &interrupt_request();
    stop_on_interrupt();
}

}  // namespace qvr
