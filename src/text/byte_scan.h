// Scanning bytes for either of two values, sixteen at a time: the one loop behind loading
// the line index and behind find.
#pragma once

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace verlo::text {

// The first p in [begin, end) with *p == a or *p == b; end when there is none.
inline const std::uint8_t* findEither(const std::uint8_t* begin, const std::uint8_t* end, std::uint8_t a,
                                      std::uint8_t b) {
    if (a == b) {
        const void* hit = begin < end ? std::memchr(begin, a, static_cast<std::size_t>(end - begin)) : nullptr;
        return hit ? static_cast<const std::uint8_t*>(hit) : end;
    }
    const std::uint8_t* p = begin;
#ifdef __SSE2__
    const __m128i va = _mm_set1_epi8(static_cast<char>(a));
    const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
    while (end - p >= 32) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const unsigned mx = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb))));
        const unsigned my = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(y, va), _mm_cmpeq_epi8(y, vb))));
        if (mx | my) return p + __builtin_ctz(mx | my << 16);
        p += 32;
    }
#endif
    for (; p < end; ++p)
        if (*p == a || *p == b) return p;
    return end;
}

}  // namespace verlo::text
