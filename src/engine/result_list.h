#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

class Collation;

/// The result of the standard extract: the cut lines that passed the filter, kept in one block of text
/// with one end offset per line. When sorting, each line is collated once into a sort key and the whole
/// list is sorted by one sort at the end, which places equal lines in reverse pass order; dropping
/// duplicates keeps the first line that passed of each set of equal lines.
class ResultList {
  public:
    /// `collation` is used only when sorting or dropping duplicates (which implies sorting) and must
    /// then outlive finish().
    ResultList(bool sorted, bool unique, Collation* collation);

    /// Makes room for about `bytes` of text in `lines` lines, so the list grows without copying.
    void reserve(std::size_t bytes, std::size_t lines);

    /// Adds a line that passed the filter; lines come in pass order.
    void add(std::string_view cut_line);

    /// Puts the lines in result order: sorted and without duplicates as asked. Call once, after the
    /// last add().
    void finish();

    /// Number of lines in the result (after finish(): duplicates dropped).
    std::size_t size() const { return ordered_ ? order_.size() : ends_.size(); }

    /// Line `i` of the result, in result order.
    std::string_view line(std::size_t i) const { return pass_line(ordered_ ? order_[i].pass : i); }

  private:
    struct SortEntry {
        std::uint64_t prefix;  // the key's first 8 bytes, big-endian, settles most comparisons at once
        std::uint64_t pass;    // the line's index in pass order
    };

    std::string_view pass_line(std::uint64_t pass) const;
    std::string_view key_of(std::uint64_t pass) const;
    void compute_keys();
    void sort_entries();
    void drop_duplicates();

    bool sorted_;
    bool unique_;
    Collation* collation_;
    std::string text_;
    std::vector<std::uint64_t> ends_;
    std::string keys_;
    std::vector<std::uint64_t> key_ends_;
    std::vector<SortEntry> order_;
    bool ordered_ = false;
};

}  // namespace qvr
