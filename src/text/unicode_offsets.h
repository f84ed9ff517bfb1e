// The document as a program reading it in Unicode sees it (a screen reader, through the
// accessibility interfaces): one UTF-16 unit per caret step, that is one per character,
// and every line break (CR LF, a lone CR, a lone LF) one "\n". Offsets into that text are
// mapped to and from the document's byte positions without converting the whole text:
// UnicodeOffsets keeps the unit count of chunks of a few kilobytes, and a query decodes at
// most one chunk.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/document.h"

namespace verlo::text {

// The reader's text of bytes that start at a character start and end at one (not between
// the CR and the LF of a break). A character of the round-trip block reads as the one it
// stands for, a byte that is not text as U+FFFD; each still takes exactly one unit.
std::u16string readerText(std::string_view bytes);

// Units of readerText(bytes), without building it.
std::size_t readerLength(std::string_view bytes);

class UnicodeOffsets {
public:
    // chunkBytes: the size a chunk is cut at (tests pass small ones).
    explicit UnicodeOffsets(const Document& doc, std::size_t chunkBytes = 4096);

    // Units of the whole text. The first query counts the whole document once; from then
    // on changes are followed (documentChanged) and nothing is counted again.
    std::size_t count();
    // The offset of a position (snapped back to a caret position, clamped to the text).
    std::size_t offsetOf(std::size_t pos);
    // The position of an offset (clamped to count()): always a caret position.
    std::size_t posOf(std::size_t offset);

    // Follows a change (call it from the document's listener). Before the first query,
    // and after forget(), it costs nothing.
    void documentChanged(const Change& change);
    // Drops the chunks; the next query counts again.
    void forget();
    bool built() const { return built_; }

    // The bytes [*from, *to) that a change of [pos, pos + len) may read differently,
    // widened to positions where readers' characters start before and after any change:
    // read before the change, [*from, *to + inserted - len) covers it afterwards.
    void changeSpan(std::size_t pos, std::size_t len, std::size_t* from, std::size_t* to) const;

private:
    void build();
    // Counts the document's bytes [from, to) as chunks appended to the lists, their unit
    // ends counted on from unitBase (nothing for an empty range).
    void countInto(std::size_t from, std::size_t to, std::size_t unitBase, std::vector<std::size_t>& bytes,
                   std::vector<std::size_t>& units) const;
    std::size_t chunkAt(std::size_t pos) const;  // the chunk holding byte pos (the last at the end)
    std::size_t chunkStart(std::size_t i) const { return i == 0 ? 0 : byteEnd_[i - 1]; }
    std::size_t unitStart(std::size_t i) const { return i == 0 ? 0 : unitEnd_[i - 1]; }
    // A reader's character starts at pos whatever bytes come after it (never said of the
    // end of a text that ends in a lead byte or a CR: what is appended may join them).
    bool stableAt(std::size_t pos) const;

    const Document& doc_;
    std::size_t chunkBytes_;
    bool built_ = false;
    // Chunk i holds the bytes [byteEnd_[i-1], byteEnd_[i]) and the units up to unitEnd_[i].
    // Every chunk starts where a character starts whatever comes before it: after a byte
    // that never leads a two-byte character and is not a CR.
    std::vector<std::size_t> byteEnd_;
    std::vector<std::size_t> unitEnd_;
};

}  // namespace verlo::text
