// How many laid-out lines each paragraph (hard line) of the document has, with prefix sums.
//
// The counts live in blocks of a few hundred paragraphs; two Fenwick trees over the blocks
// hold how many paragraphs and how many lines each block has. Changing one paragraph's
// count costs O(log blocks); inserting or removing paragraphs costs O(block size) plus,
// when a block splits or empties, a rebuild of the trees over the blocks (O(blocks)).
// Queries (first line of a paragraph, paragraph of a line) cost O(log blocks + block size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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
    void addToTree(std::vector<std::size_t>& tree, std::size_t block, std::ptrdiff_t delta);
    std::size_t treePrefix(const std::vector<std::size_t>& tree, std::size_t blocks) const;
    // Largest block index b with prefix(tree, b) <= value, and that prefix.
    std::size_t treeSearch(const std::vector<std::size_t>& tree, std::size_t value, std::size_t* before) const;

    std::vector<Block> blocks_;
    std::vector<std::size_t> paraTree_;  // Fenwick tree of paragraphs per block
    std::vector<std::size_t> lineTree_;  // Fenwick tree of lines per block
    std::size_t paragraphs_ = 0;
    std::size_t lines_ = 0;
};

}  // namespace verlo::edit
