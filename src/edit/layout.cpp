#include "edit/layout.h"

#include <algorithm>
#include <cmath>

#include "edit/layout_workers.h"
#include "edit/paragraph_wrap.h"
#include "text/cp932.h"
#include "text/ruby_notation.h"

namespace verlo::edit {

namespace {

using paragraph_wrap::kEditChunk;
using paragraph_wrap::kLongChunk;
using paragraph_wrap::kLongParagraph;

// Paragraphs kept laid out when nothing holds them.
constexpr std::size_t kCacheKeep = 192;
// A change touching more paragraphs than this does not fill the cache with them.
constexpr std::size_t kCacheFromChange = 8;
// In the background, a change of more paragraphs than this goes to the workers.
constexpr std::size_t kBackgroundParagraphs = 64;

// Reads one paragraph of the document for the piecewise wrapping.
struct DocumentSource {
    text::Document& doc;
    std::size_t paraStart;
    std::string_view view(std::size_t pos, std::size_t length) { return doc.view(paraStart + pos, length); }
    std::size_t snap(std::size_t pos) const { return doc.snapCaretPos(paraStart + pos) - paraStart; }
    std::size_t prev(std::size_t pos) const { return doc.prevCaretPos(paraStart + pos) - paraStart; }
};

}  // namespace

Layout::Layout(text::Document& document)
    : doc_(document),
      typesetter_(std::make_unique<typeset::Typesetter>(QFont(), typeset::Writing::Horizontal, &document.standIns())) {}

Layout::~Layout() = default;  // the workers stop and are joined first (declared last)

void Layout::setFont(const QFont& font, typeset::Writing writing) {
    typesetter_ = std::make_unique<typeset::Typesetter>(font, writing, &doc_.standIns());
    if (ruby_) ruby_ = std::make_unique<typeset::RubyLayout>(font, writing, *typesetter_);
    invalidate();
}

void Layout::standInsReplaced() {
    typesetter_->forgetStandIns();
    invalidate();
}

void Layout::setWrapWidth(float width) {
    if (width == width_) return;
    width_ = width;
    invalidate();
}

void Layout::setRubyShown(bool on) {
    if (on == (ruby_ != nullptr)) return;
    ruby_ = on ? std::make_unique<typeset::RubyLayout>(typesetter_->font(), typesetter_->writing(), *typesetter_)
               : nullptr;
    invalidate();
}

bool Layout::setRawRange(std::size_t from, std::size_t to) {
    const std::size_t oldFrom = rawFrom_;
    const std::size_t oldTo = rawTo_;
    if (from == oldFrom && to == oldTo) return false;
    rawFrom_ = from;
    rawTo_ = to;
    if (!ruby_ || !valid_) return false;
    // Only the paragraphs a range touches can change, not those inside both ranges (every
    // group as written either way), and of the others only those with a group that one
    // range touches and the other does not: a jump of the caret or a selection grown at
    // one end lays out a few paragraphs whatever lies between, and typing or moving along
    // a paragraph lays out nothing until the caret reaches or leaves a group.
    const std::size_t end = doc_.length();
    const std::size_t inFrom = std::max(oldFrom, from);
    const std::size_t inTo = std::min(oldTo, to);
    std::vector<std::size_t> changed;
    bool many = false;
    const auto walk = [&](std::size_t a, std::size_t b, std::size_t skipFirst, std::size_t skipLast) {
        for (std::size_t p = doc_.lineOfPos(std::min(a, end)), last = doc_.lineOfPos(std::min(b, end)); p <= last && !many;
             ++p) {
            if (p >= skipFirst && p <= skipLast) {
                p = skipLast;
                continue;
            }
            const std::size_t start = doc_.lineStart(p);
            if (start >= inFrom && doc_.lineEnd(p) <= inTo) {
                p = std::max(p, doc_.lineOfPos(std::min(inTo, end)));  // the rest inside both, up to inTo
                if (doc_.lineEnd(p) > inTo) --p;
                continue;
            }
            if (doc_.lineEnd(p) - start > kLongParagraph ||
                !ruby_->rawDiffers(paragraphText(p), start, oldFrom, oldTo, from, to))
                continue;
            many = changed.size() == kCacheFromChange;
            changed.push_back(p);
        }
    };
    walk(oldFrom, oldTo, 1, 0);
    walk(from, to, doc_.lineOfPos(std::min(oldFrom, end)), doc_.lineOfPos(std::min(oldTo, end)));
    if (many) {
        invalidate();  // a large selection gone or made: everything again, at the next query
        return true;
    }
    for (std::size_t p : changed) {
        std::erase_if(cache_, [&](const std::unique_ptr<Para>& e) { return e->index == p; });
        index_.setCount(p, layOutParagraph(p, true));
        pending_.erase(p);  // a worker may have it with the range as it was
    }
    return !changed.empty();
}

std::size_t Layout::changeReach(std::size_t from, std::size_t to) {
    from = std::min(from, doc_.length());
    if (!ruby_) return from;
    const std::size_t p = doc_.lineOfPos(from);
    const std::size_t start = doc_.lineStart(p);
    const std::size_t end = doc_.lineEnd(p);
    if (end - start > kLongParagraph) return from;
    return start + ruby_->changeReach(paragraphText(p), from - start, std::min(to, end) - start);
}

void Layout::invalidate() {
    valid_ = false;
    cache_.clear();
    long_.clear();
    pending_.clear();
    held_.clear();
    if (workers_) workers_->cancel();
}

std::string_view Layout::paragraphText(std::size_t paragraph) {
    std::size_t start = doc_.lineStart(paragraph);
    return doc_.view(start, doc_.lineEnd(paragraph) - start);
}

std::uint32_t Layout::layOut(std::string_view text, std::size_t paraStart, std::vector<typeset::Cell>& cells,
                             std::vector<std::uint32_t>& starts) const {
    return paragraph_wrap::layOut(*typesetter_, width_, text, cells, starts, {ruby_.get(), paraStart, rawFrom_, rawTo_});
}

Layout::LongPara* Layout::longPara(std::size_t paragraph) {
    auto it = std::lower_bound(long_.begin(), long_.end(), paragraph,
                               [](const LongPara& l, std::size_t p) { return l.index < p; });
    return it != long_.end() && it->index == paragraph ? &*it : nullptr;
}

template <class Resync>
std::size_t Layout::wrapLong(std::size_t paraStart, std::size_t from, std::size_t end, std::size_t chunk,
                             std::vector<std::uint32_t>& out, Resync resync) {
    DocumentSource source{doc_, paraStart};
    return paragraph_wrap::wrapPieces(*typesetter_, width_, source, from, end, chunk, scratchCells_, scratchStarts_,
                                      out, resync);
}

std::uint32_t Layout::layOutParagraph(std::size_t p, bool keep) {
    const std::size_t start = doc_.lineStart(p);
    const std::size_t length = doc_.lineEnd(p) - start;
    auto at = std::lower_bound(long_.begin(), long_.end(), p, [](const LongPara& l, std::size_t i) { return l.index < i; });
    if (length > kLongParagraph) {
        if (at == long_.end() || at->index != p) at = long_.insert(at, LongPara{p, {}});
        at->starts.clear();
        wrapLong(start, 0, length, kLongChunk, at->starts, [](std::size_t) { return false; });
        return static_cast<std::uint32_t>(at->starts.size());
    }
    if (at != long_.end() && at->index == p) long_.erase(at);
    if (!keep) return layOut(doc_.view(start, length), start, scratchCells_, scratchStarts_);
    auto entry = std::make_unique<Para>();
    entry->index = p;
    entry->used = ++clock_;
    const std::uint32_t n = layOut(doc_.view(start, length), start, entry->cells, entry->starts);
    cache_.push_back(std::move(entry));
    return n;
}

void Layout::ensure() {
    if (valid_) return;
    cache_.clear();
    long_.clear();
    const std::size_t n = doc_.lineCount();
    std::vector<std::uint32_t> counts(n);
    // The workers set text as things are now, for the big changes to come if not at once.
    if (workers_) startWorkers();
    if (workers_ && doc_.length() > shape_.fromBytes) {
        // Estimates now; the workers make them exact (a short text is laid out at once).
        estimates(0, counts);
        index_.assign(counts);
        pending_.assign(0, n);
        valid_ = true;
        feed();
        return;
    }
    // Paragraph by paragraph: the document's blocks end at line breaks, so a paragraph's
    // view seldom needs a copy, where a view of the whole text would copy all of it.
    for (std::size_t p = 0; p < n; ++p) {
        const std::size_t start = doc_.lineStart(p);
        const std::size_t length = doc_.lineEnd(p) - start;
        counts[p] = length > kLongParagraph ? layOutParagraph(p, false)
                                            : layOut(doc_.view(start, length), start, scratchCells_, scratchStarts_);
    }
    index_.assign(counts);
    valid_ = true;
}

// ---------------------------------------------------------------- the background

void Layout::runInBackground(std::function<void()> wake, BackgroundShape shape) {
    shape_ = shape;
    workers_ = std::make_unique<LayoutWorkers>(shape.threads, std::move(wake));
    invalidate();
}

namespace {

// Lines per byte of a paragraph: half a full-width cell per byte holds for Japanese text
// and for Latin alike.
double linesPerByte(const typeset::Typesetter& typesetter, float width) {
    return typesetter.fullWidthAdvance() / 2.0 / std::max(1.0, static_cast<double>(width));
}

std::uint32_t estimateLines(std::size_t length, double perByte) {
    const double lines = std::ceil(static_cast<double>(length) * perByte);
    return lines <= 1.0 ? 1u : lines >= 4.0e9 ? 4000000000u : static_cast<std::uint32_t>(lines);
}

}  // namespace

void Layout::estimates(std::size_t first, std::vector<std::uint32_t>& counts) const {
    // From the line starts alone, the break counted in: the bytes around a start are
    // scattered over the document's blocks, and at a million paragraphs reading them took
    // most of the time the window stood still after a new width.
    constexpr std::size_t kPiece = 4096;
    const std::size_t n = doc_.lineCount();
    const double perByte = linesPerByte(*typesetter_, width_);
    std::size_t starts[kPiece + 1];
    for (std::size_t done = 0; done < counts.size();) {
        const std::size_t p = first + done;
        const std::size_t take = std::min(kPiece, counts.size() - done);
        const std::size_t known = std::min(take + 1, n - p);  // the start after the last, when there is one
        doc_.lineStarts(p, known, starts);
        if (known == take) starts[take] = doc_.length();
        for (std::size_t i = 0; i < take; ++i) counts[done + i] = estimateLines(starts[i + 1] - starts[i], perByte);
        done += take;
    }
}

void Layout::startWorkers() {
    workers_->restart({typesetter_->font(), typesetter_->writing(), width_, ruby_ != nullptr});
    held_.clear();
    feedFrom_ = 0;
}

bool Layout::exact() {
    ensure();
    return pending_.empty();
}

void Layout::feed() {
    if (!workers_ || pending_.empty()) return;
    const std::size_t most = 2 * static_cast<std::size_t>(workers_->threads());
    std::size_t out = workers_->outstanding();
    // Results held and not yet put in still speak of paragraphs handed out.
    if (out == 0 && held_.empty()) handedEnd_ = 0;
    while (out < most) {
        ParagraphSet::Range run = pending_.next(feedFrom_);
        if (run.first >= run.second) {
            if (out > 0 || !held_.empty() || feedFrom_ == 0) return;
            feedFrom_ = 0;  // everything handed out came back: what is left goes round again
            continue;
        }
        LayoutWorkers::Job job;
        job.tag = numbering_;
        job.first = run.first;
        // The paragraphs' starts read a piece at a time (their breaks are found by the worker
        // in the bytes), up to the start of the paragraph after the job's last.
        constexpr std::size_t kPiece = 256;
        std::size_t starts[kPiece + 1];
        const std::size_t paragraphs = doc_.lineCount();
        const std::size_t from = doc_.lineStart(run.first);
        std::size_t p = run.first;
        std::size_t next = from;
        while (p < run.second && (p == run.first || next - from < shape_.jobBytes)) {
            const std::size_t take = std::min(kPiece, run.second - p);
            const std::size_t known = std::min(take + 1, paragraphs - p);
            doc_.lineStarts(p, known, starts);
            if (known == take) starts[take] = doc_.length();
            for (std::size_t i = 0; i < take && (p == run.first || next - from < shape_.jobBytes); ++i, ++p) {
                job.starts.push_back(starts[i] - from);
                next = starts[i + 1];
            }
        }
        const std::size_t end = next;
        job.bytes = doc_.slice(from, end - from);
        job.at = from;
        job.rawFrom = rawFrom_;
        job.rawTo = rawTo_;
        feedFrom_ = p;
        handedEnd_ = std::max(handedEnd_, p);
        workers_->submit(std::move(job));
        ++out;
    }
}

void Layout::receive() {
    if (!workers_) return;
    for (LayoutWorkers::Result& r : workers_->take()) held_.push_back(std::move(r));
    feed();
}

bool Layout::receiving() const { return workers_ && workers_->outstanding() > 0; }

bool Layout::collect() {
    if (!workers_) return false;
    for (LayoutWorkers::Result& r : workers_->take()) held_.push_back(std::move(r));
    std::vector<LayoutWorkers::Result> results;
    results.swap(held_);
    bool changed = false;
    for (LayoutWorkers::Result& r : results) {
        if (!valid_ || r.tag != numbering_) continue;
        const std::size_t last = r.first + r.counts.size();
        std::size_t nextLong = 0;
        // Only the paragraphs still estimated: the others were laid out here meanwhile,
        // perhaps after a change of their text.
        for (ParagraphSet::Range run = pending_.next(r.first); run.first < last; run = pending_.next(run.second)) {
            const std::size_t to = std::min(run.second, last);
            for (std::size_t p = run.first; p < to; ++p) index_.setCount(p, r.counts[p - r.first]);
            for (; nextLong < r.longLines.size(); ++nextLong) {
                LayoutWorkers::LongLines& l = r.longLines[nextLong];
                const std::size_t p = r.first + l.paragraph;
                if (p >= to) break;
                if (p < run.first) continue;
                auto at = std::lower_bound(long_.begin(), long_.end(), p,
                                           [](const LongPara& lp, std::size_t i) { return lp.index < i; });
                long_.insert(at, LongPara{p, std::move(l.starts)});
            }
            pending_.erase(run.first, to);
            changed = true;
            if (to == last) break;
        }
    }
    feed();
    return changed;
}

void Layout::finish() {
    ensure();
    if (pending_.empty()) return;
    workers_->cancel();
    held_.clear();
    const std::vector<ParagraphSet::Range> runs = pending_.ranges();
    for (const ParagraphSet::Range& run : runs)
        for (std::size_t p = run.first; p < run.second; ++p) index_.setCount(p, layOutParagraph(p, false));
    pending_.clear();
}

bool Layout::settle(std::size_t p) {
    if (!pending_.contains(p)) return false;
    index_.setCount(p, layOutParagraph(p, true));
    pending_.erase(p);
    return true;
}

bool Layout::repair(std::size_t paragraph, const Para& p) {
    // A count that disagrees with the paragraph's lines would be a fault of ours; the
    // lines as laid out here win.
    if (index_.count(paragraph) == p.starts.size()) return false;
    index_.setCount(paragraph, static_cast<std::uint32_t>(p.starts.size()));
    return true;
}

void Layout::settleLines(std::size_t first, std::size_t count) {
    ensure();
    if (pending_.empty()) return;
    for (std::size_t line = first; line < first + count;) {
        const WrapIndex::Place place = settledPlace(line);
        if (place.paragraph == text::npos) return;
        line = index_.firstLine(place.paragraph + 1);
    }
}

WrapIndex::Place Layout::settledPlace(std::size_t line) {
    for (;;) {
        if (line >= index_.lineCount()) return {text::npos, 0};
        const WrapIndex::Place place = index_.find(line);
        if (!settle(place.paragraph)) return place;
    }
}

bool Layout::rewrapLong(std::size_t p, const text::Change& change) {
    LongPara* lp = longPara(p);
    const std::size_t paraStart = doc_.lineStart(p);
    const std::size_t length = doc_.lineEnd(p) - paraStart;
    if (!lp || length <= kLongParagraph || change.pos < paraStart || change.pos + change.inserted > paraStart + length)
        return false;
    std::vector<std::uint32_t>& starts = lp->starts;
    const std::size_t o = change.pos - paraStart;
    const std::size_t editEnd = o + change.inserted;  // in the new text
    // From the line before the changed one: a change may let that line take more.
    std::size_t k = static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), o) - starts.begin()) - 1;
    if (k > 0) --k;
    std::vector<std::uint32_t> fresh;
    std::size_t resume = starts.size();
    // Once a line starts past the change where an old line started, the rest is as before.
    wrapLong(paraStart, starts[k], length, kEditChunk, fresh, [&](std::size_t s) {
        if (s < editEnd + 2) return false;
        const std::size_t before = s - change.inserted + change.removed;
        auto it = std::lower_bound(starts.begin(), starts.end(), before);
        if (it == starts.end() || *it != before) return false;
        resume = static_cast<std::size_t>(it - starts.begin());
        return true;
    });
    for (std::size_t i = resume; i < starts.size(); ++i)
        starts[i] = static_cast<std::uint32_t>(starts[i] - change.removed + change.inserted);
    starts.erase(starts.begin() + static_cast<std::ptrdiff_t>(k), starts.begin() + static_cast<std::ptrdiff_t>(resume));
    starts.insert(starts.begin() + static_cast<std::ptrdiff_t>(k), fresh.begin(), fresh.end());
    std::erase_if(cache_, [&](const std::unique_ptr<Para>& e) { return e->index == p; });
    index_.setCount(p, static_cast<std::uint32_t>(lp->starts.size()));
    return true;
}

