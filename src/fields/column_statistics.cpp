#include "fields/column_statistics.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/text_encoding.h"

namespace qvr {

namespace {

constexpr std::size_t kWaitingLines = 256;
constexpr std::size_t kWaitingBytes = 1 << 20;
/// A line shorter than this share of the usual length (three lines in four are at least as long) is
/// a trailer or a damaged record.
constexpr double kShortShare = 0.6;
constexpr std::uint64_t kShortRefresh = 4096;

bool is_digit(unsigned c) { return c >= '0' && c <= '9'; }
bool is_letter(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128; }

}  // namespace

ColumnStatistics::ColumnStatistics(bool utf8_columns)
    : lengths_(kMaxColumns + 1), last_text_(kMaxColumns), utf8_(utf8_columns) {}

void ColumnStatistics::grow(std::size_t columns) {
    histogram_.resize(columns * kRow);
    folded_.resize(columns * kRow);
    columns_ = columns;
}

void ColumnStatistics::fold() {
    for (std::size_t i = 0; i < histogram_.size(); ++i) folded_[i] += std::exchange(histogram_[i], 0);
    since_fold_ = 0;
}

void ColumnStatistics::count(std::string_view line) {
    const std::size_t n = line.size();
    if (n > columns_) grow(n);
    if (++since_fold_ == std::numeric_limits<Counter>::max()) fold();
    ++counted_;
    if (n == 0) return;
    Counter* row = histogram_.data();
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    // The index carries whether the character before was a blank, so text starts and ends come out of
    // the same counters as the characters.
    unsigned after_blank = 256;
    for (std::size_t c = 0; c < n; ++c, row += kRow) {
        const unsigned b = p[c];
        ++row[b | after_blank];
        after_blank = b == ' ' ? 256 : 0;
    }
    if (p[n - 1] != ' ') ++last_text_[n - 1];
}

bool ColumnStatistics::is_short(std::size_t length) {
    if (all_ % kShortRefresh == 0 || short_below_ == 0) {
        std::uint64_t total = 0, seen = 0;
        for (std::uint64_t k : lengths_) total += k;
        std::size_t usual = 0;
        for (; usual < lengths_.size() && seen + lengths_[usual] <= total / 4; ++usual)
            seen += lengths_[usual];
        short_below_ =
            std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(usual) * kShortShare));
    }
    return length < short_below_;
}

void ColumnStatistics::add_line(std::string_view line) {
    if (line.size() > kMaxColumns) cut_lines_ = true;
    line = line.substr(0, std::min(line.size(), kMaxColumns));
    ++all_;
    bytes_ += line.size();
    const std::string_view read = line;
    // A character of several bytes stands in one column as its first byte, which counts as a letter.
    line = one_byte_a_column(line, utf8_ ? TextEncoding::utf8 : TextEncoding::cp1252, one_byte_a_column_);
    ++lengths_[line.size()];
    if (all_ == 1) {
        first_line_ = line;
        first_line_text_ = read;
        return;
    }
    if (!settled_ && waiting_ends_.size() < kWaitingLines && waiting_.size() + line.size() <= kWaitingBytes) {
        waiting_.append(line);
        waiting_ends_.push_back(waiting_.size());
        return;
    }
    if (!settled_) finish();
    if (is_short(line.size()))
        ++short_;
    else
        count(line);
}

void ColumnStatistics::finish() {
    if (settled_) return;
    settled_ = true;
    short_below_ = 0;  // the lengths known by now decide
    std::size_t begin = 0;
    for (std::size_t end : waiting_ends_) {
        const std::string_view line(waiting_.data() + begin, end - begin);
        if (is_short(line.size()))
            ++short_;
        else
            count(line);
        begin = end;
    }
    waiting_.clear();
    waiting_.shrink_to_fit();
    waiting_ends_.clear();
}

std::uint64_t ColumnStatistics::control_bytes() const {
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < histogram_.size(); ++i) {
        const std::size_t b = i % 256;
        if (b < 32 && b != '\t') n += folded_[i] + histogram_[i];
    }
    return n;
}

ColumnFigures ColumnStatistics::figures(std::size_t column) const {
    ColumnFigures f;
    if (column >= columns_) return f;
    const std::size_t base = column * kRow;
    auto at = [&](std::size_t i) { return folded_[base + i] + histogram_[base + i]; };
    for (unsigned b = 0; b < 256; ++b) {
        if (b == ' ') continue;
        const std::uint64_t after_text = at(b), after_blank = at(b | 256), all = after_text + after_blank;
        f.text += all;
        f.starts += after_blank;
        if (is_digit(b)) {
            f.digits += all;
            f.digit_counts[b - '0'] += all;
        }
        if (is_letter(b)) f.letters += all;
        if (b == '-' || b == '+') f.signs += all;
        if (is_digit(b) || b == '-' || b == '+') f.digit_starts += after_blank;
        if (all > f.top_count) {
            f.top = static_cast<unsigned char>(b);
            f.top_count = all;
        }
    }
    for (unsigned b = 0; b < 256; ++b) {
        const std::uint64_t all = at(b) + at(b | 256);
        if (b == ' ' || all == 0 || all * 100 < f.text) continue;
        ++f.distinct;
        // a letter in both cases counts once: "X" and "x" in a code are one
        const bool other_case_counted =
            b >= 'a' && b <= 'z' && (at(b - 32) + at((b - 32) | 256)) * 100 >= f.text;
        f.distinct_letters += is_letter(b) && !other_case_counted;
    }
    f.ends = last_text_[column];
    const std::size_t blank_after_text = (column + 1) * kRow + ' ';
    if (column + 1 < columns_) f.ends += folded_[blank_after_text] + histogram_[blank_after_text];
    return f;
}

}  // namespace qvr
