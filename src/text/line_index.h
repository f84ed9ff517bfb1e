// The start positions of the hard lines of a text, kept in a gap vector with a pending
// "step": every start after line stepLine_ still lacks step_ (the length typed since), so
// typing on one line costs O(1) while position-to-line stays a binary search.
#pragma once

#include <cstddef>
#include <vector>

#include "text/gap_vector.h"

namespace verlo::text {

class LineIndex {
public:
    LineIndex();

    // starts[0] must be 0; the starts ascend.
    void reset(const std::vector<std::size_t>& starts);

    std::size_t lineCount() const { return starts_.size(); }
    std::size_t start(std::size_t line) const {
        const std::size_t raw = starts_.at(line);
        return line > stepLine_ ? raw + step_ : raw;
    }
    // Number of lines that start at or before pos (so the line of pos is this minus one).
    // O(1) on the line asked last and the one after it, else a binary search.
    std::size_t upperBound(std::size_t pos) const;
    std::size_t lineOf(std::size_t pos) const { return upperBound(pos) - 1; }

    // Replaces the starts of lines [first, first + removeCount) (first >= 1) by
    // `added` (positions after the change), then moves the start of every later line by
    // delta (modulo 2^64, so a shrinking change passes its negative).
    void replaceStarts(std::size_t first, std::size_t removeCount, const std::size_t* added, std::size_t addCount,
                       std::size_t delta);

private:
    void applyStepTo(std::size_t line);  // makes the starts of lines up to `line` exact
    void backStepTo(std::size_t line);   // the same step, now pending from `line` on
    void shiftAfter(std::size_t line, std::size_t delta);

    GapVector<std::size_t> starts_;
    std::size_t stepLine_ = 0;
    std::size_t step_ = 0;
    mutable std::size_t hint_ = 0;  // the line found last
};

}  // namespace verlo::text
