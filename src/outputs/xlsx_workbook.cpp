#include "outputs/xlsx_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/output_file.h"
#include "common/utf8_chars.h"

namespace qvr {

namespace {

// ---- Cells

/// A workbook reads "_x0041_" in a text as the character it codes (the form controls are written in), so
/// such a sequence of the text itself has its "_" coded: "_x005F_x0041_".
void escape_coded_chars(std::string& text) {
    auto is_hex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    };
    for (std::size_t at = text.find("_x"); at != std::string::npos; at = text.find("_x", at + 1)) {
        if (text.size() - at < 7 || text[at + 6] != '_' ||
            !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at) + 2,
                         text.begin() + static_cast<std::ptrdiff_t>(at) + 6, is_hex))
            continue;
        text.insert(at + 1, "x005F_");
        at += 6;
    }
}

/// Excel's number format for `scale` decimals: "0" or "0.00".
/// Excel's number format for `scale` decimals: "0" or "0.00"; "General" shows each value's own.
std::string number_format(int scale) {
    return scale > 0 ? "0." + std::string(scale, '0') : scale < 0 ? "General" : "0";
}

/// A column as wide as its longest value or its name, in characters.
double column_width(const OutputColumn& column) {
    int chars = std::max(column.width, static_cast<int>(utf8_columns(column.name)));
    if (column.kind == ColumnKind::date) chars = std::max(chars, 10);
    return std::min(chars + 1, 255);
}

}  // namespace

XlsxWorkbookWriter::XlsxWorkbookWriter(XlsxWorkbookJob job) : job_(std::move(job)), utf8_(job_.encoding) {}

XlsxWorkbookWriter::~XlsxWorkbookWriter() { abandon(); }

std::string XlsxWorkbookWriter::sheet_name(const std::string& first, int number) {
    const std::string ending = number > 1 ? " (" + std::to_string(number) + ")" : "";
    const std::size_t room = LXW_SHEETNAME_MAX - ending.size();
    // Cut at a character, never inside one.
    const char* p = first.data();
    const char* const end = p + first.size();
    for (std::size_t chars = 0; p < end && chars < room; ++chars) p += utf8_char_size(p, end);
    return std::string(first.data(), p) + ending;
}

std::string XlsxWorkbookWriter::sheet_name_from(std::string_view base) {
    std::string name = sheet_name(std::string(base.empty() ? "Sheet1" : base), 1);
    for (char& c : name)
        if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos) c = '_';
    if (name.front() == '\'') name.front() = '_';
    if (name.back() == '\'') name.back() = '_';
    return name;
}

void XlsxWorkbookWriter::check(int error, std::string_view what) const {
    if (error != LXW_NO_ERROR)
        throw_file_error("Cannot write file", job_.path,
                         std::string(what) + ": " + lxw_strerror(static_cast<lxw_error>(error)));
}

void XlsxWorkbookWriter::begin() {
    // The name is checked before any file is made, so a refused name leaves nothing behind.
    const std::string first = job_.sheet.empty() ? "Sheet1" : job_.sheet;
    if (sheet_name_from(first) != first)
        throw UserError("'" + first +
                        "' cannot name a sheet: at most 31 characters, none of [ ] : * ? / \\, and no ' at "
                        "either end");
    job_.sheet = first;
    // The library writes its file by name: a device or a pipe is refused here.
    file_ = SafeFileWriter::for_library(job_.path);
    // Sheet data past 4 GB needs the zip's 64-bit form, which old readers lack: asked for only when the
    // widest full sheet could come near it (a cell's markup takes about 50 bytes besides its value).
    double sheet_bytes = 0;
    for (const OutputColumn& column : job_.columns) sheet_bytes += column.width * 3.0 + 50;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = sheet_bytes * job_.rows_per_sheet > 3.5e9 ? LXW_TRUE : LXW_FALSE;
    workbook_ = workbook_new_opt(file_->temp_path().c_str(), &options);
    if (!workbook_) throw_file_error("Cannot create file", job_.path, errno);
    bold_ = workbook_add_format(workbook_);
    format_set_bold(bold_);
    date_ = workbook_add_format(workbook_);
    format_set_num_format(date_, "yyyy-mm-dd");
    for (const OutputColumn& column : job_.columns) {
        lxw_format* format = nullptr;
        if (column.kind == ColumnKind::integer || column.kind == ColumnKind::decimal) {
            format = workbook_add_format(workbook_);
            format_set_num_format(
                format, number_format(column.kind == ColumnKind::decimal ? column.scale : 0).c_str());
        }
        number_formats_.push_back(format);
    }
    add_sheet();
}

