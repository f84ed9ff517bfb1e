// The outline of a document: its headings (headings.h) in order, kept paragraph by paragraph
// as the text changes, with the characters (as the count box counts them) and the manuscript
// lines of each heading's section. A change reads again only the paragraphs it touched; the
// headings after it move with their paragraphs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "counts/live_counts.h"
#include "outline/headings.h"
#include "text/document.h"

namespace verlo::outline {

struct OutlineEntry {
    std::size_t paragraph = 0;  // the heading's hard line
    int level = 1;
    bool operator==(const OutlineEntry&) const = default;
};

// The headings of paragraphs [first, first + count) given as their bytes with their line
// breaks, appended to out (their paragraphs numbered from first).
void readHeadings(std::string_view bytes, std::size_t first, std::size_t count, const HeadingRules& rules,
                  std::vector<OutlineEntry>& out);

// Where each heading's section ends: the index of the next heading of the same or a higher
// level, or headings.size().
std::vector<std::size_t> sectionEnds(const std::vector<OutlineEntry>& headings);

// The heading paragraph nearest to `paragraph` after it (forward) or before it, read from
// the document paragraph by paragraph; npos when there is none.
std::size_t nearestHeading(text::Document& doc, std::size_t paragraph, bool forward, const HeadingRules& rules);

class Outline {
public:
    explicit Outline(const HeadingRules& rules = {}) : rules_(rules) {}

    const HeadingRules& rules() const { return rules_; }
    // New rules read the whole document again.
    void setRules(text::Document& doc, const HeadingRules& rules);

    // Reads the whole document (O(length)).
    void rebuild(text::Document& doc);
    // Follows one change of the document (after it happened).
    void apply(text::Document& doc, const text::Change& change);
    // The same for the headings alone, and reading them all again, while the counts are
    // taken elsewhere (counts::BackgroundCounts puts them into counts()).
    void applyToHeadings(text::Document& doc, const text::Change& change);
    void rereadHeadings(text::Document& doc);
    // The same a piece at a time, for a text too long to read between two events: after
    // startReading the headings are those of the paragraphs read so far, and readMore reads
    // paragraphs of at least `bytes` more (true while some are left). Changes meanwhile are
    // followed as usual (applyToHeadings), those of paragraphs not read yet are read with them.
    void startReading();
    bool readMore(text::Document& doc, std::size_t bytes);
    bool reading() const { return reading_; }
    counts::LiveCounts& counts() { return counts_; }

    const std::vector<OutlineEntry>& headings() const { return headings_; }
    // Grows whenever a heading comes, goes, or changes its level or text.
    std::uint64_t shape() const { return shape_; }

    // The paragraphs [headings()[i].paragraph, end) of heading i's section.
    std::size_t sectionEndParagraph(text::Document& doc, std::size_t i, const std::vector<std::size_t>& ends) const;
    std::size_t sectionChars(text::Document& doc, std::size_t i, const std::vector<std::size_t>& ends) const;
    std::size_t sectionManuscriptLines(text::Document& doc, std::size_t i, const std::vector<std::size_t>& ends) const;
    // The heading whose section holds the paragraph most closely (the last one at or before
    // it), or npos before the first heading.
    std::size_t headingOf(std::size_t paragraph) const;
    // The heading's text (CP932, without markup).
    std::string text(text::Document& doc, std::size_t i) const;

private:
    HeadingRules rules_;
    std::vector<OutlineEntry> headings_;
    counts::LiveCounts counts_;
    std::uint64_t shape_ = 0;
    bool reading_ = false;
    std::size_t read_ = 0;  // while reading: the paragraphs before this one are read
};

}  // namespace verlo::outline
