#include "engine/fast_extract.h"

#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/output_file.h"

namespace qvr {

namespace {

void measure_input(const std::string& path, RunTally& tally) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw_file_error("Cannot open file", path, errno);
    tally.input_size = static_cast<std::int64_t>(st.st_size);
    tally.input_line_count = tally.input_size / 200;
}

void stream_lines(const ExtractJob& job, const ExtractHooks& hooks, LineReader& input, OutputFile& out,
                  RunTally& tally) {
    LineCutter cutter(job.slices, job.separator, job.trim);
    // Memory that does not grow with the input, however long its lines.
    input.keep_line_prefix(static_cast<std::size_t>(columns_used(job.slices)));
    GaugeSteps gauge(hooks.gauge);
    std::string cut_line;
    std::string_view line;
    std::int64_t lines_read = 0;
    tally.generated_line_count = 0;
    while (input.next(line)) {
        if (job.sample_size > 0 && tally.generated_line_count >= job.sample_size) break;
        cutter.cut(line, cut_line);
        if (job.filter.passes(cut_line)) {
            out.write_line(cut_line);
            ++tally.generated_line_count;
            if (tally.generated_line_count <= kFastViewLines && hooks.view_line) hooks.view_line(cut_line);
        }
        ++lines_read;
        gauge.set(fast_gauge_position(lines_read, tally.input_line_count));
    }
}

}  // namespace

int fast_gauge_position(std::int64_t lines_read, std::int64_t line_count) {
    if (line_count <= 0) return 15;
    if (lines_read >= line_count) return 99;
    // Widened, so that 84 x lines read cannot overflow whatever the counts.
    __extension__ using Wide = __int128;
    return static_cast<int>(15 + static_cast<Wide>(lines_read) * 84 / line_count);
}

void fast_extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally) {
    if (tally.input_size == 0) measure_input(job.input_path, tally);
    LineReader input(job.input_path);
    std::unique_ptr<OutputFile> out = job.output_fd >= 0 ? OutputFile::borrow(job.output_fd, job.output_path)
                                                         : std::make_unique<OutputFile>(job.output_path);
    try {
        stream_lines(job, hooks, input, *out, tally);
    } catch (...) {
        // What was written before the failure stays in the file.
        try {
            out->close();
        } catch (const FileError&) {
        }
        throw;
    }
    out->close();
}

}  // namespace qvr
