#include "batch/batch_record_types.h"

#include <optional>
#include <set>

#include "batch/batch_encoding.h"
#include "batch/batch_extract.h"
#include "batch/batch_layout.h"
#include "batch/progress_bar.h"
#include "common/stop_request.h"
#include "common/whole_number.h"
#include "dbase/dbf_job.h"
#include "engine/extract_messages.h"
#include "engine/line_cutter.h"
#include "engine/memory_check.h"
#include "engine/run_files.h"
#include "engine/typed_extract.h"
#include "fields/layout_set.h"
#include "outputs/output_formats.h"
#include "outputs/table_sinks.h"

namespace qvr {

namespace {

FieldSlice parse_type_columns(const std::string& v) {
    const std::size_t colon = v.find(':');
    const std::optional<std::int32_t> start = read_whole_number(v.substr(0, colon));
    const std::optional<std::int32_t> length =
        colon == std::string::npos ? std::nullopt : read_whole_number(v.substr(colon + 1));
    if (!start || !length || *start < 1 || *length < 1)
        throw UsageError("--records '" + v + "' is not START:LENGTH (whole numbers from 1)",
                         BatchCommand::none);
    return {*start, *length};
}

}  // namespace

const BatchOption kTypedLayoutOption{
    .name = "--layout",
    .value = "FILE",
    .help =
        "the fields, read from a field definition file (.tab), a COBOL copybook (.cpy .cob "
        ".cbl), a csvkit schema (.csv), a SAS (.sas), SPSS (.sps) or Stata (.dct) setup: the "
        "form from the extension, else from the text, else a field definition file; with "
        "--records, VALUE=FILE: the table of the records of type VALUE (repeat it; '*'=FILE "
        "takes the types without one); a layout set (.tabs) gives its tables, --records and --carry",
    .read = read_layout_option,
    .need = Need::layout,
    .repeats = true};

const BatchOption kRecordsOption{
    .name = "--records",
    .value = "START:LENGTH",
    .help =
        "the columns that hold each record's type: one pass writes a result per type, each cut by its own "
        "--layout VALUE=FILE, sorted, made unique, typed and checked (--strict fails them all) on its own, "
        "and named by --output with {type} standing for the value (a byte other than A-Z, a-z, 0-9 and - "
        "written %XX); without {type} in --output, --format sqlite writes a table per type into one "
        "database (see --table) and xlsx a sheet per type into one workbook (see --sheet); the results are "
        "replaced together or not at all; "
        "records of a type without a table are counted and reported, and the status is then 1",
    .read = [](BatchRequest& r, const std::string& v) { r.type_columns = parse_type_columns(v); }};

const BatchOption kCarryOption{
    .name = "--carry",
    .value = "VALUE:FIELD",
    .help =
        "with --records: the rows of the other types begin with FIELD of the latest record "
        "of type VALUE (empty before the first), named in the header; repeat it",
    .read = [](BatchRequest& r, const std::string& v) { r.carries.push_back(v); },
    .repeats = true};

void check_record_types(const BatchRequest& r, const std::set<std::string>& given, bool one_file) {
    if (!r.type_columns) {
        if (r.layouts.size() > 1)
            throw UsageError("--layout is given more than once: tables per record type need --records",
                             r.command);
        if (!r.carries.empty()) throw UsageError("--carry needs --records", r.command);
        return;
    }
    if (given.count("--field"))
        throw UsageError("--records takes its tables as --layout VALUE=FILE", r.command);
    for (const std::string& layout : r.layouts)
        if (layout.find('=') == std::string::npos)
            throw UsageError("--layout '" + layout + "' is not VALUE=FILE, as --records needs", r.command);
    if (given.count("--fast")) throw UsageError("--records cannot be used with --fast", r.command);
    if (r.settings.output_path == "-")
        throw UsageError("--records writes files: --output cannot be -", r.command);
    // A database or a workbook may hold a table per type in one file; text and dBase tables are a file per
    // type.
    const bool several = r.layouts.size() > 1;
    if (several && !one_file && r.settings.output_path.find("{type}") == std::string::npos)
        throw UsageError("--output needs {type} in its name to write a result per record type", r.command);
    for (const char* name : {"--table", "--sheet"})
        if (several && one_file && given.count(name) &&
            r.settings.output_table.find("{type}") == std::string::npos)
            throw UsageError(std::string(name) + " needs {type} in its name to write one per record type",
                             r.command);
    for (const std::string& carry : r.carries)
        if (carry.find(':') == std::string::npos)
            throw UsageError("--carry '" + carry + "' is not VALUE:FIELD", r.command);
}

namespace {

LayoutSet read_set(const std::string& path) {
    try {
        return read_layout_set(path);
    } catch (const LayoutError& e) {
        throw layout_refusal(path, e);
    }
}

// The table of type `value` in the layout set at `path`.
FieldTable set_table(const std::string& path, const std::string& value) {
    for (const TypeTable& t : read_set(path).tables)
        if (t.value == value && !t.rows.empty()) {
            FieldTable table;
            table.assign_rows(t.rows);
            return table;
        }
    throw BatchRefusal(path, "the layout set has no table of type '" + value + "'.");
}

// The table of each --layout VALUE=FILE, read as a plain --layout FILE is, or taken from a layout set.
std::vector<RecordTypeTable> type_tables(const BatchRequest& request, const Console& console) {
    std::vector<RecordTypeTable> tables;
    for (const std::string& layout : request.layouts) {
        const std::size_t eq = layout.find('=');
        BatchRequest one = request;
        one.layout_path = layout.substr(eq + 1);
        one.fields.clear();
        const FieldTable table =
            is_layout_set_file(one.layout_path)
                ? set_table(one.layout_path, std::string(trim_blanks(layout.substr(0, eq))))
                : batch_field_table(one, console.memory);
        if (const int row = table.first_unusable_row())
            throw BatchRefusal(field_name(one, row), "the start or the length is 0.");
        tables.push_back({std::string(trim_blanks(layout.substr(0, eq))),
                          table.slices(),
                          table.names(),
                          table.types(),
                          {}});
    }
    return tables;
}

// Each --carry VALUE:FIELD as the field of that type's table.
std::vector<CarrySpec> carries_of(const BatchRequest& request, const std::vector<RecordTypeTable>& tables) {
    std::vector<CarrySpec> carries;
    for (const std::string& carry : request.carries) {
        const std::size_t colon = carry.find(':');
        const std::string value(trim_blanks(carry.substr(0, colon)));
        const std::string name = carry.substr(colon + 1);
        const RecordTypeTable* table = nullptr;
        for (const RecordTypeTable& t : tables)
            if (t.value == value) table = &t;
        if (!table)
            throw BatchRefusal("--carry " + carry, "no --layout gives the table of type '" + value + "'.");
        std::size_t i = 0;
        while (i < table->names.size() && trim_blanks(table->names[i]) != name) ++i;
        if (i == table->names.size())
            throw BatchRefusal("--carry " + carry,
                               "the table of type '" + value + "' has no field '" + name + "'.");
        carries.push_back({value, table->slices[i], name});
    }
    return carries;
}

// The window's checks of the input and of each result it would replace; a database keeps its other
// tables, so its file being there is no reason to stop.
void check_files(const BatchRequest& request, const std::vector<RecordTypeTable>& tables) {
    const JobSettings& s = request.settings;
    const bool database = s.output_format == "sqlite";
    std::set<std::string> seen;
    for (const RecordTypeTable& t : tables) {
        const std::string output = type_file_name(s.output_path, t.value);
        if (!seen.insert(output).second) continue;
        switch (check_run_files(s.input_path, output)) {
            case RunFiles::input_missing:
                throw BatchRefusal(shown_name(s.input_path),
                                   "the input file does not exist (or is a folder).");
            case RunFiles::same_file:
                throw BatchRefusal(output, "the result cannot be written to the input file.");
            case RunFiles::output_folder:
                throw BatchRefusal(output, "the result file is a folder: give a file name.");
            case RunFiles::output_exists:
                if (!request.overwrite && !database)
                    throw BatchRefusal(output, "the result file already exists (--overwrite replaces it).");
                break;
            case RunFiles::ready:
                break;
        }
    }
}

// A dBase record holds at most 254 bytes: each type's carried and own columns are checked before any
// table is started.
void check_dbase_tables(const BatchRequest& request, const std::vector<RecordTypeTable>& tables,
                        const std::vector<CarrySpec>& carries) {
    const std::size_t t = dbf_type_table_too_long(tables, carries);
    if (t < tables.size())
        throw BatchRefusal("--layout " + request.layouts[t],
                           "the fields' lengths add up to more than 254, the most a dBase record holds.");
}

}  // namespace

void read_layout_option(BatchRequest& r, const std::string& value) {
    r.layouts.push_back(value);
    r.layout_path = r.layouts.front();
    if (!is_layout_set_file(value)) return;
    const LayoutSet set = read_set(value);
    if (set.tables.empty()) throw BatchRefusal(value, "the layout set holds no table.");
    r.layouts.pop_back();
    for (const TypeTable& t : set.tables) r.layouts.push_back(t.value + "=" + value);
    r.layout_path = r.layouts.front();
    if (!r.type_columns) r.type_columns = set.type_columns;
    for (const LayoutCarry& c : set.carries) r.carries.push_back(c.type + ":" + c.field);
}

int run_typed_extract(const BatchRequest& request, const Console& console) {
    TypedExtractJob typed;
    typed.tables = type_tables(request, console);
    typed.carries = carries_of(request, typed.tables);
    check_files(request, typed.tables);
    if (request.settings.output_format == "dbf") check_dbase_tables(request, typed.tables, typed.carries);
    JobSettings settings = batch_job_settings(request);
    if (settings.sample_text.empty()) settings.sample_text.push_back('0');
    name_type_tables(settings, typed.tables);
    typed.job = ExtractJob::from(settings, {}, {});
    if (settings.output_format != "text") typed.job.output = output_format(settings.output_format)->maker;
    typed.type_columns = *request.type_columns;
    typed.output_pattern = settings.output_path;
    TypedTally tally;
    {
        ConsoleRunHooks run_hooks(request, console);
        typed_extract(typed, run_hooks.hooks, tally);
    }
    if (tally.input_grew) tell(console, "quarvel-batch: " + input_grew_text(settings.input_path));
    std::int64_t total = 0;
    for (std::size_t t = 0; t < tally.outputs.size(); ++t) {
        const std::string& table = typed.tables[t].output_table;
        tell(console, tally.outputs[t] + (table.empty() ? "" : " (" + table + ")") + ": " +
                          std::to_string(tally.written[t]) + " lines");
        total += tally.written[t];
    }
    tell(console,
         "Number of lines generated: " + std::to_string(total) + replaced_text(tally.replaced_chars));
    for (std::size_t t = 0; t < tally.outputs.size(); ++t) {
        tell_bad_values(tally.bad_values[t], type_field_names(typed.tables[t]), console);
        if (!tally.notes[t].empty()) tell(console, tally.notes[t]);
    }
    tell_encoding(request, tally.encoding, tally.input_text, console);
    if (tally.unknown == 0) return 0;
    // Every result is written; the records they lack are told, and the status says the run was not whole.
    tell(console, "quarvel-batch: " + shown_name(settings.input_path) + ": " + tally.unknown_text +
                      " (--layout '*'=FILE takes them).");
    return 1;
}

}  // namespace qvr
