#pragma once

#include <gtest/gtest.h>
#include <shapefil.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace qvr::test {

/// A dBase table as an independent reader (shapelib) sees it: values without leading and trailing spaces.
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
        DBFGetFieldInfo(dbf, f, name, &width, nullptr);
        table.names.emplace_back(name);
        table.widths.push_back(width);
    }
    table.values.resize(static_cast<std::size_t>(table.records));
    for (int r = 0; r < table.records; ++r)
        for (int f = 0; f < fields; ++f) table.values[r].emplace_back(DBFReadStringAttribute(dbf, r, f));
    DBFClose(dbf);
    return table;
}

/// Prints a read-back table readably when a comparison fails.
inline void PrintTo(const DbfReadBack& t, std::ostream* os) {
    *os << testing::PrintToString(std::tie(t.records, t.names, t.widths, t.values));
}

}  // namespace qvr::test
