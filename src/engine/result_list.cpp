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
#include "common/stop_request.h"
#include "engine/collation.h"

namespace qvr {

namespace {

/// Bytes [from, from + 8) of `key` as a big-endian number, 0 past its end. ICU keys hold no 0 byte, so
/// comparing these numbers compares the keys as far as they go.
std::uint64_t key_bytes(std::string_view key, std::size_t from) {
    std::uint64_t p = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        p = (p << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return p;
}

constexpr std::size_t kPrefixBytes = 16;
/// Lines of a group up to which settle_group() compares lines, not their whole keys.
constexpr std::size_t kLinesComparedInPairs = 8;

/// How two keys compare, each held as the first `shared` bytes of `base` and then its `rest`, which never
/// starts with the byte of `base` that follows: in byte order, the shorter first on a tie, as whole keys.
int compare_on_base(std::string_view base, std::size_t shared_a, std::string_view rest_a,
                    std::size_t shared_b, std::string_view rest_b) {
    if (shared_a == shared_b) return compare_bytes(rest_a, rest_b);
    if (shared_a > shared_b) return -compare_on_base(base, shared_b, rest_b, shared_a, rest_a);
    // Key b goes on with base's byte where key a ends or differs from it.
    if (rest_a.empty()) return -1;
    return static_cast<unsigned char>(rest_a[0]) < static_cast<unsigned char>(base[shared_a]) ? -1 : 1;
}

}  // namespace

ResultList::ResultList(bool sorted, bool unique, Collation* collation, std::size_t lines_per_worker,
                       const StopRequest* stop)
    : sorted_(sorted || unique),
      unique_(unique),
      collation_(collation),
      stop_(stop),
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

void ResultList::clear() {
    used_ = 0;
    ends_.clear();
    order_.clear();
    ordered_ = false;
}

void ResultList::release() {
    clear();
    std::free(text_);
    text_ = nullptr;
    capacity_ = 0;
    std::vector<std::uint64_t>().swap(ends_);
    std::vector<SortEntry>().swap(order_);
}

bool ResultList::SortEntry::operator<(const SortEntry& b) const {
    if (high != b.high) return high < b.high;
    if (low != b.low) return low < b.low;
    if (truncated != b.truncated) return truncated < b.truncated;
    // Equal lines end up in reverse pass order: the later line goes in front of the earlier ones.
    return pass > b.pass;
}

void ResultList::finish(const Progress& progress) {
    if (!sorted_ || ordered_) return;
    const std::size_t lines = ends_.size();
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    const std::size_t parts = std::clamp<std::size_t>(lines / lines_per_worker_, 1, cores);
    // Making the keys takes about as long as sorting them. Each line's key depends on that line alone:
    // the lines are shared out among the cores. The other cores go at the same pace, so the first share
    // tells how far all are.
    order_.resize(lines);
    const std::size_t share = std::max<std::size_t>((lines + parts - 1) / parts, 1);
    on_cores(parts, [&](std::size_t part, Collation& collation) {
        compute_chunk(std::min(lines, part * share), std::min(lines, (part + 1) * share), collation,
                      part == 0 && progress ? &progress : nullptr);
    });
    check_stop(stop_);
    sort_entries(parts, progress);
    check_stop(stop_);
    settle_groups(parts);
    if (progress) progress(100);
    ordered_ = true;
}

void ResultList::on_cores(std::size_t parts, const std::function<void(std::size_t, Collation&)>& work) {
    std::vector<std::unique_ptr<Collation>> copies;
    for (std::size_t part = 1; part < parts; ++part) copies.push_back(collation_->copy());
    std::vector<std::exception_ptr> failures(parts);
    std::vector<std::thread> threads;
    for (std::size_t part = 1; part < parts; ++part)
        threads.emplace_back([&, part] {
            try {
                work(part, *copies[part - 1]);
            } catch (...) {
                failures[part] = std::current_exception();
            }
        });
    try {
        work(0, *collation_);
    } catch (...) {
        failures[0] = std::current_exception();
    }
    for (std::thread& t : threads) t.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

void ResultList::sort_entries(std::size_t parts, const Progress& progress) {
    // The entries are split around pivots taken from a sample, each part holding only entries below those
    // of the next; then the parts are sorted on their own cores. No two entries are equal (the pass
    // tells them apart), so the order is the same however the parts fall.
    std::vector<std::size_t> bounds{0};
    if (parts > 1) {
        std::vector<SortEntry> sample;
        const std::size_t step = std::max<std::size_t>(order_.size() / 1024, 1);
        for (std::size_t i = 0; i < order_.size(); i += step) sample.push_back(order_[i]);
        std::sort(sample.begin(), sample.end());
        for (std::size_t part = 1; part < parts; ++part) {
            const SortEntry pivot = sample[sample.size() * part / parts];
            const auto from = order_.begin() + static_cast<std::ptrdiff_t>(bounds.back());
            const auto to = std::partition(from, order_.end(), [&](const SortEntry& e) { return e < pivot; });
            bounds.push_back(static_cast<std::size_t>(to - order_.begin()));
        }
    }
    bounds.push_back(order_.size());
    // A sort makes about n log2 n comparisons; counting those of the first part tells how far it has come.
    const double n = static_cast<double>(std::max<std::size_t>(bounds[1], 2));
    const double expected = n * std::log2(n);
    on_cores(bounds.size() - 1, [&](std::size_t part, Collation&) {
        const auto from = order_.begin() + static_cast<std::ptrdiff_t>(bounds[part]);
        const auto to = order_.begin() + static_cast<std::ptrdiff_t>(bounds[part + 1]);
        if (part != 0 || !progress) return std::sort(from, to);
        std::uint64_t comparisons = 0;
        std::sort(from, to, [&](const SortEntry& a, const SortEntry& b) {
            if (++comparisons % 65536 == 0)
                progress(50 + static_cast<int>(
                                  std::min(44.0, 45.0 * static_cast<double>(comparisons) / expected)));
            return a < b;
        });
    });
}

void ResultList::compute_chunk(std::size_t first, std::size_t last, Collation& collation,
                               const Progress* progress) {
    std::string key;
    const std::size_t step = std::max<std::size_t>((last - first) / 50, 1);
    for (std::size_t pass = first; pass < last; ++pass) {
        if (progress && (pass - first + 1) % step == 0)
            (*progress)(static_cast<int>(50 * (pass - first + 1) / (last - first)));
        if ((pass & 0xFFF) == 0) check_stop(stop_);
        key.clear();
        const bool longer = collation.append_key_prefix(pass_line(pass), kPrefixBytes, key);
        SortEntry& e = order_[pass];
        e.high = key_bytes(key, 0);
        e.low = key_bytes(key, 8);
        e.pass = pass;
        e.truncated = longer;
    }
}

void ResultList::settle_groups(std::size_t parts) {
    // Groups are settled each on its own, so the entries are shared out among the cores, each share
    // beginning where a group does; each core moves the entries it keeps to the front of its share, and
    // the shares are joined after.
    std::vector<std::size_t> bounds{0};
    for (std::size_t part = 1; part < parts; ++part) {
        std::size_t at = std::max(bounds.back(), order_.size() * part / parts);
        while (at > 0 && at < order_.size() && order_[at - 1].same_prefix(order_[at])) ++at;
        bounds.push_back(at);
    }
    bounds.push_back(order_.size());
    std::vector<std::size_t> kept_ends(bounds.size() - 1);
    const std::size_t room = key_room_ / (bounds.size() - 1);
    on_cores(bounds.size() - 1, [&](std::size_t part, Collation& collation) {
        std::size_t kept = bounds[part];
        for (std::size_t begin = bounds[part]; begin < bounds[part + 1];) {
            std::size_t end = begin + 1;
            while (end < bounds[part + 1] && order_[begin].same_prefix(order_[end])) ++end;
            if (order_[begin].truncated && end - begin > 1) {
                const std::size_t group_end = settle_group(begin, end, collation, room);
                for (std::size_t i = begin; i < group_end; ++i) order_[kept++] = order_[i];
            } else if (unique_) {
                // Whole keys that agree: the first to pass stands last and is the one kept.
                order_[kept++] = order_[end - 1];
            } else {
                for (std::size_t i = begin; i < end; ++i) order_[kept++] = order_[i];
            }
            begin = end;
        }
        kept_ends[part] = kept;
    });
    std::size_t kept = kept_ends[0];
    for (std::size_t part = 1; part < kept_ends.size(); ++part)
        for (std::size_t i = bounds[part]; i < kept_ends[part]; ++i) order_[kept++] = order_[i];
    order_.resize(kept);
}

std::size_t ResultList::settle_group(std::size_t begin, std::size_t end, Collation& collation,
                                     std::size_t room) {
    const auto first = order_.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = order_.begin() + static_cast<std::ptrdiff_t>(end);
    const SortEntry like = *first;  // the key bytes the whole group shares
    // A few lines (most groups are two) are compared two at a time, which takes ICU's quick way for Latin
    // letters and stops at their first difference. Many lines would need n log n such walks over their
    // common start: they are collated once each, and each key is kept as what follows the part it shares
    // with the first line's key, so lines sharing a long start take little room. Meanwhile an entry's key
    // bytes, the same for the whole group, hold where its key is.
    std::string base, key, rests;
    bool keyed = end - begin > kLinesComparedInPairs;
    if (keyed) collation.append_key(pass_line(like.pass), base);
    for (auto e = first; keyed && e != last; ++e) {
        key.clear();
        collation.append_key(pass_line(e->pass), key);
        const auto shared = static_cast<std::size_t>(
            std::mismatch(key.begin(), key.end(), base.begin(), base.end()).first - key.begin());
        const std::size_t need = rests.size() + key.size() - shared;
        keyed = key.size() < (std::uint64_t{1} << 32) && base.size() + need <= room;
        // Grown by doubling, but never past the room.
        if (keyed && need > rests.capacity())
            rests.reserve(std::min(room - base.size(), std::max(need, 2 * rests.capacity())));
        e->high = rests.size();
        e->low = (std::uint64_t{shared} << 32) | (key.size() - shared);
        rests.append(key, shared);
    }
    if (!keyed) std::string().swap(rests);
    auto compare = [&](const SortEntry& a, const SortEntry& b) {
        if (!keyed) return collation.compare(pass_line(a.pass), pass_line(b.pass));
        const std::string_view all(rests);
        return compare_on_base(base, a.low >> 32, all.substr(a.high, a.low & 0xFFFFFFFF), b.low >> 32,
                               all.substr(b.high, b.low & 0xFFFFFFFF));
    };
    // Equal lines in reverse pass order, as everywhere in the list.
    std::sort(first, last, [&](const SortEntry& a, const SortEntry& b) {
        const int c = compare(a, b);
        return c != 0 ? c < 0 : a.pass > b.pass;
    });
    std::size_t out = begin;
    for (std::size_t i = begin; i < end; ++i) {
        if (unique_ && i + 1 < end && compare(order_[i], order_[i + 1]) == 0) continue;
        order_[out++] = order_[i];
    }
    for (std::size_t i = begin; i < out; ++i) {
        order_[i].high = like.high;
        order_[i].low = like.low;
    }
    return out;
}

}  // namespace qvr
