// The live counts of a whole text taken on a thread of their own, for a change too large
// to count between two keystrokes (a file opened, a large paste). The text is not copied
// whole: the owner's thread hands the worker a piece of it at a time (a few megabytes of
// whole paragraphs) and goes on changing the document meanwhile. The counts are those of
// the text as it was at start(): a piece taken later reads the document through the
// changes made since (which touched one run of paragraphs; the worker passes over that run),
// and collect() counts that run again from the document as it is by then.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
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
    // wake is called from the worker whenever collect() has something to do.
    explicit BackgroundCounts(std::function<void()> wake);
    ~BackgroundCounts();
    BackgroundCounts(const BackgroundCounts&) = delete;
    BackgroundCounts& operator=(const BackgroundCounts&) = delete;

    // Counts doc as it is now, handing it over in pieces of about pieceBytes; drops a count
    // under way.
    void start(text::Document& doc, std::size_t pieceBytes);
    void cancel();
    // True from start() until collect() took the counts in or cancel().
    bool running() const { return running_; }
    // A change of the document after start().
    void noteChange(const text::Change& change);
    // Hands the worker more of the text, or puts the finished counts into `counts`: true
    // then, false while the worker is still counting.
    bool collect(text::Document& doc, LiveCounts& counts);

private:
    struct Piece {
        std::string bytes;           // whole paragraphs with their line breaks
        std::size_t paragraphs = 0;  // of the text at start(); with no bytes, passed over
    };
    Piece nextPiece(text::Document& doc) const;
    void hand(text::Document& doc);
    void work(std::size_t paragraphs);

    std::function<void()> wake_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable more_;
    std::deque<Piece> pieces_;             // guarded by mutex_
    bool done_ = false;                    // guarded by mutex_
    std::vector<ParagraphCount> counted_;  // guarded by mutex_
    bool running_ = false;
    std::size_t pieceBytes_ = 0;
    std::size_t paragraphs_ = 0;  // of the text at start()
    std::size_t handed_ = 0;      // paragraphs of it handed over
    // Paragraphs the changes since start() touched: [first_, lastNew_] of the document now,
    // which were [first_, lastOld_] at start().
    bool touched_ = false;
    std::size_t first_ = 0;
    std::size_t lastOld_ = 0;
    std::size_t lastNew_ = 0;
};

}  // namespace verlo::counts
