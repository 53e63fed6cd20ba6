#include "fields/field_table.h"

#include <array>
#include <cstdint>
#include <limits>

#include "common/whole_number.h"

namespace qvr {

namespace {
const std::array<std::string, FieldTable::kColumns> kHeader = {"Field", "Start position", "Length",
                                                               "End position"};
const Field kDefaultRow = {"1st field", "1", "10", "10"};
constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();

std::int64_t clamp32(std::int64_t v) { return v > kMax ? kMax : (v < kMin ? kMin : v); }
}  // namespace

FieldTable::FieldTable() { rows_.push_back(kDefaultRow); }

const std::string& FieldTable::cell(int column, int row) const {
    if (row == 0) return kHeader.at(static_cast<std::size_t>(column));
    return field(row)[column];
}

void FieldTable::set_cell(int column, int row, std::string text) {
    rows_.at(static_cast<std::size_t>(row - 1))[column] = std::move(text);
    untouched_default_ = false;
    if (listener_) listener_->cell_changed(column, row);
}

void FieldTable::set_type(int row, FieldType type) {
    rows_.at(static_cast<std::size_t>(row - 1)).type = std::move(type);
    untouched_default_ = false;
    if (listener_) listener_->cell_changed(kType, row);
}

void FieldTable::about_to_reset() {
    if (listener_) listener_->table_about_to_reset();
}

void FieldTable::reset() {
    untouched_default_ = false;
    if (listener_) listener_->table_reset();
}

void FieldTable::set_row_count(int n) {
    about_to_reset();
    rows_.resize(static_cast<std::size_t>(n < 0 ? 0 : n));
    reset();
}

void FieldTable::insert_row(int row) {
    about_to_reset();
    rows_.insert(rows_.begin() + (row - 1), Row{});
    reset();
}

void FieldTable::delete_row(int row) {
    about_to_reset();
    rows_.erase(rows_.begin() + (row - 1));
    reset();
}

int FieldTable::add_field(std::int32_t start, std::int32_t length) {
    about_to_reset();
    // The default row only stands in for the fields to come: the first one pointed at takes its place.
    if (untouched_default_) rows_.clear();
    const int row = row_count() + 1;
    rows_.push_back({"FIELD" + std::to_string(row), decimal_text(start), decimal_text(length),
                     decimal_text(clamp32(std::int64_t{start} + length - 1))});
    reset();
    return row;
}

void FieldTable::reset_to_default() {
    about_to_reset();
    rows_.assign(1, kDefaultRow);
    reset();
    untouched_default_ = true;
}

void FieldTable::assign_rows(std::vector<Row> rows) {
    about_to_reset();
    rows_ = std::move(rows);
    reset();
}

void FieldTable::commit_row(int row, int edited_column) {
    if (edited_column == kName) return;
    std::int64_t s = whole_number_or_zero(cell(kStart, row));
    std::int64_t l = whole_number_or_zero(cell(kLength, row));
    std::int64_t e = whole_number_or_zero(cell(kEnd, row));
    if (s == 0) s = 1;
    // The sums are taken on 64 bits; when the derived number would leave the 32-bit range it is held at
    // the range's edge and the edited pair follows from it, so that end = start + length - 1 still holds
    // and every cell reads back as the number it shows.
    if (edited_column == kStart || edited_column == kLength) {
        if (l == 0) l = 1;
        e = clamp32(s + l - 1);
        l = e - s + 1;
    } else {
        if (e < s) e = s;
        l = clamp32(e - s + 1);
        e = s + l - 1;
    }
    set_cell(kStart, row, decimal_text(s));
    set_cell(kLength, row, decimal_text(l));
    set_cell(kEnd, row, decimal_text(e));
}

int FieldTable::first_unusable_row() const {
    for (int row = 1; row <= row_count(); ++row) {
        if (whole_number_or_zero(cell(kStart, row)) == 0 || whole_number_or_zero(cell(kLength, row)) == 0)
            return row;
    }
    return 0;
}

std::vector<FieldSlice> FieldTable::slices() const {
    std::vector<FieldSlice> out;
    out.reserve(rows_.size());
    for (const Row& r : rows_) out.push_back({whole_number_or_zero(r.start), whole_number_or_zero(r.length)});
    return out;
}

std::vector<std::string> FieldTable::names() const {
    std::vector<std::string> out;
    out.reserve(rows_.size());
    for (const Row& r : rows_) out.push_back(r.name);
    return out;
}

std::vector<FieldType> FieldTable::types() const {
    std::vector<FieldType> out;
    out.reserve(rows_.size());
    for (const Row& r : rows_) out.push_back(r.type);
    return out;
}

bool FieldTable::typed() const {
    for (const Row& r : rows_)
        if (!r.type.is_text()) return true;
    return false;
}

}  // namespace qvr
