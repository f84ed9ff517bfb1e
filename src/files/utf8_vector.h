// UTF-8 work done with vector instructions beyond SSE2 where the processor has them, chosen
// as the program runs: runs of kana and kanji between short stretches of ASCII (most of a
// Japanese text) converted into the document's bytes (SSSE3), and checking (AVX2).
#pragma once

#include <cstddef>
#include <cstdint>

namespace verlo::files::utf8 {

// How far readRuns went: bytes of the file read and of the document written, and where the
// last character written starts in each (valid when in > 0).
struct RunsRead {
    std::size_t in = 0;
    std::size_t out = 0;
    std::size_t lastIn = 0;
    std::size_t lastOut = 0;
};

// Whether readRuns does anything on this processor.
bool runsAvailable();

// Converts s[0..] while it is ASCII and valid three-byte characters from U+1000 on whose codes
// (codes[c], as ReadTable::aloneCode) are pairs, stopping where something else comes or fewer
// than 32 bytes are left to read. Writes up to 16 bytes past what it answers as written.
RunsRead readRuns(const std::uint8_t* s, std::size_t readable, char* dst, const std::uint16_t* codes);

// Whether checkBlocks does anything on this processor.
bool blocksAvailable();

// Checks blocks of 64 bytes from s as utf8_check.h's checkClasses does (carry and multi as
// there), with at least one more byte readable after them. False at the first that is not valid.
bool checkBlocks(const std::uint8_t* s, std::size_t blocks, std::uint64_t& carry, bool& multi);

}  // namespace verlo::files::utf8
