#include "engine/fast_extract.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
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
#include "common/mapped_file.h"
#include "common/output_file.h"
#include "engine/job_records.h"
#include "engine/record_pipeline.h"
#include "engine/text_sink.h"

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

// `line` holds the first line, read before the result was opened; `more` whether there was one. `input`
// is a LineReader, or the JobRecords of a framed, skipped or decoded input.
template <class Source>
void stream_lines(const ExtractJob& job, const ExtractHooks& hooks, Source& input, std::string_view line,
                  bool more, OutputFile& out, RunTally& tally) {
    const LineCutter cutter = job.cutter();
    const std::string_view line_end = job.line_end;
    const bool crlf = line_end == "\r\n";
    FastGauge gauge(hooks.gauge, tally.input_line_count);
    const bool filtered = !job.filter.lets_all_pass();
    std::int64_t lines_read = 0;
    tally.generated_line_count = 0;
    // A line's bad values count once it passes the filter.
    BadValueTally line_bad;
    BadValueTally* const bad = cutter.typed() ? &line_bad : nullptr;
    for (; more; more = input.next(line)) {
        check_stop(hooks.stop);
        if (job.sample_size > 0 && tally.generated_line_count >= job.sample_size) break;
        // The line is cut where it goes in the output; a line that fails the filter is not kept.
        char* at = out.room(cutter.max_cut_size(line.size()) + line_end.size());
        ++lines_read;
        char* end =
            bad ? cutter.cut_to(line, at, bad, static_cast<std::uint64_t>(lines_read), raw_record(input))
                : cutter.cut_to(line, at);
        const std::string_view cut_line(at, static_cast<std::size_t>(end - at));
        if (!filtered || job.filter.passes(cut_line)) {
            if (bad && !line_bad.fields().empty()) tally.bad_values.merge(line_bad);
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
        if (bad) line_bad.clear();
        gauge.lines_read(lines_read);
    }
}

// A chunk of the mapped input, cut by whichever thread takes it and passed on and written in order: the
// lines that begin in its byte range, the last of them read to its end wherever that is.
struct Chunk {
    std::unique_ptr<char[]> cut;  // the cut lines that passed the filter, each with its line end
    std::size_t cut_capacity = 0;
    std::size_t cut_size = 0;
    std::vector<std::size_t> cut_ends;  // where each cut line ends in `cut`, its line end included
    std::vector<std::size_t> cut_from;  // in a sample: the line each cut line was cut from
    std::size_t lines = 0;              // lines that begin in the chunk
    bool file_end = false;              // a Ctrl+Z ended the file in the chunk's lines
    Utf8Tally text;                     // what the chunk's lines hold as UTF-8
    // The bad values of the cut lines that passed: the line's index in the chunk and the field's.
    std::vector<std::pair<std::size_t, std::size_t>> bad;
    BadValueTally line_bad;      // the line being cut's
    std::exception_ptr failure;  // what went wrong in a cutting thread
    bool cut_done = false;       // cut, not passed on yet; guarded by the sharing's mutex
    std::size_t keep_bytes = 0;  // what of `cut` goes to the file; guarded likewise

    void make_room(std::size_t n) {
        if (n <= cut_capacity - cut_size) return;
        const std::size_t capacity = std::max(cut_capacity * 2, cut_size + n);
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (cut_size > 0) std::memcpy(bigger.get(), cut.get(), cut_size);
        cut = std::move(bigger);
        cut_capacity = capacity;
    }
};

// Cuts the lines that begin in a byte range of the mapped input as the one-thread loop cuts them, by the
// same line rule (StreamSplitter); `stop` is looked at on the calling thread only.
class ChunkCutter {
  public:
    ChunkCutter(const ExtractJob& job, const MappedFile& input)
        : cutter_(job.cutter()),
          filter_(job.filter),
          filtered_(!job.filter.lets_all_pass()),
          line_end_(job.line_end),
          sample_size_(job.sample_size),
          encoding_(job.encoding),
          path_(job.input_path),
          file_(input),
          input_(input.bytes()) {}

    // Cuts the lines that begin in [from, to). `stop` is looked at on every line; the calling thread
    // (`polls`) also lets the window see its Stop button while it reads through a long line.
    void cut(Chunk& chunk, std::size_t from, std::size_t to, const StopRequest* stop, bool polls,
             bool tallies) const {
        chunk.cut_size = 0;
        chunk.cut_ends.clear();
        chunk.cut_from.clear();
        chunk.lines = 0;
        chunk.bad.clear();
        chunk.file_end = false;
        chunk.text = Utf8Tally();
        const char* const data = input_.data();
        const char* const end = data + input_.size();
        const char* p = data + first_line_start(from, to);
        const char* fed = p;  // the tally holds the bytes before it
        StreamSplitter lines;
        while (p < data + to) {
            if (stop && stop->requested()) throw RunStopped();
            // A line's end is looked for a window at a time, so that a line of gigabytes costs the process
            // a window of its pages and can be stopped.
            StreamSplitter::Piece piece = lines.next(p, std::min(end, p + kWindow));
            const char* const begin = piece.begin;
            const char* released = begin + kWindow;  // the line's first columns stay, being cut
            while (piece.why == StreamSplitter::Stop::none && piece.next < end) {
                if (tallies) chunk.text.feed(fed, piece.next);
                fed = piece.next;
                if (fed - released > static_cast<std::ptrdiff_t>(2 * kWindow)) {
                    file_.release(static_cast<std::size_t>(released - data),
                                  static_cast<std::size_t>(fed - data) - kWindow);
                    released = fed - kWindow;
                }
                if (polls) check_stop(stop);
                piece = lines.next(piece.next, std::min(end, piece.next + kWindow));
            }
            std::string_view line(begin, static_cast<std::size_t>(piece.stop - begin));
            const bool last = piece.why != StreamSplitter::Stop::line_end;
            p = piece.why == StreamSplitter::Stop::file_end ? piece.stop : piece.next;
            chunk.file_end = piece.why == StreamSplitter::Stop::file_end;
            // A file's end (or a Ctrl+Z) right after a line end ends no further line.
            if (last && line.empty()) break;
            if (begin == data) line = text_of_first_line(line, encoding_, path_);
            // No chunk needs more lines than the sample takes.
            if (put(chunk, line) || last) break;
        }
        if (tallies) {
            chunk.text.feed(fed, p);
            chunk.text.finish();
        }
    }

    std::size_t line_end_size() const { return line_end_.size(); }

  private:
    // Where the first line that begins at or after `from` begins, or `to` when none begins before it.
    std::size_t first_line_start(std::size_t from, std::size_t to) const {
        if (from == 0) return 0;
        const char* const data = input_.data();
        if (data[from - 1] == '\n') return from;
        if (data[from - 1] == '\r') return data[from] == '\n' ? from + 1 : from;
        // Inside a line: the next one begins after its line end, looked for no further than the range.
        const char* const end = data + std::min(input_.size(), to + 1);
        const StreamSplitter::Piece piece = StreamSplitter().next(data + from, end);
        if (piece.why != StreamSplitter::Stop::line_end) return to;
        return std::min(static_cast<std::size_t>(piece.next - data), to);
    }

    // Cuts a line into the chunk; true when the chunk holds as many lines as the sample takes.
    bool put(Chunk& chunk, std::string_view line) const {
        chunk.make_room(cutter_.max_cut_size(line.size()) + line_end_.size());
        char* at = chunk.cut.get() + chunk.cut_size;
        const std::size_t index = chunk.lines++;
        char* cut_end =
            cutter_.typed() ? cutter_.cut_to(line, at, &chunk.line_bad, 0) : cutter_.cut_to(line, at);
        const auto size = static_cast<std::size_t>(cut_end - at);
        if (!chunk.line_bad.fields().empty()) {
            const std::vector<BadValueTally::Field>& fields = chunk.line_bad.fields();
            const bool passes = !filtered_ || filter_.passes(std::string_view(at, size));
            for (std::size_t i = 0; passes && i < fields.size(); ++i)
                if (fields[i].count > 0) chunk.bad.emplace_back(index, i);
            chunk.line_bad.clear();
            if (!passes) return false;
        }
        if (filtered_ && !filter_.passes(std::string_view(at, size))) return false;
        std::memcpy(cut_end, line_end_.data(), line_end_.size());
        chunk.cut_size += size + line_end_.size();
        chunk.cut_ends.push_back(chunk.cut_size);
        if (sample_size_ <= 0) return false;
        chunk.cut_from.push_back(index);
        return static_cast<std::int64_t>(chunk.cut_ends.size()) >= sample_size_;
    }

    static constexpr std::size_t kWindow = std::size_t{4} << 20;

    const LineCutter cutter_;
    const LineFilter& filter_;
    const bool filtered_;
    const std::string_view line_end_;
    const std::int64_t sample_size_;
    const TextEncoding encoding_;
    const std::string& path_;
    const MappedFile& file_;
    const std::string_view input_;
};

// The fast extract on several cores, over the mapped input cut into chunks of bytes. A chunk goes through
// three steps: any thread cuts it; the calling thread, in order, sends its first lines to the view, counts
// it and ends the sample or the file in it; then one thread at a time writes it, in order. No thread reads
// for the others: each finds the lines of its own chunk, so nothing but the writing is done on one core at
// a time. Only the calling thread calls the hooks, which the window's stop polling needs.
class SharedStream {
  public:
    SharedStream(const ExtractJob& job, const ExtractHooks& hooks, const MappedFile& input, OutputFile& out,
                 RunTally& tally, const FastSharing& sharing)
        : job_(job),
          hooks_(hooks),
          input_(input),
          out_(out),
          tally_(tally),
          cutter_(job, input),
          gauge_(hooks.gauge, tally.input_line_count),
          chunk_bytes_(std::max<std::size_t>(sharing.block_bytes, 1)),
          chunk_count_(static_cast<std::int64_t>((input.bytes().size() + chunk_bytes_ - 1) / chunk_bytes_)),
          // Enough chunks in flight to keep every thread busy, few enough to bound the memory.
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

    // Cuts, passes and writes every chunk; the tally of the text read is complete when it returns.
    void run() {
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (write_failure_) std::rethrow_exception(write_failure_);
                if (written_ == passed_ && (passed_ == chunk_count_ || ended_)) break;
            }
            help();
        }
        // Chunks cut past the end of the sample or of the file are left; their cutters must be done.
        std::unique_lock lock(mutex_);
        progress_.wait(lock, [this] { return cutting_ == 0; });
    }

    const Utf8Tally& text() const { return text_; }

  private:
    Chunk& slot(std::int64_t at) {
        return ring_[static_cast<std::size_t>(at % static_cast<std::int64_t>(ring_.size()))];
    }

    bool can_write() const { return !writing_ && written_ < passed_; }
    // A chunk to cut whose slot was written out.
    bool can_cut() const {
        return !ended_ && taken_ < chunk_count_ &&
               taken_ - written_ < static_cast<std::int64_t>(ring_.size());
    }

    // A cutting thread's loop: the next write when nobody writes, else the next chunk to cut.
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            work_.wait(lock, [this] { return quit_ || can_write() || can_cut(); });
            if (quit_) return;
            if (can_write()) {
                write_next(lock);
            } else {
                cut_next(lock, false);
            }
            progress_.notify_all();
        }
    }

    // The calling thread's turn: passes a chunk, writes, cuts or waits a moment (looking at the stop
    // request meanwhile).
    void help() {
        if (pass_cut_chunk()) return;
        std::unique_lock lock(mutex_);
        if (write_failure_) std::rethrow_exception(write_failure_);
        if (can_write()) {
            write_next(lock);
        } else if (can_cut()) {
            cut_next(lock, true);
        } else {
            progress_.wait_for(lock, std::chrono::milliseconds(2));
            lock.unlock();
            check_stop(hooks_.stop);
        }
    }

    // With `lock` held: writes the next chunk passed, the lock released meanwhile.
    void write_next(std::unique_lock<std::mutex>& lock) {
        writing_ = true;
        Chunk& chunk = slot(written_);
        const bool failed = write_failure_ != nullptr;
        lock.unlock();
        std::exception_ptr failure;
        // After a failure nothing more is written: the file ends with the lines before it.
        if (!failed) {
            try {
                out_.write(std::string_view(chunk.cut.get(), chunk.keep_bytes));
            } catch (...) {
                failure = std::current_exception();
            }
        }
        lock.lock();
        if (failure) write_failure_ = failure;
        writing_ = false;
        ++written_;
        work_.notify_all();
    }

    // With `lock` held: cuts the next chunk, the lock released meanwhile.
    void cut_next(std::unique_lock<std::mutex>& lock, bool polls) {
        const std::int64_t at = taken_++;
        Chunk& chunk = slot(at);
        ++cutting_;
        lock.unlock();
        const std::size_t from = static_cast<std::size_t>(at) * chunk_bytes_;
        const std::size_t to = std::min(input_.bytes().size(), from + chunk_bytes_);
        std::exception_ptr failure;
        try {
            cutter_.cut(chunk, from, to, hooks_.stop, polls, !settled_.load(std::memory_order_relaxed));
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        chunk.failure = failure;
        chunk.cut_done = true;
        --cutting_;
        progress_.notify_all();
    }

    // Passes the next chunk on to be written when it is cut: its first lines to the view, its count, the
    // end of the sample or the file, and the gauge. False when it is not cut yet.
    bool pass_cut_chunk() {
        {
            std::lock_guard lock(mutex_);
            if (ended_ || passed_ == taken_ || !slot(passed_).cut_done) return false;
        }
        Chunk& chunk = slot(passed_);
        if (chunk.failure) std::rethrow_exception(chunk.failure);
        std::size_t keep = chunk.cut_ends.size();
        std::size_t lines = chunk.lines;
        bool end = chunk.file_end;
        std::int64_t& generated = tally_.generated_line_count;
        if (job_.sample_size > 0 && generated + static_cast<std::int64_t>(keep) >= job_.sample_size) {
            keep = static_cast<std::size_t>(job_.sample_size - generated);
            lines = chunk.cut_from[keep - 1] + 1;
            end = true;
        }
        if (hooks_.view_line) {
            for (std::size_t i = 0; i < keep && generated + static_cast<std::int64_t>(i) < kFastViewLines;
                 ++i) {
                const std::size_t begin = i == 0 ? 0 : chunk.cut_ends[i - 1];
                hooks_.view_line(std::string_view(chunk.cut.get() + begin,
                                                  chunk.cut_ends[i] - cutter_.line_end_size() - begin));
            }
        }
        generated += static_cast<std::int64_t>(keep);
        // The chunk counted its lines from its first; a sample ends before its bad values past the last line.
        for (const auto& [index, field] : chunk.bad)
            if (index < lines)
                tally_.bad_values.add(field, static_cast<std::uint64_t>(lines_read_) + index + 1);
        lines_read_ += static_cast<std::int64_t>(lines);
        gauge_.lines_read(lines_read_);
        release_before(static_cast<std::size_t>(passed_) * chunk_bytes_);
        text_.add(chunk.text);
        // A Windows-1252 text that has settled against UTF-8 is tallied no further, as on one thread.
        if (job_.encoding == TextEncoding::cp1252 && text_.invalid_bytes() >= 1000 && !text_.reads_as_utf8())
            settled_.store(true, std::memory_order_relaxed);
        {
            std::lock_guard lock(mutex_);
            chunk.keep_bytes = keep == 0 ? 0 : chunk.cut_ends[keep - 1];
            chunk.cut_done = false;
            ++passed_;
            ended_ = end;
        }
        work_.notify_all();
        return true;
    }

    // The input's pages are the file's: they need not stay in this process once cut. A thread's page fault
    // may map a whole block of pages of the file's cache around the page it reads (up to a few megabytes
    // on some systems), also pages behind it already given back, so only pages well behind every chunk
    // still being cut are given back.
    void release_before(std::size_t offset) {
        constexpr std::size_t kLag = std::size_t{8} << 20;
        if (offset < kLag || offset - kLag <= released_) return;
        input_.release(released_, offset - kLag);
        released_ = offset - kLag;
    }

    const ExtractJob& job_;
    const ExtractHooks& hooks_;
    const MappedFile& input_;
    std::size_t released_ = 0;  // the input's pages before this offset were given back
    OutputFile& out_;
    RunTally& tally_;
    const ChunkCutter cutter_;
    FastGauge gauge_;
    const std::size_t chunk_bytes_;
    const std::int64_t chunk_count_;
    std::vector<Chunk> ring_;
    Utf8Tally text_;
    std::atomic<bool> settled_{false};  // the text's tally has settled: chunks cut from now on skip it
    std::mutex mutex_;
    std::condition_variable work_;      // a chunk to cut or to write, or the threads are to end
    std::condition_variable progress_;  // a chunk was cut or written
    // Chunks counted from the first: taken to be cut, passed, written. Guarded by `mutex_`; `passed_` and
    // `ended_` change on the calling thread only.
    std::int64_t taken_ = 0;
    std::int64_t passed_ = 0;
    std::int64_t written_ = 0;
    int cutting_ = 0;
    bool writing_ = false;
    bool ended_ = false;  // the sample is complete or a Ctrl+Z ended the file: no chunk after is passed
    std::exception_ptr write_failure_;
    bool quit_ = false;
    std::int64_t lines_read_ = 0;
    std::vector<std::thread> threads_;  // joined by the destructor, before the ring they use goes
};

