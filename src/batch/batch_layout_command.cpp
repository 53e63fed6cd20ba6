#include "batch/batch_layout_command.h"

#include <algorithm>
#include <map>
#include <optional>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/output_file.h"
#include "fields/imported_layout.h"
#include "fields/layout_writers.h"

namespace qvr {

namespace {

constexpr const char* kLayoutUsage =
    "quarvel-batch layout  --from FILE [--as cobol|csvkit|sas|spss|stata|tab] --output FILE|-\n"
    "                      [--to tab|csvkit|sql|spark-sql|pandas] [--record NAME] [--overwrite]\n"
    "  --as      the form of --from (default: from its extension, else its text)\n"
    "  --to      the form written (default: from the output's extension: .tab .csv .sql .py)\n"
    "  --record  the record written, where a copybook describes several (01 levels); SQL has them all\n"
    "  sql quotes names as \"Name\" (SQLite, DuckDB), spark-sql as `Name` (Spark SQL)\n";

struct LayoutRequest {
    std::map<std::string, std::string> values;
    bool overwrite = false;
    bool help = false;
};

class LayoutUsage : public UserError {
  public:
    using UserError::UserError;
};

LayoutRequest parse_layout_request(const std::vector<std::string>& args) {
    static const char* const with_value[] = {"--from", "--as", "--output", "--to", "--record"};
    LayoutRequest r;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i], value;
        const std::size_t equals = name.find('=');
        const bool inline_value = name.rfind("--", 0) == 0 && equals != std::string::npos;
        if (inline_value) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "--help") {
            r.help = true;
            return r;
        }
        if (name == "--overwrite" && !inline_value) {
            r.overwrite = true;
            continue;
        }
        if (std::find(std::begin(with_value), std::end(with_value), name) == std::end(with_value))
            throw LayoutUsage("unknown argument '" + args[i] + "'");
        if (!inline_value) {
            if (i + 1 >= args.size()) throw LayoutUsage(name + " needs a value");
            value = args[++i];
        }
        if (!r.values.emplace(name, value).second) throw LayoutUsage(name + " is given twice");
    }
    for (const char* needed : {"--from", "--output"})
        if (!r.values.count(needed)) throw LayoutUsage(std::string(needed) + " is missing");
    return r;
}

std::optional<LayoutForm> named_form(const LayoutRequest& r, const char* option, bool written) {
    const auto given = r.values.find(option);
    if (given == r.values.end()) return std::nullopt;
    const auto form = layout_form_named(given->second);
    const bool can = form && (written ? *form != LayoutForm::cobol && *form != LayoutForm::sas &&
                                            *form != LayoutForm::spss && *form != LayoutForm::stata
                                      : *form != LayoutForm::sql && *form != LayoutForm::spark_sql &&
                                            *form != LayoutForm::pandas);
    if (!can)
        throw LayoutUsage(
            std::string(option) + " '" + given->second + "' is not " +
            (written ? "tab, csvkit, sql, spark-sql or pandas" : "cobol, csvkit, sas, spss, stata or tab"));
    return form;
}

std::string written_text(const ImportedLayout& layout, LayoutForm form, const std::string& record) {
    switch (form) {
        case LayoutForm::sql:
        case LayoutForm::spark_sql:
            return layout_sql_text(layout, form == LayoutForm::spark_sql);
        case LayoutForm::csvkit:
            return layout_csvkit_text(chosen_record(layout, record));
        case LayoutForm::pandas:
            return layout_pandas_text(chosen_record(layout, record));
        default:
            return layout_tab_text(chosen_record(layout, record));
    }
}

}  // namespace

int run_batch_layout(const std::vector<std::string>& args, const Console& console) {
    try {
        const LayoutRequest r = parse_layout_request(args);
        if (r.help) {
            write_out(console, kLayoutUsage);
            return 0;
        }
        const std::string& from = r.values.at("--from");
        const std::string& output = r.values.at("--output");
        const std::optional<LayoutForm> in_form = named_form(r, "--as", false);
        std::optional<LayoutForm> out_form = named_form(r, "--to", true);
        if (!out_form) {
            const auto guessed = guess_layout_form(output, "");
            if (!guessed || guessed == LayoutForm::cobol || guessed == LayoutForm::sas ||
                guessed == LayoutForm::spss || guessed == LayoutForm::stata)
                throw LayoutUsage(
                    output == "-"
                        ? "--to is missing (standard output has no extension to tell the form)"
                        : "--to is missing (the output's extension is not .tab, .csv, .sql or .py)");
            out_form = guessed;
        }
        if (output != "-" && file_exists(output) && same_file(from, output))
            throw UserError("The layout and the output are the same file: " + output);
        if (output != "-" && file_exists(output) && !r.overwrite)
            throw UserError("Output file already exists: " + output + " (--overwrite replaces it).");
        const auto record = r.values.find("--record");
        const ImportedLayout layout = read_layout_file(from, in_form);
        const std::string text =
            written_text(layout, *out_form, record == r.values.end() ? "" : record->second);
        if (output == "-")
            write_out(console, text);
        else
            replace_file_safely(output, text);
        std::size_t fields = 0;
        for (const ImportedRecord& rec : layout.records) fields += rec.fields.size();
        tell(console, "Layout " + from + ": " + std::to_string(layout.records.size()) + " record(s), " +
                          std::to_string(fields) + " field(s) read.");
        return 0;
    } catch (const LayoutUsage& e) {
        tell(console, std::string("quarvel-batch: ") + e.what());
        console.err << kLayoutUsage << "Try 'quarvel-batch --help' for more.\n" << std::flush;
        return 2;
    } catch (const std::exception& e) {
        tell(console, with_full_stop(e.what()));
        return 1;
    }
}

}  // namespace qvr
