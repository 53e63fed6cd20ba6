// The typed outputs on the benchmark file: each line cut into its ten fields (trimmed, Windows-1252 as
// generated) and written as a SQLite table or an XLSX workbook, or as comma-separated UTF-8 text for
// `sqlite3`'s own .import to load, which is what the table is measured against:
//
//   qvr_bench_gen /tmp/m1.txt 1000000
//   outputs_bench /tmp/m1.txt /tmp/m1.db sqlite
//   outputs_bench /tmp/m1.txt /tmp/m1.csv csv && time sqlite3 /tmp/imp.db ".import --csv /tmp/m1.csv m1"
//   /usr/bin/time -f %M outputs_bench /tmp/m1.txt /tmp/m1.xlsx xlsx     (peak memory in KiB)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fixed_columns.h"
#include "outputs/sqlite_table.h"
#include "outputs/xlsx_workbook.h"

namespace {

using qvr::ColumnKind;

std::vector<qvr::OutputColumn> columns() {
    std::vector<qvr::OutputColumn> out;
    for (const auto& [name, width] : qvr::bench::kColumns) {
        const std::string_view n = name;
        const ColumnKind kind = n == "Id"       ? ColumnKind::integer
                                : n == "Amount" ? ColumnKind::decimal
                                : n == "Date"   ? ColumnKind::date
                                                : ColumnKind::text;
        out.push_back(
            {name, kind, kind == ColumnKind::text ? 0 : width, kind == ColumnKind::decimal ? 2 : 0, width});
    }
    return out;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

/// Calls `row` with the fields of each line of `path`.
template <typename Row>
std::uint64_t each_row(const char* path, Row row) {
    FILE* in = std::fopen(path, "rb");
    if (!in) {
        std::perror(path);
        std::exit(1);
    }
    char* line = nullptr;
    std::size_t room = 0;
    std::vector<std::string_view> values(qvr::bench::kColumns.size());
    std::uint64_t lines = 0;
    for (ssize_t n; (n = ::getline(&line, &room, in)) > 0; ++lines) {
        std::string_view text(line, static_cast<std::size_t>(n));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
        std::size_t at = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto width = static_cast<std::size_t>(qvr::bench::kColumns[i].width);
            values[i] = trimmed(at < text.size() ? text.substr(at, width) : std::string_view());
            at += width;
        }
        row(values);
    }
    std::free(line);
    std::fclose(in);
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: outputs_bench <fixed-column file> <output> sqlite|xlsx|csv\n");
        return 2;
    }
    const std::string kind = argv[3];
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t rows = 0;
    try {
        if (kind == "sqlite") {
            qvr::SqliteTableWriter table({argv[2], "m1", columns(), true, qvr::TextEncoding::cp1252});
            table.begin();
            rows = each_row(argv[1], [&](const auto& values) { table.add_row(values); });
            table.commit();
        } else if (kind == "xlsx") {
            qvr::XlsxWorkbookWriter book({argv[2], "m1", columns(), qvr::TextEncoding::cp1252});
            book.begin();
            rows = each_row(argv[1], [&](const auto& values) { book.add_row(values); });
            book.commit();
        } else {
            FILE* out = std::fopen(argv[2], "wb");
            qvr::Utf8Values utf8(qvr::TextEncoding::cp1252);
            for (const auto& column : qvr::bench::kColumns)
                std::fprintf(out, "%s%s", column.name, &column == &qvr::bench::kColumns.back() ? "\n" : ",");
            rows = each_row(argv[1], [&](const auto& values) {
                for (std::size_t i = 0; i < values.size(); ++i) {
                    const std::string_view v = utf8(values[i]);
                    std::fputs(i ? "," : "", out);
                    std::fwrite(v.data(), 1, v.size(), out);  // the generated fields hold no comma or quote
                }
                std::fputc('\n', out);
            });
            std::fclose(out);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %llu rows in %.2f s (%.0f rows/s)\n", kind.c_str(),
                static_cast<unsigned long long>(rows), seconds, rows / seconds);
}
