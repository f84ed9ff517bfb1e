// The start positions of the hard lines of a text, kept in blocks of at most blockLines
// starts. Each block holds its starts relative to a base of its own (the start of its first
// line), so moving every start of a block costs one addition. On top of that a pending "step": every start after line
// stepLine_ still lacks step_ (the length typed since), so typing on one line costs O(1),
// and moving the step to another line costs the blocks in between plus one block's
// starts, never all the lines in between. Position-to-line stays a binary search.
#pragma once

#include <cstddef>
#include <vector>

namespace verlo::text {

class LineIndex {
public:
    // Blocks of at most blockLines starts (at least 2).
    explicit LineIndex(std::size_t blockLines);

    // starts[0] must be 0; the starts ascend.
    void reset(const std::vector<std::size_t>& starts);

    std::size_t lineCount() const { return firstLine_.back(); }
    std::size_t start(std::size_t line) const {
        const std::size_t b = blockOf(line);
        const std::size_t raw = base_[b] + rel_[b][line - firstLine_[b]];
        return line > stepLine_ ? raw + step_ : raw;
    }
    // The starts of lines [first, first + count) (all < lineCount()) into out, block by
    // block: for a whole-text pass, several times cheaper than start() line by line.
    void copyStarts(std::size_t first, std::size_t count, std::size_t* out) const;
    // Number of lines that start at or before pos (so the line of pos is this minus one).
    // O(1) on the line asked last and the one after it, else a binary search.
    std::size_t upperBound(std::size_t pos) const;
    std::size_t lineOf(std::size_t pos) const { return upperBound(pos) - 1; }

    // Replaces the starts of lines [first, first + removeCount) (first >= 1) by
    // `added` (positions after the change), then moves the start of every later line by
    // delta (modulo 2^64, so a shrinking change passes its negative).
    void replaceStarts(std::size_t first, std::size_t removeCount, const std::size_t* added, std::size_t addCount,
                       std::size_t delta);

    // The shape, for tests.
    std::size_t blockCount() const { return rel_.size(); }
    std::size_t blockSize(std::size_t b) const { return rel_[b].size(); }

private:
    // The block that holds line (< lineCount()); the block found last answers at once.
    std::size_t blockOf(std::size_t line) const {
        const std::size_t h = blockHint_;
        if (h < rel_.size() && firstLine_[h] <= line && line < firstLine_[h + 1]) return h;
        return searchBlock(line);
    }
    std::size_t searchBlock(std::size_t line) const;
    std::size_t blockFirstStart(std::size_t b) const {
        return base_[b] + (firstLine_[b] > stepLine_ ? step_ : 0);
    }
    // Makes the first entry of block b 0 again (its start moves into the base).
    void rebase(std::size_t b);

    void addToLines(std::size_t from, std::size_t to, std::size_t delta);  // lines [from, to]
    void applyStepTo(std::size_t line);  // makes the starts of lines up to `line` exact
    void backStepTo(std::size_t line);   // the same step, now pending from `line` on
    void shiftAfter(std::size_t line, std::size_t delta);
    // Lines [first, first + removeCount) become `added` (exact starts).
    void splice(std::size_t first, std::size_t removeCount, const std::size_t* added, std::size_t addCount);
    // Blocks [lo, hi) become blocks of the given starts (raw values, see start()).
    void rebuildBlocks(std::size_t lo, std::size_t hi, const std::vector<std::size_t>& raws);

    std::size_t blockLines_;
    std::vector<std::vector<std::size_t>> rel_;  // per block: raw start minus the block's base
    std::vector<std::size_t> base_;              // per block: the raw start of its first line
    std::vector<std::size_t> firstLine_;         // per block its first line, then the line count
    std::size_t stepLine_ = 0;
    std::size_t step_ = 0;
    mutable std::size_t hint_ = 0;       // the line found last
    mutable std::size_t blockHint_ = 0;  // the block found last
    std::vector<std::size_t> scratch_;
};

}  // namespace verlo::text
