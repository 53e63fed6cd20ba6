#include "batch/batch_layout_command.h"

#include "batch/batch_layout.h"
#include "common/file_names.h"
#include "common/output_file.h"
#include "fields/imported_layout.h"
#include "fields/layout_writers.h"

namespace qvr {

namespace {

bool is_read_form(LayoutForm form) {
    return form != LayoutForm::sql && form != LayoutForm::spark_sql && form != LayoutForm::pandas;
}
bool is_written_form(LayoutForm form) {
    return form == LayoutForm::tab || form == LayoutForm::csvkit || !is_read_form(form);
}

/// The form written: --to, else the output's extension.
LayoutForm written_form(const BatchRequest& r) {
    if (!r.layout_to.empty()) return *layout_form_named(r.layout_to);
    const std::string& output = r.settings.output_path;
    const auto guessed = guess_layout_form(output, "");
    if (!guessed || !is_written_form(*guessed))
        throw UsageError(output == "-"
                             ? "--to is missing (standard output has no extension to tell the form)"
                             : "--to is missing (the output's extension is not .tab, .csv, .sql or .py)",
                         BatchCommand::layout);
    return *guessed;
}

std::string written_text(const ImportedLayout& layout, LayoutForm form, const std::string& record,
                         const std::string& file) {
    switch (form) {
        case LayoutForm::sql:
        case LayoutForm::spark_sql:
            return layout_sql_text(layout, form == LayoutForm::spark_sql);
        case LayoutForm::csvkit:
            return layout_csvkit_text(chosen_record(layout, record));
        case LayoutForm::pandas:
            return layout_pandas_text(chosen_record(layout, record));
        default:
            return layout_tab_text(chosen_record(layout, record), file);
    }
}

int run_layout(const BatchRequest& r, const Console& console) {
    const std::string& output = r.settings.output_path;
    const LayoutForm form = written_form(r);
    if (output != "-" && file_exists(output)) {
        if (same_file(r.layout_from, output))
            throw BatchRefusal(shown_name(output), "it is the layout read, which would be lost.");
        if (!r.overwrite)
            throw BatchRefusal(shown_name(output), "it already exists (--overwrite replaces it).");
    }
    ImportedLayout layout;
    std::string text;
    try {
        layout = read_layout_file(r.layout_from,
                                  r.layout_as.empty() ? std::nullopt : layout_form_named(r.layout_as));
        text = written_text(layout, form, r.layout_record, r.layout_from);
    } catch (const LayoutError& e) {
        throw layout_refusal(r.layout_from, e);
    }
    if (output == "-")
        write_out(console, text);
    else
        replace_file_safely(output, text);
    std::size_t fields = 0;
    for (const ImportedRecord& record : layout.records) fields += record.fields.size();
    tell(console, shown_name(r.layout_from) + ": " + std::to_string(layout.records.size()) + " record(s), " +
                      std::to_string(fields) + " field(s) read.");
    return 0;
}

}  // namespace

const BatchCommandInfo& layout_command() {
    static const BatchCommandInfo command{
        .word = "layout",
        .command = BatchCommand::layout,
        .summary =
            "reads a layout kept elsewhere (a COBOL copybook, a csvkit schema, a SAS, SPSS or Stata setup, "
            "a field definition file) and writes it for another tool",
        .options =
            {
                {.name = "--from",
                 .value = "FILE",
                 .help = "the layout read",
                 .read = [](BatchRequest& r, const std::string& v) { r.layout_from = v; },
                 .need = Need::required},
                {.name = "--as",
                 .value = "cobol|csvkit|sas|spss|stata|tab",
                 .help = "the form of --from (default: from its extension, else from its text)",
                 .read =
                     [](BatchRequest& r, const std::string& v) {
                         const auto form = layout_form_named(v);
                         if (!form || !is_read_form(*form))
                             throw UsageError(
                                 "--as '" + v + "' is not cobol, csvkit, sas, spss, stata or tab",
                                 BatchCommand::none);
                         r.layout_as = v;
                     }},
                {.name = "--output",
                 .value = "FILE|-",
                 .help = "the layout written, - for standard output",
                 .read = read_output,
                 .need = Need::required},
                {.name = "--to",
                 .value = "tab|csvkit|sql|spark-sql|pandas",
                 .help =
                     "the form written (default: from the output's extension, .tab .csv .sql .py): a field "
                     "definition file, a csvkit schema, a query cutting a table \"lines\" of one column "
                     "\"line\" (names in \"quotes\" for SQLite and DuckDB, in `backticks` for Spark SQL), a "
                     "pandas read_fwf function",
                 .read =
                     [](BatchRequest& r, const std::string& v) {
                         const auto form = layout_form_named(v);
                         if (!form || !is_written_form(*form))
                             throw UsageError("--to '" + v + "' is not tab, csvkit, sql, spark-sql or pandas",
                                              BatchCommand::none);
                         r.layout_to = v;
                     }},
                {.name = "--record",
                 .value = "NAME",
                 .help = "the record written where a copybook describes several (its 01 levels); a query "
                         "is written for each",
                 .read = [](BatchRequest& r, const std::string& v) { r.layout_record = v; }},
                kOverwriteOption,
            },
        .check = [](const BatchRequest& r, const std::set<std::string>&) { written_form(r); },
        .run = run_layout};
    return command;
}

}  // namespace qvr