void XlsxWorkbookWriter::add_sheet() {
    ++sheets_;
    const std::string name = sheet_name(job_.sheet, sheets_);
    sheet_ = workbook_add_worksheet(workbook_, name.c_str());
    if (!sheet_) check(LXW_ERROR_MEMORY_MALLOC_FAILED, name);
    for (std::size_t i = 0; i < job_.columns.size(); ++i) {
        const auto col = static_cast<lxw_col_t>(i);
        const OutputColumn& column = job_.columns[i];
        check(worksheet_set_column(sheet_, col, col, column_width(column), nullptr), name);
        if (!job_.header) continue;
        cell_ = utf8_(column.name);
        if (cell_.find("_x") != std::string::npos) escape_coded_chars(cell_);
        check(worksheet_write_string(sheet_, 0, col, cell_.c_str(), bold_), name);
    }
    if (job_.header) worksheet_freeze_panes(sheet_, 1, 0);
    sheet_rows_ = 0;
}

void XlsxWorkbookWriter::write_cell(std::uint32_t row, std::uint16_t col, const OutputColumn& column,
                                    std::string_view value) {
    const std::uint64_t data_row = rows_ + 1;
    switch (column.kind) {
        case ColumnKind::integer:
        case ColumnKind::decimal: {
            const int digits = checked_number_digits(column, data_row, value);
            cell_.assign(value);
            if (digits <= kExactNumberDigits) {
                check(worksheet_write_number(sheet_, row, col, std::strtod(cell_.c_str(), nullptr),
                                             number_formats_[col]),
                      column.name);
                return;
            }
            break;
        }
        case ColumnKind::date: {
            const IsoDate day = checked_iso_date(column, data_row, value);
            if (day.year >= 1900) {
                lxw_datetime date{day.year, day.month, day.day, 0, 0, 0};
                check(worksheet_write_datetime(sheet_, row, col, &date, date_), column.name);
                return;
            }
            cell_.assign(value);
            break;
        }
        case ColumnKind::text:
            cell_.assign(utf8_(value));
            if (cell_.find("_x") != std::string::npos) escape_coded_chars(cell_);
            break;
    }
    const int error = worksheet_write_string(sheet_, row, col, cell_.c_str(), nullptr);
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
        throw UserError(column.name + " (row " + std::to_string(data_row) +
                        "): the text is longer than a cell holds (32,767 characters)");
    check(error, column.name);
}

void XlsxWorkbookWriter::add_row(const std::vector<std::string_view>& values) {
    if (values.size() != job_.columns.size())
        throw UserError("Row " + std::to_string(rows_ + 1) + " has " + std::to_string(values.size()) +
                        " values for " + std::to_string(job_.columns.size()) + " columns");
    if (sheet_rows_ == job_.rows_per_sheet) add_sheet();
    const std::uint32_t row = sheet_rows_ + (job_.header ? 1 : 0);
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!values[i].empty()) write_cell(row, static_cast<std::uint16_t>(i), job_.columns[i], values[i]);
    ++sheet_rows_;
    ++rows_;
}

void XlsxWorkbookWriter::commit() {
    const lxw_error error = workbook_close(workbook_);  // frees it whatever the outcome
    workbook_ = nullptr;
    if (error != LXW_NO_ERROR) {
        const int err = errno;
        throw_file_error(
            "Cannot write file", job_.path,
            std::string(lxw_strerror(error)) + (err ? std::string(". ") + std::strerror(err) : ""));
    }
    file_->commit();
    file_.reset();
}

void XlsxWorkbookWriter::abandon() noexcept {
    if (workbook_) lxw_workbook_free(workbook_);
    workbook_ = nullptr;
    file_.reset();  // removes the file beside the target
}

std::string xlsx_sheets_text(const XlsxWorkbookWriter& workbook, std::string_view first_sheet,
                             std::uint32_t rows_per_sheet) {
    if (workbook.sheets() <= 1) return {};
    const std::string first(first_sheet);
    return "The rows fill " + std::to_string(workbook.sheets()) + " sheets of " +
           std::to_string(rows_per_sheet) + " rows: " + XlsxWorkbookWriter::sheet_name(first, 1) + " to " +
           XlsxWorkbookWriter::sheet_name(first, workbook.sheets());
}

}  // namespace qvr
