#include "outline/outline.h"

#include <algorithm>

namespace verlo::outline {

namespace {

// The bytes of paragraphs [first, first + count) with their line breaks.
std::string_view paragraphsView(text::Document& doc, std::size_t first, std::size_t count) {
    const std::size_t last = first + count - 1;
    const std::size_t start = doc.lineStart(first);
    return doc.view(start, doc.lineEnd(last) + doc.lineBreakLength(last) - start);
}

}  // namespace

void readHeadings(std::string_view bytes, std::size_t first, std::size_t count, const HeadingRules& rules,
                  std::vector<OutlineEntry>& out) {
    std::size_t at = 0;
    for (std::size_t n = 0; n < count && at <= bytes.size(); ++n) {
        std::size_t end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        if (const int level = readHeading(bytes.substr(at, end - at), rules).level) out.push_back({first + n, level});
        at = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
    }
}

std::vector<std::size_t> sectionEnds(const std::vector<OutlineEntry>& headings) {
    std::vector<std::size_t> ends(headings.size(), headings.size());
    std::vector<std::size_t> open;  // headings whose section has not ended, levels rising
    for (std::size_t i = 0; i < headings.size(); ++i) {
        while (!open.empty() && headings[open.back()].level >= headings[i].level) {
            ends[open.back()] = i;
            open.pop_back();
        }
        open.push_back(i);
    }
    return ends;
}

std::size_t nearestHeading(text::Document& doc, std::size_t paragraph, bool forward, const HeadingRules& rules) {
    const std::size_t count = doc.lineCount();
    for (std::size_t p = paragraph; forward ? p + 1 < count : p > 0;) {
        p = forward ? p + 1 : p - 1;
        const std::size_t start = doc.lineStart(p);
        if (readHeading(doc.view(start, doc.lineEnd(p) - start), rules).level) return p;
    }
    return text::npos;
}

void Outline::setRules(text::Document& doc, const HeadingRules& rules) {
    if (rules == rules_) return;
    rules_ = rules;
    rebuild(doc);
}

void Outline::rebuild(text::Document& doc) {
    counts_.recount(doc);
    rereadHeadings(doc);
}

void Outline::rereadHeadings(text::Document& doc) {
    startReading();
    readMore(doc, text::npos);
}

void Outline::startReading() {
    headings_.clear();
    reading_ = true;
    read_ = 0;
    ++shape_;
}

bool Outline::readMore(text::Document& doc, std::size_t bytes) {
    if (reading_ && read_ >= doc.lineCount()) reading_ = false;
    if (!reading_) return false;
    const std::size_t start = doc.lineStart(read_);
    const std::size_t last = doc.lineOfPos(bytes >= doc.length() - start ? doc.length() : start + bytes);
    const std::size_t count = last + 1 - read_;
    const std::size_t had = headings_.size();
    readHeadings(paragraphsView(doc, read_, count), read_, count, rules_, headings_);
    if (headings_.size() != had) ++shape_;
    read_ += count;
    reading_ = read_ < doc.lineCount();
    return reading_;
}

void Outline::apply(text::Document& doc, const text::Change& change) {
    if (change.whole) {
        rebuild(doc);
        return;
    }
    counts_.apply(doc, change);
    applyToHeadings(doc, change);
}

void Outline::applyToHeadings(text::Document& doc, const text::Change& change) {
    if (change.whole) {
        rereadHeadings(doc);
        return;
    }
    const std::size_t first = change.firstLine;
    const std::size_t removed = change.linesRemoved + 1;
    const std::size_t added = change.linesAdded + 1;
    if (reading_) {
        if (first >= read_) return;  // read later as it is then
        read_ = first + removed <= read_ ? read_ - removed + added : first + added;
    }
    const auto byParagraph = [](const OutlineEntry& e, std::size_t p) { return e.paragraph < p; };
    const auto lo = std::lower_bound(headings_.begin(), headings_.end(), first, byParagraph);
    const auto hi = std::lower_bound(lo, headings_.end(), first + removed, byParagraph);
    std::vector<OutlineEntry> read;
    readHeadings(paragraphsView(doc, first, added), first, added, rules_, read);
    // The outline keeps its shape when the touched paragraphs hold headings of the same
    // levels at the same places as before.
    const bool same = std::equal(lo, hi, read.begin(), read.end(), [&](const OutlineEntry& was, const OutlineEntry& is) {
        return was.level == is.level && was.paragraph - first == is.paragraph - first && removed == added;
    });
    for (auto it = hi; it != headings_.end(); ++it) it->paragraph = it->paragraph - removed + added;
    if (same) return;
    const auto at = headings_.erase(lo, hi);
    headings_.insert(at, read.begin(), read.end());
    ++shape_;
}

std::size_t Outline::sectionEndParagraph(text::Document& doc, std::size_t i, const std::vector<std::size_t>& ends) const {
    return ends[i] < headings_.size() ? headings_[ends[i]].paragraph : doc.lineCount();
}

std::size_t Outline::sectionChars(text::Document& doc, std::size_t i, const std::vector<std::size_t>& ends) const {
    const std::size_t end = sectionEndParagraph(doc, i, ends);
    return counts_.charsIn(doc, doc.lineStart(headings_[i].paragraph),
                           end < doc.lineCount() ? doc.lineStart(end) : doc.length());
}

std::size_t Outline::sectionManuscriptLines(text::Document& doc, std::size_t i,
                                            const std::vector<std::size_t>& ends) const {
    return counts_.manuscriptLinesIn(headings_[i].paragraph, sectionEndParagraph(doc, i, ends));
}

std::size_t Outline::headingOf(std::size_t paragraph) const {
    const auto after = std::upper_bound(headings_.begin(), headings_.end(), paragraph,
                                        [](std::size_t p, const OutlineEntry& e) { return p < e.paragraph; });
    return after == headings_.begin() ? text::npos : static_cast<std::size_t>(after - headings_.begin() - 1);
}

std::string Outline::text(text::Document& doc, std::size_t i) const {
    const std::size_t p = headings_[i].paragraph;
    return readHeading(doc.view(doc.lineStart(p), doc.lineEnd(p) - doc.lineStart(p)), rules_).text;
}

}  // namespace verlo::outline
