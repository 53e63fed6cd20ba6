#include "engine/fast_extract.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <utility>
#include <vector>

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

// A block of whole input lines, cut by whichever thread takes it and written in order by the calling one.
// The reader's views die at its next line, so the lines are copied in.
struct LineBlock {
    std::string text;               // the lines one after another, without their line ends
    std::vector<std::size_t> ends;  // where each line ends in `text`
    std::unique_ptr<char[]> cut;    // the cut lines that passed the filter, each with its line end
    std::size_t cut_capacity = 0;
    std::size_t cut_size = 0;
    std::vector<std::size_t> cut_ends;  // where each cut line ends in `cut`, its line end included
    std::vector<std::size_t> cut_from;  // in a sample: the line each cut line was cut from
    std::exception_ptr failure;         // what went wrong in a cutting thread
    bool cut_done = false;              // cut, not passed on yet; guarded by the sharing's mutex
    std::size_t keep_bytes = 0;         // what of `cut` goes to the file; guarded likewise

    void make_room(std::size_t n) {
        if (n <= cut_capacity - cut_size) return;
        const std::size_t capacity = std::max(cut_capacity * 2, cut_size + n);
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (cut_size > 0) std::memcpy(bigger.get(), cut.get(), cut_size);
        cut = std::move(bigger);
        cut_capacity = capacity;
    }
};

// Cuts the lines of blocks as the one-thread loop cuts them; `stop` is looked at on the calling thread only.
class BlockCutter {
  public:
    explicit BlockCutter(const ExtractJob& job)
        : cutter_(job.cutter()),
          filter_(job.filter),
          filtered_(!job.filter.lets_all_pass()),
          line_end_(job.line_end),
          sampled_(job.sample_size > 0) {}

    void cut(LineBlock& block, const StopRequest* stop) const {
        block.cut_size = 0;
        block.cut_ends.clear();
        block.cut_from.clear();
        std::size_t begin = 0;
        for (std::size_t i = 0; i < block.ends.size(); ++i) {
            const std::size_t end = block.ends[i];
            if (stop) check_stop(stop);
            const std::string_view line(block.text.data() + begin, end - begin);
            begin = end;
            block.make_room(cutter_.max_cut_size(line.size()) + line_end_.size());
            char* at = block.cut.get() + block.cut_size;
            char* cut_end = cutter_.cut_to(line, at);
            const auto size = static_cast<std::size_t>(cut_end - at);
            if (filtered_ && !filter_.passes(std::string_view(at, size))) continue;
            std::memcpy(cut_end, line_end_.data(), line_end_.size());
            block.cut_size += size + line_end_.size();
            block.cut_ends.push_back(block.cut_size);
            if (sampled_) block.cut_from.push_back(i);
        }
    }

    std::size_t line_end_size() const { return line_end_.size(); }

  private:
    const LineCutter cutter_;
    const LineFilter& filter_;
    const bool filtered_;
    const std::string_view line_end_;
    const bool sampled_;
};

// The fast extract on several cores. A block goes through four steps: the calling thread reads it into a
// ring; any thread cuts it; the calling thread, in order, sends its first lines to the view, counts it and
// ends the sample in it; then one thread at a time writes it, in order. The calling thread takes the
// other steps too whenever the ring is full, so that every core stays busy whichever step is slowest.
// Only the calling thread calls the hooks, which the window's stop polling needs.
class SharedStream {
  public:
    SharedStream(const ExtractJob& job, const ExtractHooks& hooks, OutputFile& out, RunTally& tally,
                 const FastSharing& sharing)
        : job_(job),
          hooks_(hooks),
          out_(out),
          tally_(tally),
          cutter_(job),
          gauge_(hooks.gauge, tally.input_line_count),
          block_bytes_(std::max<std::size_t>(sharing.block_bytes, 1)),
          // Enough blocks in flight to keep every thread busy, few enough to bound the memory.
          ring_(4 * (sharing.extra_threads + 1)) {
        tally_.generated_line_count = 0;
        threads_.reserve(sharing.extra_threads);
        try {
            for (unsigned i = 0; i < sharing.extra_threads; ++i) threads_.emplace_back([this] { work(); });
        } catch (const std::exception&) {
            // Fewer threads than cores (the system would not start more): the calling thread does what
            // they would have.
        }
    }

