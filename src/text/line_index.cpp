#include "text/line_index.h"

#include <algorithm>
#include <cassert>
#include <iterator>

namespace verlo::text {
namespace {

// How many of i = 0, 1, ..., n - 1 satisfy pred, for a pred that holds up to some i and
// not after: a binary search whose steps are selects rather than branches (the data it
// reads are too random to predict).
// When pred(i) reads data[i], the caller may pass data, and the next two places the
// search may look at are fetched ahead while it waits for the present one.
template <class Pred>
std::size_t countLeading(std::size_t n, const Pred& pred, const std::size_t* data = nullptr) {
    if (n == 0) return 0;
    std::size_t base = 0;
    while (n > 1) {
        const std::size_t half = n / 2;
        if (data) {
            const std::size_t next = (n - half) / 2;
            __builtin_prefetch(data + base + next);
            __builtin_prefetch(data + base + half + next);
        }
        base = pred(base + half) ? base + half : base;
        n -= half;
    }
    return base + (pred(base) ? 1 : 0);
}

}  // namespace

LineIndex::LineIndex(std::size_t blockLines) : blockLines_(std::max<std::size_t>(blockLines, 2)) { reset({0}); }

void LineIndex::reset(const std::vector<std::size_t>& starts) {
    assert(!starts.empty() && starts[0] == 0);
    rel_.clear();
    base_.clear();
    firstLine_.assign(1, 0);
    rebuildBlocks(0, 0, starts);
    stepLine_ = 0;
    step_ = 0;
    hint_ = 0;
}

std::size_t LineIndex::searchBlock(std::size_t line) const {
    assert(line < lineCount());
    const std::size_t* first = firstLine_.data();
    const std::size_t b = countLeading(rel_.size(), [&](std::size_t i) { return first[i] <= line; }) - 1;
    blockHint_ = b;
    return b;
}

void LineIndex::copyStarts(std::size_t first, std::size_t count, std::size_t* out) const {
    if (count == 0) return;
    assert(first + count <= lineCount());
    const std::size_t end = first + count;
    for (std::size_t b = blockOf(first), line = first; line < end; ++b) {
        const std::size_t blockEnd = std::min(end, firstLine_[b + 1]);
        const std::size_t* rel = rel_[b].data() - firstLine_[b];
        for (; line < blockEnd; ++line) *out++ = base_[b] + rel[line] + (line > stepLine_ ? step_ : 0);
    }
}

std::size_t LineIndex::upperBound(std::size_t pos) const {
    const std::size_t n = lineCount();
    const std::size_t h = hint_;
    if (h < n && start(h) <= pos) {
        if (h + 1 == n || start(h + 1) > pos) return h + 1;
        if (h + 2 == n || start(h + 2) > pos) {
            hint_ = h + 1;
            return h + 2;
        }
    }
    // The last block whose first line starts at or before pos: block 0 starts at 0, and
    // blocks 1 to b as well...
    const std::size_t b = countLeading(rel_.size() - 1, [&](std::size_t i) { return blockFirstStart(i + 1) <= pos; });
    // ...then the first line in it that starts past pos.
    const std::size_t* rel = rel_[b].data();
    const std::size_t first = firstLine_[b], base = base_[b];
    const std::size_t lo = 1 + countLeading(
                                   rel_[b].size() - 1,
                                   [&](std::size_t i) {
                                       return base + rel[i + 1] + (first + i + 1 > stepLine_ ? step_ : 0) <= pos;
                                   },
                                   rel + 1);
    hint_ = first + lo - 1;
    blockHint_ = b;
    return first + lo;
}

void LineIndex::addToLines(std::size_t from, std::size_t to, std::size_t delta) {
    assert(from <= to && to < lineCount());
    // A whole block moves by its base, the end of one by its entries, the beginning of
    // one by its base and the rest of it back by its entries (its first entry stays 0).
    const auto add = [&](std::size_t b, std::size_t i, std::size_t j) {
        std::vector<std::size_t>& rel = rel_[b];
        if (i == 0) {
            base_[b] += delta;
            for (std::size_t k = j; k < rel.size(); ++k) rel[k] -= delta;
        } else {
            for (std::size_t k = i; k < j; ++k) rel[k] += delta;
        }
    };
    const std::size_t b1 = blockOf(from), b2 = blockOf(to);
    if (b1 == b2) {
        add(b1, from - firstLine_[b1], to - firstLine_[b1] + 1);
        return;
    }
    add(b1, from - firstLine_[b1], rel_[b1].size());
    for (std::size_t b = b1 + 1; b < b2; ++b) base_[b] += delta;
    add(b2, 0, to - firstLine_[b2] + 1);
}

void LineIndex::applyStepTo(std::size_t line) {
    if (line <= stepLine_) return;
    if (step_ != 0) addToLines(stepLine_ + 1, line, step_);
    stepLine_ = line;
}

void LineIndex::backStepTo(std::size_t line) {
    if (line >= stepLine_) return;
    if (step_ != 0) addToLines(line + 1, stepLine_, ~step_ + 1);
    stepLine_ = line;
}

void LineIndex::shiftAfter(std::size_t line, std::size_t delta) {
    const std::size_t last = lineCount() - 1;
    if (delta == 0 || line >= last) return;
    if (step_ == 0) {
        stepLine_ = line;
        step_ = delta;
    } else if (line >= stepLine_) {
        applyStepTo(line);
        step_ += delta;
    } else {
        backStepTo(line);
        step_ += delta;
    }
}

void LineIndex::replaceStarts(std::size_t first, std::size_t removeCount, const std::size_t* added,
                              std::size_t addCount, std::size_t delta) {
    assert(first >= 1 && first + removeCount <= lineCount());
    if (removeCount != 0 || addCount != 0) {
        // The starts touched (and the one before them) must be exact before they move.
        applyStepTo(first + removeCount - 1);
        splice(first, removeCount, added, addCount);
        // The lines after keep their place relative to the step.
        stepLine_ = stepLine_ - removeCount + addCount;
        if (stepLine_ >= lineCount()) stepLine_ = lineCount() - 1;
    }
    shiftAfter(first + addCount - 1, delta);
}

void LineIndex::splice(std::size_t first, std::size_t removeCount, const std::size_t* added, std::size_t addCount) {
    const std::size_t count = lineCount();
    const std::size_t lastBlock = rel_.size() - 1;
    const auto placeOf = [&](std::size_t line) -> std::pair<std::size_t, std::size_t> {
        if (line == count) return {lastBlock, rel_[lastBlock].size()};
        const std::size_t b = blockOf(line);
        return {b, line - firstLine_[b]};
    };
    const auto [b1, i1] = placeOf(first);
    const auto [b2, i2] = placeOf(first + removeCount);
    const std::size_t smallest = std::max<std::size_t>(blockLines_ / 4, 1);

    if (b1 == b2) {
        // Inside one block that stays neither too big nor too small: in place.
        std::vector<std::size_t>& rel = rel_[b1];
        const std::size_t newSize = rel.size() - removeCount + addCount;
        if (newSize <= blockLines_ && (newSize >= smallest || rel_.size() == 1)) {
            const auto at = rel.begin() + static_cast<std::ptrdiff_t>(i1);
            rel.erase(at, at + static_cast<std::ptrdiff_t>(removeCount));
            rel.insert(rel.begin() + static_cast<std::ptrdiff_t>(i1), added, added + addCount);
            for (std::size_t k = 0; k < addCount; ++k) rel[i1 + k] -= base_[b1];
            if (i1 == 0) rebase(b1);
            if (addCount != removeCount)
                for (std::size_t b = b1 + 1; b < firstLine_.size(); ++b) firstLine_[b] += addCount - removeCount;
            return;
        }
    }
    // Otherwise the blocks touched are laid out again (with a neighbour when they would
    // come out small).
    std::size_t lo = b1, hi = b2 + 1;
    if (i1 + addCount + (rel_[b2].size() - i2) < smallest) {
        if (hi < rel_.size()) ++hi;
        else if (lo > 0) --lo;
    }
    scratch_.clear();
    const auto takeRaws = [&](std::size_t b, std::size_t i, std::size_t j) {
        for (std::size_t k = i; k < j; ++k) scratch_.push_back(base_[b] + rel_[b][k]);
    };
    for (std::size_t b = lo; b < b1; ++b) takeRaws(b, 0, rel_[b].size());
    takeRaws(b1, 0, i1);
    scratch_.insert(scratch_.end(), added, added + addCount);
    takeRaws(b2, i2, rel_[b2].size());
    for (std::size_t b = b2 + 1; b < hi; ++b) takeRaws(b, 0, rel_[b].size());
    rebuildBlocks(lo, hi, scratch_);
}

void LineIndex::rebase(std::size_t b) {
    std::vector<std::size_t>& rel = rel_[b];
    const std::size_t first = rel[0];
    if (first == 0) return;
    base_[b] += first;
    for (std::size_t& r : rel) r -= first;
}

void LineIndex::rebuildBlocks(std::size_t lo, std::size_t hi, const std::vector<std::size_t>& raws) {
    const std::size_t n = raws.size();
    const std::size_t target = std::max<std::size_t>(blockLines_ * 3 / 4, 1);
    const std::size_t count = n == 0 ? 0 : n <= blockLines_ ? 1 : (n + target - 1) / target;
    std::vector<std::vector<std::size_t>> rel(count);
    std::vector<std::size_t> base(count);
    for (std::size_t c = 0, at = 0; c < count; ++c) {
        const std::size_t size = n / count + (c < n % count ? 1 : 0);
        base[c] = raws[at];
        rel[c].reserve(size);
        for (std::size_t k = 0; k < size; ++k) rel[c].push_back(raws[at + k] - base[c]);
        at += size;
    }
    const auto lo_ = static_cast<std::ptrdiff_t>(lo), hi_ = static_cast<std::ptrdiff_t>(hi);
    rel_.erase(rel_.begin() + lo_, rel_.begin() + hi_);
    rel_.insert(rel_.begin() + lo_, std::make_move_iterator(rel.begin()), std::make_move_iterator(rel.end()));
    base_.erase(base_.begin() + lo_, base_.begin() + hi_);
    base_.insert(base_.begin() + lo_, base.begin(), base.end());
    firstLine_.resize(rel_.size() + 1);
    for (std::size_t b = 0; b < rel_.size(); ++b) firstLine_[b + 1] = firstLine_[b] + rel_[b].size();
    blockHint_ = 0;
    assert(!rel_.empty());
}

}  // namespace verlo::text
