#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/whole_number.h"
#include "fields/field_table.h"

namespace qvr {

/// A number of a field definition file that is none: what() is NotAWholeNumber's, so whoever shows that text
/// shows it unchanged, and line() says where it stands for whoever names the place.
class DefinitionNumberError : public NotAWholeNumber {
  public:
    DefinitionNumberError(std::string_view text, std::uint64_t line) : NotAWholeNumber(text), line_(line) {}
    /// The line of the file holding the number, from 1 (CR LF, CR and LF each end one).
    std::uint64_t line() const { return line_; }

  private:
    std::uint64_t line_;
};

/// The bytes of the field definition file for `table`: one 25-character line per row (name in 10
/// columns, then start, length and end in 5 each), each ending in CR LF. A number of 5 or more digits
/// is written whole with one blank after it, and a numeric cell that holds no whole number as "0", so
/// that the file always reads back as the table the program works with. A field of another type than
/// text has its type's spelling after the end position.
std::string definition_file_text(const FieldTable& table);

/// The rows held by the text of a field definition file. The name is the first 10 characters of a line
/// (fewer when the line ends before); then three whole numbers follow, each after any run of characters
/// of code 32 or less (line ends included), a missing one at the end of the file reading 0. A type's
/// spelling may follow on the line (text when none); other text there is skipped with the rest of the
/// line. Ctrl+Z ends the file. Throws NotAWholeNumber for a number that is not one, and NotAFieldType
/// for a spelling that begins with a type's word and is none ("dec(x)").
std::vector<FieldTable::Row> parse_definition_text(std::string_view text);

/// Reads the whole field definition file at `path`; throws FileError when it cannot be read,
/// DefinitionNumberError when its numbers are not whole numbers and NotAFieldType for a bad type. A file
/// whose text and rows would take more than `memory_available` bytes (some other file chosen by mistake) is
/// refused with the system's out-of-memory reason before it is held: on this platform running out of memory
/// ends the process.
std::vector<FieldTable::Row> read_definition_file(const std::string& path, std::uint64_t memory_available);

/// Writes `table` to `path` through a file beside it that replaces it only once complete, so a failure
/// leaves the former file as it was. Throws FileError.
void write_definition_file(const std::string& path, const FieldTable& table);

}  // namespace qvr