void Layout::documentChanged(const text::Change& change) {
    // The raw range moves with the text, as the caret does.
    const auto moved = [&](std::size_t pos) {
        if (pos >= change.pos + change.removed) return pos - change.removed + change.inserted;
        return pos > change.pos ? change.pos + change.inserted : pos;
    };
    rawFrom_ = moved(rawFrom_);
    rawTo_ = moved(rawTo_);
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
    if (first == last && oldLast == static_cast<std::ptrdiff_t>(first) && rewrapLong(first, change)) return;

    // Drop what was kept of the replaced paragraphs, renumber the ones after them.
    auto replaced = [&](std::size_t index) {
        return index >= first && static_cast<std::ptrdiff_t>(index) <= oldLast;
    };
    auto renumber = [&](std::size_t& index) {
        if (static_cast<std::ptrdiff_t>(index) > oldLast)
            index = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(index) + delta);
    };
    std::erase_if(cache_, [&](const std::unique_ptr<Para>& p) { return replaced(p->index); });
    for (auto& p : cache_) renumber(p->index);
    std::erase_if(long_, [&](const LongPara& l) { return replaced(l.index); });
    for (auto& l : long_) renumber(l.index);

    const std::size_t added = last - first + 1;
    const std::size_t removed = static_cast<std::size_t>(oldLast + 1) - first;
    std::vector<std::uint32_t> counts(added);
    // In the background a large change is estimated here and wrapped by the workers.
    const bool background = workers_ && (added > kBackgroundParagraphs ||
                                         doc_.lineEnd(last) - doc_.lineStart(first) > shape_.fromBytes);
    if (background) estimates(first, counts);
    for (std::size_t i = 0; i < added && !background; ++i)
        counts[i] = layOutParagraph(first + i, added <= kCacheFromChange);
    index_.splice(first, removed, counts.data(), added);
    if (!workers_) return;
    pending_.splice(first, removed, added, background);
    // Jobs out speak of the old numbers, or of the old text of the paragraphs handed back
    // to the workers (a large change that keeps the number of paragraphs); those that hold
    // only paragraphs before the change (a text loaded at its end) stay good.
    if ((added != removed || background) && first < handedEnd_) {
        ++numbering_;
        feedFrom_ = 0;
        handedEnd_ = 0;
    }
    feed();
}

