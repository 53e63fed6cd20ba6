#include "engine/line_cutter.h"

#include <algorithm>

#include "common/byte_order.h"

namespace qvr {

std::string_view field_slice(std::string_view line, FieldSlice slice) {
    if (slice.length <= 0) return {};
    // A start of 0 or below counts as column 1, the length unchanged.
    std::size_t first = slice.start < 1 ? 0 : static_cast<std::size_t>(slice.start) - 1;
    if (first >= line.size()) return {};
    return line.substr(first, static_cast<std::size_t>(slice.length));
}

std::uint64_t columns_used(const std::vector<FieldSlice>& slices) {
    std::uint64_t used = 0;
    for (const FieldSlice& slice : slices) {
        if (slice.length <= 0) continue;
        const std::uint64_t first = slice.start < 1 ? 0 : static_cast<std::uint64_t>(slice.start) - 1;
        used = std::max(used, first + static_cast<std::uint64_t>(slice.length));
    }
    return used;
}

std::string_view trim_blanks(std::string_view text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
    return text.substr(b, e - b);
}

LineCutter::LineCutter(std::vector<FieldSlice> slices, std::string separator, bool trim)
    : slices_(std::move(slices)), separator_(std::move(separator)), trim_(trim) {}

void LineCutter::cut(std::string_view line, std::string& out) const {
    out.clear();
    for (std::size_t i = 0; i < slices_.size(); ++i) {
        if (i > 0) out += separator_;
        std::string_view field = field_slice(line, slices_[i]);
        out += trim_ ? trim_blanks(field) : field;
    }
}

bool LineFilter::passes(std::string_view cut_line) const {
    if (!contains.empty() && cut_line.find(contains) == std::string_view::npos) return false;
    if (compare_bytes(cut_line, lower) < 0) return false;
    if (!upper.empty() && compare_bytes(cut_line, upper) > 0) return false;
    return true;
}

}  // namespace qvr
