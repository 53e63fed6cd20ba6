#include "engine/fast_extract.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

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

// The fast gauge without a division per line: the position is worked out again only at the line where
// it next moves.
class FastGauge {
  public:
    FastGauge(const std::function<void(int)>& hook, std::int64_t line_count)
        : steps_(hook), line_count_(line_count) {}

    void lines_read(std::int64_t read) {
        if (read < next_) return;
        const int position = fast_gauge_position(read, line_count_);
        steps_.set(position);
        next_ = position >= 99 || line_count_ <= 0 ? INT64_MAX : first_read_at(position + 1);
    }

  private:
    // The fewest lines read that bring the gauge to `position`: 84 x read / count >= position - 15.
    std::int64_t first_read_at(int position) const {
        __extension__ using Wide = __int128;
        const Wide need = static_cast<Wide>(position - 15) * line_count_;
        return static_cast<std::int64_t>((need + 83) / 84);
    }

    GaugeSteps steps_;
    std::int64_t line_count_;
    std::int64_t next_ = 0;
};

// `line` holds the first line, read before the result was opened; `more` whether there was one.
void stream_lines(const ExtractJob& job, const ExtractHooks& hooks, LineReader& input, std::string_view line,
                  bool more, OutputFile& out, RunTally& tally) {
    const LineCutter cutter = job.cutter();
    const std::string_view line_end = job.line_end;
    const bool crlf = line_end == "\r\n";
    FastGauge gauge(hooks.gauge, tally.input_line_count);
    const bool filtered = !job.filter.lets_all_pass();
    std::int64_t lines_read = 0;
    tally.generated_line_count = 0;
    for (; more; more = input.next(line)) {
        check_stop(hooks.stop);
        if (job.sample_size > 0 && tally.generated_line_count >= job.sample_size) break;
        // The line is cut where it goes in the output; a line that fails the filter is not kept.
        char* at = out.room(cutter.max_cut_size(line.size()) + line_end.size());
        char* end = cutter.cut_to(line, at);
        const std::string_view cut_line(at, static_cast<std::size_t>(end - at));
        if (!filtered || job.filter.passes(cut_line)) {
            if (crlf) {
                end[0] = '\r';
                end[1] = '\n';
            } else {
                std::memcpy(end, line_end.data(), line_end.size());
            }
            out.advance(cut_line.size() + line_end.size());
            ++tally.generated_line_count;
            if (tally.generated_line_count <= kFastViewLines && hooks.view_line) hooks.view_line(cut_line);
        }
        ++lines_read;
        gauge.lines_read(lines_read);
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
    input.read_text_in(job.encoding);
    // Memory that does not grow with the input, however long its lines.
    input.keep_line_prefix(static_cast<std::size_t>(bytes_used(job.slices, job.encoding)));
    // An input refused at its first line (UTF-16) is refused before the result file is touched.
    std::string_view first_line;
    const bool any_line = input.next(first_line);
    std::unique_ptr<OutputFile> out = job.output_fd >= 0 ? OutputFile::borrow(job.output_fd, job.output_path)
                                                         : std::make_unique<OutputFile>(job.output_path);
    // What was written before a failure or a stop stays in the file, which the user is told is incomplete.
    std::string failure;
    try {
        stream_lines(job, hooks, input, first_line, any_line, *out, tally);
        tally.input_text = input.tally();
        out->close();
        return;
    } catch (const std::bad_alloc&) {
        failure = std::strerror(ENOMEM);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    try {
        out->close();
    } catch (const FileError&) {
    }
    throw IncompleteResult(failure, job.output_path);
}

IncompleteResult::IncompleteResult(const std::string& failure, const std::string& path)
    : UserError(with_full_stop(failure) + "\n\rThe result file " + path + " is incomplete"),
      failure_(with_full_stop(failure)),
      path_(path) {}

std::string IncompleteResult::incomplete_text() const {
    return "The result file " + path_ + " is incomplete.";
}

}  // namespace qvr