Layout::Para* Layout::cached(std::size_t paragraph, std::ptrdiff_t line) {
    for (auto& p : cache_)
        if (p->index == paragraph && p->line == line) {
            p->used = ++clock_;
            return p.get();
        }
    return nullptr;
}

Layout::Para& Layout::para(std::size_t paragraph, std::ptrdiff_t line) {
    if (Para* p = cached(paragraph, line)) return *p;
    // Queries without painting (which trims) must not let the cache grow without end.
    if (cache_.size() >= 4 * kCacheKeep) trimCache();
    auto p = std::make_unique<Para>();
    p->index = paragraph;
    p->line = line;
    p->used = ++clock_;
    if (line < 0) {
        layOut(paragraphText(paragraph), doc_.lineStart(paragraph), p->cells, p->starts);
    } else {
        // One line of a long paragraph, with a character of context on either side.
        const std::vector<std::uint32_t>& starts = longPara(paragraph)->starts;
        const std::size_t paraStart = doc_.lineStart(paragraph);
        const std::size_t length = doc_.lineEnd(paragraph) - paraStart;
        const auto k = static_cast<std::size_t>(line);
        const std::size_t start = starts[k];
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : length;
        const std::size_t base = start > 0 ? doc_.prevCaretPos(paraStart + start) - paraStart : 0;
        const std::size_t after = end < length ? doc_.nextCaretPos(paraStart + end) - paraStart : length;
        p->base = base;
        p->viewLength = after - base;
        typesetter_->cells(doc_.view(paraStart + base, after - base), p->cells);
        auto at = [&](std::size_t offset) {
            return static_cast<std::uint32_t>(
                std::partition_point(p->cells.begin(), p->cells.end(),
                                     [&](const typeset::Cell& c) { return c.offset < offset; }) -
                p->cells.begin());
        };
        p->starts = {at(start - base), at(end - base)};
    }
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
                                     [&](const typeset::Cell& c) { return c.offset + c.length <= offset; });
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
    settle(paragraph);
    const std::size_t first = index_.firstLine(paragraph);
    if (index_.count(paragraph) == 1) return first;
    const std::size_t offset = pos - doc_.lineStart(paragraph);
    if (const LongPara* lp = longPara(paragraph)) {
        auto it = std::upper_bound(lp->starts.begin(), lp->starts.end(), offset);
        std::size_t k = static_cast<std::size_t>(it - lp->starts.begin()) - 1;
        if (upstream && k > 0 && lp->starts[k] == offset) --k;
        return first + k;
    }
    return first + lineInParagraph(para(paragraph), offset, upstream);
}

