// Measures the input side on generated files: counting lines for the analysis (against wc -l on the same
// file, and with the line lengths counted in the same pass), the partial fill of a big file, the complete
// fill of a 50 MB file and the column ruler on it, and the preview of the cut refreshed after a change of
// the field table on a file of about a million lines.
// Usage: input_bench [folder] [big file size in MB] [fill file size in MB]

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/available_memory.h"
#include "common/file_names.h"
#include "desktop/fonts.h"
#include "desktop/qt_line_view.h"
#include "input/input_analysis.h"
#include "input/qt_view_text.h"
#include "input/u_preview.h"
#include "input/view_fill.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// A file of fixed-column lines of 118 characters plus CR LF, `megabytes` long; kept between runs.
std::string fixed_column_file(const std::string& folder, int megabytes) {
    const std::string path = folder + "/qvr_bench_" + std::to_string(megabytes) + "mb.txt";
    if (qvr::file_exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    const std::uint64_t target = std::uint64_t(megabytes) << 20;
    std::string line;
    for (std::uint64_t written = 0, n = 0; written < target; written += line.size(), ++n) {
        char record[128];
        std::snprintf(record, sizeof record,
                      "%010llu CUSTOMER NAME %-20llu STREET %-30s CITY %-20s %08llu\r\n",
                      static_cast<unsigned long long>(n), static_cast<unsigned long long>(n * 7), "MAIN",
                      "SOMEWHERE", static_cast<unsigned long long>(n % 99999999));
        line = record;
        out << line;
    }
    return path;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double time_command(const std::string& command) {
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return seconds_since(start);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    qvr::install_font_stand_ins();
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const int big_mb = argc > 2 ? std::atoi(argv[2]) : 1024;
    const int fill_mb = argc > 3 ? std::atoi(argv[3]) : 50;

    const std::string big = fixed_column_file(folder, big_mb);
    std::printf("file %s: %lld bytes\n", big.c_str(), static_cast<long long>(qvr::input_file_size(big)));
    time_command("cat '" + big + "' > /dev/null");  // both readers start from a warm cache
    const double wc = time_command("wc -l '" + big + "' > /dev/null");
    auto start = Clock::now();
    const std::int64_t lines = qvr::count_input_lines(big);
    const double count = seconds_since(start);
    std::printf("line count: %lld lines in %.3f s (%.0f MB/s); wc -l %.3f s (%.0f MB/s)\n",
                static_cast<long long>(lines), count, big_mb / count, wc, big_mb / wc);
    // The analysis counts the lengths in the same pass; taken in turns, so both see the same machine.
    std::vector<double> plain, measured;
    for (int i = 0; i < 5; ++i) {
        start = Clock::now();
        qvr::count_input_lines(big);
        plain.push_back(seconds_since(start));
        start = Clock::now();
        const qvr::InputLines figures = qvr::measure_input_lines(big);
        measured.push_back(seconds_since(start));
        if (i == 0) std::printf("%s\n", figures.lengths.text().c_str());
    }
    std::printf("analysis pass, median of 5: lines alone %.3f s, with line lengths %.3f s (%+.1f%%)\n",
                median(plain), median(measured), (median(measured) / median(plain) - 1) * 100);

    {
        // 120 bytes a line: 115 MB is a little over a million lines, of which the preview reads 200.
        const std::string million = fixed_column_file(folder, 115);
        qvr::FieldTable table;
        table.assign_rows({{"ID", "1", "10", ""},
                           {"CUSTOMER", "12", "8", ""},
                           {"NAME", "21", "5", ""},
                           {"NUMBER", "26", "20", ""},
                           {"STREET", "47", "6", ""},
                           {"ADDRESS", "54", "30", ""},
                           {"CITY", "85", "4", ""},
                           {"TOWN", "90", "20", ""},
                           {"CODE", "111", "8", ""}});
        qvr::JobSettings settings;
        settings.input_path = million;
        settings.trim = true;
        qvr::Tfrm_preview preview;
        preview.show();
        std::vector<double> times;
        for (int i = 0; i < 21; ++i) {
            start = Clock::now();
            table.set_cell(qvr::FieldTable::kLength, 3, std::to_string(5 + i % 3));
            preview.refresh(table, settings);
            preview.repaint();
            times.push_back(seconds_since(start));
        }
        std::printf(
            "preview of %lld lines' first 200, refreshed after a change of the table and painted: median "
            "%.1f ms, slowest %.1f ms of 21\n",
            static_cast<long long>(qvr::count_input_lines(million)), median(times) * 1000,
            *std::max_element(times.begin(), times.end()) * 1000);
    }

    qvr::LineView box;
    box.setFont(QFont(QStringLiteral("Courier"), 10));
    box.set_char_table(&qvr::view_char_table());
    box.resize(665, 345);
    box.show();

    start = Clock::now();
    box.edit_lines(
        [&](qvr::LineList& lines) { qvr::fill_first_lines(lines, big, 100, qvr::available_memory()); });
    std::printf("partial fill, first 100 lines of the big file: %.4f s\n", seconds_since(start));

    const std::string fill = fixed_column_file(folder, fill_mb);
    start = Clock::now();
    box.edit_lines([&](qvr::LineList& lines) { qvr::fill_whole_file(lines, fill, qvr::available_memory()); });
    box.viewport()->repaint();
    std::printf("complete fill, %d MB (%zu lines), shown: %.3f s\n", fill_mb, box.lines().size(),
                seconds_since(start));

    start = Clock::now();
    qvr::set_view_ruler(&box, true);
    std::printf("ruler inserted (%zu lines): %.3f s\n", box.lines().size(), seconds_since(start));
    start = Clock::now();
    qvr::set_view_ruler(&box, false);
    std::printf("ruler removed (%zu lines): %.3f s\n", box.lines().size(), seconds_since(start));

    start = Clock::now();
    QScrollBar* bar = box.verticalScrollBar();
    for (int step = 0; step <= 20; ++step) {
        bar->setValue(bar->maximum() / 20 * step);
        box.viewport()->repaint();
    }
    std::printf("21 jumps through the view, each painted: %.3f s\n", seconds_since(start));
    return 0;
}
