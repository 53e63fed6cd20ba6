#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fields/field_type.h"

namespace qvr {

/// Told of every change of a FieldTable, so that a grid showing it stays current without a copy.
class FieldTableListener {
  public:
    virtual ~FieldTableListener() = default;
    virtual void cell_changed(int column, int row) = 0;
    /// Comes right before a change of the row count or of many rows at once, while the old rows stand.
    virtual void table_about_to_reset() {}
    /// Any change of the row count or of many rows at once.
    virtual void table_reset() = 0;
};

/// What the user is told when the table check finds a row that cannot be used.
inline constexpr const char* kCheckDelimiterText = "Please check the delimiter.";

/// One field's slice of an input line, as cutting uses it.
struct FieldSlice {
    std::int32_t start;
    std::int32_t length;
};

/// One field of the table: its name and numbers as the texts the user sees, and what its text means.
struct Field {
    // Spelled out so that a field is written as its four texts, as ever, with the type optional.
    Field(std::string name_text = {}, std::string start_text = {}, std::string length_text = {},
          std::string end_text = {}, FieldType field_type = {})
        : name(std::move(name_text)),
          start(std::move(start_text)),
          length(std::move(length_text)),
          end(std::move(end_text)),
          type(std::move(field_type)) {}

    std::string name;
    std::string start;
    std::string length;
    std::string end;
    FieldType type;

    /// The text cells by FieldTable::Column.
    std::string& operator[](int column) {
        return column == 0 ? name : column == 1 ? start : column == 2 ? length : end;
    }
    const std::string& operator[](int column) const { return const_cast<Field&>(*this)[column]; }

    bool operator==(const Field&) const = default;
};

/// The field table: rows of fields with four text cells (name, start position, length, end position)
/// and a type, with a header row 0. Numbers are kept as the texts the user sees and read by the
/// whole-number reading when used.
class FieldTable {
  public:
    static constexpr int kColumns = 4;
    enum Column { kName = 0, kStart = 1, kLength = 2, kEnd = 3, kType = 4 };
    using Row = Field;

    /// Holds the default table: one row "1st field", "1", "10", "10".
    FieldTable();

    /// Number of data rows (the header row not counted); at least one in normal use.
    int row_count() const { return static_cast<int>(rows_.size()); }

    /// Text of a cell; row 0 gives the header texts.
    const std::string& cell(int column, int row) const;

    /// Replaces a data cell's text: no check, no derivation.
    void set_cell(int column, int row, std::string text);

    /// The field of data row `row`, and its type.
    const Field& field(int row) const { return rows_.at(static_cast<std::size_t>(row - 1)); }
    void set_type(int row, FieldType type);

    /// Every data row, in table order.
    const std::vector<Field>& rows() const { return rows_; }

    /// Keeps rows 1 to n; rows added at the end are empty.
    void set_row_count(int n);

    /// Inserts an empty row before data row `row` (row_count() + 1 appends).
    void insert_row(int row);

    /// Removes data row `row`.
    void delete_row(int row);

    /// Appends the field of `length` columns from column `start`, named "FIELD" and its row number, with
    /// its end derived; returns its row. It replaces the default row when no change was made since
    /// start-up or the last reset to default.
    int add_field(std::int32_t start, std::int32_t length);

    /// Back to the default table.
    void reset_to_default();

    /// Replaces every data row at once (a recalled definition file).
    void assign_rows(std::vector<Row> rows);

    /// Derives the numbers of a row after the user pressed Enter in `edited_column`: zero start or length
    /// becomes 1, and the end (or the length, when the end was edited) follows from the other two.
    void commit_row(int row, int edited_column);

    /// The first data row whose start position or length reads as 0, or 0 when every row may be used.
    int first_unusable_row() const;

    /// Start and length of every row, in table order, by the whole-number reading.
    std::vector<FieldSlice> slices() const;

    /// The names of every row, in table order.
    std::vector<std::string> names() const;

    /// The types of every row, in table order.
    std::vector<FieldType> types() const;

    /// True when some field is of another type than text.
    bool typed() const;

    void set_listener(FieldTableListener* listener) { listener_ = listener; }

  private:
    std::vector<Row> rows_;
    FieldTableListener* listener_ = nullptr;
    bool untouched_default_ = true;
    void about_to_reset();
    void reset();
};

}  // namespace qvr
