#include <new>

#include "common/available_memory.h"
#include "common/file_error.h"
#include "desktop/widget_text.h"
#include "engine/u_gen.h"
#include "fields/definition_file.h"
#include "fields/u_dlm.h"
#include "shell/u_qvr32.h"

namespace qvr {

namespace {
const char kNoDefinitionFile[] = "<No file recalled or saved>";
QString delimiter_filter() { return QStringLiteral("Delimiter file|*.tab"); }
}  // namespace

void Tmdi_qvr::mnu_fdnClick() {
    show_fields_definition();
    // Nothing records whether the table was saved, so the question comes every time.
    if (desktop_.message_box(BoxKind::confirmation, QStringLiteral("Is the former fields definition saved?"),
                             kYes | kNo) != kYes)
        return;
    frm_dlm->field_table().reset_to_default();
    frm_dlm->set_file_label(kNoDefinitionFile);
    frm_gen->set_definition_file_name(kNoDefinitionFile);
}

void Tmdi_qvr::Recall1Click() {
    show_fields_definition();
    opdlg_file.file_name.clear();
    opdlg_file.filter = delimiter_filter();
    if (!desktop_.open_file(opdlg_file)) return;
    const std::string path = from_widget_text(opdlg_file.file_name);
    // The whole file is read before the table changes, so a bad file leaves the table as it was.
    std::vector<FieldTable::Row> rows;
    try {
        rows = read_definition_file(path, available_memory ? available_memory() : qvr::available_memory());
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
        return;
    } catch (const DefinitionFileError& e) {
        show_general_error(desktop_, e.what());
        return;
    }
    if (rows.empty()) {
        desktop_.message_box(BoxKind::information,
                             QStringLiteral("The file %1 holds no field definition. The fields definition "
                                            "is left as it was.")
                                 .arg(opdlg_file.file_name),
                             kOk);
        return;
    }
    frm_dlm->field_table().assign_rows(std::move(rows));
    frm_gen->set_definition_file_name(path);
    frm_dlm->set_file_label(path);
}

void Tmdi_qvr::SaveAs1Click() {
    SVDLG_FILE.filter = delimiter_filter();
    SVDLG_FILE.default_ext = QStringLiteral("tab");
    if (!desktop_.save_file(SVDLG_FILE)) return;
    const std::string path = from_widget_text(SVDLG_FILE.file_name);
    try {
        write_definition_file(path, frm_dlm->field_table());
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
        return;
    }
    frm_dlm->set_file_label(path);
    frm_gen->set_definition_file_name(path);
}

}  // namespace qvr
