#include "counts/live_counts.h"

#include <algorithm>

#include "counts/manuscript.h"
#include "text/cp932.h"

namespace verlo::counts {

namespace {

// A paragraph's bytes with its line break.
std::string_view paragraphBytes(text::Document& doc, std::size_t p) {
    const std::size_t start = doc.lineStart(p);
    return doc.view(start, doc.lineEnd(p) + doc.lineBreakLength(p) - start);
}

}  // namespace

namespace {

// Whether a paragraph's first byte is the trail byte of a lead byte waiting before it.
bool joinsEntry(std::string_view content, CharTally::State entry) {
    return !content.empty() && entry.pendingLead && text::cp932::isTrailByte(static_cast<std::uint8_t>(content.front()));
}

// One paragraph: its bytes without its line break, which counts nothing.
ParagraphCount countParagraph(std::string_view content, CharTally::State entry) {
    ParagraphCount c;
    c.empty = content.empty();
    CharTally tally{0, entry};
    // The paragraph holds no line break: what comes before changes its count only when a
    // lead byte waits for its first byte. Otherwise one walk counts its characters and
    // its manuscript lines.
    if (content.empty() || joinsEntry(content, entry)) {
        tally.feed(content);
        c.lines = static_cast<std::uint32_t>(manuscriptLines(content));
    } else {
        const ParagraphMeasure m = measureParagraph(content);
        tally.count = static_cast<std::int64_t>(m.chars);
        tally.state = {m.endsWithLead};
        c.lines = static_cast<std::uint32_t>(m.lines);
    }
    c.chars = tally.count;
    c.exit = tally.state;
    return c;
}

}  // namespace

bool countParagraphs(std::string_view bytes, std::size_t count, CharTally::State& state,
                     std::vector<ParagraphCount>& out, const std::atomic<bool>* stop) {
    std::size_t at = 0;
    for (std::size_t n = 0; n < count; ++n) {
        if (stop && stop->load(std::memory_order_relaxed)) return false;
        std::size_t end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        std::size_t next = end;
        if (next < bytes.size()) next += bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
        out.push_back(countParagraph(bytes.substr(at, end - at), state));
        state = out.back().exit;
        at = next;
    }
    return true;
}

namespace {

// Paragraphs [first, first + count) of the document, in one view of them all.
void countDocumentParagraphs(text::Document& doc, std::size_t first, std::size_t count, CharTally::State& state,
                             std::vector<ParagraphCount>& out) {
    const std::size_t last = first + count - 1;
    const std::size_t start = doc.lineStart(first);
    if (count == 1) {  // typing: the document knows where the paragraph ends
        out.push_back(countParagraph(doc.view(start, doc.lineEnd(first) - start), state));
        state = out.back().exit;
        return;
    }
    countParagraphs(doc.view(start, doc.lineEnd(last) + doc.lineBreakLength(last) - start), count, state, out);
}

}  // namespace

void LiveCounts::recount(text::Document& doc) {
    walked_ = text::npos;
    std::vector<ParagraphCount> all;
    const std::size_t n = doc.lineCount();
    all.reserve(n);
    CharTally::State state;
    countDocumentParagraphs(doc, 0, n, state, all);
    paragraphs_.assign(all);
}

void LiveCounts::apply(text::Document& doc, const text::Change& change) {
    const std::size_t first = change.firstLine;
    const std::size_t removed = change.linesRemoved + 1;
    const std::size_t added = change.linesAdded + 1;
    // What followed the changed paragraphs was counted from this state.
    CharTally::State oldExit = paragraphs_.at(first + removed - 1).exit;
    CharTally::State state = first > 0 ? paragraphs_.at(first - 1).exit : CharTally::State{};
    if (removed == 1 && added == 1) {  // typing
        const ParagraphCount count = countEdited(doc, first, change.pos, state);
        state = count.exit;
        paragraphs_.set(first, count);
    } else {
        walked_ = text::npos;
        std::vector<ParagraphCount> counts;
        counts.reserve(added);
        countDocumentParagraphs(doc, first, added, state, counts);
        paragraphs_.splice(first, removed, counts);
    }
    // The paragraphs after are counted again only while they start from another state.
    for (std::size_t p = first + added; p < paragraphs_.size() && !(state == oldExit); ++p) {
        oldExit = paragraphs_.at(p).exit;
        std::vector<ParagraphCount> one;
        countDocumentParagraphs(doc, p, 1, state, one);
        paragraphs_.set(p, one.front());
    }
}

ParagraphCount LiveCounts::countEdited(text::Document& doc, std::size_t p, std::size_t pos, CharTally::State entry) {
    const std::size_t start = doc.lineStart(p);
    const std::string_view content = doc.view(start, doc.lineEnd(p) - start);
    if (content.empty() || joinsEntry(content, entry)) {
        walked_ = text::npos;
        return countParagraph(content, entry);
    }
    ManuscriptLineStart from;
    if (walked_ == p) {
        // Lines that begin before the change begin where they did, with what came before.
        const auto changed = std::lower_bound(lineStarts_.begin(), lineStarts_.end(), pos - start,
                                              [](const ManuscriptLineStart& s, std::size_t at) { return s.at < at; });
        lineStarts_.erase(changed, lineStarts_.end());
        if (!lineStarts_.empty()) from = lineStarts_.back();
    } else {
        walked_ = p;
        lineStarts_.clear();
    }
    const ParagraphMeasure m = measureParagraph(content, from, lineStarts_);
    ParagraphCount c;
    c.empty = false;
    c.chars = static_cast<std::int64_t>(m.chars);
    c.lines = static_cast<std::uint32_t>(m.lines);
    c.exit = {m.endsWithLead};
    return c;
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

std::size_t LiveCounts::manuscriptLines() const {
    // The last paragraph is empty after a final line break (and in an empty text).
    return paragraphs_.totalLines() - (paragraphs_.last().empty ? 1 : 0);
}

std::size_t LiveCounts::manuscriptLinesIn(std::size_t first, std::size_t end) const {
    if (first >= end) return 0;
    const bool lastIsNoLine = end == paragraphs_.size() && paragraphs_.last().empty;
    return paragraphs_.linesBefore(end) - paragraphs_.linesBefore(first) - (lastIsNoLine ? 1 : 0);
}

}  // namespace verlo::counts
