#include "cipher/aes_ni.h"

#include <cpuid.h>
#include <immintrin.h>

#include <cstring>

#include "cipher/wipe.h"

#define VERLO_AES_TARGET __attribute__((target("aes,sse4.1")))

namespace verlo::cipher::aesni {

namespace {

VERLO_AES_TARGET std::uint32_t subWord(std::uint32_t w) {
    // The instruction substitutes the second word of its operand into the first.
    const __m128i x = _mm_aeskeygenassist_si128(_mm_set_epi32(0, 0, static_cast<int>(w), 0), 0);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(x));
}

std::uint32_t rotateWord(std::uint32_t w) { return w >> 8 | w << 24; }  // bytes a0 a1 a2 a3 -> a1 a2 a3 a0

template <int Rounds>
struct Keys {
    __m128i k[Rounds + 1];
    VERLO_AES_TARGET explicit Keys(const Schedule& s) {
        for (int r = 0; r <= Rounds; ++r) k[r] = _mm_load_si128(reinterpret_cast<const __m128i*>(s.keys[r]));
    }
    VERLO_AES_TARGET __m128i encrypt(__m128i x) const {
        x = _mm_xor_si128(x, k[0]);
        for (int r = 1; r < Rounds; ++r) x = _mm_aesenc_si128(x, k[r]);
        return _mm_aesenclast_si128(x, k[Rounds]);
    }
};

template <int Rounds>
VERLO_AES_TARGET void cfb8Encrypt(const Schedule& s, std::uint8_t* reg, const std::uint8_t* in, std::uint8_t* out,
                                  std::size_t count) {
    const Keys<Rounds> keys(s);
    __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(reg));
    for (std::size_t i = 0; i < count; ++i) {
        const __m128i e = keys.encrypt(r);
        const auto c = static_cast<std::uint8_t>(in[i] ^ static_cast<std::uint8_t>(_mm_cvtsi128_si32(e)));
        out[i] = c;
        // The register moves on by one byte: its first byte goes, the ciphertext byte comes in last.
        r = _mm_insert_epi8(_mm_srli_si128(r, 1), c, 15);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(reg), r);
}

template <int Rounds>
VERLO_AES_TARGET void cfb8Decrypt(const Schedule& s, const std::uint8_t* seq, std::uint8_t* out, std::size_t count) {
    const Keys<Rounds> keys(s);
    constexpr int kWide = 8;
    std::size_t j = 0;
    for (; j + kWide <= count; j += kWide) {
        __m128i x[kWide];
        for (int w = 0; w < kWide; ++w)
            x[w] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(seq + j + w)), keys.k[0]);
        for (int r = 1; r < Rounds; ++r)
            for (int w = 0; w < kWide; ++w) x[w] = _mm_aesenc_si128(x[w], keys.k[r]);
        for (int w = 0; w < kWide; ++w) {
            x[w] = _mm_aesenclast_si128(x[w], keys.k[Rounds]);
            out[j + w] = static_cast<std::uint8_t>(seq[16 + j + w] ^ static_cast<std::uint8_t>(_mm_cvtsi128_si32(x[w])));
        }
    }
    for (; j < count; ++j) {
        const __m128i e = keys.encrypt(_mm_loadu_si128(reinterpret_cast<const __m128i*>(seq + j)));
        out[j] = static_cast<std::uint8_t>(seq[16 + j] ^ static_cast<std::uint8_t>(_mm_cvtsi128_si32(e)));
    }
}

#define VERLO_WIDE_TARGET __attribute__((target("aes,sse4.1,vaes,avx512f,avx512bw,avx512vbmi")))

