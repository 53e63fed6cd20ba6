#include "common/line_list.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "common/line_scan.h"
#include "common/mapped_file.h"
#include "common/text_encoding.h"
#include "common/utf8_chars.h"

namespace qvr {

void LineList::clear() {
    mapped_.reset();
    mapped_bytes_ = nullptr;
    std::string().swap(text_);
    std::vector<Span>().swap(spans_);
    longest_ = 0;
    changed();
}

void LineList::add_span(std::uint64_t start, std::uint64_t size) {
    spans_.push_back({start, size});
    if (!chars_) longest_ = std::max(longest_, static_cast<std::size_t>(size));
}

std::size_t LineList::columns_of(std::string_view line) const {
    return chars_ && has_high_byte(line) ? utf8_columns(line) : line.size();
}

std::size_t LineList::columns(std::size_t i) const { return columns_of((*this)[i]); }

std::string_view LineList::column_slice(std::size_t i, std::size_t first, std::size_t count) const {
    return LineColumns((*this)[i], chars_ ? TextEncoding::utf8 : TextEncoding::cp1252).slice(first, count);
}

void LineList::count_characters(bool on) {
    chars_ = on;
    positions_.clear();
    longest_ = 0;
    for (std::size_t i = 0; i < spans_.size(); ++i) longest_ = std::max(longest_, columns(i));
    if (on) release_pages();
}

void LineList::own_text() {
    if (!mapped_) return;
    std::string text(mapped_->bytes());
    mapped_.reset();
    mapped_bytes_ = nullptr;
    text_ = std::move(text);
}

void LineList::release_pages() const {
    if (mapped_) mapped_->release(0, mapped_->bytes().size());
}

void LineList::changed() {
    // Character counts are worked out in one pass after a change, not in the splitting itself, which
    // stays as fast as it is for bytes.
    if (chars_)
        count_characters(true);
    else
        positions_.clear();
}

void LineList::append(std::string_view line) {
    own_text();
    const std::uint64_t start = text_.size();
    text_.append(line);
    add_span(start, line.size());
    // One line more needs no pass over all of them.
    positions_.clear();
    if (chars_) longest_ = std::max(longest_, columns_of(line));
}

namespace {

// A text this big is split into lines on two cores.
constexpr std::size_t kSplitOnTwoCores = std::size_t{4} << 20;

// Where a line starts past the middle of `text`, or 0 when none does.
std::size_t line_start_past_middle(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* next = line_at(begin + text.size() / 2, end).next;
    return next < end ? static_cast<std::size_t>(next - begin) : 0;
}

// A little more than the lines of `text`, guessed from the lines in its first 64 KiB.
std::size_t guessed_lines(std::string_view text) {
    const std::string_view sample = text.substr(0, std::size_t{1} << 16);
    std::size_t ends = 0;
    for (const char* p = sample.data();
         (p = find_cr_or_lf(p, sample.data() + sample.size())) < sample.data() + sample.size(); ++p)
        ++ends;
    if (ends == 0 || sample.size() == text.size()) return ends + 1;
    return text.size() / (sample.size() / ends) * 5 / 4 + 1;
}

}  // namespace

void LineList::split_lines(std::string_view text, std::size_t from, std::size_t to, std::vector<Span>& spans,
                           std::size_t& longest) {
    const char* const begin = text.data();
    const char* p = begin + from;
    const char* const end = begin + to;
    while (p < end) {
        const LineBounds line = line_at(p, end);
        const auto size = static_cast<std::uint64_t>(line.stop - p);
        spans.push_back({static_cast<std::uint64_t>(p - begin), size});
        longest = std::max(longest, static_cast<std::size_t>(size));
        p = line.next;
    }
}

void LineList::assign_text(std::string text) {
    clear();
    text_ = std::move(text);
    const std::string_view all = text_;
    const std::size_t half = all.size() >= kSplitOnTwoCores ? line_start_past_middle(all) : 0;
    // Room for the lines guessed from the first few, so the line table is not copied while it grows.
    spans_.reserve(guessed_lines(all));
    if (half == 0) {
        split_lines(all, 0, all.size(), spans_, longest_);
        changed();
        return;
    }
    // The second half starts at a line's start, so each half splits as if it stood alone.
    std::vector<Span> second;
    second.reserve(spans_.capacity() / 2);
    std::size_t second_longest = 0;
    std::exception_ptr failure;
    std::thread helper([&] {
        try {
            split_lines(all, half, all.size(), second, second_longest);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    try {
        split_lines(all, 0, half, spans_, longest_);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (failure) std::rethrow_exception(failure);
    spans_.insert(spans_.end(), second.begin(), second.end());
    longest_ = std::max(longest_, second_longest);
    changed();
}

void LineList::assign(const std::vector<std::string>& lines) {
    clear();
    std::size_t bytes = 0;
    for (const std::string& l : lines) bytes += l.size();
    text_.reserve(bytes);
    spans_.reserve(lines.size());
    for (const std::string& l : lines) {
        add_span(text_.size(), l.size());
        text_ += l;
    }
    changed();
}

bool LineList::assign_file(const std::string& path, std::size_t max_lines) {
    clear();
    mapped_ = std::make_shared<const MappedFile>(path);
    mapped_bytes_ = mapped_->bytes().data();
    const std::string_view all = mapped_->bytes();
    spans_.reserve(std::min(guessed_lines(all), max_lines));
    // Piece by piece, each piece's pages given back once split: a result of gigabytes is never in the
    // process whole, only its line table is.
    constexpr std::size_t kPiece = std::size_t{32} << 20;
    const char* const begin = all.data();
    const char* const end = begin + all.size();
    const char* p = begin;
    while (p < end && spans_.size() < max_lines) {
        const char* const piece = p;
        const char* const piece_end = end - p > static_cast<std::ptrdiff_t>(kPiece) ? p + kPiece : end;
        while (p < piece_end && spans_.size() < max_lines) {
            const LineBounds line = line_at(p, end);
            add_span(static_cast<std::uint64_t>(p - begin), static_cast<std::uint64_t>(line.stop - p));
            p = line.next;
        }
        mapped_->release(static_cast<std::size_t>(piece - begin), static_cast<std::size_t>(p - begin));
    }
    changed();
    return p >= end;
}

void LineList::insert_before(const std::vector<std::size_t>& at, const std::vector<std::string>& block) {
    own_text();
    // The block's text is stored once; every copy of it points there.
    std::vector<Span> block_spans;
    for (const std::string& l : block) {
        block_spans.push_back({text_.size(), l.size()});
        longest_ = std::max(longest_, l.size());
        text_ += l;
    }
    std::vector<std::size_t> sorted(at);
    std::sort(sorted.begin(), sorted.end());
    std::vector<Span> spans;
    spans.reserve(spans_.size() + sorted.size() * block_spans.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < spans_.size(); ++i) {
        for (; next < sorted.size() && sorted[next] == i; ++next)
            spans.insert(spans.end(), block_spans.begin(), block_spans.end());
        spans.push_back(spans_[i]);
    }
    spans_.swap(spans);
    changed();
}

void LineList::erase_runs(const std::vector<std::size_t>& at, std::size_t n) {
    std::vector<std::size_t> sorted(at);
    std::sort(sorted.begin(), sorted.end());
    std::vector<Span> kept;
    kept.reserve(spans_.size());
    longest_ = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < spans_.size(); ++i) {
        while (next < sorted.size() && sorted[next] + n <= i) ++next;
        if (next < sorted.size() && sorted[next] <= i) continue;
        kept.push_back(spans_[i]);
        longest_ = std::max(longest_, static_cast<std::size_t>(spans_[i].size));
    }
    spans_.swap(kept);
    changed();
}

const std::vector<std::uint64_t>& LineList::positions() const {
    if (positions_.size() != spans_.size()) {
        positions_.resize(spans_.size());
        std::uint64_t at = 0;
        for (std::size_t i = 0; i < spans_.size(); ++i) {
            positions_[i] = at;
            at += columns(i) + 1;
        }
        if (chars_) release_pages();
    }
    return positions_;
}

std::uint64_t LineList::position_of(std::size_t line, std::size_t column) const {
    if (spans_.empty()) return 0;
    line = std::min(line, spans_.size() - 1);
    return positions()[line] + std::min<std::uint64_t>(column, columns(line));
}

void LineList::place_of(std::uint64_t position, std::size_t& line, std::size_t& column) const {
    line = 0;
    column = 0;
    if (spans_.empty()) return;
    const std::vector<std::uint64_t>& starts = positions();
    const auto after = std::upper_bound(starts.begin(), starts.end(), position);
    line = static_cast<std::size_t>(after - starts.begin()) - 1;
    column = static_cast<std::size_t>(std::min<std::uint64_t>(position - starts[line], columns(line)));
}

std::uint64_t LineList::length() const {
    if (spans_.empty()) return 0;
    return positions().back() + columns(spans_.size() - 1);
}

}  // namespace qvr
