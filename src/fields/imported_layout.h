#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_error.h"
#include "fields/field_table.h"

namespace qvr {

/// One field of a layout read from another program's description of the same file.
struct ImportedField {
    std::string name;
    std::int64_t start = 1;     ///< first column, counted from 1
    std::int64_t length = 0;    ///< in columns (bytes for packed and binary fields)
    std::string type = "text";  ///< the type as a layout file spells it: text, int, dec(2), zoned(2)...
    int line = 0;               ///< where the source file declares it
};

/// One kind of record of the file (a copybook's 01 level); most forms describe a single one.
struct ImportedRecord {
    std::string name;
    int line = 0;
    std::int64_t length = 0;  ///< columns the record spans, fillers and overlapping areas included
    std::vector<ImportedField> fields;
};

struct ImportedLayout {
    std::vector<ImportedRecord> records;
};

/// The forms a layout is read from and written to.
enum class LayoutForm { tab, cobol, csvkit, sas, spss, stata, sql, spark_sql, pandas };

/// A layout text that says something this reader does not understand; what() names the file and line.
class LayoutError : public UserError {
  public:
    LayoutError(const std::string& file, int line, const std::string& message)
        : UserError(file + ", line " + std::to_string(line) + ": " + message),
          file_(file),
          line_(line),
          reason_(message) {}
    const std::string& file() const { return file_; }
    int line() const { return line_; }
    /// What is wrong, without the file and line, for whoever names the place in its own words.
    const std::string& reason() const { return reason_; }

  private:
    std::string file_;
    int line_;
    std::string reason_;
};

/// The form named by a word of the command line (cobol, csvkit, sas, spss, stata, tab, sql, spark-sql,
/// pandas).
std::optional<LayoutForm> layout_form_named(std::string_view word);

/// The form of a layout file, from its extension and else from its text (a text that reads as a field
/// definition file is one); none when neither tells.
std::optional<LayoutForm> guess_layout_form(const std::string& path, std::string_view text);

/// The form of the layout file at `path` for the readers of a field table, which have always taken any
/// file as a field definition file: the form its extension or text tells, else tab (whose reader then
/// says what is wrong with it). Throws FileError.
LayoutForm layout_file_form(const std::string& path);

/// Reads a layout text of the given form (not SQL or pandas, which are only written). `file` names it
/// in messages. Throws LayoutError.
ImportedLayout parse_layout(std::string_view text, LayoutForm form, const std::string& file);

/// The COBOL copybook reader: fixed format (sequence area in columns 1 to 6, indicator in column 7, text
/// up to column 72). Fields keep their own (leaf) names; a name met again in the same record gets _2, _3.
ImportedLayout parse_copybook(std::string_view text, const std::string& file);

/// csvkit's schema CSV (column,start,length in any order, other columns ignored); the starts count from
/// 0 unless the first one is 1, as csvkit's in2csv reads them.
ImportedLayout parse_csvkit_schema(std::string_view text, const std::string& file);

/// The INPUT statement of a SAS program (column and formatted input).
ImportedLayout parse_sas_input(std::string_view text, const std::string& file);

/// The DATA LIST FIXED command of an SPSS syntax file.
ImportedLayout parse_spss_data_list(std::string_view text, const std::string& file);

/// A Stata dictionary (.dct).
ImportedLayout parse_stata_dictionary(std::string_view text, const std::string& file);

/// Reads a whole layout file; `form` unset: guessed. Throws FileError, LayoutError.
ImportedLayout read_layout_file(const std::string& path, std::optional<LayoutForm> form);

/// The rows of a field table for the record, as the field definition file holds them: names cut to the
/// 10 columns the file keeps (made unique with ~2, ~3 where cutting makes them meet), the end derived,
/// the type read from its spelling. Throws LayoutError naming `file` and the field's line for a spelling
/// the type library refuses.
std::vector<Field> layout_field_rows(const ImportedRecord& record, const std::string& file);

/// The table as one record for the writers of other forms: names without the blanks that fill their
/// columns, numbers by the whole-number reading, types by their spellings.
ImportedRecord layout_record_of(const FieldTable& table);

}  // namespace qvr
