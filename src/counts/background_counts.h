// The live counts of a whole text taken on a thread of their own, for a change too large
// to count between two keystrokes (a file opened, a large paste): the owner hands over a
// copy of the text and goes on changing the document; when `wake` calls (from the worker),
// collect() on the owner's thread puts the counts in, and counts again, from the document
// as it is by then, the run of paragraphs that the changes since the copy touched.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "counts/live_counts.h"
#include "text/document.h"

namespace verlo::counts {

class BackgroundCounts {
public:
    explicit BackgroundCounts(std::function<void()> wake);
    ~BackgroundCounts();
    BackgroundCounts(const BackgroundCounts&) = delete;
    BackgroundCounts& operator=(const BackgroundCounts&) = delete;

    // Counts text (the document's, of `paragraphs` hard lines); drops a count under way.
    void start(std::string text, std::size_t paragraphs);
    void cancel();
    // True from start() until collect() took the counts in or cancel().
    bool running() const { return running_; }
    // A change of the document after the copy was taken.
    void noteChange(const text::Change& change);
    // Puts the finished counts into `counts`; false while the worker is still counting.
    bool collect(text::Document& doc, LiveCounts& counts);

private:
    void join();

    std::function<void()> wake_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    bool done_ = false;                    // guarded by mutex_
    std::vector<ParagraphCount> counted_;  // guarded by mutex_
    bool running_ = false;
    // Paragraphs the changes since the copy touched: [first_, lastNew_] of the document now,
    // which were [first_, lastOld_] of the copy.
    bool touched_ = false;
    std::size_t first_ = 0;
    std::size_t lastOld_ = 0;
    std::size_t lastNew_ = 0;
};

}  // namespace verlo::counts
