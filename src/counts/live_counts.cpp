#include "counts/live_counts.h"

#include <algorithm>

#include "counts/manuscript.h"

namespace verlo::counts {

namespace {

// A paragraph's bytes with its line break.
std::string_view paragraphBytes(text::Document& doc, std::size_t p) {
    const std::size_t start = doc.lineStart(p);
    return doc.view(start, doc.lineEnd(p) + doc.lineBreakLength(p) - start);
}

}  // namespace

ParagraphCount LiveCounts::countParagraph(text::Document& doc, std::size_t p, CharTally::State entry,
                                          bool withLines) const {
    ParagraphCount c;
    CharTally tally{0, entry};
    tally.feed(paragraphBytes(doc, p));
    c.chars = tally.count;
    c.exit = tally.state;
    if (withLines) {
        const std::size_t start = doc.lineStart(p);
        c.lines = static_cast<std::uint32_t>(counts::manuscriptLines(doc.view(start, doc.lineEnd(p) - start)));
    }
    return c;
}

void LiveCounts::recount(text::Document& doc) {
    std::vector<ParagraphCount> all;
    const std::size_t n = doc.lineCount();
    all.reserve(n);
    CharTally::State state;
    for (std::size_t p = 0; p < n; ++p) {
        all.push_back(countParagraph(doc, p, state, true));
        state = all.back().exit;
    }
    paragraphs_.assign(all);
}

void LiveCounts::apply(text::Document& doc, const text::Change& change) {
    const std::size_t first = change.firstLine;
    const std::size_t removed = change.linesRemoved + 1;
    const std::size_t added = change.linesAdded + 1;
    // What followed the changed paragraphs was counted from this state.
    CharTally::State oldExit = paragraphs_.at(first + removed - 1).exit;
    CharTally::State state = first > 0 ? paragraphs_.at(first - 1).exit : CharTally::State{};
    std::vector<ParagraphCount> counts;
    counts.reserve(added);
    for (std::size_t p = first; p < first + added; ++p) {
        counts.push_back(countParagraph(doc, p, state, true));
        state = counts.back().exit;
    }
    if (removed == 1 && added == 1)
        paragraphs_.set(first, counts.front());
    else
        paragraphs_.splice(first, removed, counts);
    // The paragraphs after are counted again only while they start from another state.
    for (std::size_t p = first + added; p < paragraphs_.size() && !(state == oldExit); ++p) {
        ParagraphCount c = paragraphs_.at(p);
        oldExit = c.exit;
        const ParagraphCount fresh = countParagraph(doc, p, state, false);
        c.chars = fresh.chars;
        c.exit = fresh.exit;
        paragraphs_.set(p, c);
        state = c.exit;
    }
}

std::size_t LiveCounts::charsIn(text::Document& doc, std::size_t from, std::size_t to) const {
    to = std::min(to, doc.length());
    if (from >= to) return 0;
    const std::size_t first = doc.lineOfPos(from);
    const std::size_t last = doc.lineOfPos(to);
    CharTally tally;
    if (first == last) {
        tally.feed(doc.view(from, to - from));
        return static_cast<std::size_t>(tally.count);
    }
    tally.feed(doc.view(from, doc.lineStart(first + 1) - from));
    std::size_t p = first + 1;
    // Once the range's tally is in the state the whole text's was in, the paragraphs count
    // as they do in the whole text.
    for (; p < last && !(tally.state == paragraphs_.at(p - 1).exit); ++p) tally.feed(paragraphBytes(doc, p));
    if (p < last) {
        tally.count += paragraphs_.charsBefore(last) - paragraphs_.charsBefore(p);
        tally.state = paragraphs_.at(last - 1).exit;
    }
    const std::size_t start = doc.lineStart(last);
    tally.feed(doc.view(start, to - start));
    return static_cast<std::size_t>(tally.count);
}

std::size_t LiveCounts::manuscriptLines(const text::Document& doc) const {
    const std::size_t lines = paragraphs_.totalLines();
    const bool endsWithBreak = doc.lineCount() > 1 && doc.lineStart(doc.lineCount() - 1) == doc.length();
    return endsWithBreak || doc.length() == 0 ? lines - 1 : lines;
}

}  // namespace verlo::counts
