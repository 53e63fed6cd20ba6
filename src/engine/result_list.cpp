#include "engine/result_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

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

ResultList::~ResultList() { std::free(text_); }

void ResultList::grow(std::size_t at_least) {
    std::size_t capacity = std::max(at_least, capacity_ + capacity_ / 2);
    void* bigger = std::realloc(text_, capacity);
    if (!bigger) throw std::bad_alloc();
    text_ = static_cast<char*>(bigger);
    capacity_ = capacity;
}

void ResultList::reserve(std::size_t bytes, std::size_t lines) {
    if (bytes > capacity_) grow(bytes);
    ends_.reserve(lines);
}

char* ResultList::line_room(std::size_t n) {
    if (n > capacity_ - used_) grow(used_ + std::max<std::size_t>(n, 1));
    return text_ + used_;
}

void ResultList::keep_line(std::size_t n) {
    ends_.push_back(used_ + n);
    used_ += n;
}

void ResultList::add(std::string_view cut_line) {
    char* at = line_room(cut_line.size());
    if (!cut_line.empty()) std::memcpy(at, cut_line.data(), cut_line.size());
    keep_line(cut_line.size());
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
    keys_.reserve(used_ + used_ / 2);
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
