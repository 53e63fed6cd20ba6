#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

class Collation;
class StopRequest;

/// The result of a sorted standard extract: the cut lines that passed the filter, kept in one block of
/// text with one end offset per line. Each line is collated once, and only the first 16 bytes of its sort
/// key are kept beside it; lines whose keys agree that far are collated again, their group alone, once
/// sorted. So the list holds its text and 32 bytes a line. Equal lines stand in reverse pass order;
/// dropping duplicates keeps the first line that passed of each set of equal lines. (In input order the
/// lines go straight to the result file.)
class ResultList {
  public:
    /// Lines a processor core takes at least when the sort keys are made on several cores at once.
    static constexpr std::size_t kLinesPerKeyWorker = 100'000;
    /// Bytes the list holds for each line beside its text: its end and its sort entry.
    static constexpr std::size_t kBytesPerLine = 32;

    /// `collation` is used only when sorting or dropping duplicates (which implies sorting) and must
    /// then outlive finish(). Sort keys are made on up to four cores, each taking `lines_per_worker`
    /// lines at least, each with a copy of `collation`. `stop` (may be null) ends finish() early.
    ResultList(bool sorted, bool unique, Collation* collation,
               std::size_t lines_per_worker = kLinesPerKeyWorker, const StopRequest* stop = nullptr);
    ~ResultList();
    ResultList(const ResultList&) = delete;
    ResultList& operator=(const ResultList&) = delete;

    /// Makes room for about `bytes` of text in `lines` lines, so the list grows without copying.
    void reserve(std::size_t bytes, std::size_t lines);

    /// Adds a line that passed the filter; lines come in pass order.
    void add(std::string_view cut_line);

    /// Room for a line of up to `n` bytes at the end of the block, where a line is cut in place before it
    /// is kept by keep_line() (or left, when it fails the filter). Throws std::bad_alloc.
    char* line_room(std::size_t n);
    /// Keeps the `n` bytes written at line_room() as the next line.
    void keep_line(std::size_t n);

    /// The bytes the lines take in memory, sorted: their text and kBytesPerLine each.
    std::uint64_t bytes_held() const { return used_ + ends_.size() * kBytesPerLine; }
    /// Lines added since the start or the last clear().
    std::size_t lines_added() const { return ends_.size(); }

    /// Puts the lines in result order: sorted and without duplicates as asked. Call once, after the
    /// last add().
    /// How far the ordering has come, 0 to 100; called now and then, so a gauge keeps moving through
    /// the seconds a big sort takes.
    using Progress = std::function<void(int)>;
    void finish(const Progress& progress = {});

    /// Empties the list for the next lines, keeping the memory it has.
    void clear();
    /// Empties the list and gives its memory back.
    void release();

    /// Bounds the memory the whole sort keys of lines alike in their first key bytes take while those lines
    /// are put in order, all cores together: a group whose keys would not fit is ordered by comparing its
    /// lines two at a time instead (slower where they share a long start, in the same order).
    void set_key_room(std::size_t bytes) { key_room_ = bytes; }

    /// Number of lines in the result (after finish(): duplicates dropped).
    std::size_t size() const { return ordered_ ? order_.size() : ends_.size(); }

    /// Line `i` of the result, in result order, without its line end.
    std::string_view line(std::size_t i) const { return pass_line(ordered_ ? order_[i].pass : i); }

  private:
    /// A line's place in the order: the first bytes of its key and its pass.
    struct SortEntry {
        std::uint64_t high;  // the key's first 16 bytes, big-endian, 0 after its end
        std::uint64_t low;
        std::uint64_t pass : 63;      // the line's index in pass order
        std::uint64_t truncated : 1;  // the key is longer than 16 bytes
        /// By the known key bytes, then equal lines in reverse pass order.
        bool operator<(const SortEntry& b) const;
        /// Whether the known key bytes agree.
        bool same_prefix(const SortEntry& b) const {
            return high == b.high && low == b.low && truncated == b.truncated;
        }
    };

    std::string_view pass_line(std::uint64_t pass) const {
        const std::uint64_t begin = pass == 0 ? 0 : ends_[pass - 1];
        return {text_ + begin, static_cast<std::size_t>(ends_[pass] - begin)};
    }
    void grow(std::size_t at_least);
    /// Runs work(part, collation) for each part, part 0 on this thread and each other on a thread of its
    /// own with a copy of the collation (one collator serves one thread); rethrows what a part threw.
    void on_cores(std::size_t parts, const std::function<void(std::size_t, Collation&)>& work);
    void compute_chunk(std::size_t first, std::size_t last, Collation& collation,
                       const Progress* progress = nullptr);
    /// Sorts the entries by operator<, on up to `parts` cores.
    void sort_entries(std::size_t parts, const Progress& progress);
    /// Orders each group of lines whose first 16 key bytes agree by the whole lines, dropping
    /// duplicates when asked, on up to `parts` cores.
    void settle_groups(std::size_t parts);
    /// Orders order_[begin, end), whose key prefixes agree and go on, by the whole lines, holding at most
    /// `room` bytes of keys; returns where the lines it keeps end (duplicates dropped when unique).
    std::size_t settle_group(std::size_t begin, std::size_t end, Collation& collation, std::size_t room);

    bool sorted_;
    bool unique_;
    Collation* collation_;
    const StopRequest* stop_;
    char* text_ = nullptr;  // malloc'ed, so that growing a big block can move pages instead of bytes
    std::size_t used_ = 0;
    std::size_t capacity_ = 0;
    std::vector<std::uint64_t> ends_;  // each line's end
    std::size_t lines_per_worker_;
    std::vector<SortEntry> order_;
    bool ordered_ = false;
    std::size_t key_room_ = SIZE_MAX;
};

}  // namespace qvr
