#include "engine/field_line.h"

#include "engine/line_cutter.h"

namespace qvr {

namespace {
std::string_view or_tab(std::string_view separator) { return separator.empty() ? "\t" : separator; }
}  // namespace

void join_fields(const std::vector<std::string_view>& fields, std::string_view separator, std::string& out) {
    separator = or_tab(separator);
    out.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += separator;
        out += quoted_field(fields[i], separator);
    }
}

void split_fields(std::string_view line, std::string_view separator, std::size_t count, std::string& room,
                  std::vector<std::string_view>& fields) {
    separator = or_tab(separator);
    fields.clear();
    room.clear();
    room.reserve(line.size());  // the views into it stay valid: it never grows past the line
    std::size_t at = 0;
    while (fields.size() < count) {
        if (at < line.size() && line[at] == '"') {
            // A quoted field: up to the lone quote, its doubled quotes made single.
            const std::size_t begin = room.size();
            for (++at; at < line.size(); ++at) {
                if (line[at] == '"' && (at + 1 >= line.size() || line[at + 1] != '"')) break;
                if (line[at] == '"') ++at;
                room += line[at];
            }
            fields.emplace_back(room.data() + begin, room.size() - begin);
            at = std::min(line.size(), at + 1 + separator.size());
            continue;
        }
        const std::size_t end = std::min(line.find(separator, at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = std::min(line.size(), end + separator.size());
    }
}

}  // namespace qvr
