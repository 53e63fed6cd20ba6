#include "common/line_scan.h"

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

}  // namespace qvr
