#include "edit/layout.h"

#include <algorithm>

#include "text/cp932.h"

namespace verlo::edit {

namespace {

// Advances are summed in floats; a line exactly as long as the width must still fit.
constexpr float kWidthSlack = 1.0f / 64;
// Paragraphs kept laid out when nothing holds them.
constexpr std::size_t kCacheKeep = 192;
// A change touching more paragraphs than this does not fill the cache with them.
constexpr std::size_t kCacheFromChange = 8;

}  // namespace

Layout::Layout(text::Document& document)
    : doc_(document), typesetter_(std::make_unique<Typesetter>(QFont(), Writing::Horizontal)) {}

Layout::~Layout() = default;

void Layout::setFont(const QFont& font, Writing writing) {
    typesetter_ = std::make_unique<Typesetter>(font, writing);
    invalidate();
}

void Layout::setWrapWidth(float width) {
    if (width == width_) return;
    width_ = width;
    invalidate();
}

void Layout::invalidate() {
    valid_ = false;
    cache_.clear();
}

std::string_view Layout::paragraphText(std::size_t paragraph) {
    std::size_t start = doc_.lineStart(paragraph);
    return doc_.view(start, doc_.lineEnd(paragraph) - start);
}

std::uint32_t Layout::layOut(std::string_view text, std::vector<Cell>& cells,
                             std::vector<std::uint32_t>& starts) const {
    typesetter_->cells(text, cells);
    typesetter_->wrap(text, cells, width_ + kWidthSlack, starts);
    if (starts.empty()) starts.push_back(0);
    return static_cast<std::uint32_t>(starts.size());
}

void Layout::ensure() {
    if (valid_) return;
    cache_.clear();
    const std::size_t n = doc_.lineCount();
    std::vector<std::uint32_t> counts(n);
    std::string_view all = doc_.view(0, doc_.length());
    for (std::size_t p = 0; p < n; ++p) {
        std::size_t start = doc_.lineStart(p);
        std::string_view text = all.substr(start, doc_.lineEnd(p) - start);
        counts[p] = layOut(text, scratchCells_, scratchStarts_);
    }
    index_.assign(counts);
    valid_ = true;
}

void Layout::documentChanged(const text::Change& change) {
    if (!valid_) return;
    const std::size_t newCount = doc_.lineCount();
    const std::size_t oldCount = index_.paragraphCount();
    // Paragraphs before `first` and after `last` kept their text; their number moved by delta.
    std::size_t first = std::min(change.firstLine, doc_.lineOfPos(change.pos));
    std::size_t last = doc_.lineOfPos(std::min(change.pos + change.inserted, doc_.length()));
    const std::ptrdiff_t delta = static_cast<std::ptrdiff_t>(newCount) - static_cast<std::ptrdiff_t>(oldCount);
    const std::ptrdiff_t oldLast = static_cast<std::ptrdiff_t>(last) - delta;
    if (first > last || last >= newCount || oldLast + 1 < static_cast<std::ptrdiff_t>(first) ||
        oldLast >= static_cast<std::ptrdiff_t>(oldCount)) {
        invalidate();  // not a change this bookkeeping understands: start afresh
        return;
    }
    // The cache: drop the replaced paragraphs, renumber the ones after them.
    std::erase_if(cache_, [&](const std::unique_ptr<Para>& p) {
        return p->index >= first && static_cast<std::ptrdiff_t>(p->index) <= oldLast;
    });
    for (auto& p : cache_)
        if (static_cast<std::ptrdiff_t>(p->index) > oldLast)
            p->index = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(p->index) + delta);

    const std::size_t added = last - first + 1;
    std::vector<std::uint32_t> counts(added);
    for (std::size_t i = 0; i < added; ++i) {
        std::string_view text = paragraphText(first + i);
        if (added <= kCacheFromChange) {
            auto p = std::make_unique<Para>();
            p->index = first + i;
            p->used = ++clock_;
            counts[i] = layOut(text, p->cells, p->starts);
            cache_.push_back(std::move(p));
        } else {
            counts[i] = layOut(text, scratchCells_, scratchStarts_);
        }
    }
    index_.splice(first, static_cast<std::size_t>(oldLast + 1) - first, counts.data(), added);
}

Layout::Para* Layout::cached(std::size_t paragraph) {
    for (auto& p : cache_)
        if (p->index == paragraph) {
            p->used = ++clock_;
            return p.get();
        }
    return nullptr;
}

Layout::Para& Layout::para(std::size_t paragraph) {
    if (Para* p = cached(paragraph)) return *p;
    auto p = std::make_unique<Para>();
    p->index = paragraph;
    p->used = ++clock_;
    layOut(paragraphText(paragraph), p->cells, p->starts);
    cache_.push_back(std::move(p));
    return *cache_.back();
}

