// Measures the input side on generated files: counting lines for the analysis (against wc -l on the same
// file), the partial fill of a big file, the complete fill of a 50 MB file and the column ruler on it.
// Usage: input_bench [folder] [big file size in MB] [fill file size in MB]

#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/available_memory.h"
#include "common/file_names.h"
#include "desktop/fonts.h"
#include "desktop/qt_line_view.h"
#include "input/input_analysis.h"
#include "input/qt_view_text.h"
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
