#include "batch/batch_dbf.h"

#include <sys/stat.h>

#include "batch/batch_encoding.h"
#include "batch/batch_layout.h"
#include "batch/batch_record_types.h"
#include "batch/progress_bar.h"
#include "common/file_names.h"
#include "common/regular_file.h"
#include "common/stop_request.h"
#include "dbase/dbf_job.h"

namespace qvr {

namespace {

// The window announces the count of the extract run before it; a process of its own has run none, and
// the table's count is set to the records written in any case.
constexpr std::int64_t kNoRunBefore = 0;

std::string table_name(const BatchRequest& request) {
    const std::string name =
        request.output_given ? request.settings.output_path : dbf_table_name(request.settings.input_path);
    // The window stops when the user clears the name; a name given empty is said to be missing.
    if (trim_blanks(name).empty())
        throw BatchRefusal("--output", "the table's name is blank: nothing written.");
    if (same_file(name, request.settings.input_path))
        throw BatchRefusal(name, "the table cannot be written to the input file.");
    if (file_exists(name) && !request.overwrite)
        throw BatchRefusal(name, "the table already exists (--overwrite replaces it).");
    return name;
}

// The window's refusals of the table, naming the field or the layout they concern.
void refuse_limits(const BatchRequest& request, const DbfLimits& limits) {
    switch (limits.refusal) {
        case DbfRefusal::none:
            return;
        case DbfRefusal::length_below_one:
            throw BatchRefusal(field_name(request, limits.row), "a dBase field needs a length of 1 or more.");
        case DbfRefusal::fields_too_long:
            throw BatchRefusal(request.layout_path.empty() ? "--field" : request.layout_path,
                               "the fields' lengths add up to more than 254, the most a dBase record holds.");
        case DbfRefusal::too_many_records:
            break;
    }
    throw BatchRefusal(shown_name(request.settings.input_path), dbf_refusal_text(limits) + ".");
}

// Lines expected, for the bar only: the fast extract's estimate from the size, as nothing has counted them.
std::uint64_t expected_lines(const std::string& input_path) {
    struct stat st {};
    if (::stat(input_path.c_str(), &st) != 0) return 0;
    return static_cast<std::uint64_t>(st.st_size) / 200;
}

// The table is named after its input by default, and standard input has no name to lend.
void check_options(const BatchRequest& r, const std::set<std::string>& given) {
    check_framing(r, given);
    check_record_types(r, given, false);
    if (r.type_columns) return;
    if (!r.output_given && r.settings.input_path == kStandardInputPath)
        throw UsageError("--output (the table's name, as the input is standard input) is missing", r.command);
    if (r.settings.output_path == "-")
        throw UsageError("the dBase table cannot go to standard output", r.command);
}

}  // namespace

const BatchCommandInfo& dbf_command() {
    static const BatchCommandInfo command{
        .word = "dbf",
        .command = BatchCommand::dbf,
        .summary = "writes the fields as a dBase III table, as File > Extract .DBF file does",
        .options =
            {
                kInputOption,
                {.name = "--output",
                 .value = "FILE.dbf",
                 .help = "the table (default: the input file's name with .dbf); with --records, {type} in "
                         "it stands for the type value, a table per type",
                 .read = read_output},
                kTypedLayoutOption,
                kFieldOption,
                kRecordOption,
                kRecordsOption,
                kCarryOption,
                kTrimOption,
                kStrictOption,
                kLowerOption,
                kUpperOption,
                kContainsOption,
                kRecordEncodingOption,
                kRecordLengthOption,
                kRecordFormatOption,
                kSkipLinesOption,
                kSkipLastOption,
                kOverwriteOption,
            },
        .check = check_options,
        .run = [](const BatchRequest& r, const Console& c) {
            if (r.type_columns) {
                BatchRequest typed = r;
                typed.settings.output_format = "dbf";
                return run_typed_extract(typed, c);
            }
            run_batch_dbf(r, c);
            return 0;
        }};
    return command;
}

void run_batch_dbf(const BatchRequest& request, const Console& console) {
    const FieldTable table = batch_field_table(request, console.memory);
    const DbfLimits limits = check_dbf_table(kNoRunBefore, table);
    refuse_limits(request, limits);
    const std::string name = table_name(request);
    const std::uint64_t expected = expected_lines(request.settings.input_path);
    std::uint64_t replaced = 0;
    const JobSettings settings = batch_job_settings(request);
    Utf8Tally input_text;
    TextEncoding used = settings.encoding;
    BadValueTally bad_values;
    {
        ProgressBar bar(console);
        DbfExport dbf(dbf_export_job(table, settings, limits.lengths, kNoRunBefore, name));
        stop_on_interrupt();
        dbf.run([&bar, expected](std::uint64_t lines) {
            bar.show(dbf_gauge_position(lines, expected));
            check_stop(&interrupt_request());
        });
        replaced = dbf.replaced_chars();
        input_text = dbf.input_text();
        used = dbf.encoding();
        bad_values = dbf.bad_values();
    }
    tell(console, dbf_done_text(name, replaced));
    tell_bad_values(bad_values, table.names(), console);
    tell_encoding(request, used, input_text, console);
}

}  // namespace qvr
