// Measures the job log's costs at start-up and at the end of the program on the real windows, offscreen:
// the time and the peak resident memory of loading QVR32.LOG into the Previous jobs window, and of saving
// it back, each against the memory held before it.
//
//   log_bench make <folder> <megabytes>     writes <folder>/QVR32.LOG of job lines
//   log_bench <folder>                      starts the windows on <folder>, then saves the log

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "desktop/desktop.h"
#include "desktop/fonts.h"
#include "shell/u_log.h"
#include "shell/u_qvr32.h"

namespace {

using qvr::bench::reset_peak;
using qvr::bench::status_mib;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int make_log(const std::string& folder, long megabytes) {
    std::ofstream out(folder + "/QVR32.LOG", std::ios::binary);
    const long bytes = megabytes << 20;
    for (long n = 0, written = 0; written < bytes; ++n) {
        const std::string line =
            "input" + std::to_string(n % 997) + ".txt\t<none>\tresult" + std::to_string(n) +
            ".qvo\t;\tHeader\tNot sorted\tNot U.\tNo nbr.\tNo lower\tNo upper\t12/06/2026\t10:" +
            std::to_string(10 + n % 50) + ":" + std::to_string(10 + n % 49) + "\r\n";
        out << line;
        written += static_cast<long>(line.size());
    }
    return out ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "make") return make_log(argv[2], std::atol(argv[3]));
    if (argc != 2) {
        std::fprintf(stderr, "usage: log_bench make <folder> <megabytes> | log_bench <folder>\n");
        return 2;
    }
    QApplication app(argc, argv);
    qvr::bench::HurriedDesktop desktop(true);
    const double before = status_mib("VmRSS:");
    reset_peak();
    auto start = std::chrono::steady_clock::now();
    qvr::Tmdi_qvr mdi(desktop, std::string(argv[1]) + "/");
    std::printf("start-up: %.1f s, peak %.0f MiB over %.0f MiB before\n", seconds_since(start),
                status_mib("VmHWM:") - before, before);
    const double loaded = status_mib("VmRSS:");
    reset_peak();
    start = std::chrono::steady_clock::now();
    mdi.frm_log->save_job_log();
    std::printf("save: %.1f s, peak %.0f MiB over %.0f MiB held\n", seconds_since(start),
                status_mib("VmHWM:") - loaded, loaded);
    return 0;
}