    ~SharedStream() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        work_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }

    SharedStream(const SharedStream&) = delete;
    SharedStream& operator=(const SharedStream&) = delete;

    void run(LineReader& input, std::string_view line, bool more) {
        // Without a filter, a sample is a count of input lines: none is read past it.
        const std::int64_t line_limit =
            job_.filter.lets_all_pass() && job_.sample_size > 0 ? job_.sample_size : -1;
        std::int64_t lines_taken = 0;
        std::exception_ptr read_failure;
        while (more && !sample_full_) {
            if (blocks_in_flight() == ring_.size()) {
                help();
                continue;
            }
            LineBlock& block = slot(read_);
            block.text.clear();
            block.ends.clear();
            // A block ends past its size by its last line only; room for that line as well as it goes.
            block.text.reserve(block_bytes_ + block_bytes_ / 4);
            try {
                while (more) {
                    check_stop(hooks_.stop);
                    block.text.append(line);
                    block.ends.push_back(block.text.size());
                    if (++lines_taken == line_limit) {
                        more = false;
                        break;
                    }
                    more = input.next(line);
                    // Line ends counted too, so that a block of empty lines stays bounded.
                    if (block.text.size() + block.ends.size() >= block_bytes_) break;
                }
            } catch (const RunStopped&) {
                throw;
            } catch (...) {
                // The lines read before a failure still reach the file, as they do on one thread.
                read_failure = std::current_exception();
                more = false;
            }
            {
                std::lock_guard lock(mutex_);
                ++read_;
            }
            work_.notify_one();
            while (pass_cut_block()) {
            }
        }
        // The rest, up to the block that filled the sample.
        while (blocks_in_flight() > (sample_full_ ? static_cast<std::size_t>(read_ - passed_) : 0)) help();
        {
            std::lock_guard lock(mutex_);
            if (write_failure_) std::rethrow_exception(write_failure_);
        }
        if (read_failure) std::rethrow_exception(read_failure);
    }

  private:
    // Blocks read and not written yet.
    std::size_t blocks_in_flight() {
        std::lock_guard lock(mutex_);
        return static_cast<std::size_t>(read_ - written_);
    }

    LineBlock& slot(std::int64_t at) {
        return ring_[static_cast<std::size_t>(at % static_cast<std::int64_t>(ring_.size()))];
    }

    // A cutting thread's loop: the next write when nobody writes, else the next block to cut.
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            work_.wait(lock, [this] { return quit_ || can_write() || taken_ < read_; });
            if (quit_) return;
            if (can_write()) {
                write_next(lock);
            } else {
                cut_next(lock, nullptr);
            }
            progress_.notify_one();
        }
    }

    // The calling thread's turn at the steps, when it cannot read on: passes a block, writes, cuts or waits
    // a moment (looking at the stop request meanwhile).
    void help() {
        if (pass_cut_block()) return;
        std::unique_lock lock(mutex_);
        if (write_failure_) std::rethrow_exception(write_failure_);
        if (can_write()) {
            write_next(lock);
        } else if (taken_ < read_) {
            cut_next(lock, hooks_.stop);
        } else {
            progress_.wait_for(lock, std::chrono::milliseconds(2));
            lock.unlock();
            check_stop(hooks_.stop);
        }
    }

    bool can_write() const { return !writing_ && written_ < passed_; }

    // With `lock` held: writes the next block passed, the lock released meanwhile.
    void write_next(std::unique_lock<std::mutex>& lock) {
        writing_ = true;
        LineBlock& block = slot(written_);
        const bool failed = write_failure_ != nullptr;
        lock.unlock();
        std::exception_ptr failure;
        // After a failure nothing more is written: the file ends with the lines before it.
        if (!failed) {
            try {
                out_.write(std::string_view(block.cut.get(), block.keep_bytes));
            } catch (...) {
                failure = std::current_exception();
            }
        }
        lock.lock();
        if (failure) write_failure_ = failure;
        writing_ = false;
        ++written_;
    }

    // With `lock` held: cuts the next block read, the lock released meanwhile.
    void cut_next(std::unique_lock<std::mutex>& lock, const StopRequest* stop) {
        LineBlock& block = slot(taken_++);
        lock.unlock();
        std::exception_ptr failure;
        try {
            cutter_.cut(block, stop);
        } catch (const RunStopped&) {
            lock.lock();
            throw;
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        block.failure = failure;
        block.cut_done = true;
    }

    // Passes the next block on to be written when it is cut: its first lines to the view, its count, the
    // end of the sample and the gauge. False when it is not cut yet.
    bool pass_cut_block() {
        if (sample_full_) return false;
        {
            std::lock_guard lock(mutex_);
            // A write that failed ends the run: nothing after it reaches the file.
            if (write_failure_) std::rethrow_exception(write_failure_);
            if (passed_ == read_ || !slot(passed_).cut_done) return false;
        }
        LineBlock& block = slot(passed_);
        if (block.failure) std::rethrow_exception(block.failure);
        std::size_t keep = block.cut_ends.size();
        std::size_t lines = block.ends.size();
        std::int64_t& generated = tally_.generated_line_count;
        if (job_.sample_size > 0 && generated + static_cast<std::int64_t>(keep) >= job_.sample_size) {
            keep = static_cast<std::size_t>(job_.sample_size - generated);
            lines = block.cut_from[keep - 1] + 1;
            sample_full_ = true;
        }
        if (hooks_.view_line) {
            for (std::size_t i = 0; i < keep && generated + static_cast<std::int64_t>(i) < kFastViewLines;
                 ++i) {
                const std::size_t begin = i == 0 ? 0 : block.cut_ends[i - 1];
                hooks_.view_line(std::string_view(block.cut.get() + begin,
                                                  block.cut_ends[i] - cutter_.line_end_size() - begin));
            }
        }
        generated += static_cast<std::int64_t>(keep);
        lines_read_ += static_cast<std::int64_t>(lines);
        gauge_.lines_read(lines_read_);
        {
            std::lock_guard lock(mutex_);
            block.keep_bytes = keep == 0 ? 0 : block.cut_ends[keep - 1];
            block.cut_done = false;
            ++passed_;
        }
        work_.notify_one();
        return true;
    }

    const ExtractJob& job_;
    const ExtractHooks& hooks_;
    OutputFile& out_;
    RunTally& tally_;
    const BlockCutter cutter_;
    FastGauge gauge_;
    const std::size_t block_bytes_;
    std::vector<LineBlock> ring_;
    std::mutex mutex_;
    std::condition_variable work_;      // a block to cut or to write, or the threads are to end
    std::condition_variable progress_;  // a block was cut or written
    // Blocks counted from the first: read, taken to be cut, passed, written. Guarded by `mutex_`, and
    // changed only by the calling thread for `read_` and `passed_`.
    std::int64_t read_ = 0;
    std::int64_t taken_ = 0;
    std::int64_t passed_ = 0;
    std::int64_t written_ = 0;
    bool writing_ = false;
    std::exception_ptr write_failure_;
    bool quit_ = false;
    bool sample_full_ = false;
    std::int64_t lines_read_ = 0;
    std::vector<std::thread> threads_;  // joined by the destructor, before the ring they use goes
};

}  // namespace

