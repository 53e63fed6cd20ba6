#include "dbase/u_dbase_commands.h"

#include <QColor>
#include <cerrno>
#include <cstring>
#include <new>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/whole_number.h"
#include "dbase/dbf_export.h"
#include "dbase/dbf_job.h"
#include "dbase/dbf_sink.h"
#include "desktop/busy_cursor.h"
#include "desktop/path_text.h"
#include "desktop/qt_run_stop.h"
#include "desktop/widget_text.h"
#include "engine/extract_messages.h"
#include "engine/typed_extract.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"

namespace qvr {

namespace {
const char* const kNameCaption = "File already exists";
const char* const kNamePrompt = "Change name if wanted";
}  // namespace

DbaseCommands::DbaseCommands(Desktop& desktop, Tfrm_gen& gen, Tfrm_dlm& dlm, const RunTally& tally,
                             std::function<void()> show_general_data)
    : desktop_(desktop),
      gen_(gen),
      dlm_(dlm),
      tally_(tally),
      show_general_data_(std::move(show_general_data)) {}

void DbaseCommands::inform(const QString& text) { desktop_.message_box(BoxKind::information, text, kOk); }

/// The checked lengths of the table, or nothing when the table was refused (and the user told why).
std::optional<std::vector<std::int32_t>> DbaseCommands::checked_lengths() {
    DbfLimits limits = check_dbf_table(tally_.generated_line_count, dlm_.field_table());
    if (limits.refusal == DbfRefusal::none) return limits.lengths;
    inform(QString::fromLatin1(dbf_refusal_text(limits)));
    return std::nullopt;
}

/// The table's file name beside the input; when a file of that name exists the user may change it. Nothing
/// when the user emptied the name or cancelled: the existing table stays.
std::optional<std::string> DbaseCommands::table_name(const std::string& input_path) {
    std::string name = dbf_table_name(input_path);
    if (file_exists(name)) {
        std::optional<QString> answer = desktop_.input_box(
            QString::fromLatin1(kNameCaption), QString::fromLatin1(kNamePrompt), to_path_text(name));
        if (!answer) return std::nullopt;
        name = from_path_text(*answer);
        if (trim_blanks(name).empty()) return std::nullopt;
    }
    return name;
}

/// Writes the table and tells the user; a failure reaches the caller with the gauge hidden.
void DbaseCommands::write_table(DbfExportJob job) {
    const std::uint64_t expected = job.record_count;
    const std::string name = job.target;
    BusyCursor busy;
    StopRequest stop;
    std::uint64_t replaced = 0;
    const TextEncoding encoding = job.encoding;
    Utf8Tally input_text;
    try {
        DbfExport table(std::move(job));
        gen_.set_gauge_colour(QColor(Qt::blue));
        gen_.show_gauge(true);
        RunStopGuard guard(gen_.stop_button(), stop);
        table.run([this, expected, &guard, &stop](std::uint64_t lines) {
            gen_.set_gauge(dbf_gauge_position(lines, expected));
            guard.poll();
            check_stop(&stop);
        });
        replaced = table.replaced_chars();
        input_text = table.input_text();
    } catch (const RunStopped&) {
        // The former table stays as it was; the user asked, so nothing is told.
        gen_.show_gauge(false);
        return;
    } catch (...) {
        gen_.show_gauge(false);
        throw;
    }
    gen_.set_gauge(100);
    busy.restore();
    std::string done = dbf_done_text(name, replaced);
    if (encoding_needs_a_word(encoding, input_text)) done += "\n\r" + encoding_line(encoding, input_text);
    inform(to_path_text(done));
    gen_.show_gauge(false);
}

void DbaseCommands::export_dbf() {
    const JobSettings settings = gen_.settings();
    if (!settings.framing_problem.empty()) {
        inform(to_widget_text(settings.framing_problem));
        return;
    }
    if (dlm_.has_record_types()) {
        export_types(settings);
        return;
    }
    std::optional<std::vector<std::int32_t>> lengths = checked_lengths();
    if (!lengths) return;
    std::optional<std::string> name = table_name(settings.input_path);
    if (!name) return;
    // Replacing the input by its own table would destroy the very lines the table is made of.
    if (same_file(*name, settings.input_path)) {
        inform(QString::fromLatin1(kDbfSameAsInputText));
        return;
    }
    write_table(dbf_export_job(dlm_.field_table(), settings, *lengths, tally_.generated_line_count, *name));
}

// A table per record type, in one pass, all replaced together as the front end's dbf --records does.
void DbaseCommands::export_types(const JobSettings& settings) {
    TypedExtractJob typed;
    try {
        take_layout_set(dlm_.layout_set(), typed);
    } catch (const UserError& e) {
        inform(to_widget_text(e.what()));
        return;
    }
    const std::size_t too_long = dbf_type_table_too_long(typed.tables, typed.carries);
    if (too_long < typed.tables.size()) {
        inform(
            to_widget_text("Record type '" + typed.tables[too_long].value + "': " + kDbfFieldsTooLongText));
        return;
    }
    typed.job = ExtractJob::from(dbf_type_settings(settings), {}, {});
    typed.job.output = {dbf_table_sink, true};
    typed.output_pattern = dbf_type_pattern(settings);
    bool asked = false;
    for (const RecordTypeTable& t : typed.tables) {
        const std::string name = type_file_name(typed.output_pattern, t.value);
        if (same_file(name, settings.input_path)) {
            inform(QString::fromLatin1(kDbfSameAsInputText));
            return;
        }
        if (file_exists(name) && !asked) {
            asked = true;
            if (desktop_.message_box(BoxKind::confirmation, QString::fromLatin1(kOverwriteText),
                                     kYes | kNo) != kYes)
                return;
        }
    }
    BusyCursor busy;
    StopRequest stop;
    TypedTally tally;
    try {
        gen_.set_gauge_colour(QColor(Qt::blue));
        gen_.show_gauge(true);
        RunStopGuard guard(gen_.stop_button(), stop);
        ExtractHooks hooks;
        hooks.gauge = [this, &guard](int position) {
            gen_.set_gauge(position);
            guard.poll();
        };
        hooks.stop = &stop;
        typed_extract(typed, hooks, tally);
    } catch (const RunStopped&) {
        gen_.show_gauge(false);
        return;
    } catch (const UserError& e) {
        gen_.show_gauge(false);
        busy.restore();
        inform(to_widget_text(e.what()));
        return;
    } catch (...) {
        gen_.show_gauge(false);
        throw;
    }
    gen_.set_gauge(100);
    busy.restore();
    std::string done = kDbfTypesGeneratedText;
    for (std::size_t t = 0; t < tally.outputs.size(); ++t)
        done += "\n\r" + tally.outputs[t] + ": " + std::to_string(tally.written[t]) + " records";
    done += replaced_text(tally.replaced_chars);
    if (tally.unknown > 0) done += "\n\r" + tally.unknown_text + ".";
    inform(to_path_text(done));
    gen_.show_gauge(false);
}

void DbaseCommands::export_table() {
    show_general_data_();
    try {
        export_dbf();
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
    } catch (const NotAWholeNumber& e) {
        show_general_error(desktop_, e.what());
    } catch (const std::bad_alloc&) {
        show_general_error(desktop_, std::strerror(ENOMEM));
    }
}

}  // namespace qvr
