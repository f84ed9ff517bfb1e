// How many laid-out lines each paragraph (hard line) of the document has, with prefix sums
// (text::BlockedSums: changing one paragraph's count costs O(log blocks), the first line of
// a paragraph and the paragraph of a line O(log blocks + block size)).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "text/blocked_sums.h"

namespace verlo::edit {

class WrapIndex {
public:
    // Replaces everything with the given counts (one per paragraph).
    void assign(const std::vector<std::uint32_t>& counts) { counts_.assign(counts.data(), counts.size()); }

    std::size_t paragraphCount() const { return counts_.size(); }
    std::size_t lineCount() const { return counts_.total(0); }

    std::uint32_t count(std::size_t paragraph) const { return counts_.at(paragraph); }
    void setCount(std::size_t paragraph, std::uint32_t count) { counts_.set(paragraph, count); }

    // Replaces `removed` paragraphs starting at `first` by the paragraphs whose counts are
    // given (an insertion when removed is 0, a removal when counts is empty).
    void splice(std::size_t first, std::size_t removed, const std::uint32_t* counts, std::size_t added) {
        counts_.splice(first, removed, counts, added);
    }

    // Number of lines before the paragraph (its first line); lineCount() for paragraphCount().
    std::size_t firstLine(std::size_t paragraph) const { return counts_.before(0, paragraph); }

    struct Place {
        std::size_t paragraph = 0;
        std::size_t lineInParagraph = 0;
    };
    // The paragraph that holds laid-out line `line` (line < lineCount()).
    Place find(std::size_t line) const {
        const auto [paragraph, rest] = counts_.find(0, line);
        return Place{paragraph, rest};
    }

private:
    struct Lines {
        [[gnu::always_inline]] std::size_t operator()(std::uint32_t count, std::size_t) const { return count; }
    };
    text::BlockedSums<std::uint32_t, 1, Lines> counts_{512};
};

}  // namespace verlo::edit