std::size_t Layout::lineStart(std::size_t line) {
    ensure();
    const WrapIndex::Place place = settledPlace(line);
    if (place.paragraph == text::npos) return text::npos;
    std::size_t start = doc_.lineStart(place.paragraph);
    if (place.lineInParagraph == 0) return start;
    if (const LongPara* lp = longPara(place.paragraph)) return start + lp->starts[place.lineInParagraph];
    const Para& p = para(place.paragraph);
    if (place.lineInParagraph >= p.starts.size()) return repair(place.paragraph, p) ? lineStart(line) : text::npos;
    return start + p.cells[p.starts[place.lineInParagraph]].offset;
}

Layout::Line Layout::line(std::size_t line) {
    ensure();
    WrapIndex::Place place;
    do {
        line = std::min(line, index_.lineCount() - 1);
        place = settledPlace(line);
    } while (place.paragraph == text::npos);
    Line l;
    l.index = line;
    l.paragraph = place.paragraph;
    l.paragraphHasBreak = doc_.lineBreakLength(place.paragraph) > 0;
    if (const LongPara* lp = longPara(place.paragraph)) {
        const std::size_t count = lp->starts.size();
        const Para& p = para(place.paragraph, static_cast<std::ptrdiff_t>(place.lineInParagraph));
        l.paraStart = doc_.lineStart(place.paragraph) + p.base;
        l.text = doc_.view(l.paraStart, p.viewLength);
        l.cells = &p.cells;
        l.first = p.starts[0];
        l.last = p.starts[1];
        l.lastOfParagraph = place.lineInParagraph + 1 == count;
        return l;
    }
    const Para& p = para(place.paragraph);
    if (place.lineInParagraph >= p.starts.size() && repair(place.paragraph, p)) return this->line(line);
    l.paraStart = doc_.lineStart(place.paragraph);
    l.text = paragraphText(place.paragraph);
    l.cells = &p.cells;
    l.first = p.starts[place.lineInParagraph];
    l.lastOfParagraph = place.lineInParagraph + 1 == p.starts.size();
    l.last = l.lastOfParagraph ? p.cells.size() : p.starts[place.lineInParagraph + 1];
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
        const typeset::Cell& c = (*cells)[i];
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
        const typeset::Cell& c = (*cells)[i];
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

std::size_t Layout::Line::charAt(float u) const {
    float x = 0;
    for (std::size_t i = first; i < last; ++i) {
        const typeset::Cell& c = (*cells)[i];
        if (u < x + c.advance) {
            std::string_view chars = text.substr(c.offset, c.length);
            const std::size_t pieces = std::max<std::size_t>(text::cp932::countChars(chars), 1);
            const auto k = static_cast<std::size_t>(
                std::clamp((u - x) * static_cast<float>(pieces) / c.advance, 0.0f, static_cast<float>(pieces - 1)));
            std::size_t offset = 0;
            for (std::size_t j = 0; j < k; ++j) offset = text::cp932::nextBoundary(chars, offset);
            return paraStart + c.offset + offset;
        }
        x += c.advance;
    }
    return endPos();
}

}  // namespace verlo::edit
