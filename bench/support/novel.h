// A deterministic generator of novel-like Shift-JIS (CP932) text for benchmarks:
// Japanese prose (kanji, hiragana, katakana, punctuation and brackets) with some Latin
// words and digits, lines of 10 to 300 characters ending in CR LF, and an occasional
// empty line between paragraphs. The same (bytes, seed) always gives the same text.
#pragma once

#include <cstddef>
#include <string>

namespace verlo::bench {

// About `bytes` bytes (never more; it stops at the last whole line that fits, so the
// text always ends with CR LF unless bytes is smaller than one line).
std::string generateNovel(std::size_t bytes, unsigned seed = 1);

// generateNovel with a chapter heading (第N章　雨の夜, N a full-width digit) before every
// (lines / chapters)-th line, `chapters` of them; somewhat more than `bytes` bytes.
std::string generateManuscript(std::size_t bytes, int chapters);

// The sizes the benchmarks use.
inline constexpr std::size_t kNovelLarge = 20u * 1024u * 1024u;  // ~20 MB
inline constexpr std::size_t kNovelSmall = 20u * 1024u;          // ~20 KB

// Generated once per process and kept (the 20 MB text takes a moment to build).
const std::string& novelLarge();
const std::string& novelSmall();

}  // namespace verlo::bench
