#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fields/field_type.h"

namespace qvr {

/// One field of a dBase III table: its descriptor name, its width in bytes (1 to 254), and its kind:
/// 'C' text, 'N' a number written right-aligned with `decimals` after its point, 'D' a date YYYYMMDD.
struct DbfField {
    std::string name;
    std::int32_t length;
    char kind = 'C';
    std::int32_t decimals = 0;
};

/// The column of a field of `length` columns (or bytes) holding values of `type`, named `name`: text
/// as wide as its field; a date 8 wide. A number takes the width and decimals its values need: given
/// `seen`, the widest of the values written (their most whole digits and decimals, and whether any is
/// negative; the implied decimals of dec, zoned, packed and binary stay as their type says); without it,
/// the most the field can hold (a num's decimals then all its characters but one).
DbfField dbf_typed_field(std::string name, std::int32_t length, const FieldType& type,
                         const NumberShape* seen = nullptr);

/// `value`, a converted number, as its column holds it: its decimals padded with zeros to the column's,
/// right-aligned in its width. False when it does not fit (the column was not made for it).
bool dbf_number(std::string_view value, const DbfField& field, char* out);

/// The byte that ends the header's field descriptors.
inline constexpr char kDbfHeaderEnd = 0x0D;
/// The byte that ends the table after the last record.
inline constexpr char kDbfEndOfFile = 0x1A;
/// Where the record count stands in the header, so it can be corrected once the records are known.
inline constexpr std::uint64_t kDbfRecordCountOffset = 4;

/// The descriptor name of table row `row` (1-based) from its "Field" cell: blanks and controls trimmed,
/// cut at 10 characters, "Field <row>" when nothing is left, a to z in upper case; other bytes unchanged.
std::string dbf_field_name(std::string_view cell, int row);

/// The four little-endian bytes of a record count as the header holds it.
std::string dbf_record_count_bytes(std::uint32_t count);

/// The record length: the deletion flag and every field's width.
std::int32_t dbf_record_length(const std::vector<DbfField>& fields);

/// Everything in front of the first record: the 32-byte header, one 32-byte descriptor per field and the
/// terminator byte. The date bytes and the descriptors' data address are fixed, so the same table gives
/// the same bytes every time.
std::string dbf_header(const std::vector<DbfField>& fields, std::uint32_t record_count);

}  // namespace qvr
