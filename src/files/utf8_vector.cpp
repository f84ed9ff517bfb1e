#include "files/utf8_vector.h"

#include "files/utf8_check.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VERLO_RUNS_TARGET __attribute__((target("ssse3")))
#define VERLO_BLOCKS_TARGET __attribute__((target("avx2")))
#define VERLO_RUNS 1
#endif

namespace verlo::files::utf8 {

#if defined(VERLO_RUNS)

bool runsAvailable() {
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    return ssse3;
}

VERLO_RUNS_TARGET RunsRead readRuns(const std::uint8_t* s, std::size_t readable, char* dst, const std::uint16_t* codes) {
    // Four characters of three bytes: leads E0-EF at 0, 3, 6 and 9, continuation bytes between.
    const __m128i shapeMask = _mm_setr_epi8(-16, -64, -64, -16, -64, -64, -16, -64, -64, -16, -64, -64, 0, 0, 0, 0);
    const __m128i shape = _mm_setr_epi8(-32, -128, -128, -32, -128, -128, -32, -128, -128, -32, -128, -128, 0, 0, 0, 0);
    const __m128i e0 = _mm_set1_epi8(-32);
    // Each character's bytes b0 b1 b2 as two 16-bit lanes (b2 | b1 << 8, b0), their bits kept,
    // then (b1 << 6 | b2) and b0 << 12 added: the code point in 32 bits, then packed to 16.
    const __m128i spread = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i bits = _mm_setr_epi8(0x3F, 0x3F, 0x0F, 0, 0x3F, 0x3F, 0x0F, 0, 0x3F, 0x3F, 0x0F, 0, 0x3F, 0x3F, 0x0F, 0);
    const __m128i weights8 = _mm_setr_epi8(1, 64, 1, 0, 1, 64, 1, 0, 1, 64, 1, 0, 1, 64, 1, 0);
    const __m128i weights16 = _mm_setr_epi16(1, 4096, 1, 4096, 1, 4096, 1, 4096);
    const __m128i pack = _mm_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i swap = _mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i allOnes = _mm_set1_epi8(-1);
    // Kept in locals: the stores through dst could otherwise be taken to change them.
    std::size_t in = 0;
    std::size_t out = 0;
    std::size_t lastIn = 0;
    std::size_t lastOut = 0;
    while (readable - in >= 32) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + in));
        // A lead E0 may begin an overlong form (below U+0800): left to the careful way.
        const auto shaped = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, shapeMask), shape)) &
                                                  ~_mm_movemask_epi8(_mm_cmpeq_epi8(v, e0)));
        const __m128i parts = _mm_and_si128(_mm_shuffle_epi8(v, spread), bits);
        const __m128i points = _mm_shuffle_epi8(_mm_madd_epi16(_mm_maddubs_epi16(parts, weights8), weights16), pack);
        const auto c = static_cast<std::uint64_t>(_mm_cvtsi128_si64(points));
        const std::uint64_t k = std::uint64_t{codes[c & 0xFFFF]} | std::uint64_t{codes[c >> 16 & 0xFFFF]} << 16 |
                                std::uint64_t{codes[c >> 32 & 0xFFFF]} << 32 | std::uint64_t{codes[c >> 48]} << 48;
        const __m128i kv = _mm_cvtsi64_si128(static_cast<long long>(k));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + out), _mm_shuffle_epi8(kv, swap));
        // Per code, whether it is not a pair (no lead byte; FFFF is none): two bits each.
        const auto notPair = static_cast<unsigned>(_mm_movemask_epi8(
                                 _mm_or_si128(_mm_cmpeq_epi16(_mm_srli_epi16(kv, 8), _mm_setzero_si128()),
                                              _mm_cmpeq_epi16(kv, allOnes)))) & 0xFF;
        if (shaped == 0xFFFF && notPair == 0) {
            in += 12;
            out += 8;
            lastIn = in - 3;
            lastOut = out - 2;
            continue;
        }
        // The end of a run: the characters in shape and with codes up to the first that is not,
        // then the ASCII after them.
        const unsigned whole = shaped & shaped >> 1 & shaped >> 2;
        const unsigned good = (whole & 1) | (whole >> 2 & 2) | (whole >> 4 & 4) | (whole >> 6 & 8);
        const unsigned paired = ~((notPair & 1) | (notPair >> 1 & 2) | (notPair >> 2 & 4) | (notPair >> 3 & 8));
        const auto three = static_cast<unsigned>(__builtin_ctz(~(good & paired)));
        in += 3 * three;
        out += 2 * three;
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + out), a);
        const auto ascii = static_cast<unsigned>(__builtin_ctz(static_cast<unsigned>(_mm_movemask_epi8(a)) | 0x10000u));
        in += ascii;
        out += ascii;
        if (ascii) {
            lastIn = in - 1;
            lastOut = out - 1;
        } else if (three) {
            lastIn = in - 3;
            lastOut = out - 2;
        } else {
            break;
        }
    }
    return {in, out, lastIn, lastOut};
}

namespace {

// The bytes of v (signed) above b - 1 (they sort as utf8_convert.cpp's classify says), as bits
// from `at` on.
VERLO_BLOCKS_TARGET inline std::uint64_t bitsFrom(__m256i v, int b, unsigned at) {
    const __m256i above = _mm256_cmpgt_epi8(v, _mm256_set1_epi8(static_cast<char>(b - 1)));
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(above))) << at;
}

// utf8_convert.cpp's classify, 32 bytes at a time.
VERLO_BLOCKS_TARGET inline Classes classifyWide(const std::uint8_t* p) {
    Bounds b;
    for (unsigned at = 0; at < 64; at += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at));
        b.high |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(v))) << at;
        b.fromC0 |= bitsFrom(v, 0xC0, at);
        b.fromC2 |= bitsFrom(v, 0xC2, at);
        b.fromE0 |= bitsFrom(v, 0xE0, at);
        b.fromF0 |= bitsFrom(v, 0xF0, at);
        const __m256i e0OrEd = _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xE0))),
                                               _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xED))));
        b.narrow |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(e0OrEd))) << at;
    }
    return classesFrom(b);
}

VERLO_BLOCKS_TARGET bool checkBlocksWide(const std::uint8_t* s, std::size_t blocks, std::uint64_t& carry, bool& multi) {
    for (std::size_t k = 0; k < blocks; ++k, s += 64)
        if (!checkClasses(classifyWide(s), s, false, carry, multi)) return false;
    return true;
}

}  // namespace

bool blocksAvailable() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}

bool checkBlocks(const std::uint8_t* s, std::size_t blocks, std::uint64_t& carry, bool& multi) {
    return checkBlocksWide(s, blocks, carry, multi);
}

#else
bool runsAvailable() { return false; }
RunsRead readRuns(const std::uint8_t*, std::size_t, char*, const std::uint16_t*) { return {}; }
bool blocksAvailable() { return false; }
bool checkBlocks(const std::uint8_t*, std::size_t, std::uint64_t&, bool&) { return false; }
#endif

}  // namespace verlo::files::utf8
