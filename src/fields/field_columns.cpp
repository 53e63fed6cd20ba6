#include "fields/field_columns.h"

#include <algorithm>
#include <cstdint>

namespace qvr {

std::uint64_t columns_used(const std::vector<FieldSlice>& slices) {
    std::uint64_t used = 0;
    for (const FieldSlice& slice : slices) {
        if (slice.length <= 0) continue;
        const std::uint64_t first = slice.start < 1 ? 0 : static_cast<std::uint64_t>(slice.start) - 1;
        used = std::max(used, first + static_cast<std::uint64_t>(slice.length));
    }
    return used;
}

std::vector<FieldColumns> field_column_runs(const FieldTable& table) {
    struct Edge {
        std::uint64_t column;  // where the field begins, or the column after its last
        int row;
        bool begins;
    };
    std::vector<Edge> edges;
    const std::vector<FieldSlice> slices = table.slices();
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const FieldSlice s = slices[i];
        if (s.length <= 0) continue;
        const std::uint64_t first = s.start < 1 ? 0 : static_cast<std::uint64_t>(s.start) - 1;
        const int row = static_cast<int>(i) + 1;
        edges.push_back({first, row, true});
        edges.push_back({first + static_cast<std::uint64_t>(s.length), row, false});
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.column < b.column; });
    std::vector<FieldColumns> runs;
    std::vector<int> open;
    for (std::size_t i = 0; i < edges.size();) {
        const std::uint64_t at = edges[i].column;
        for (; i < edges.size() && edges[i].column == at; ++i) {
            if (edges[i].begins)
                open.insert(std::upper_bound(open.begin(), open.end(), edges[i].row), edges[i].row);
            else
                open.erase(std::find(open.begin(), open.end(), edges[i].row));
        }
        if (!open.empty() && i < edges.size())
            runs.push_back(
                {static_cast<std::size_t>(at), static_cast<std::size_t>(edges[i].column - 1), open});
    }
    return runs;
}

}  // namespace qvr
