#include "dbase/dbf_layout.h"

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
        out[at + 11] = 'C';
        out.replace(at + 12, 4, "\x09\x00\xD1\x4E", 4);
        out[at + 16] = static_cast<char>(fields[i].length);
        out[at + 20] = 0x01;  // work area
    }
    out.back() = kDbfHeaderEnd;
    return out;
}

}  // namespace qvr
