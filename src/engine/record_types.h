#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "common/text_encoding.h"
#include "fields/field_table.h"

namespace qvr {

/// The type value that takes the records of every type without a table of its own.
inline constexpr std::string_view kOtherTypes = "*";

/// A value carried down: the value of one field in the latest record of one type, put in front of the
/// rows of the other types (a batch header's number on its entries).
struct CarrySpec {
    std::string type;  ///< the type value of the records it is taken from
    FieldSlice field;  ///< the field in that type's table
    std::string name;  ///< the field's name, for the header line
};

/// Tells the table of each record from its type columns, in one pass over the input however many types.
/// The type value is the text of the type columns without leading and trailing blanks, decoded first
/// when the input is in a code page; the values of the tables are compared the same way. Records of a
/// type without a table go to the table of kOtherTypes when there is one, else they are counted by value
/// (never dropped unseen), and the run reports them (unknown_types_text()).
class RecordRouter {
  public:
    /// No table for the record.
    static constexpr std::size_t kNoTable = static_cast<std::size_t>(-1);
    /// The most distinct unknown values told apart; beyond them they are counted together.
    static constexpr std::size_t kMostUnknownValues = 1000;

    /// `type_values[i]` is the type value of table i (kOtherTypes for the fallback). `encoding` says what
    /// a column is; `code_page`, when not null, decodes the type columns. Throws UserError for a type
    /// value given twice or a carry whose type has no table of its own.
    RecordRouter(FieldSlice type_columns, const std::vector<std::string>& type_values,
                 std::vector<CarrySpec> carries = {}, TextEncoding encoding = TextEncoding::cp1252,
                 const CodePageTable* code_page = nullptr);

    /// The table of `record`, or kNoTable; keeps the carried values current and counts unknown types.
    std::size_t route(std::string_view record);
    /// The table of `record`, or kNoTable, and nothing else: for a look at a record outside a run.
    std::size_t table_of_record(std::string_view record);

    /// The carries that apply to the rows of table `table` (every carry of another type), in the order
    /// given: the header line's first names and the rows' first values.
    const std::vector<std::size_t>& carries_of(std::size_t table) const { return carries_of_[table]; }
    const CarrySpec& carry(std::size_t i) const { return carries_[i]; }
    /// The value of carry `i` in the latest record of its type, as its bytes stand in the record (cut,
    /// not decoded or trimmed, as any field); empty before the first such record.
    std::string_view carried_value(std::size_t i) const { return values_[i]; }

    struct Unknown {
        std::uint64_t count = 0;
        std::uint64_t first_record = 0;  ///< 1-based, among the records routed
    };
    /// Records of a type with no table, by type value (UTF-8 when decoded).
    const std::map<std::string, Unknown>& unknown_types() const { return unknown_; }
    /// Those of the values beyond kMostUnknownValues, counted together.
    std::uint64_t other_unknown_count() const { return other_unknown_; }
    std::uint64_t unknown_count() const { return unknown_total_; }

    /// What the run says of them, one clause a value: "3 records of type 'X' have no table (the first
    /// is record 17)"; empty when every record had a table.
    std::string unknown_types_text() const;

  private:
    std::string_view type_value(std::string_view record);
    std::size_t table_of(std::string_view value) const;
    void take_carries(std::string_view record, std::size_t table);

    FieldSlice type_columns_;
    TextEncoding encoding_;
    const CodePageTable* code_page_;
    std::map<std::string, std::size_t, std::less<>> tables_;
    std::size_t other_ = kNoTable;
    // A one-byte type value without a code page, the usual case, is looked up by its byte.
    bool by_byte_ = false;
    bool one_column_ = false;  // and the type is one column, read where it stands
    std::array<std::size_t, 256> byte_table_{};
    std::vector<CarrySpec> carries_;
    std::vector<std::size_t> carry_table_;
    std::vector<std::vector<std::size_t>> carries_of_;
    std::vector<std::vector<std::size_t>> carried_from_;  // the carries each table's records give
    std::vector<std::string> values_;
    std::map<std::string, Unknown> unknown_;
    std::uint64_t other_unknown_ = 0;
    std::uint64_t unknown_total_ = 0;
    std::uint64_t routed_ = 0;
    std::string decoded_;
};

/// `value` made safe as a part of a file name (the `{type}` of an output pattern): letters A-Z and a-z,
/// digits and '-' stay; every other byte, '_' included, is written %XX (upper-case hexadecimal); an empty
/// value is "_" (and the table of kOtherTypes, "*", is "%2A"). So every value has its own name, and none
/// holds a '/' or starts with '.'.
std::string type_file_name_part(std::string_view value);

/// `pattern` with every "{type}" replaced by type_file_name_part(value).
std::string type_file_name(std::string_view pattern, std::string_view value);

/// `pattern` with every "{type}" replaced by `value` as it is (a sheet's name).
std::string type_text(std::string_view pattern, std::string_view value);

/// The output pattern for a result name the user gave: itself when it holds "{type}", else the name with
/// "-{type}" before the extension of its last part ("out.csv": "out-{type}.csv"; "out": "out-{type}"), so
/// that each type's result stands beside where the one result would have.
std::string typed_output_pattern(std::string_view output);

}  // namespace qvr
