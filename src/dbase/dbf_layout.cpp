#include "dbase/dbf_layout.h"

#include <algorithm>

#include "common/whole_number.h"
#include "engine/line_cutter.h"

namespace qvr {

namespace {
constexpr std::size_t kNameLength = 10;
constexpr std::size_t kBlockSize = 32;

void put_u16(std::string& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
}  // namespace

std::string dbf_field_name(std::string_view cell, int row) {
    std::string name(trim_blanks(cell).substr(0, kNameLength));
    if (name.empty()) name = ("Field " + decimal_text(row)).substr(0, kNameLength);
    // Only a to z: accented letters are bytes of some code page and must stay as they are.
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

DbfField dbf_typed_field(std::string name, std::int32_t length, const FieldType& type,
                         const NumberShape* seen) {
    if (type.is_text()) return {std::move(name), length};
    if (!type.is_number()) return {std::move(name), 8, 'D'};
    const bool written_decimals = type.kind == FieldType::Kind::number;
    NumberShape most;
    if (seen) {
        most = *seen;
    } else {
        // The digits the field's bytes can hold, its sign among them or apart.
        int digits = length;
        if (type.kind == FieldType::Kind::packed) digits = 2 * length - 1;
        if (type.kind == FieldType::Kind::binary) digits = (8 * length - 1) * 30103 / 100000 + 1;
        most.decimals = written_decimals ? std::max(length - 1, 0) : 0;
        most.whole_digits = digits;
        most.negative = true;
    }
    if (!written_decimals) most.decimals = type.decimals;
    // A value below one is written with its leading zero.
    most.whole_digits = std::max(most.whole_digits, 1);
    return {std::move(name), std::min(most.width(), 254), 'N', most.decimals};
}

bool dbf_number(std::string_view value, const DbfField& field, char* out) {
    const std::size_t point = value.find('.');
    const std::size_t decimals = point == std::string_view::npos ? 0 : value.size() - point - 1;
    const auto wanted = static_cast<std::size_t>(field.decimals);
    if (decimals > wanted) return false;
    const std::size_t pad = wanted - decimals + (wanted > 0 && point == std::string_view::npos ? 1 : 0);
    const std::size_t width = value.size() + pad;
    const auto room = static_cast<std::size_t>(field.length);
    if (width > room) return false;
    char* at = out + (room - width);
    value.copy(at, value.size());
    at += value.size();
    if (wanted > 0 && point == std::string_view::npos) *at++ = '.';
    while (at < out + room) *at++ = '0';
    return true;
}

std::string dbf_record_count_bytes(std::uint32_t count) {
    std::string bytes(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    return bytes;
}

std::int32_t dbf_record_length(const std::vector<DbfField>& fields) {
    std::int32_t length = 1;
    for (const DbfField& f : fields) length += f.length;
    return length;
}

std::string dbf_header(const std::vector<DbfField>& fields, std::uint32_t record_count) {
    std::string out(kBlockSize * (fields.size() + 1) + 1, '\0');
    out[0] = 0x03;  // dBase III without memo
    out[1] = 0x02;  // last update: a fixed date, so repeated exports give the same bytes
    out[2] = 0x02;
    out[3] = 0x0E;
    out.replace(kDbfRecordCountOffset, 4, dbf_record_count_bytes(record_count));
    put_u16(out, 8, static_cast<std::uint32_t>(out.size()));
    put_u16(out, 10, static_cast<std::uint32_t>(dbf_record_length(fields)));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::size_t at = kBlockSize * (i + 1);
        std::string_view name = std::string_view(fields[i].name).substr(0, kNameLength);
        out.replace(at, name.size(), name);
        out[at + 11] = fields[i].kind;
        out.replace(at + 12, 4, "\x09\x00\xD1\x4E", 4);
        out[at + 16] = static_cast<char>(fields[i].length);
        out[at + 17] = static_cast<char>(fields[i].decimals);
        out[at + 20] = 0x01;  // work area
    }
    out.back() = kDbfHeaderEnd;
    return out;
}

}  // namespace qvr