FastSharing fast_sharing_for(std::int64_t input_size) {
    FastSharing sharing;
    const unsigned cores = std::thread::hardware_concurrency();
    // One reader feeds the cutters; past a few of them it is the one they wait for.
    if (cores > 1 && input_size >= 4 * static_cast<std::int64_t>(sharing.block_bytes))
        sharing.extra_threads = std::min(cores - 1, 7u);
    return sharing;
}

int fast_gauge_position(std::int64_t lines_read, std::int64_t line_count) {
    if (line_count <= 0) return 15;
    if (lines_read >= line_count) return 99;
    // Widened, so that 84 x lines read cannot overflow whatever the counts.
    __extension__ using Wide = __int128;
    return static_cast<int>(15 + static_cast<Wide>(lines_read) * 84 / line_count);
}

void fast_extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally) {
    if (tally.input_size == 0) measure_input(job.input_path, tally);
    fast_extract(job, hooks, tally, fast_sharing_for(tally.input_size));
}

void fast_extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally,
                  const FastSharing& sharing) {
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
        if (sharing.extra_threads == 0) {
            stream_lines(job, hooks, input, first_line, any_line, *out, tally);
        } else {
            SharedStream(job, hooks, *out, tally, sharing).run(input, first_line, any_line);
        }
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
