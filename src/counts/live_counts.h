// The counts a writer watches while typing, kept up to date change by change: the
// characters of the whole text (as the count box counts them), the characters of any
// range, and the manuscript lines. A change recounts the paragraphs it touched (and,
// only where the count of one paragraph depends on the one before, as after a lead byte
// that waits for a trail byte, the paragraphs up to the next one that does not).
#pragma once

#include <atomic>
#include <cstddef>
#include <string_view>
#include <vector>

#include "counts/manuscript.h"
#include "counts/paragraph_counts.h"
#include "text/document.h"

namespace verlo::counts {

// Counts the paragraphs of bytes (a whole text, or a run of paragraphs with their breaks)
// from `state`, which ends as the state after them; `count` paragraphs, cut at the line
// breaks as the document cuts lines (CR LF, a lone CR, a lone LF). Stops early (returning
// false) when *stop turns true.
bool countParagraphs(std::string_view bytes, std::size_t count, CharTally::State& state,
                     std::vector<ParagraphCount>& out, const std::atomic<bool>* stop = nullptr);

class LiveCounts {
public:
    // Counts the whole document (O(length)).
    void recount(text::Document& doc);
    // Takes the counts of every paragraph of the document, counted elsewhere (countText).
    void assign(const std::vector<ParagraphCount>& paragraphs) {
        paragraphs_.assign(paragraphs);
        walked_ = text::npos;
    }
    // Follows one change of the document (after it happened).
    void apply(text::Document& doc, const text::Change& change);

    std::size_t chars() const { return static_cast<std::size_t>(paragraphs_.totalChars()); }
    // Equal to countSelectionChars(doc.slice(from, to - from)).
    std::size_t charsIn(text::Document& doc, std::size_t from, std::size_t to) const;
    // The manuscript lines of the whole text; the empty line after a final line break is
    // no line.
    std::size_t manuscriptLines() const;
    // The manuscript lines of paragraphs [first, end) (end at most the number of paragraphs);
    // the empty paragraph after a final line break is no line here either.
    std::size_t manuscriptLinesIn(std::size_t first, std::size_t end) const;

private:
    // One paragraph changed inside (its bytes before pos are as they were), counted from entry.
    ParagraphCount countEdited(text::Document& doc, std::size_t paragraph, std::size_t pos, CharTally::State entry);

    ParagraphCounts paragraphs_;
    // The paragraph countEdited last walked and where its manuscript lines after the first
    // begin: the next change inside it walks on from the last line that begins before it.
    std::size_t walked_ = text::npos;
    std::vector<ManuscriptLineStart> lineStarts_;
};

}  // namespace verlo::counts
