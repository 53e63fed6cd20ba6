#include "fields/u_field_commands.h"

#include "common/available_memory.h"
#include "common/file_error.h"
#include "desktop/widget_text.h"
#include "fields/definition_file.h"
#include "fields/u_dlm.h"

namespace qvr {

namespace {
const char kNoDefinitionFile[] = "<No file recalled or saved>";
QString delimiter_filter() { return QStringLiteral("Delimiter file|*.tab"); }
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
    dlm_.field_table().reset_to_default();
    steps_.definition_file_named(kNoDefinitionFile);
}

void FieldCommands::recall() {
    steps_.show_fields_definition();
    open_dialog_.file_name.clear();
    open_dialog_.filter = delimiter_filter();
    if (!desktop_.open_file(open_dialog_)) return;
    const std::string path = from_widget_text(open_dialog_.file_name);
    // The whole file is read before the table changes, so a bad file leaves the table as it was.
    std::vector<FieldTable::Row> rows;
    try {
        rows = read_definition_file(path, memory_.available());
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
        return;
    } catch (const NotAWholeNumber& e) {
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
    dlm_.field_table().assign_rows(std::move(rows));
    steps_.definition_file_named(path);
}

void FieldCommands::save_as() {
    save_dialog_.filter = delimiter_filter();
    save_dialog_.default_ext = QStringLiteral("tab");
    if (!desktop_.save_file(save_dialog_)) return;
    const std::string path = from_widget_text(save_dialog_.file_name);
    try {
        write_definition_file(path, dlm_.field_table());
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
        return;
    }
    steps_.definition_file_named(path);
}

}  // namespace qvr
