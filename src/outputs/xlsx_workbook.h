#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_error.h"
#include "common/output_file.h"
#include "outputs/output_column.h"

namespace qvr {

class DeflateThread;
class DeflatedFile;

/// The data rows of a sheet: its 1,048,576 rows less the header.
inline constexpr std::uint32_t kXlsxDataRowsPerSheet = 1'048'575;

/// Where a workbook goes and what it holds.
struct XlsxWorkbookJob {
    std::string path;
    /// The first sheet's name, in UTF-8; the rows a sheet cannot hold go on "NAME (2)"...
    std::string sheet;
    std::vector<OutputColumn> columns;
    TextEncoding encoding = TextEncoding::utf8;  ///< of the values; a workbook holds UTF-8
    std::uint32_t rows_per_sheet = kXlsxDataRowsPerSheet;
    bool header = true;  ///< each sheet starts with the column names
};

/// Writes a workbook row by row with one row in memory: each sheet's markup is deflated on another thread
/// as it is made, into a file without a name beside the target, and the archive is put together from them
/// at the end. Each sheet starts with the column names, bold, frozen above the
/// rows; numbers are number cells, dates date cells, texts text cells (`00123` stays a code). A full sheet
/// goes on in a next sheet with the same header, so no row is ever lost to the sheet size.
///
/// A number of more than 15 significant digits is a text cell: a workbook's numbers hold 15 and would
/// round it. A date before 1900, which a workbook's dates cannot hold, is a text cell too.
///
/// The workbook is made beside its target and replaces it only when complete, as every result.
class XlsxWorkbookWriter {
  public:
    explicit XlsxWorkbookWriter(XlsxWorkbookJob job);
    /// A writer of further sheets of `first`'s workbook (`job.path` is not used), its rows written as they
    /// come between those of the others: a sheet per record type. The workbook is put in place when every
    /// writer of it has committed, and not at all when one abandons.
    XlsxWorkbookWriter(XlsxWorkbookJob job, XlsxWorkbookWriter& first);
    ~XlsxWorkbookWriter();
    XlsxWorkbookWriter(const XlsxWorkbookWriter&) = delete;
    XlsxWorkbookWriter& operator=(const XlsxWorkbookWriter&) = delete;

    /// Starts the workbook beside the target (the first writer of it) and this writer's first sheet. Throws
    /// UserError for a sheet name a workbook refuses or holds already, FileError when no file can be made
    /// there.
    void begin();
    /// Writes one row, a value per column (an empty one is an empty cell). Throws UserError naming the
    /// column and row for a value its column cannot hold.
    void add_row(const std::vector<std::string_view>& values);
    /// Writes the workbook out and puts it in the target's place (at the last of its writers' commits).
    void commit();
    /// Drops the workbook; the target stays as it was.
    void abandon() noexcept;

    std::uint64_t rows() const { return rows_; }
    int sheets() const { return sheets_; }
    /// Bytes of a UTF-8 input that started no character, written as U+FFFD.
    std::uint64_t replaced_chars() const { return utf8_.replaced(); }

    /// The name of sheet `number` (from 1) of a workbook whose first sheet is `first`: `first`, then
    /// "first (2)"..., cut so that it stays within a sheet name's 31 characters.
    static std::string sheet_name(const std::string& first, int number);

    /// A sheet name made of `base` (the input's name): cut to 31 characters, each character a sheet name
    /// may not hold ([ ] : * ? / \ and a ' at either end) written as "_".
    static std::string sheet_name_from(std::string_view base);

  private:
    void add_sheet();
    /// Ends the markup of the sheet being written and has the rest of it deflated.
    void end_sheet();
    /// Writes the cell of `value` in column `col`; `gap`: an empty cell came before it in the row.
    void write_cell(std::size_t col, std::string_view value, bool gap);
    void write_text_cell(std::size_t col, std::string_view text, bool gap, std::string_view style);
    /// Puts `<c` and, after a gap, the cell's reference.
    char* start_cell(char* out, std::size_t col, bool gap);

    struct Book;  // what the writers of one workbook share
    XlsxWorkbookJob job_;
    std::shared_ptr<Book> book_;
    DeflatedFile* part_ = nullptr;  // the markup of the sheet being written
    bool begun_ = false;
    std::vector<std::string> letters_;        // per column: "A", "B"...
    std::vector<std::string> number_styles_;  // per column: ` s="3"` for its numbers
    std::uint32_t sheet_rows_ = 0;
    std::uint64_t rows_ = 0;
    int sheets_ = 0;
    Utf8Values utf8_;
    std::string cell_;
    char row_number_[16];  // of the row being written, for the cells' references
    std::size_t row_number_size_ = 0;
};

/// What the user is told after the rows of a workbook: nothing when one sheet held them, else which
/// sheets they fill ("The rows fill 3 sheets, of 1,048,575 rows each: Data, Data (2), Data (3)").
std::string xlsx_sheets_text(const XlsxWorkbookWriter& workbook, std::string_view first_sheet,
                             std::uint32_t rows_per_sheet = kXlsxDataRowsPerSheet);

}  // namespace qvr
