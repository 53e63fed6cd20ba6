#include <QApplication>
#include <QColor>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>

#include "common/file_error.h"
#include "common/file_names.h"
#include "dbase/dbf_export.h"
#include "dbase/dbf_limits.h"
#include "dbase/strict_number.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "shell/busy_cursor.h"
#include "shell/u_qvr32.h"
#include "shell/widget_text.h"

namespace qvr {

namespace {

const char* const kTooManyRecords = "DBF file: not more than 16,700,000 records";
const char* const kFieldsTooLong = "Total fields length: not more than 254";
const char* const kSameAsInput = "Input and DBF files must be different.";
const char* const kNameCaption = "File already exists";
const char* const kNamePrompt = "Change name if wanted";
const char* const kGenerated = " generated";

QString length_below_one_text(int row) {
    return QStringLiteral("DBF file: the length of row %1 must be at least 1.").arg(row);
}

void inform(Desktop& desktop, const QString& text) { desktop.message_box(BoxKind::information, text, kOk); }

/// The checked lengths of the table, or nothing when the table was refused (and the user told why).
std::optional<std::vector<std::int32_t>> checked_lengths(Tmdi_qvr& mdi) {
    const FieldTable& table = mdi.frm_dlm->field_table();
    std::vector<std::string> cells;
    for (int row = 1; row <= table.row_count(); ++row) cells.push_back(table.cell(FieldTable::kLength, row));
    DbfLimits limits = check_dbf_limits(mdi.values().generated_line_count, cells);
    switch (limits.refusal) {
        case DbfRefusal::none:
            return limits.lengths;
        case DbfRefusal::too_many_records:
            inform(mdi.desktop(), QString::fromLatin1(kTooManyRecords));
            break;
        case DbfRefusal::length_below_one:
            inform(mdi.desktop(), length_below_one_text(limits.row));
            break;
        case DbfRefusal::fields_too_long:
            inform(mdi.desktop(), QString::fromLatin1(kFieldsTooLong));
            break;
    }
    return std::nullopt;
}

/// The table's file name beside the input; when a file of that name exists the user may change it. Nothing
/// when the user emptied the name.
std::optional<std::string> table_name(Tmdi_qvr& mdi, const std::string& input_path) {
    std::string name = with_replaced_extension(input_path, ".dbf");
    if (file_exists(name)) {
        name = from_widget_text(mdi.desktop().input_box(
            QString::fromLatin1(kNameCaption), QString::fromLatin1(kNamePrompt), to_widget_text(name)));
        if (trim_blanks(name).empty()) return std::nullopt;
    }
    return name;
}

DbfExportJob make_job(Tmdi_qvr& mdi, const JobSettings& settings, const std::vector<std::int32_t>& lengths) {
    const FieldTable& table = mdi.frm_dlm->field_table();
    DbfExportJob job;
    job.input_path = settings.input_path;
    for (int row = 1; row <= table.row_count(); ++row) {
        const std::size_t i = static_cast<std::size_t>(row - 1);
        job.columns.push_back({{dbf_field_name(table.cell(FieldTable::kName, row), row), lengths[i]},
                               table.cell(FieldTable::kStart, row)});
    }
    job.trim = settings.trim;
    job.filter = {settings.contains, settings.lower_bound, settings.upper_bound};
    job.record_count = static_cast<std::uint32_t>(mdi.values().generated_line_count);
    return job;
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
    inform(mdi.desktop(), to_widget_text(name + kGenerated));
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
        inform(mdi.desktop(), QString::fromLatin1(kSameAsInput));
        return;
    }
    DbfExportJob job = make_job(mdi, settings, *lengths);
    job.target = *name;
    write_table(mdi, std::move(job));
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
