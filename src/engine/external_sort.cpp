#include "engine/external_sort.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <queue>

#include "common/byte_order.h"
#include "common/file_error.h"
#include "common/output_file.h"
#include "common/stop_request.h"
#include "engine/collation.h"
#include "engine/result_list.h"

namespace qvr {

namespace {

/// The bounds of a run's read block in a merge.
constexpr std::size_t kSmallestReadBlock = std::size_t{1} << 12;
constexpr std::size_t kReadBlock = std::size_t{1} << 18;

void put_size(OutputFile& out, std::uint64_t n) {
    char bytes[10];
    std::size_t used = 0;
    do {
        bytes[used++] = static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0));
        n >>= 7;
    } while (n > 0);
    out.write(std::string_view(bytes, used));
}

}  // namespace

/// One sorted run: its file, the lines it holds, and while merging the line in front with its key.
struct SortedRuns::Run {
    int fd = -1;
    std::string name;  // for messages
    std::uint64_t lines = 0;
    unsigned level = 0;  // merges its lines went through
    std::unique_ptr<OutputFile> out;
    // Reading back.
    std::unique_ptr<char[]> block;
    std::size_t block_size = 0, begin = 0, end = 0;
    std::uint64_t offset = 0, left = 0;
    std::string line, key;

    ~Run() {
        if (fd >= 0) ::close(fd);
    }

    void start_reading(std::size_t size) {
        out.reset();
        block_size = size;
        block = std::make_unique_for_overwrite<char[]>(size);
        begin = end = 0;
        offset = 0;
        left = lines;
    }
    bool fill() {
        if (begin < end) std::memmove(block.get(), block.get() + begin, end - begin);
        end -= begin;
        begin = 0;
        for (;;) {
            const ssize_t got = ::pread(fd, block.get() + end, block_size - end, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw_file_error("Cannot read file", name, errno);
            offset += static_cast<std::uint64_t>(got);
            end += static_cast<std::size_t>(got);
            return got > 0;
        }
    }
    std::uint8_t byte() {
        if (begin == end && !fill()) throw_file_error("Cannot read file", name, EIO);
        return static_cast<std::uint8_t>(block[begin++]);
    }
    /// Reads the next line into `line`; false after the last.
    bool next() {
        if (left == 0) return false;
        --left;
        std::uint64_t size = 0;
        for (int shift = 0;; shift += 7) {
            const std::uint8_t b = byte();
            size |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) break;
        }
        line.clear();
        while (size > 0) {
            if (begin == end && !fill()) throw_file_error("Cannot read file", name, EIO);
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, end - begin));
            line.append(block.get() + begin, n);
            begin += n;
            size -= n;
        }
        return true;
    }
};

SortedRuns::SortedRuns(std::string folder, bool unique, Collation& collation, const StopRequest* stop,
                       std::size_t merge_memory, std::size_t descriptors)
    : folder_(std::move(folder)),
      unique_(unique),
      collation_(collation),
      stop_(stop),
      max_runs_(std::max<std::size_t>(descriptors, 2)),
      read_block_(std::clamp(merge_memory / merge_width(), kSmallestReadBlock, kReadBlock)) {}

SortedRuns::~SortedRuns() = default;

std::size_t SortedRuns::descriptors_left() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
    // Those open below the limit take the numbers a new descriptor could have.
    std::size_t open = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(fds))
            if (entry->d_name[0] != '.' && std::strtoull(entry->d_name, nullptr, 10) < limit.rlim_cur) ++open;
        ::closedir(fds);
        open -= std::min<std::size_t>(open, 1);  // the listing's own
    }
    const auto left = static_cast<std::size_t>(limit.rlim_cur - std::min<rlim_t>(limit.rlim_cur, open));
    return left - std::min(left, kDescriptorMargin);
}

std::unique_ptr<SortedRuns::Run> SortedRuns::open_run() {
    auto run = std::make_unique<Run>();
    // The folder exists; the run's file has no name of its own.
    run->name = (folder_.empty() ? std::string("./") : folder_) + " (a sorted run's temporary file)";
    run->fd = open_nameless(folder_, run->name);
    run->out = OutputFile::borrow(run->fd, run->name);
    return run;
}

