// Measures the window program's own costs on a file made by qvr_bench_gen, driving the real windows on
// the offscreen platform: File > Go with the standard extract (result view filled and shown) against the
// same job run by the core alone, as quarvel-batch runs it; the fast extract with its 100 view lines; and
// the gauge, with whether the hourglass is up while it moves.
//
//   window_bench <input file> [runs] [--standard-only] [--sorted] [--shot file.png]
//   (median of the runs, 3 by default; --sorted: the standard extract sorted, in the locale's order)

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "desktop/desktop.h"
#include "desktop/fonts.h"
#include "desktop/qt_line_view.h"
#include "desktop/text_box.h"
#include "engine/extract_job.h"
#include "engine/fast_extract.h"
#include "engine/standard_extract.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "fixed_columns.h"
#include "input/u_view.h"
#include "shell/u_qvr32.h"

namespace {

using qvr::bench::reset_peak;
using qvr::bench::status_mib;

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Gauge {
    std::vector<int> positions;
    bool busy_throughout = true;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: window_bench <input file> [runs] [--standard-only] [--sorted] [--shot file.png]\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    qvr::install_font_stand_ins();
    const std::string input = std::filesystem::absolute(argv[1]).string();
    int runs = 3;
    bool standard_only = false;
    bool sorted = false;
    QString shot;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--standard-only")
            standard_only = true;
        else if (arg == "--sorted")
            sorted = true;
        else if (arg == "--shot" && i + 1 < argc)
            shot = QString::fromLocal8Bit(argv[++i]);
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "qvr_window_bench";
    std::filesystem::create_directories(folder);
    const std::string output = (folder / "out.txt").string();

    qvr::bench::HurriedDesktop desktop;
    qvr::Tmdi_qvr mdi(desktop, folder.string() + "/");
    mdi.show();
    std::vector<qvr::FieldTable::Row> rows;
    int start = 1;
    for (const auto& column : qvr::bench::kColumns) {
        rows.push_back({column.name, std::to_string(start), std::to_string(column.width),
                        std::to_string(start + column.width - 1)});
        start += column.width;
    }
    mdi.frm_dlm->field_table().assign_rows(rows);
    mdi.frm_gen->set_input_path(input);
    mdi.frm_gen->set_output_path(output);
    // The job of quarvel-batch extract --no-header in bench/compare: ";", no header, no trim.
    mdi.frm_gen->findChild<QLineEdit*>(QStringLiteral("txt_dlm"))->setText(QStringLiteral(";"));
    mdi.frm_gen->set_header(false);
    mdi.frm_gen->findChild<QCheckBox*>(QStringLiteral("chk_trim"))->setChecked(false);
    mdi.frm_gen->findChild<QCheckBox*>(QStringLiteral("chk_sort"))->setChecked(sorted);
    QProgressBar* gauge_bar = mdi.frm_gen->findChild<QProgressBar*>(QStringLiteral("gge_run"));

    Gauge gauge;
    QObject::connect(gauge_bar, &QProgressBar::valueChanged, [&](int value) {
        gauge.positions.push_back(value);
        const QCursor* cursor = QApplication::overrideCursor();
        if (value > 5 && value < 100 && (!cursor || cursor->shape() != Qt::WaitCursor))
            gauge.busy_throughout = false;
    });
    QAction* go = mdi.findChild<QAction*>(QStringLiteral("mnu_go"));
    qvr::LineView* result = mdi.frm_view->result_view();

    for (bool fast : {false, true}) {
        if (fast && standard_only) break;
        mdi.frm_gen->set_fast(fast);
        const qvr::FieldTable& table = mdi.frm_dlm->field_table();
        const qvr::ExtractJob job =
            qvr::ExtractJob::from(mdi.frm_gen->settings(), table.slices(), table.names());
        std::vector<double> core, window, paint, fill{0};
        double core_peak = 0, window_peak = 0;
        std::size_t view_lines = 0;
        for (int run = 0; run < runs; ++run) {
            reset_peak();
            const double before = status_mib("VmRSS:");
            auto t = Clock::now();
            qvr::RunTally tally;
            qvr::ExtractHooks hooks;
            if (fast)
                qvr::fast_extract(job, hooks, tally);
            else
                qvr::standard_extract(job, hooks, tally);
            core.push_back(seconds_since(t));
            core_peak = std::max(core_peak, status_mib("VmHWM:") - before);

            qvr::clear_box(result);
            reset_peak();
            const double window_before = status_mib("VmRSS:");
            gauge = Gauge{};
            t = Clock::now();
            go->trigger();
            window.push_back(seconds_since(t));
            window_peak = std::max(window_peak, status_mib("VmHWM:") - window_before);
            view_lines = result->lines().size();
            if (!fast) {
                t = Clock::now();
                qvr::set_file_lines(result, output, SIZE_MAX);
                fill.push_back(seconds_since(t));
            }
            t = Clock::now();
            // The result view in sight, then scrolled to its end and painted again.
            result->viewport()->repaint();
            result->verticalScrollBar()->setValue(result->verticalScrollBar()->maximum());
            result->viewport()->repaint();
            paint.push_back(seconds_since(t));
        }
        const double ratio = median(window) / median(core);
        std::printf(
            "%-8s core %.3f s (+%.0f MiB)  window Go %.3f s (+%.0f MiB), ratio %.2f  |  result view %zu "
            "lines, filled from the file alone %.3f s, two paints %.4f s\n",
            fast     ? "fast"
            : sorted ? "sorted"
                     : "standard",
            median(core), core_peak, median(window), window_peak, ratio, view_lines, median(fill),
            median(paint));
        std::printf(
            "         gauge: %zu moves, first %d last %d, hourglass up while it moved: %s; result view "
            "shown: %s\n",
            gauge.positions.size(), gauge.positions.empty() ? -1 : gauge.positions.front(),
            gauge.positions.empty() ? -1 : gauge.positions.back(), gauge.busy_throughout ? "yes" : "no",
            result->isVisible() ? "yes" : "no");
    }

    if (!shot.isEmpty()) mdi.grab().save(shot);  // the result view as it stands

    // The gauge alone, in the General data window in front: a full sweep, each move painted.
    mdi.show_general_data();
    mdi.frm_gen->show_gauge(true);
    auto t = Clock::now();
    for (int sweep = 0; sweep < 10; ++sweep)
        for (int p = 0; p <= 100; ++p) mdi.frm_gen->set_gauge(sweep % 2 ? 100 - p : p);
    std::printf("gauge: %.1f microseconds a painted move\n", seconds_since(t) / 1010 * 1e6);
    mdi.frm_gen->show_gauge(false);
    std::printf("boxes answered: %d\n", desktop.boxes);
    return 0;
}
