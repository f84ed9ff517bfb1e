#include "text/line_index.h"

#include <cassert>

namespace verlo::text {

LineIndex::LineIndex() { reset({0}); }

void LineIndex::reset(const std::vector<std::size_t>& starts) {
    assert(!starts.empty() && starts[0] == 0);
    starts_.assign(starts.data(), starts.size());
    stepLine_ = 0;
    step_ = 0;
}

std::size_t LineIndex::upperBound(std::size_t pos) const {
    const std::size_t n = starts_.size();
    const std::size_t h = hint_;
    if (h < n && start(h) <= pos) {
        if (h + 1 == n || start(h + 1) > pos) return h + 1;
        if (h + 2 == n || start(h + 2) > pos) {
            hint_ = h + 1;
            return h + 2;
        }
    }
    // First line whose start is past pos; line 0 starts at 0 <= pos.
    std::size_t lo = 1, hi = n;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (start(mid) <= pos) lo = mid + 1;
        else hi = mid;
    }
    hint_ = lo - 1;
    return lo;
}

void LineIndex::applyStepTo(std::size_t line) {
    if (line <= stepLine_) return;
    if (step_ != 0)
        for (std::size_t k = stepLine_ + 1; k <= line; ++k) starts_.at(k) += step_;
    stepLine_ = line;
}

void LineIndex::backStepTo(std::size_t line) {
    if (line >= stepLine_) return;
    if (step_ != 0)
        for (std::size_t k = line + 1; k <= stepLine_; ++k) starts_.at(k) -= step_;
    stepLine_ = line;
}

void LineIndex::shiftAfter(std::size_t line, std::size_t delta) {
    const std::size_t last = starts_.size() - 1;
    if (delta == 0 || line >= last) return;
    if (step_ == 0) {
        stepLine_ = line;
        step_ = delta;
    } else if (line >= stepLine_) {
        applyStepTo(line);
        step_ += delta;
    } else if (stepLine_ - line <= starts_.size() / 8) {
        backStepTo(line);
        step_ += delta;
    } else {
        applyStepTo(last);
        stepLine_ = line;
        step_ = delta;
    }
}

void LineIndex::replaceStarts(std::size_t first, std::size_t removeCount, const std::size_t* added,
                              std::size_t addCount, std::size_t delta) {
    assert(first >= 1 && first + removeCount <= starts_.size());
    if (removeCount != 0 || addCount != 0) {
        // The starts touched (and the one before them) must be exact before the vector moves.
        applyStepTo(first + removeCount - 1);
        starts_.erase(first, removeCount);
        stepLine_ -= removeCount;
        starts_.insert(first, added, addCount);
        stepLine_ += addCount;
        if (stepLine_ >= starts_.size()) stepLine_ = starts_.size() - 1;
    }
    shiftAfter(first + addCount - 1, delta);
}

}  // namespace verlo::text
