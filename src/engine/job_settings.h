#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/code_page.h"
#include "common/record_reader.h"
#include "common/text_convert.h"
#include "common/text_encoding.h"

namespace qvr {

/// One job's settings as the General data window holds them, read into plain values when a command runs.
struct JobSettings {
    std::string input_path;
    std::string separator_text = ";";  ///< the separator box as it reads ("<Tab>" while the tab box is on)
    bool tab_separator = false;
    std::string definition_file_name = "<none>";
    bool fast = false;
    std::string output_path;
    std::string sample_text = "0";
    bool header = true;
    bool sorted = false;
    bool unique = false;
    bool trim = false;
    bool numbers = false;
    std::string lower_bound;
    std::string upper_bound;
    std::string contains;
    TextEncoding encoding = TextEncoding::cp1252;
    bool quote_fields = false;      ///< a field holding the separator, a quote, CR or LF is quoted
    std::string line_end = "\r\n";  ///< what ends every line written
    OutputEncoding output_encoding = OutputEncoding::same;  ///< what the result is written in
    /// The encoding is settled by the input's first block, not `encoding` (standard input, which cannot be
    /// read twice to propose one).
    bool encoding_from_first_block = false;
    /// A value that its field's type cannot read fails the run, instead of being written empty.
    bool strict = false;
    /// The output's name in the list of outputs ("text", "sqlite", "xlsx"), and for a database or a
    /// workbook the table or sheet it writes (empty: the input's base name).
    std::string output_format = "text";
    std::string output_table;
    bool replace_table = false;  ///< a table of that name in the database is replaced
    RecordFraming framing{};     ///< how records are framed, and the header and trailer ones left out
    std::optional<CodePage> code_page{};  ///< the input is in this code page: a byte a column, decoded
    /// What General data's record boxes hold that cannot be used, said for the user; empty when fine.
    std::string framing_problem{};

    /// The text put between two fields: a tab while the tab separator is on, else the box's text.
    std::string separator() const { return tab_separator ? std::string("\t") : separator_text; }
    /// Whether quoting meets a quote in the separator, where it would read as the start of a quoted
    /// field: such a result could not be read back.
    bool quotes_in_separator() const { return quote_fields && separator().find('"') != std::string::npos; }

    /// The most lines that may pass the filter; 0 or less means no limit.
    std::int32_t sample_size() const;
};

/// The framing as General data's record boxes hold it: the format chosen, and the record length and the
/// counts of header and trailer records as typed (an empty count is 0).
struct FramingTexts {
    RecordFormat format = RecordFormat::lines;
    std::string length;
    std::string skip_first;
    std::string skip_last;
};

/// Reads the texts strictly (a typing slip is told, not read as 0) into `framing`; returns what is wrong,
/// a sentence for the user, or empty when every value can be used.
std::string read_framing(const FramingTexts& texts, RecordFraming& framing);

}  // namespace qvr
