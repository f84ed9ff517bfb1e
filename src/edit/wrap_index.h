// How many laid-out lines each paragraph (hard line) of the document has, with prefix sums.
//
// The counts live in blocks of a few hundred paragraphs; two prefix sums over the blocks
// (text::PrefixSums) hold how many paragraphs and how many lines each block has. Changing
// one paragraph's count costs O(log blocks); inserting or removing paragraphs costs
// O(block size) plus, when a block splits or empties, a rebuild of the sums (O(blocks)).
// Queries (first line of a paragraph, paragraph of a line) cost O(log blocks + block size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "text/prefix_sums.h"

namespace verlo::edit {

class WrapIndex {
public:
    WrapIndex();

    // Replaces everything with the given counts (one per paragraph).
    void assign(const std::vector<std::uint32_t>& counts);

    std::size_t paragraphCount() const { return paragraphs_; }
    std::size_t lineCount() const { return lines_; }

    std::uint32_t count(std::size_t paragraph) const;
    void setCount(std::size_t paragraph, std::uint32_t count);

    // Replaces `removed` paragraphs starting at `first` by the paragraphs whose counts are
    // given (an insertion when removed is 0, a removal when counts is empty).
    void splice(std::size_t first, std::size_t removed, const std::uint32_t* counts, std::size_t added);

    // Number of lines before the paragraph (its first line); lineCount() for paragraphCount().
    std::size_t firstLine(std::size_t paragraph) const;

    struct Place {
        std::size_t paragraph = 0;
        std::size_t lineInParagraph = 0;
    };
    // The paragraph that holds laid-out line `line` (line < lineCount()).
    Place find(std::size_t line) const;

private:
    struct Block {
        std::vector<std::uint32_t> counts;
        std::size_t lines = 0;
    };
    // Locates the block holding paragraph p; *offset receives p's index inside it.
    std::size_t blockOf(std::size_t paragraph, std::size_t* offset) const;
    void rebuildTrees();

    std::vector<Block> blocks_;
    text::PrefixSums paraSums_;  // paragraphs per block
    text::PrefixSums lineSums_;  // lines per block
    std::size_t paragraphs_ = 0;
    std::size_t lines_ = 0;
};

}  // namespace verlo::edit
