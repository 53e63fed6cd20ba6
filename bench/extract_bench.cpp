// Runs the core extract on a file made by qvr_bench_gen and reports the time, the lines generated and
// the memory: resident at the start, at its peak, and the difference the run made.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "engine/fast_extract.h"
#include "engine/standard_extract.h"
#include "fixed_columns.h"

namespace {

// A figure of /proc/self/status in KiB ("VmRSS", "VmHWM").
long status_kib(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key) + 1));
    return -1;
}

qvr::ExtractJob job_for(const std::string& input, const std::string& output, const std::string& mode,
                        bool trim) {
    qvr::ExtractJob job;
    job.input_path = input;
    job.output_path = output;
    int start = 1;
    for (const auto& column : qvr::bench::kColumns) {
        job.slices.push_back({start, column.width});
        job.names.push_back(column.name);
        start += column.width;
    }
    job.separator.push_back(';');
    job.trim = trim;
    job.header = mode != "fast";
    job.sorted = mode == "sorted" || mode == "unique";
    job.unique = mode == "unique";
    return job;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "utf8")) {
        std::fprintf(stderr,
                     "usage: qvr_bench <input> <output> unsorted|sorted|unique|fast|fast1[-notrim] [utf8]\n");
        return 2;
    }
    std::string mode = argv[3];
    // "fast1": the fast extract on the calling thread alone, to set beside the shared one.
    const bool one_thread = mode.starts_with("fast1");
    if (one_thread) mode.erase(4, 1);
    const bool trim = !mode.ends_with("-notrim");
    if (!trim) mode.resize(mode.size() - 7);
    qvr::ExtractJob job = job_for(argv[1], argv[2], mode, trim);
    if (argc == 5) job.encoding = qvr::TextEncoding::utf8;
    const long rss_start = status_kib("VmRSS:");
    int gauge_calls = 0;
    qvr::ExtractHooks hooks;
    hooks.gauge = [&](int) { ++gauge_calls; };
    int view_lines = 0;
    hooks.view_line = [&](std::string_view) { ++view_lines; };
    qvr::RunTally tally;
    const auto begin = std::chrono::steady_clock::now();
    try {
        if (mode == "fast") {
            if (one_thread)
                qvr::fast_extract(job, hooks, tally, qvr::FastSharing{});
            else
                qvr::fast_extract(job, hooks, tally);
        } else if (qvr::standard_extract(job, hooks, tally) == qvr::ExtractOutcome::out_of_memory) {
            std::printf("out of memory\n");
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const long peak = status_kib("VmHWM:");
    std::printf(
        "%-8s %6.2f s  %lld lines generated  gauge calls %d  RSS start %ld KiB  peak %ld KiB  growth %ld "
        "KiB\n",
        mode.c_str(), seconds, static_cast<long long>(tally.generated_line_count), gauge_calls, rss_start,
        peak, peak - rss_start);
    return 0;
}
