// What each paragraph (hard line) adds to the live counts, with running sums of the
// characters and the manuscript lines (text::BlockedSums): changing one paragraph costs
// O(log blocks), replacing a run the blocks it touches, the characters before a paragraph
// O(log blocks + block size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "counts/char_count.h"
#include "text/blocked_sums.h"

namespace verlo::counts {

struct ParagraphCount {
    // What the paragraph (with its line break) adds to the character count of everything
    // before it.
    std::int64_t chars = 0;
    std::uint32_t lines = 1;     // manuscript lines
    CharTally::State exit;       // the tally's state after it
    bool empty = true;           // no bytes before its line break
};

class ParagraphCounts {
public:
    ParagraphCounts() { assign({ParagraphCount{}}); }

    void assign(const std::vector<ParagraphCount>& counts) { counts_.assign(counts.data(), counts.size()); }
    std::size_t size() const { return counts_.size(); }

    const ParagraphCount& at(std::size_t paragraph) const { return counts_.at(paragraph); }
    const ParagraphCount& last() const { return counts_.back(); }
    void set(std::size_t paragraph, const ParagraphCount& count) { counts_.set(paragraph, count); }
    // Replaces `removed` paragraphs from `first` by `added`.
    void splice(std::size_t first, std::size_t removed, const std::vector<ParagraphCount>& added) {
        counts_.splice(first, removed, added.data(), added.size());
    }

    // The characters of paragraphs [0, paragraph).
    std::int64_t charsBefore(std::size_t paragraph) const {
        return static_cast<std::int64_t>(counts_.before(kChars, paragraph));
    }
    // The manuscript lines of paragraphs [0, paragraph).
    std::size_t linesBefore(std::size_t paragraph) const { return counts_.before(kLines, paragraph); }
    std::int64_t totalChars() const { return static_cast<std::int64_t>(counts_.total(kChars)); }
    std::size_t totalLines() const { return counts_.total(kLines); }

private:
    static constexpr std::size_t kChars = 0, kLines = 1;
    struct Weights {  // the characters modulo 2^64
        [[gnu::always_inline]] std::size_t operator()(const ParagraphCount& c, std::size_t k) const {
            return k == kChars ? static_cast<std::size_t>(c.chars) : c.lines;
        }
    };
    text::BlockedSums<ParagraphCount, 2, Weights> counts_{256};
};

}  // namespace verlo::counts
