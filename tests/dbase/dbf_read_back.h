#pragma once

#include <shapefil.h>

#include <ostream>
#include <string>
#include <vector>

namespace qvr::test {

/// A dBase table as an independent reader (shapelib) sees it. Values come back as shapelib gives them,
/// without leading and trailing spaces.
struct DbfReadBack {
    int records = -1;
    std::vector<std::string> names;
    std::vector<int> widths;
    std::vector<std::vector<std::string>> values;  ///< one row of field values per record

    bool operator==(const DbfReadBack&) const = default;
};

/// Opens `path` with shapelib and reads everything; records stays -1 when shapelib cannot open it.
inline DbfReadBack read_back_dbf(const std::string& path) {
    DbfReadBack table;
    DBFHandle dbf = DBFOpen(path.c_str(), "rb");
    if (!dbf) return table;
    table.records = DBFGetRecordCount(dbf);
    const int fields = DBFGetFieldCount(dbf);
    for (int f = 0; f < fields; ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        int decimals = 0;
        DBFGetFieldInfo(dbf, f, name, &width, &decimals);
        table.names.emplace_back(name);
        table.widths.push_back(width);
    }
    for (int r = 0; r < table.records; ++r) {
        std::vector<std::string> row;
        for (int f = 0; f < fields; ++f) row.emplace_back(DBFReadStringAttribute(dbf, r, f));
        table.values.push_back(std::move(row));
    }
    DBFClose(dbf);
    return table;
}

/// Prints a read-back table readably when a comparison fails.
inline void PrintTo(const DbfReadBack& t, std::ostream* os) {
    *os << "{records " << t.records << ", fields";
    for (std::size_t i = 0; i < t.names.size(); ++i) *os << " '" << t.names[i] << "'/" << t.widths[i];
    *os << ", values";
    for (const auto& row : t.values) {
        *os << " [";
        for (const auto& v : row) *os << "'" << v << "'";
        *os << "]";
    }
    *os << "}";
}

}  // namespace qvr::test
