// Runs of kana and kanji between short stretches of ASCII, most of a Japanese text, converted
// from UTF-8 into the document's bytes with 16-byte vector instructions where the processor
// has them (SSSE3).
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

}  // namespace verlo::files::utf8
