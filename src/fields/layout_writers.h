#pragma once

#include <string>
#include <string_view>

#include "fields/imported_layout.h"

namespace qvr {

/// The record a one-record form is written from: the one named (a copybook's 01 level), or the only one.
/// Throws UserError when the name is unknown, or none is given where there are several.
const ImportedRecord& chosen_record(const ImportedLayout& layout, std::string_view name);

/// The field definition file of the record: today's bytes, the rows of layout_field_rows(); a typed
/// field's type follows its end. Throws LayoutError naming `file` for a type that is none.
std::string layout_tab_text(const ImportedRecord& record, const std::string& file);

/// A csvkit schema (column,start,length) that in2csv reads as meant: starts counted from 0. A first
/// field at column 2 would read as counted from 1, so a field that starts elsewhere is put first.
std::string layout_csvkit_text(const ImportedRecord& record);

/// One query per record cutting a table `lines` of one text column `line` (a row per line of the file)
/// with substr(), with casts for typed fields; the same text runs in SQLite, DuckDB and Spark SQL but for
/// the quotes around names: "Name" as the standard has them, or `Name` for Spark SQL (`backticks`).
std::string layout_sql_text(const ImportedLayout& layout, bool backticks = false);

/// A Python function reading the file with pandas' read_fwf, every column as text.
std::string layout_pandas_text(const ImportedRecord& record);

}  // namespace qvr