// The input mapped for the cores to read each its own part, or nothing (the one-thread loop then reads it):
// a file the system will not map.
std::unique_ptr<MappedFile> map_input(const std::string& path) {
    try {
        return std::make_unique<MappedFile>(path);
    } catch (const FileError&) {
        return nullptr;
    }
}

// A mapped file that another program shrank reads as zeros past its new end: lines that were never there.
void check_not_shorter(const std::string& path, std::size_t mapped_size) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) < mapped_size)
        throw_file_error("Cannot read file", path, std::string_view("It became shorter while it was read"));
}

// Runs `body` (which writes the records into the sink's output) and commits the result. What was written
// before a failure or a stop stays in the file, which the user is told is incomplete.
template <class Body>
void run_streamed(const ExtractJob& job, const ExtractHooks& hooks, StreamingTextSink& sink, Body&& body,
                  RunTally& tally) {
    // The result view shows its lines as the file holds them.
    ExtractHooks shown(hooks);
    if (converted_output(job.encoding, job.output_encoding) && hooks.view_line)
        shown.view_line = [&hooks, from = job.encoding](std::string_view line) {
            std::string converted;
            TextConverter(from).convert(line, converted);
            hooks.view_line(converted);
        };
    std::string failure;
    try {
        body(static_cast<const ExtractHooks&>(shown));
        refuse_bad_values(job.strict, tally.bad_values, job.names);
        sink.commit();
        tally.replaced_chars = sink.out().replaced_chars();
        return;
    } catch (const BadValuesRefused&) {
        // The former result stays: the new one is abandoned, not told incomplete.
        sink.abandon();
        throw;
    } catch (const std::bad_alloc&) {
        failure = std::strerror(ENOMEM);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    sink.abandon();
    throw IncompleteResult(failure, job.output_path);
}

// Framed, skipped or decoded records go through the one-thread loop: the chunks of a mapped input are cut
// at line ends, which such an input does not have (or does not mean as records).
void fast_from_records(const ExtractJob& asked, const ExtractHooks& hooks, RunTally& tally) {
    JobRecords input(asked.input_path, asked.framing, asked.encoding, asked.code_page);
    ExtractJob job = asked;
    job.encoding = input.encoding();
    tally.encoding = job.encoding;
    // A framing broken at the first record is refused before the result file is touched.
    std::string_view first;
    const bool any = input.next(first);
    tally.bad_values.clear();
    StreamingTextSink sink(job);
    run_streamed(
        job, hooks, sink,
        [&](const ExtractHooks& shown) { stream_lines(job, shown, input, first, any, sink.out(), tally); },
        tally);
}

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

void fast_extract(const ExtractJob& asked, const ExtractHooks& hooks, RunTally& tally,
                  const FastSharing& sharing) {
    if (tally.input_size == 0) measure_input(asked.input_path, tally);
    if (asked.reads_records()) return fast_from_records(asked, hooks, tally);
    LineReader input(asked.input_path);
    ExtractJob job = asked;
    if (job.encoding_from_first_block)
        job.encoding = input.settle_text_encoding();
    else
        input.read_text_in(job.encoding);
    tally.encoding = job.encoding;
    // Memory that does not grow with the input, however long its lines. A settled encoding keeps a
    // character's width, so that a UTF-8 character that would contradict it is seen whole.
    input.keep_line_prefix(static_cast<std::size_t>(
        bytes_used(job.slices, job.encoding_from_first_block ? TextEncoding::utf8 : job.encoding)));
    // An input refused at its first line (UTF-16) is refused before the result file is touched.
    std::string_view first_line;
    const bool any_line = input.next(first_line);
    tally.bad_values.clear();
    StreamingTextSink sink(job);
    run_streamed(
        job, hooks, sink,
        [&](const ExtractHooks& shown) {
            std::unique_ptr<MappedFile> mapped;
            // An encoding settled by the first block is watched line by line by the reader alone.
            if (sharing.extra_threads > 0 && any_line && !job.encoding_from_first_block)
                mapped = map_input(job.input_path);
            if (mapped) {
                SharedStream shared(job, shown, *mapped, sink.out(), tally, sharing);
                shared.run();
                tally.input_text = shared.text();
                check_not_shorter(job.input_path, mapped->bytes().size());
            } else {
                stream_lines(job, shown, input, first_line, any_line, sink.out(), tally);
                tally.input_text = input.tally();
            }
        },
        tally);
}

IncompleteResult::IncompleteResult(const std::string& failure, const std::string& path)
    : UserError(with_full_stop(failure) + "\n\rThe result file " + path + " is incomplete"),
      failure_(with_full_stop(failure)),
      path_(path) {}

std::string IncompleteResult::incomplete_text() const {
    return "The result file " + path_ + " is incomplete.";
}

}  // namespace qvr
