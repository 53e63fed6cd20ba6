#include "common/line_scan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qvr {

const char* find_either(const char* p, const char* end, char a, char b) {
#if defined(__SSE2__)
    const __m128i wide_a = _mm_set1_epi8(a);
    const __m128i wide_b = _mm_set1_epi8(b);
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, wide_a), _mm_cmpeq_epi8(block, wide_b)));
        if (hits != 0) return p + __builtin_ctz(static_cast<unsigned>(hits));
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == a || *p == b) return p;
    return end;
}

namespace {

/// The first CR, LF or Ctrl+Z (26) in [p, end), or `end`: where a streamed line stops.
inline const char* find_line_stop(const char* p, const char* end) {
#if defined(__SSE2__)
    // CR (13), LF (10) and Ctrl+Z (26) are all among the bytes up to 26, which one unsigned comparison
    // finds; the other control bytes found with them are passed over.
    const __m128i limit = _mm_set1_epi8(26);
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        auto hits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(block, limit), block)));
        for (; hits != 0; hits &= hits - 1) {
            const char* at = p + __builtin_ctz(hits);
            if (*at == '\r' || *at == '\n' || *at == 26) return at;
        }
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == '\r' || *p == '\n' || *p == 26) return p;
    return end;
}

}  // namespace

bool TextLines::next(std::string_view& line) {
    const char* const end = text_.data() + text_.size();
    if (pos_ >= end) return false;
    const LineBounds bounds = line_at(pos_, end);
    line = std::string_view(pos_, static_cast<std::size_t>(bounds.stop - pos_));
    pos_ = bounds.next;
    return true;
}

std::uint64_t TextLines::count() const {
    const char* const end = text_.data() + text_.size();
    std::uint64_t n = 0;
    for (const char* p = text_.data(); p < end; p = line_at(p, end).next) ++n;
    return n;
}

StreamSplitter::Piece StreamSplitter::next(const char* p, const char* end) {
    if (after_cr_) {
        after_cr_ = false;
        if (*p == '\n') ++p;
    }
    const char* stop = ctrl_z_ends_file_ ? find_line_stop(p, end) : find_either(p, end, '\r', '\n');
    if (stop == end) return {p, end, end, Stop::none};
    if (*stop == 26) return {p, stop, end, Stop::file_end};
    const char* next = stop + 1;
    if (*stop == '\n') return {p, stop, next, Stop::line_end};
    if (next == end)
        after_cr_ = true;
    else if (*next == '\n')
        ++next;
    return {p, stop, next, Stop::line_end};
}

}  // namespace qvr