void SortedRuns::add(const ResultList& list) {
    if (runs_.size() >= max_runs_) make_room();
    std::unique_ptr<Run> run = open_run();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if ((i & 0xFFF) == 0) check_stop(stop_);
        const std::string_view line = list.line(i);
        put_size(*run->out, line.size());
        run->out->write(line);
    }
    run->out->close();
    run->out.reset();  // its buffer is not held through the runs that follow
    run->lines = list.size();
    runs_.push_back(std::move(run));
}

void SortedRuns::merge_groups(std::size_t from) {
    // Neighbours hold neighbouring passes, so their merge is the run their lines would have made.
    const std::size_t width = merge_width();
    std::vector<std::unique_ptr<Run>> merged;
    for (std::size_t i = 0; i < from; ++i) merged.push_back(std::move(runs_[i]));
    for (std::size_t at = from; at < runs_.size(); at += width) {
        std::vector<std::unique_ptr<Run>> group;
        unsigned level = 0;
        for (std::size_t i = at; i < std::min(runs_.size(), at + width); ++i) {
            level = std::max(level, runs_[i]->level + 1);
            group.push_back(std::move(runs_[i]));
        }
        if (group.size() == 1) {
            merged.push_back(std::move(group[0]));
            continue;
        }
        std::unique_ptr<Run> run = open_run();
        merge_runs(group,
                   [&](std::string_view line) {
                       put_size(*run->out, line.size());
                       run->out->write(line);
                       ++run->lines;
                   },
                   {});
        run->out->close();
        run->out.reset();
        run->level = level;
        merged.push_back(std::move(run));
    }
    runs_ = std::move(merged);
}

void SortedRuns::make_room() {
    // Runs stand oldest first, the newest merged least: the newest block of one level is merged, widened a
    // level at a time until it fills a group.
    std::size_t from = runs_.size();
    while (from > 0 && runs_.size() - from < merge_width()) {
        const unsigned level = runs_[from - 1]->level;
        while (from > 0 && runs_[from - 1]->level == level) --from;
    }
    merge_groups(from);
}

void SortedRuns::merge(const std::function<void(std::string_view)>& emit,
                       const std::function<void(std::uint64_t, std::uint64_t)>& progress) {
    // Too many runs to read at once (each takes a block, and a descriptor while it is held): neighbours are
    // merged into one run first.
    while (runs_.size() > merge_width()) merge_groups(0);
    merge_runs(runs_, emit, progress);
    runs_.clear();
}

void SortedRuns::merge_runs(std::vector<std::unique_ptr<Run>>& runs,
                            const std::function<void(std::string_view)>& emit,
                            const std::function<void(std::uint64_t, std::uint64_t)>& progress) {
    std::uint64_t total = 0;
    for (auto& run : runs) {
        run->start_reading(read_block_);
        total += run->lines;
    }
    auto advance = [&](std::size_t r) {
        Run& run = *runs[r];
        if (!run.next()) return false;
        run.key.clear();
        collation_.append_key(run.line, run.key);
        return true;
    };
    // The front of the queue is the smallest key; on equal keys the later run.
    auto later = [&](std::size_t a, std::size_t b) {
        const int c = compare_bytes(runs[a]->key, runs[b]->key);
        return c != 0 ? c > 0 : a < b;
    };
    std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(later)> fronts(later);
    for (std::size_t r = 0; r < runs.size(); ++r)
        if (advance(r)) fronts.push(r);
    std::string held, held_key;  // unique: the line kept of the equal lines seen so far
    bool holding = false;
    std::uint64_t done = 0;
    while (!fronts.empty()) {
        const std::size_t r = fronts.top();
        fronts.pop();
        Run& run = *runs[r];
        if ((++done & 0xFFF) == 0) {
            if (progress) progress(done, total);
            check_stop(stop_);
        }
        if (!unique_) {
            emit(run.line);
        } else {
            // Equal lines come from later runs first: the last of them passed first and is the one kept.
            if (holding && compare_bytes(held_key, run.key) != 0) emit(held);
            held.swap(run.line);
            held_key.swap(run.key);
            holding = true;
        }
        if (advance(r)) fronts.push(r);
    }
    if (holding) emit(held);
    if (progress) progress(total, total);
}

}  // namespace qvr
