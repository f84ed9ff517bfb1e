// The counts a writer watches while typing, kept up to date change by change: the
// characters of the whole text (as the count box counts them), the characters of any
// range, and the manuscript lines. A change recounts the paragraphs it touched (and,
// only where the count of one paragraph depends on the one before, as after a lead byte
// or a CR that waits for what follows, the paragraphs up to the next one that does not).
#pragma once

#include <cstddef>
#include <vector>

#include "counts/paragraph_counts.h"
#include "text/document.h"

namespace verlo::counts {

class LiveCounts {
public:
    // Counts the whole document (O(length)).
    void recount(text::Document& doc);
    // Follows one change of the document (after it happened).
    void apply(text::Document& doc, const text::Change& change);

    std::size_t chars() const { return static_cast<std::size_t>(paragraphs_.totalChars()); }
    // Equal to countSelectionChars(doc.slice(from, to - from)).
    std::size_t charsIn(text::Document& doc, std::size_t from, std::size_t to) const;
    // The manuscript lines of the whole text; the empty line after a final line break is
    // no line.
    std::size_t manuscriptLines(const text::Document& doc) const;

private:
    // Counts paragraphs [first, first + count) from `state`, which ends as the state after them.
    void countParagraphs(text::Document& doc, std::size_t first, std::size_t count, CharTally::State& state,
                         std::vector<ParagraphCount>& out) const;

    ParagraphCounts paragraphs_;
};

}  // namespace verlo::counts
