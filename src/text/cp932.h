// The character rules of the Windows Japanese code page (CP932, Shift-JIS with the
// vendor extensions). Every position in the program is a byte offset; these rules say
// where characters begin and end. Nothing here knows of Unicode (see codec.h for that).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace verlo::text::cp932 {

// 0x81-0x9F and 0xE0-0xFC may start a double-byte character.
constexpr bool isLeadByte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// 0x40-0x7E and 0x80-0xFC may end one.
constexpr bool isTrailByte(std::uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Length (1 or 2) of the character that starts at pos; 0 at or past the end.
// A lead byte without a valid trail byte after it is a one-byte character.
std::size_t charLength(std::string_view s, std::size_t pos);

// Start of the character after the one at pos (pos must be a character start); s.size() at the end.
std::size_t nextBoundary(std::string_view s, std::size_t pos);

// Start of the character before the character boundary pos; 0 at the start.
// Walks back over a run of lead-class bytes to decide the pairing, so it is exact
// even though a trail byte may also be a lead byte.
std::size_t prevBoundary(std::string_view s, std::size_t pos);

// The character boundary at or before pos (pos clamped to s.size()).
std::size_t snapBack(std::string_view s, std::size_t pos);

// Number of characters in s, a double-byte character counting once.
std::size_t countChars(std::string_view s);

// ---- The same rules on any byte sequence, read through at(i) for i < size (the
// document's block storage uses these, without making the bytes contiguous). They never look at more bytes than they need:
// the byte after a byte that is not lead-class always starts a character, so walking
// back stops at the first such byte (or at `floor`, a position known to be a character
// start).

template <class At>
std::size_t charLengthAt(const At& at, std::size_t size, std::size_t pos) {
    if (pos >= size) return 0;
    if (isLeadByte(at(pos)) && pos + 1 < size && isTrailByte(at(pos + 1))) return 2;
    return 1;
}

// The character start at or before pos (pos <= size). floor <= pos must be a character start.
template <class At>
std::size_t snapBackAt(const At& at, std::size_t size, std::size_t pos, std::size_t floor = 0) {
    if (pos >= size) return size;
    std::size_t k = pos;
    while (k > floor && isLeadByte(at(k - 1))) --k;
    // k is a character start; pair up forwards until the character that holds pos.
    for (;;) {
        const std::size_t next = k + charLengthAt(at, size, k);
        if (next > pos) return k;
        k = next;
    }
}

// The character start before the character start pos; 0 at the start.
template <class At>
std::size_t prevBoundaryAt(const At& at, std::size_t size, std::size_t pos, std::size_t floor = 0) {
    if (pos == 0) return 0;
    if (pos > size) pos = size;
    return snapBackAt(at, size, pos - 1, floor);
}

// True when a byte is never the first byte of a two-byte character, so the position
// after it is always a character start.
constexpr bool endsCharacter(std::uint8_t b) { return !isLeadByte(b); }

}  // namespace verlo::text::cp932
