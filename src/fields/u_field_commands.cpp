#include "fields/u_field_commands.h"

#include <filesystem>

#include "common/available_memory.h"
#include "common/file_error.h"
#include "common/output_file.h"
#include "desktop/busy_cursor.h"
#include "desktop/path_text.h"
#include "desktop/qt_run_stop.h"
#include "desktop/widget_text.h"
#include "fields/definition_file.h"
#include "fields/field_detection.h"
#include "fields/imported_layout.h"
#include "fields/layout_check.h"
#include "fields/layout_set.h"
#include "fields/layout_writers.h"
#include "fields/u_dlm.h"

namespace qvr {

namespace {
const char kNoDefinitionFile[] = "<No file recalled or saved>";
// Layouts come with the data in the forms their makers keep; the table is saved as a .tab or for csvkit.
QString recall_filter() {
    return QStringLiteral(
        "Delimiter file|*.tab|COBOL copybook|*.cpy;*.cob;*.cbl;*.copy|csvkit schema|*.csv|SAS program|*.sas|"
        "SPSS syntax|*.sps;*.spss|Stata dictionary|*.dct|Layout set (record types)|*.tabs");
}
QString save_filter() { return QStringLiteral("Delimiter file|*.tab|csvkit schema|*.csv"); }
// Tables per record type are saved together as one layout set.
QString set_save_filter() { return QStringLiteral("Layout set (record types)|*.tabs"); }
}  // namespace

FieldCommands::FieldCommands(Desktop& desktop, Tfrm_dlm& dlm, FileDialogState& open_dialog,
                             FileDialogState& save_dialog, const MemoryProbe& memory, FieldSteps steps)
    : desktop_(desktop),
      dlm_(dlm),
      open_dialog_(open_dialog),
      save_dialog_(save_dialog),
      memory_(memory),
      steps_(std::move(steps)) {}

void FieldCommands::new_table() {
    steps_.show_fields_definition();
    // Nothing records whether the table was saved, so the question comes every time.
    if (desktop_.message_box(BoxKind::confirmation, QStringLiteral("Is the former fields definition saved?"),
                             kYes | kNo) != kYes)
        return;
    dlm_.clear_record_types();
    dlm_.field_table().reset_to_default();
    steps_.definition_file_named(kNoDefinitionFile);
}

void FieldCommands::recall() {
    steps_.show_fields_definition();
    open_dialog_.file_name.clear();
    open_dialog_.filter = recall_filter();
    if (!desktop_.open_file(open_dialog_)) return;
    const std::string path = from_path_text(open_dialog_.file_name);
    // The whole file is read before the table changes, so a bad file leaves the table as it was.
    std::vector<FieldTable::Row> rows;
    try {
        if (is_layout_set_file(path)) {
            recall_set(path);
            return;
        }
        const LayoutForm form = layout_file_form(path);
        if (form == LayoutForm::tab) {
            rows = read_definition_file(path, memory_.available());
        } else {
            const std::optional<std::vector<FieldTable::Row>> imported = imported_rows(path, form);
            if (!imported) return;
            rows = *imported;
        }
    } catch (const LayoutError& e) {  // the file named as the user chose it
        show_general_error(desktop_, path + ", line " + std::to_string(e.line()) + ": " + e.reason());
        return;
    } catch (const UserError& e) {  // unreadable, or a number or a type that is none
        show_general_error(desktop_, e.what());
        return;
    }
    if (rows.empty()) {
        desktop_.message_box(BoxKind::information,
                             QStringLiteral("The file %1 holds no field definition. The fields definition "
                                            "is left as it was.")
                                 .arg(open_dialog_.file_name),
                             kOk);
        return;
    }
    dlm_.clear_record_types();
    dlm_.field_table().assign_rows(std::move(rows));
    steps_.definition_file_named(path);
}

void FieldCommands::recall_set(const std::string& path) {
    const LayoutSet set = read_layout_set(path);
    for (const TypeTable& t : set.tables)
        if (t.rows.empty()) {
            desktop_.message_box(
                BoxKind::information,
                to_widget_text("The layout set " + path + " has a record type without fields ('" + t.value +
                               "'). The fields definition is left as it was."),
                kOk);
            return;
        }
    if (set.tables.empty()) {
        desktop_.message_box(BoxKind::information,
                             QStringLiteral("The file %1 holds no field definition. The fields definition "
                                            "is left as it was.")
                                 .arg(open_dialog_.file_name),
                             kOk);
        return;
    }
    dlm_.set_layout_set(set);
    steps_.definition_file_named(path);
}

std::optional<std::vector<FieldTable::Row>> FieldCommands::imported_rows(const std::string& path,
                                                                         LayoutForm form) {
    const ImportedLayout layout = read_layout_file(path, form);
    std::string record_name;
    if (layout.records.size() > 1) {
        // A copybook of several 01 levels: the user says which record the table cuts.
        QString names;
        for (const ImportedRecord& r : layout.records)
            names += (names.isEmpty() ? "" : ", ") + to_widget_text(r.name);
        const std::optional<QString> answer = desktop_.input_box(
            QStringLiteral("Recall file"),
            QStringLiteral("The file describes several records (%1). Which one?").arg(names),
            to_widget_text(layout.records[0].name));
        if (!answer) return std::nullopt;
        record_name = from_widget_text(*answer);
    }
    return layout_field_rows(chosen_record(layout, record_name), path);
}

void FieldCommands::save_as() {
    if (dlm_.has_record_types()) {
        save_set();
        return;
    }
    save_dialog_.filter = save_filter();
    save_dialog_.default_ext = QStringLiteral("tab");
    if (!desktop_.save_file(save_dialog_)) return;
    const std::string path = from_path_text(save_dialog_.file_name);
    const bool csvkit = guess_layout_form(path, {}) == LayoutForm::csvkit;
    // A schema counts columns from its first one: a start of 0 would be written as column -1.
    if (csvkit && !dlm_.table_check()) return;
    try {
        if (csvkit)
            replace_file_safely(path, layout_csvkit_text(layout_record_of(dlm_.field_table())));
        else
            write_definition_file(path, dlm_.field_table());
    } catch (const UserError& e) {
        show_general_error(desktop_, e.what());
        return;
    }
    steps_.definition_file_named(path);
}

void FieldCommands::save_set() {
    LayoutSet set;
    try {
        set = dlm_.layout_set();
    } catch (const UserError& e) {
        desktop_.message_box(BoxKind::information, to_widget_text(e.what()), kOk);
        return;
    }
    save_dialog_.filter = set_save_filter();
    save_dialog_.default_ext = QStringLiteral("tabs");
    if (!desktop_.save_file(save_dialog_)) return;
    const std::string path = from_path_text(save_dialog_.file_name);
    try {
        write_layout_set(path, set);
    } catch (const UserError& e) {
        show_general_error(desktop_, e.what());
        return;
    }
    steps_.definition_file_named(path);
}

std::function<void(std::uint64_t)> FieldCommands::gauge_for(std::uint64_t size) {
    return [this, size](std::uint64_t bytes) {
        steps_.gauge(size > 0 ? static_cast<int>(std::min<std::uint64_t>(100, bytes * 100 / size)) : 0);
    };
}

namespace {
/// The size the gauge is scaled by; 0 when unknown (the reader then reports why it cannot read).
std::uint64_t size_of(const std::string& path) {
    std::error_code ignored;
    const auto size = std::filesystem::file_size(path, ignored);
    return ignored ? 0 : static_cast<std::uint64_t>(size);
}
}  // namespace

void FieldCommands::detect_from_input() {
    steps_.show_fields_definition();
    if (dlm_.table_changed() &&
        desktop_.message_box(BoxKind::confirmation, QStringLiteral("Is the former fields definition saved?"),
                             kYes | kNo) != kYes)
        return;
    const std::string path = steps_.input_path();
    FieldDetection found;
    try {
        const BusyCursor busy;
        steps_.gauge(0);
        StopRequest stop;
        RunStopGuard guard(steps_.stop_button, stop);
        const auto gauge = gauge_for(size_of(path));
        found = detect_fields(path, steps_.input_encoding(), 0, [&](std::uint64_t bytes) {
            gauge(bytes);
            guard.poll();
            check_stop(&stop);
        });
        steps_.gauge(-1);
    } catch (const RunStopped&) {
        // The user asked: the table stays as it was, and nothing is told.
        steps_.gauge(-1);
        return;
    } catch (const FileError& e) {
        steps_.gauge(-1);
        show_general_error(desktop_, e.what());
        return;
    }
    const QString file = to_widget_text(path);
    if (found.binary || found.table.row_count() == 0) {
        desktop_.message_box(
            BoxKind::information,
            (found.binary ? QStringLiteral("The file %1 holds binary data, not fixed-column text.")
                          : QStringLiteral("The file %1 holds no text to find fields in."))
                    .arg(file) +
                QStringLiteral(" The fields definition is left as it was."),
            kOk);
        return;
    }
    std::vector<FieldTable::Row> rows = found.table.rows();
    for (std::size_t i = 0; i < rows.size() && i < found.types.size(); ++i) rows[i].type = found.types[i];
    dlm_.field_table().assign_rows(std::move(rows));
    steps_.table_unsaved(kNoDefinitionFile);
    if (found.wider)
        desktop_.message_box(BoxKind::information, to_widget_text(wider_than_looked_at_text(found)), kOk);
}

void FieldCommands::check_against_input() {
    const std::string path = steps_.input_path();
    LayoutCheck check;
    try {
        const BusyCursor busy;
        steps_.gauge(0);
        check = check_layout(path, steps_.input_encoding(), dlm_.field_table(), gauge_for(size_of(path)));
        steps_.gauge(-1);
    } catch (const FileError& e) {
        steps_.gauge(-1);
        show_general_error(desktop_, e.what());
        return;
    }
    desktop_.show_text(QStringLiteral("Check against input"),
                       to_widget_text("Input file: " + path + "\n" + check.report));
}

}  // namespace qvr