// The same with four blocks to an instruction (the 512-bit AES instructions): 32 bytes a
// step, each register holding the four register states of four bytes in a row.
template <int Rounds>
VERLO_WIDE_TARGET void cfb8DecryptWide(const Schedule& s, const std::uint8_t* seq, std::uint8_t* out,
                                       std::size_t count) {
    // (The zero-masked forms: GCC 12 warns about the undefined lanes of the plain ones.)
    constexpr __mmask8 kAll8 = 0xFF;
    constexpr __mmask16 kAll16 = 0xFFFF;
    constexpr __mmask64 kAll64 = ~0ull;
    constexpr __mmask64 kLow32 = 0xFFFFFFFFull;
    __m512i k[Rounds + 1];
    for (int r = 0; r <= Rounds; ++r)
        k[r] = _mm512_maskz_broadcast_i32x4(kAll16, _mm_load_si128(reinterpret_cast<const __m128i*>(s.keys[r])));
    // Lane L of a register takes bytes L .. L + 15 of the 32 loaded; lane L of the gathered
    // key stream holds in byte w the first byte of lane L of register w, and the stream
    // byte 4w + L comes from there.
    alignas(64) std::uint8_t spread[64];
    alignas(64) std::uint8_t gather[64] = {};
    for (int i = 0; i < 64; ++i) spread[i] = static_cast<std::uint8_t>(i / 16 + i % 16);
    for (int i = 0; i < 32; ++i) gather[i] = static_cast<std::uint8_t>(16 * (i % 4) + i / 4);
    const __m512i spreadIndex = _mm512_load_si512(spread);
    const __m512i gatherIndex = _mm512_load_si512(gather);
    // A step reads 32 bytes from 4w for each register w, 60 in all: the sequence (16 + count
    // bytes) must go on 44 bytes past the step's first byte; the rest goes one block at a time.
    std::size_t j = 0;
    for (; j + 44 <= count; j += 32) {
        __m512i x[8];
        for (int w = 0; w < 8; ++w) {
            const __m512i v = _mm512_maskz_broadcast_i64x4(kAll8, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(seq + j + 4 * w)));
            x[w] = _mm512_xor_si512(_mm512_maskz_permutexvar_epi8(kAll64, spreadIndex, v), k[0]);
        }
        for (int r = 1; r < Rounds; ++r)
            for (int w = 0; w < 8; ++w) x[w] = _mm512_aesenc_epi128(x[w], k[r]);
        __m512i stream = _mm512_aesenclast_epi128(x[0], k[Rounds]);
#define VERLO_GATHER(w)                                                                                  \
    stream = _mm512_mask_blend_epi8(0x0101010101010101ull << (w), stream,                                \
                                    _mm512_bslli_epi128(_mm512_aesenclast_epi128(x[w], k[Rounds]), (w)));
        VERLO_GATHER(1) VERLO_GATHER(2) VERLO_GATHER(3) VERLO_GATHER(4) VERLO_GATHER(5) VERLO_GATHER(6) VERLO_GATHER(7)
#undef VERLO_GATHER
        const __m512i keyStream = _mm512_maskz_permutexvar_epi8(kAll64, gatherIndex, stream);
        const __m512i cipher = _mm512_maskz_loadu_epi8(kLow32, seq + 16 + j);
        _mm512_mask_storeu_epi8(out + j, kLow32, _mm512_xor_si512(keyStream, cipher));
    }
    for (int r = 0; r <= Rounds; ++r) k[r] = _mm512_setzero_si512();
    if (j < count) cfb8Decrypt<Rounds>(s, seq + j, out + j, count - j);
}

template <int Rounds>
void decryptWith(bool wide, const Schedule& s, const std::uint8_t* seq, std::uint8_t* out, std::size_t count) {
    if (wide) cfb8DecryptWide<Rounds>(s, seq, out, count);
    else cfb8Decrypt<Rounds>(s, seq, out, count);
}

}  // namespace

bool available() { return __builtin_cpu_supports("aes") && __builtin_cpu_supports("sse4.1"); }

namespace {

// VAES asked of the processor itself (CPUID leaf 7): clang 14's __builtin_cpu_supports does not
// know the name. The AVX-512 checks below also make sure the system saves the wide registers.
bool hasVaes() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (c & bit_VAES);
}

}  // namespace

bool wideAvailable() {
    static const bool wide = available() && hasVaes() && __builtin_cpu_supports("avx512f") &&
                             __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
    return wide;
}

void expandKey(const std::uint8_t* key, std::size_t length, Schedule& out) {
    const std::size_t nk = length / 4;  // words of the key: 4, 6 or 8
    out.rounds = static_cast<int>(nk) + 6;
    const std::size_t total = 4 * static_cast<std::size_t>(out.rounds + 1);
    std::uint32_t w[60];
    std::memcpy(w, key, length);
    std::uint32_t rcon = 1;
    for (std::size_t i = nk; i < total; ++i) {
        std::uint32_t t = w[i - 1];
        if (i % nk == 0) {
            t = subWord(rotateWord(t)) ^ rcon;
            rcon = (rcon << 1) ^ ((rcon & 0x80) ? 0x11B : 0);
        } else if (nk > 6 && i % nk == 4) {
            t = subWord(t);
        }
        w[i] = w[i - nk] ^ t;
    }
    std::memcpy(out.keys, w, total * 4);
    secureFill(w, sizeof w, 0);
}

VERLO_AES_TARGET void encryptBlock(const Schedule& s, const std::uint8_t* in, std::uint8_t* out) {
    __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)),
                              _mm_load_si128(reinterpret_cast<const __m128i*>(s.keys[0])));
    for (int r = 1; r < s.rounds; ++r) x = _mm_aesenc_si128(x, _mm_load_si128(reinterpret_cast<const __m128i*>(s.keys[r])));
    x = _mm_aesenclast_si128(x, _mm_load_si128(reinterpret_cast<const __m128i*>(s.keys[s.rounds])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), x);
}

void encryptCfb8(const Schedule& s, std::uint8_t* reg, const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    switch (s.rounds) {
    case 10: cfb8Encrypt<10>(s, reg, in, out, count); break;
    case 12: cfb8Encrypt<12>(s, reg, in, out, count); break;
    default: cfb8Encrypt<14>(s, reg, in, out, count); break;
    }
}

void decryptCfb8(const Schedule& s, const std::uint8_t* seq, std::uint8_t* out, std::size_t count, Width width) {
    const bool wide = width == Width::Widest && wideAvailable();
    switch (s.rounds) {
    case 10: decryptWith<10>(wide, s, seq, out, count); break;
    case 12: decryptWith<12>(wide, s, seq, out, count); break;
    default: decryptWith<14>(wide, s, seq, out, count); break;
    }
}

}  // namespace verlo::cipher::aesni
