#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_encoding.h"
#include "dbase/dbf_layout.h"
#include "dbase/dbf_sink.h"
#include "engine/line_cutter.h"

namespace qvr {

/// One column of the table as the export takes it from a field table row.
struct DbfColumn {
    DbfField field;          ///< descriptor name and checked length
    std::string start_text;  ///< the "Start position" cell, read strictly when the first line is cut
};

/// Everything an export needs, read from the windows when the command runs.
struct DbfExportJob {
    std::string input_path;
    std::string target;  ///< the table's file name
    std::vector<DbfColumn> columns;
    bool trim = false;  ///< the filter line is trimmed field by field; records never are
    LineFilter filter;
    std::uint32_t record_count = 0;  ///< the count announced before the records are written
    /// In UTF-8 the columns are characters, written in the table as Windows-1252.
    TextEncoding encoding = TextEncoding::cp1252;
    bool encoding_from_first_block = false;  ///< see JobSettings
    /// One per column: numbers and dates go into N and D columns; empty: every column is text.
    std::vector<FieldType> types{};
    std::vector<std::string> names{};  ///< the fields' names as the user gave them, for messages
    bool strict = false;      ///< a value its type cannot read fails the export; the former table stays
    RecordFraming framing{};  ///< see JobSettings
    std::optional<CodePage> code_page{};  ///< see JobSettings
};

/// Why a table is not sent into something that cannot go back (a pipe) when no run counted its records.
inline constexpr std::string_view kUncountedIntoAPipe =
    "It cannot go back to write the record count, and no run has counted the records";

/// Told after every input line, accepted or not, how many lines have been read.
using DbfProgress = std::function<void(std::uint64_t lines_read)>;

/// The gauge position after `lines_read` of about `expected` lines: 15 to 99. Without an expected count
/// there is nothing to divide by, and the gauge stays at 15.
int dbf_gauge_position(std::uint64_t lines_read, std::uint64_t expected);

/// An input as a table's records are read from it.
struct DbfInput {
    std::string path;
    RecordFraming framing{};
    TextEncoding encoding = TextEncoding::cp1252;
    std::optional<CodePage> code_page{};
    std::size_t line_prefix = 0;  ///< the bytes of a line that the fields read
};

/// The widest value of each of the cutter's typed fields over the records of `input` that pass `filter`,
/// read in a pass of their own: what an N column needs to hold every one of them.
std::vector<NumberShape> dbf_number_shapes(const DbfInput& input, const LineCutter& cutter,
                                           const LineFilter& filter);

/// Writes a dBase III table of the input lines that pass the filter, in one forward pass with one line in
/// memory. The table is written beside its target and replaces it only when complete, so a failure
/// leaves a former file of that name as it was and no partial table.
class DbfExport {
  public:
    /// Starts the table beside the target and writes its header; throws FileError when it cannot.
    explicit DbfExport(DbfExportJob job);

    /// Reads the input line by line and writes the record of every line that passes the filter, then the
    /// end-of-file marker; corrects the header's record count to the records written and replaces the
    /// target. Returns the number of records written. Throws FileError on a read or write failure and
    /// NotAWholeNumber when a start position is not a whole number.
    std::uint64_t run(const DbfProgress& progress);

    /// Characters of a UTF-8 input that Windows-1252 lacks, written as "?".
    std::uint64_t replaced_chars() const { return sink_.replaced_chars(); }
    /// What the input held as UTF-8, once run() is done (encoding_line()).
    const Utf8Tally& input_text() const { return input_text_; }
    /// The encoding the columns were read in, once run() is done.
    TextEncoding encoding() const { return job_.encoding; }
    /// The values of typed columns that could not be read, written blank, once run() is done.
    const BadValueTally& bad_values() const { return bad_values_; }

  private:
    /// The records of `input` (`any`: it has one) into the table.
    template <class Source>
    void pass_all(Source& input, bool any, const DbfProgress& progress);
    /// The slices of the columns; their start positions are read only now, at the first line.
    std::vector<FieldSlice> read_slices() const;
    /// How much of a line the records and the filter read; nothing while a start position is not a
    /// number, since the first line then stops the export anyway.
    std::size_t line_prefix() const;
    /// The widest number of each typed column, read in a pass over the input before the table's.
    std::vector<NumberShape> number_shapes(const LineCutter& cutter) const;
    /// Whether the input is read through JobRecords (framed, skipped or decoded) rather than as lines.
    bool reads_records() const;

    DbfExportJob job_;
    DbfSink sink_;
    Utf8Tally input_text_;
    BadValueTally bad_values_;
};

}  // namespace qvr
