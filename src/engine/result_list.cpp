#include "engine/result_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <thread>

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

ResultList::ResultList(bool sorted, bool unique, Collation* collation, std::size_t lines_per_worker)
    : sorted_(sorted || unique),
      unique_(unique),
      collation_(collation),
      lines_per_worker_(std::max<std::size_t>(lines_per_worker, 1)) {}

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
    const KeyChunk& chunk = key_chunks_[pass / chunk_lines_];
    const std::uint64_t i = pass % chunk_lines_;
    const std::uint64_t begin = i == 0 ? 0 : chunk.ends[i - 1];
    return std::string_view(chunk.keys).substr(begin, chunk.ends[i] - begin);
}

void ResultList::finish(const Progress& progress) {
    if (!sorted_ || ordered_) return;
    // Making the keys takes about as long as sorting them.
    compute_keys(progress);
    sort_entries(progress);
    if (unique_) drop_duplicates();
    if (progress) progress(100);
    release(key_chunks_);
    ordered_ = true;
}

void ResultList::compute_keys(const Progress& progress) {
    // Collating takes most of a sorted run, and each line's key depends on that line alone: the lines are
    // shared out among the cores, each core with its own copy of the collation.
    const std::size_t lines = ends_.size();
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    const std::size_t workers = std::clamp<std::size_t>(lines / lines_per_worker_, 1, cores);
    chunk_lines_ = std::max<std::size_t>((lines + workers - 1) / workers, 1);
    key_chunks_.resize(workers);
    order_.resize(lines);
    std::vector<std::unique_ptr<Collation>> copies;
    for (std::size_t w = 1; w < workers; ++w) copies.push_back(collation_->copy());
    std::vector<std::exception_ptr> failures(workers);
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w)
        threads.emplace_back([this, w, &copies, &failures] {
            try {
                compute_chunk(w, *copies[w - 1]);
            } catch (...) {
                failures[w] = std::current_exception();
            }
        });
    try {
        // The other cores go at the same pace, so the first chunk tells how far all are.
        compute_chunk(0, *collation_, progress ? &progress : nullptr);
    } catch (...) {
        failures[0] = std::current_exception();
    }
    for (std::thread& t : threads) t.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

void ResultList::compute_chunk(std::size_t chunk, Collation& collation, const Progress* progress) {
    const std::uint64_t first = chunk * chunk_lines_;
    const std::uint64_t last = std::min<std::uint64_t>(first + chunk_lines_, ends_.size());
    if (first >= last) return;
    KeyChunk& keys = key_chunks_[chunk];
    // Keys of Latin text run about a quarter longer than the text; room for half as much again means
    // the key block is not copied while it grows (unused room is never touched, so it costs nothing).
    const std::uint64_t bytes = ends_[last - 1] - (first == 0 ? 0 : ends_[first - 1]);
    keys.keys.reserve(bytes + bytes / 2);
    keys.ends.reserve(last - first);
    const std::uint64_t step = std::max<std::uint64_t>((last - first) / 50, 1);
    for (std::uint64_t pass = first; pass < last; ++pass) {
        const std::size_t begin = keys.keys.size();
        collation.append_key(pass_line(pass), keys.keys);
        keys.ends.push_back(keys.keys.size());
        order_[pass] = {prefix_of(std::string_view(keys.keys).substr(begin)), pass};
        if (progress && (pass - first + 1) % step == 0)
            (*progress)(static_cast<int>(50 * (pass - first + 1) / (last - first)));
    }
}

void ResultList::sort_entries(const Progress& progress) {
    // A sort makes about n log2 n comparisons; counting them tells how far it has come.
    const double n = static_cast<double>(std::max<std::size_t>(order_.size(), 2));
    const double expected = n * std::log2(n);
    std::uint64_t comparisons = 0;
    // Equal lines end up in reverse pass order: the later line goes in front of the earlier ones.
    std::sort(order_.begin(), order_.end(), [&](const SortEntry& a, const SortEntry& b) {
        if (progress && ++comparisons % 65536 == 0)
            progress(50 +
                     static_cast<int>(std::min(44.0, 45.0 * static_cast<double>(comparisons) / expected)));
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        int c = compare_bytes(key_of(a.pass), key_of(b.pass));
        if (c != 0) return c < 0;
        return a.pass > b.pass;
    });
    if (progress) progress(95);
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
