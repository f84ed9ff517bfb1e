#include "counts/background_counts.h"

#include <algorithm>
#include <utility>

namespace verlo::counts {

BackgroundCounts::BackgroundCounts(std::function<void()> wake) : wake_(std::move(wake)) {}

BackgroundCounts::~BackgroundCounts() { cancel(); }

void BackgroundCounts::join() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    stop_ = false;
    const std::lock_guard lock(mutex_);
    done_ = false;
    counted_.clear();
}

void BackgroundCounts::cancel() {
    join();
    running_ = false;
    touched_ = false;
}

void BackgroundCounts::start(std::string text, std::size_t paragraphs) {
    cancel();
    running_ = true;
    thread_ = std::thread([this, text = std::move(text), paragraphs] {
        std::vector<ParagraphCount> all;
        all.reserve(paragraphs);
        CharTally::State state;
        if (!countParagraphs(text, paragraphs, state, all, &stop_)) return;
        {
            const std::lock_guard lock(mutex_);
            counted_ = std::move(all);
            done_ = true;
        }
        wake_();
    });
}

void BackgroundCounts::noteChange(const text::Change& c) {
    if (!running_) return;
    const std::size_t lo = c.firstLine;
    const std::size_t hiBefore = lo + c.linesRemoved;
    if (!touched_) {
        touched_ = true;
        first_ = lo;
        lastOld_ = hiBefore;
        lastNew_ = lo + c.linesAdded;
        return;
    }
    // In the numbering just before this change the touched run is [first_, lastNew_] and
    // the change [lo, hiBefore]; paragraphs outside both are the copy's, shifted.
    const std::size_t end = std::max(lastNew_, hiBefore);
    lastOld_ += end - lastNew_;
    lastNew_ = end + c.linesAdded - c.linesRemoved;
    first_ = std::min(first_, lo);
}

bool BackgroundCounts::collect(text::Document& doc, LiveCounts& counts) {
    if (!running_) return false;
    std::vector<ParagraphCount> counted;
    {
        const std::lock_guard lock(mutex_);
        if (!done_) return false;
        counted.swap(counted_);
    }
    if (thread_.joinable()) thread_.join();
    counts.assign(counted);
    if (touched_) {
        text::Change c;
        c.firstLine = first_;
        c.linesRemoved = lastOld_ - first_;
        c.linesAdded = lastNew_ - first_;
        counts.apply(doc, c);
    }
    cancel();
    return true;
}

}  // namespace verlo::counts
