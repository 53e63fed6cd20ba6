#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace qvr::test {

/// Each result row of `sql` on the database `path`, its values as "type:text" joined by "|".
inline std::vector<std::string> query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    std::vector<std::string> out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) out.push_back(sqlite3_errmsg(db));
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            // SQLITE_INTEGER is 1, SQLITE_NULL 5.
            static const char* const kTypes[] = {"", "int", "real", "text", "blob", "null"};
            row += std::string(i ? "|" : "") + kTypes[sqlite3_column_type(st, i)] + ":";
            if (const unsigned char* text = sqlite3_column_text(st, i))
                row += reinterpret_cast<const char*>(text);
        }
        out.push_back(row);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

/// What `command` prints, a line each.
inline std::vector<std::string> output_lines(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    std::vector<std::string> lines;
    char line[4096];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        lines.emplace_back(line);
        lines.back().pop_back();
    }
    if (pipe) ::pclose(pipe);
    return lines;
}

#ifdef QVR_XLSX_CELLS
/// The workbook at `path` as openpyxl reads it (see xlsx_cells.py), a line each.
inline std::vector<std::string> cells(const std::string& path) {
    return output_lines(std::string(QVR_PYTHON) + " " + QVR_XLSX_CELLS + " '" + path + "' 2>&1");
}
#endif

}  // namespace qvr::test
