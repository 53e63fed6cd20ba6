#pragma once

#include <shapefil.h>

#include <string>
#include <vector>

namespace qvr::test {

/// A dBase table as an independent reader (shapelib) sees it: the record count and each field's name and
/// width ("2 ID/4 NAME/6"), then each record's values without leading and trailing spaces ("0001|Alice").
/// Nothing when shapelib cannot open it.
inline std::vector<std::string> read_back_dbf(const std::string& path) {
    DBFHandle dbf = DBFOpen(path.c_str(), "rb");
    if (!dbf) return {};
    std::vector<std::string> table(1 + static_cast<std::size_t>(DBFGetRecordCount(dbf)));
    table[0] = std::to_string(table.size() - 1);
    for (int f = 0; f < DBFGetFieldCount(dbf); ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        DBFGetFieldInfo(dbf, f, name, &width, nullptr);
        table[0] += " " + std::string(name) + "/" + std::to_string(width);
        for (int r = 1; r < static_cast<int>(table.size()); ++r)
            table[r] += (f > 0 ? "|" : "") + std::string(DBFReadStringAttribute(dbf, r - 1, f));
    }
    DBFClose(dbf);
    return table;
}

}  // namespace qvr::test
