#include "engine/result_list.h"

#include <algorithm>

#include "common/byte_order.h"
#include "engine/collation.h"

namespace qvr {

namespace {
std::uint64_t prefix_of(std::string_view key) {
    std::uint64_t p = 0;
    for (std::size_t i = 0; i < 8; ++i)
        p = (p << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return p;
}

template <class T>
void release(T& container) {
    T().swap(container);
}
}  // namespace

ResultList::ResultList(bool sorted, bool unique, Collation* collation)
    : sorted_(sorted || unique), unique_(unique), collation_(collation) {}

void ResultList::reserve(std::size_t bytes, std::size_t lines) {
    text_.reserve(bytes);
    ends_.reserve(lines);
}

void ResultList::add(std::string_view cut_line) {
    text_.append(cut_line);
    ends_.push_back(text_.size());
}

std::string_view ResultList::pass_line(std::uint64_t pass) const {
    std::uint64_t begin = pass == 0 ? 0 : ends_[pass - 1];
    return std::string_view(text_).substr(begin, ends_[pass] - begin);
}

std::string_view ResultList::key_of(std::uint64_t pass) const {
    std::uint64_t begin = pass == 0 ? 0 : key_ends_[pass - 1];
    return std::string_view(keys_).substr(begin, key_ends_[pass] - begin);
}

void ResultList::finish() {
    if (!sorted_ || ordered_) return;
    compute_keys();
    sort_entries();
    if (unique_) drop_duplicates();
    release(keys_);
    release(key_ends_);
    ordered_ = true;
}

void ResultList::compute_keys() {
    // Keys of Latin text run about a quarter longer than the text; room for half as much again means
    // the key block is not copied while it grows (unused room is never touched, so it costs nothing).
    keys_.reserve(text_.size() + text_.size() / 2);
    key_ends_.reserve(ends_.size());
    order_.reserve(ends_.size());
    for (std::uint64_t pass = 0; pass < ends_.size(); ++pass) {
        std::size_t begin = keys_.size();
        collation_->append_key(pass_line(pass), keys_);
        key_ends_.push_back(keys_.size());
        order_.push_back({prefix_of(std::string_view(keys_).substr(begin)), pass});
    }
}

void ResultList::sort_entries() {
    // Equal lines end up in reverse pass order: the later line goes in front of the earlier ones.
    std::sort(order_.begin(), order_.end(), [this](const SortEntry& a, const SortEntry& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        int c = compare_bytes(key_of(a.pass), key_of(b.pass));
        if (c != 0) return c < 0;
        return a.pass > b.pass;
    });
}

void ResultList::drop_duplicates() {
    // In each run of equal lines the first to pass stands last; it is the one kept.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < order_.size(); ++i) {
        bool last_of_run = i + 1 == order_.size() || order_[i].prefix != order_[i + 1].prefix ||
                           compare_bytes(key_of(order_[i].pass), key_of(order_[i + 1].pass)) != 0;
        if (last_of_run) order_[kept++] = order_[i];
    }
    order_.resize(kept);
}

}  // namespace qvr