void Layout::trimCache() {
    if (cache_.size() <= kCacheKeep) return;
    std::sort(cache_.begin(), cache_.end(),
              [](const std::unique_ptr<Para>& a, const std::unique_ptr<Para>& b) { return a->used > b->used; });
    cache_.resize(kCacheKeep / 2);
}

std::size_t Layout::lineCount() {
    ensure();
    return index_.lineCount();
}

std::size_t Layout::lineInParagraph(const Para& p, std::size_t offset, bool upstream) const {
    // The cell holding offset (cells.size() at the end of the paragraph).
    auto cell = std::partition_point(p.cells.begin(), p.cells.end(),
                                     [&](const Cell& c) { return c.offset + c.length <= offset; });
    const std::uint32_t ci = static_cast<std::uint32_t>(cell - p.cells.begin());
    auto it = std::upper_bound(p.starts.begin(), p.starts.end(), ci);
    std::size_t k = static_cast<std::size_t>(it - p.starts.begin()) - 1;
    if (upstream && k > 0 && p.starts[k] == ci && cell != p.cells.end() && cell->offset == offset) --k;
    return k;
}

std::size_t Layout::lineFromChar(std::size_t pos, bool upstream) {
    ensure();
    pos = std::min(pos, doc_.length());
    const std::size_t paragraph = doc_.lineOfPos(pos);
    const std::size_t first = index_.firstLine(paragraph);
    if (index_.count(paragraph) == 1) return first;
    const std::size_t offset = pos - doc_.lineStart(paragraph);
    return first + lineInParagraph(para(paragraph), offset, upstream);
}

std::size_t Layout::lineStart(std::size_t line) {
    ensure();
    if (line >= index_.lineCount()) return text::npos;
    WrapIndex::Place place = index_.find(line);
    std::size_t start = doc_.lineStart(place.paragraph);
    if (place.lineInParagraph == 0) return start;
    const Para& p = para(place.paragraph);
    return start + p.cells[p.starts[place.lineInParagraph]].offset;
}

Layout::Line Layout::line(std::size_t line) {
    ensure();
    line = std::min(line, index_.lineCount() - 1);
    WrapIndex::Place place = index_.find(line);
    const Para& p = para(place.paragraph);
    Line l;
    l.index = line;
    l.paragraph = place.paragraph;
    l.paraStart = doc_.lineStart(place.paragraph);
    l.text = paragraphText(place.paragraph);
    l.cells = &p.cells;
    l.first = p.starts[place.lineInParagraph];
    l.lastOfParagraph = place.lineInParagraph + 1 == p.starts.size();
    l.last = l.lastOfParagraph ? p.cells.size() : p.starts[place.lineInParagraph + 1];
    l.paragraphHasBreak = doc_.lineBreakLength(place.paragraph) > 0;
    return l;
}

std::size_t Layout::Line::startPos() const {
    return paraStart + (first < cells->size() ? (*cells)[first].offset : text.size());
}

std::size_t Layout::Line::endPos() const {
    return paraStart + (last < cells->size() ? (*cells)[last].offset : text.size());
}

float Layout::Line::extent() const {
    float u = 0;
    for (std::size_t i = first; i < last; ++i) u += (*cells)[i].advance;
    return u;
}

float Layout::Line::inlineOf(std::size_t pos) const {
    const std::size_t offset = pos - paraStart;
    float u = 0;
    for (std::size_t i = first; i < last; ++i) {
        const Cell& c = (*cells)[i];
        if (offset <= c.offset) return u;
        if (offset < c.offset + c.length)  // between the two characters of one cell
            return u + c.advance * static_cast<float>(offset - c.offset) / static_cast<float>(c.length);
        u += c.advance;
    }
    return u;
}

std::size_t Layout::Line::hit(float u, bool* upstream) const {
    *upstream = false;
    float x = 0;
    for (std::size_t i = first; i < last; ++i) {
        const Cell& c = (*cells)[i];
        if (u < x + c.advance) {
            // Inside the cell: the nearest boundary between its characters (a cell holds
            // more than one character only where digits stand side by side).
            std::string_view chars = text.substr(c.offset, c.length);
            std::size_t pieces = std::max<std::size_t>(text::cp932::countChars(chars), 1);
            float piece = c.advance / static_cast<float>(pieces);
            std::size_t k = static_cast<std::size_t>(std::max(0.0f, (u - x) / piece + 0.5f));
            if (k < pieces) {
                std::size_t offset = 0;
                for (std::size_t j = 0; j < k; ++j) offset = text::cp932::nextBoundary(chars, offset);
                return paraStart + c.offset + offset;
            }
            if (i + 1 < last) return paraStart + (*cells)[i + 1].offset;
            break;
        }
        x += c.advance;
    }
    if (!lastOfParagraph) *upstream = true;
    return endPos();
}

}  // namespace verlo::edit
