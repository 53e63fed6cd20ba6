#include <QApplication>
#include <QColor>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>

#include "common/file_error.h"
#include "common/file_names.h"
#include "dbase/dbf_export.h"
#include "dbase/dbf_job.h"
#include "dbase/strict_number.h"
#include "desktop/busy_cursor.h"
#include "desktop/widget_text.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "shell/u_qvr32.h"

namespace qvr {

namespace {

const char* const kNameCaption = "File already exists";
const char* const kNamePrompt = "Change name if wanted";

void inform(Desktop& desktop, const QString& text) { desktop.message_box(BoxKind::information, text, kOk); }

/// The checked lengths of the table, or nothing when the table was refused (and the user told why).
std::optional<std::vector<std::int32_t>> checked_lengths(Tmdi_qvr& mdi) {
    DbfLimits limits = check_dbf_table(mdi.values().generated_line_count, mdi.frm_dlm->field_table());
    if (limits.refusal == DbfRefusal::none) return limits.lengths;
    inform(mdi.desktop(), QString::fromLatin1(dbf_refusal_text(limits)));
    return std::nullopt;
}

/// The table's file name beside the input; when a file of that name exists the user may change it. Nothing
/// when the user emptied the name.
std::optional<std::string> table_name(Tmdi_qvr& mdi, const std::string& input_path) {
    std::string name = dbf_table_name(input_path);
    if (file_exists(name)) {
        name = from_widget_text(mdi.desktop().input_box(
            QString::fromLatin1(kNameCaption), QString::fromLatin1(kNamePrompt), to_widget_text(name)));
        if (trim_blanks(name).empty()) return std::nullopt;
    }
    return name;
}

/// Writes the table and tells the user; a failure reaches the caller with the gauge hidden.
void write_table(Tmdi_qvr& mdi, DbfExportJob job) {
    Tfrm_gen& gen = *mdi.frm_gen;
    const std::uint64_t expected = job.record_count;
    const std::string name = job.target;
    BusyCursor busy;
    try {
        DbfExport table(std::move(job));
        gen.set_gauge_colour(QColor(Qt::blue));
        gen.show_gauge(true);
        table.run(
            [&gen, expected](std::uint64_t lines) { gen.set_gauge(dbf_gauge_position(lines, expected)); });
    } catch (...) {
        gen.show_gauge(false);
        throw;
    }
    gen.set_gauge(100);
    busy.restore();
    inform(mdi.desktop(), to_widget_text(name + kDbfGeneratedSuffix));
    gen.show_gauge(false);
}

void export_dbf(Tmdi_qvr& mdi) {
    std::optional<std::vector<std::int32_t>> lengths = checked_lengths(mdi);
    if (!lengths) return;
    const JobSettings settings = mdi.frm_gen->settings();
    std::optional<std::string> name = table_name(mdi, settings.input_path);
    if (!name) return;
    // Replacing the input by its own table would destroy the very lines the table is made of.
    if (same_file(*name, settings.input_path)) {
        inform(mdi.desktop(), QString::fromLatin1(kDbfSameAsInputText));
        return;
    }
    write_table(mdi, dbf_export_job(mdi.frm_dlm->field_table(), settings, *lengths,
                                    mdi.values().generated_line_count, *name));
}

}  // namespace

void Tmdi_qvr::mnu_dbfClick() {
    show_general_data();
    try {
        export_dbf(*this);
    } catch (const FileError& e) {
        show_general_error(desktop(), e.what());
    } catch (const NotAWholeNumber& e) {
        show_general_error(desktop(), e.what());
    } catch (const std::bad_alloc&) {
        show_general_error(desktop(), std::strerror(ENOMEM));
    }
}

}  // namespace qvr
