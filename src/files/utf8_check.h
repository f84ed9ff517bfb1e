// Checking UTF-8 64 bytes at a time from masks of the bytes' kinds, however the masks were
// made (utf8_convert.cpp with SSE2, utf8_vector.cpp with AVX2).
#pragma once

#include <bit>
#include <cstdint>

namespace verlo::files::utf8 {

// Masks of 64 bytes, one bit per byte (the first byte in the lowest bit).
struct Classes {
    std::uint64_t high = 0;   // 80-FF
    std::uint64_t cont = 0;   // 80-BF
    std::uint64_t lead2 = 0;  // C0-DF
    std::uint64_t lead3 = 0;  // E0-EF
    std::uint64_t lead4 = 0;  // F0-F7 (or F0-FF)
    // Bytes that need a look of their own: C0, C1 and F5-FF are never valid; after E0, ED, F0
    // and F4 the next byte has a narrower range (no overlong forms, surrogates or code points
    // past U+10FFFF). All of F0-FF are here: four-byte characters are rare in text.
    std::uint64_t rare = 0;
};

// What a classifier finds, each a mask as above: bytes 80-FF, bytes from C0, C2, E0 and F0
// on, and bytes E0 and ED.
struct Bounds {
    std::uint64_t high = 0;
    std::uint64_t fromC0 = 0;
    std::uint64_t fromC2 = 0;
    std::uint64_t fromE0 = 0;
    std::uint64_t fromF0 = 0;
    std::uint64_t narrow = 0;
};

inline Classes classesFrom(const Bounds& b) {
    Classes m;
    m.high = b.high;
    m.cont = b.high & ~b.fromC0;
    m.lead2 = b.high & b.fromC0 & ~b.fromE0;
    m.lead3 = b.high & b.fromE0 & ~b.fromF0;
    m.lead4 = b.high & b.fromF0;
    m.rare = (m.lead2 & ~b.fromC2) | b.narrow | m.lead4;
    return m;
}

// The byte after a rare one (see Classes) allows it.
inline bool rareAllowed(std::uint8_t b, std::uint8_t next) {
    switch (b) {
    case 0xE0: return next >= 0xA0;
    case 0xED: return next <= 0x9F;
    case 0xF0: return next >= 0x90;
    case 0xF1:
    case 0xF2:
    case 0xF3: return true;
    case 0xF4: return next <= 0x8F;
    default: return false;  // C0, C1, F5-FF
    }
}

// Checks the 64 bytes at p whose masks m are (p[64] readable unless atEnd): every
// continuation byte is where a lead byte before it expects one. carry holds the continuation
// bytes expected from the bytes before, and takes those expected after; multi is set when a
// byte is not ASCII.
inline bool checkClasses(const Classes& m, const std::uint8_t* p, bool atEnd, std::uint64_t& carry, bool& multi) {
    if ((m.high | carry) == 0) return true;
    multi = true;
    const std::uint64_t expected = carry | m.lead2 << 1 | m.lead3 << 1 | m.lead3 << 2 | m.lead4 << 1 | m.lead4 << 2 | m.lead4 << 3;
    if (expected != m.cont) return false;
    carry = m.lead2 >> 63 | m.lead3 >> 63 | m.lead3 >> 62 | m.lead4 >> 63 | m.lead4 >> 62 | m.lead4 >> 61;
    for (std::uint64_t r = m.rare; r; r &= r - 1) {
        const auto k = static_cast<unsigned>(std::countr_zero(r));
        if (k == 63 && atEnd) return false;
        if (!rareAllowed(p[k], p[k + 1])) return false;
    }
    return true;
}

}  // namespace verlo::files::utf8
