#include "input/cut_preview.h"

#include <algorithm>
#include <string_view>

#include "common/line_reader.h"
#include "engine/line_cutter.h"

namespace qvr {

namespace {
/// Small blocks: only the first lines are wanted, and a 200-line preview of a huge file reads a few
/// kilobytes instead of a block of the size the runs use.
constexpr std::size_t kPreviewBlock = 1 << 14;
/// Bounds the memory a line without line end can take: no field reaches that far in practice.
constexpr std::size_t kPreviewColumns = std::size_t{1} << 20;
}  // namespace

CutPreview cut_preview(const std::string& path, const FieldTable& table, bool trim, std::size_t max_lines,
                       TextEncoding encoding) {
    CutPreview preview;
    preview.names = table.names();
    preview.encoding = encoding;
    const std::vector<FieldSlice> slices = table.slices();
    const std::vector<FieldType> types = table.types();
    LineReader reader(path, kPreviewBlock);
    reader.read_text_in(encoding);
    reader.keep_line_prefix(static_cast<std::size_t>(
        std::min<std::uint64_t>(columns_used(slices), kPreviewColumns) * most_bytes_per_column(encoding)));
    std::string_view line;
    while (preview.rows.size() < max_lines && reader.next(line)) {
        std::vector<std::string>& row = preview.rows.emplace_back();
        row.reserve(slices.size());
        LineColumns columns(line, encoding);
        for (std::size_t i = 0; i < slices.size(); ++i) {
            const FieldType& type = i < types.size() ? types[i] : FieldType{};
            // Typed fields show their values as the extract writes them, one it cannot read empty;
            // packed and binary bytes are no characters, a column is a byte.
            const std::string_view field = type.reads_bytes()
                                               ? field_slice(line, slices[i], TextEncoding::cp1252)
                                               : field_slice(columns, slices[i]);
            if (type.is_text()) {
                row.emplace_back(trim ? trim_blanks(field) : field);
            } else if (!convert_value(type, field, row.emplace_back())) {
                row.back().clear();
            }
        }
    }
    return preview;
}

}  // namespace qvr
