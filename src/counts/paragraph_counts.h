// What each paragraph (hard line) adds to the live counts, in blocks of a few hundred
// paragraphs with three Fenwick trees over the blocks (paragraphs, characters and
// manuscript lines per block). Changing one paragraph costs O(log blocks); replacing a
// run of paragraphs costs the blocks it touches, plus a rebuild of the trees (O(blocks))
// when blocks split or merge; the sum of the characters before a paragraph costs
// O(log blocks + block size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "counts/char_count.h"
#include "text/prefix_sums.h"

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
    ParagraphCounts();

    void assign(const std::vector<ParagraphCount>& counts);
    std::size_t size() const { return size_; }

    const ParagraphCount& at(std::size_t paragraph) const;
    const ParagraphCount& last() const { return blocks_.back().counts.back(); }
    void set(std::size_t paragraph, const ParagraphCount& count);
    // Replaces `removed` paragraphs from `first` by `added`.
    void splice(std::size_t first, std::size_t removed, const std::vector<ParagraphCount>& added);

    // The characters of paragraphs [0, paragraph).
    std::int64_t charsBefore(std::size_t paragraph) const;
    std::int64_t totalChars() const { return static_cast<std::int64_t>(chars_.prefix(chars_.size())); }
    std::size_t totalLines() const { return lines_.prefix(lines_.size()); }

private:
    struct Block {
        std::vector<ParagraphCount> counts;
        std::int64_t chars = 0;
        std::size_t lines = 0;
    };
    // The block holding paragraph p (the last block for p == size()), and p's place in it.
    std::size_t blockOf(std::size_t paragraph, std::size_t* offset) const;
    std::vector<Block> cut(const std::vector<ParagraphCount>& counts) const;  // into blocks of kBlock
    void sumBlock(Block& block) const;
    void rebuildTrees();

    std::vector<Block> blocks_;
    text::PrefixSums sizes_;  // paragraphs per block
    text::PrefixSums chars_;  // characters per block (modulo 2^64)
    text::PrefixSums lines_;  // manuscript lines per block
    std::size_t size_ = 0;
};

}  // namespace verlo::counts
