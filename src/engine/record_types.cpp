#include "engine/record_types.h"

#include "common/file_error.h"
#include "engine/line_cutter.h"
#include "fields/field_columns.h"

namespace qvr {

namespace {

// Type values are compared without the blanks around them: " 1" in two columns is type 1.
std::string_view trimmed(std::string_view value) { return trim_blanks(value); }

}  // namespace

RecordRouter::RecordRouter(FieldSlice type_columns, const std::vector<std::string>& type_values,
                           std::vector<CarrySpec> carries, TextEncoding encoding,
                           const CodePageTable* code_page)
    : type_columns_(type_columns),
      encoding_(encoding),
      code_page_(code_page),
      carries_(std::move(carries)),
      carries_of_(type_values.size()),
      values_(carries_.size()) {
    by_byte_ = code_page_ == nullptr;
    for (std::size_t i = 0; i < type_values.size(); ++i) {
        const std::string_view value = trimmed(type_values[i]);
        if (value == kOtherTypes) {
            if (other_ != kNoTable) throw UserError("The table of the other record types is given twice");
            other_ = i;
            continue;
        }
        if (!tables_.emplace(std::string(value), i).second)
            throw UserError("The record type '" + std::string(value) + "' has two tables");
        if (value.size() != 1) by_byte_ = false;
    }
    byte_table_.fill(other_);
    // A column is a byte in Windows-1252, and the first column the first byte in UTF-8 too.
    one_column_ = by_byte_ && type_columns_.length == 1 &&
                  (encoding_ == TextEncoding::cp1252 || type_columns_.start == 1);
    if (by_byte_)
        for (const auto& [value, table] : tables_) byte_table_[static_cast<unsigned char>(value[0])] = table;
    for (const CarrySpec& c : carries_) {
        const auto found = tables_.find(trimmed(c.type));
        if (found == tables_.end())
            throw UserError("The value carried from records of type '" + c.type +
                            "' needs a table of that type");
        carry_table_.push_back(found->second);
    }
    carried_from_.resize(type_values.size());
    for (std::size_t t = 0; t < type_values.size(); ++t)
        for (std::size_t c = 0; c < carries_.size(); ++c)
            (carry_table_[c] != t ? carries_of_ : carried_from_)[t].push_back(c);
}

std::string_view RecordRouter::type_value(std::string_view record) {
    const std::string_view columns = field_slice(record, type_columns_, encoding_);
    if (!code_page_) return trimmed(columns);
    decoded_.clear();
    code_page_->append_decoded(columns, decoded_);
    return trimmed(decoded_);
}

std::size_t RecordRouter::table_of(std::string_view value) const {
    const auto found = tables_.find(value);
    return found != tables_.end() ? found->second : other_;
}

std::size_t RecordRouter::table_of_record(std::string_view record) {
    const std::string_view value = type_value(record);
    return by_byte_ && value.size() == 1 ? byte_table_[static_cast<unsigned char>(value[0])]
                                         : table_of(value);
}

std::size_t RecordRouter::route(std::string_view record) {
    ++routed_;
    // A one-column type of a visible ASCII character, the usual case, is its byte: nothing to trim.
    const auto at = static_cast<std::size_t>(type_columns_.start - 1);
    if (one_column_ && at < record.size() && record[at] > ' ' && record[at] < 0x7F) {
        const std::size_t table = byte_table_[static_cast<unsigned char>(record[at])];
        if (table != kNoTable) {
            take_carries(record, table);
            return table;
        }
    }
    const std::string_view value = type_value(record);
    const std::size_t table =
        by_byte_ && value.size() == 1 ? byte_table_[static_cast<unsigned char>(value[0])] : table_of(value);
    if (table == kNoTable) {
        ++unknown_total_;
        const auto found = unknown_.find(std::string(value));
        if (found != unknown_.end())
            ++found->second.count;
        else if (unknown_.size() < kMostUnknownValues)
            unknown_.emplace(std::string(value), Unknown{1, routed_});
        else
            ++other_unknown_;
        return table;
    }
    take_carries(record, table);
    return table;
}

void RecordRouter::take_carries(std::string_view record, std::size_t table) {
    for (const std::size_t c : carried_from_[table])
        values_[c].assign(field_slice(record, carries_[c].field, encoding_));
}

std::string RecordRouter::unknown_types_text() const {
    std::string text;
    auto clause = [&](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    for (const auto& [value, unknown] : unknown_)
        clause(std::to_string(unknown.count) + (unknown.count == 1 ? " record" : " records") + " of type '" +
               value + "' " + (unknown.count == 1 ? "has" : "have") + " no table (the first is record " +
               std::to_string(unknown.first_record) + ")");
    if (other_unknown_ > 0)
        clause(std::to_string(other_unknown_) + " more records of " + "still other types have no table");
    return text;
}

std::string type_file_name_part(std::string_view value) {
    if (value.empty()) return "_";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string part;
    for (const char c : value) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-') {
            part += c;
        } else {
            part += '%';
            part += kHex[b >> 4];
            part += kHex[b & 15];
        }
    }
    return part;
}

namespace {

std::string with_type(std::string_view pattern, std::string_view part) {
    static constexpr std::string_view kSlot = "{type}";
    std::string name;
    for (std::size_t at = 0;;) {
        const std::size_t found = pattern.find(kSlot, at);
        name += pattern.substr(at, found == std::string_view::npos ? found : found - at);
        if (found == std::string_view::npos) return name;
        name += part;
        at = found + kSlot.size();
    }
}

}  // namespace

std::string type_file_name(std::string_view pattern, std::string_view value) {
    return with_type(pattern, type_file_name_part(value));
}

std::string type_text(std::string_view pattern, std::string_view value) { return with_type(pattern, value); }

std::string typed_output_pattern(std::string_view output) {
    if (output.find("{type}") != std::string_view::npos) return std::string(output);
    const std::size_t name = output.find_last_of('/') + 1;  // npos + 1: the whole text
    std::size_t dot = output.rfind('.');
    // A dot that starts the name (".hidden") or stands in a folder's name is no extension.
    if (dot == std::string_view::npos || dot <= name) dot = output.size();
    return std::string(output.substr(0, dot)) + "-{type}" + std::string(output.substr(dot));
}

}  // namespace qvr
