#include "counts/background_counts.h"

#include <algorithm>
#include <utility>

namespace verlo::counts {

namespace {

constexpr std::size_t kPiecesAhead = 2;  // handed over before the worker needs them

}  // namespace

BackgroundCounts::BackgroundCounts(std::function<void()> wake) : wake_(std::move(wake)) {}

BackgroundCounts::~BackgroundCounts() { cancel(); }

void BackgroundCounts::cancel() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    more_.notify_all();
    if (thread_.joinable()) thread_.join();
    stop_ = false;
    const std::lock_guard lock(mutex_);
    pieces_.clear();
    done_ = false;
    counted_.clear();
    running_ = false;
    touched_ = false;
}

void BackgroundCounts::start(text::Document& doc, std::size_t pieceBytes) {
    cancel();
    running_ = true;
    pieceBytes_ = std::max<std::size_t>(pieceBytes, 1);
    paragraphs_ = doc.lineCount();
    handed_ = 0;
    hand(doc);
    thread_ = std::thread([this, paragraphs = paragraphs_] { work(paragraphs); });
}

void BackgroundCounts::work(std::size_t paragraphs) {
    std::vector<ParagraphCount> all;
    all.reserve(paragraphs);
    CharTally::State state;
    while (all.size() < paragraphs) {
        Piece piece;
        {
            std::unique_lock lock(mutex_);
            more_.wait(lock, [this] { return stop_ || !pieces_.empty(); });
            if (stop_) return;
            piece = std::move(pieces_.front());
            pieces_.pop_front();
        }
        if (piece.bytes.empty()) {
            // A run the changes touched, counted again by collect() (or the last paragraph,
            // empty, which counts alike). What follows it was counted from the state before
            // it, which is what collect() compares with.
            ParagraphCount passed;
            passed.exit = state;
            all.insert(all.end(), piece.paragraphs, passed);
        } else if (!countParagraphs(piece.bytes, piece.paragraphs, state, all, &stop_)) {
            return;
        }
        if (all.size() == paragraphs) break;
        wake_();  // for more
    }
    {
        const std::lock_guard lock(mutex_);
        counted_ = std::move(all);
        done_ = true;
    }
    wake_();
}

BackgroundCounts::Piece BackgroundCounts::nextPiece(text::Document& doc) const {
    Piece piece;
    if (touched_ && handed_ >= first_ && handed_ <= lastOld_) {
        piece.paragraphs = lastOld_ + 1 - handed_;  // passed over
        return piece;
    }
    // Paragraph handed_ of the text at start() is paragraph `now` of the document; the piece
    // stops before the touched run or at the end.
    std::size_t now = handed_;
    std::size_t stop = paragraphs_;
    if (touched_ && handed_ > lastOld_) now = handed_ - lastOld_ + lastNew_;
    if (touched_ && handed_ < first_) stop = first_;
    const std::size_t start = doc.lineStart(now);
    const std::size_t last = std::min(doc.lineOfPos(start + pieceBytes_ - 1), now + (stop - handed_) - 1);
    piece.paragraphs = last - now + 1;
    piece.bytes = doc.slice(start, doc.lineEnd(last) + doc.lineBreakLength(last) - start);
    return piece;
}

void BackgroundCounts::hand(text::Document& doc) {
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (pieces_.size() >= kPiecesAhead || handed_ == paragraphs_) return;
        }
        Piece piece = nextPiece(doc);
        handed_ += piece.paragraphs;
        {
            const std::lock_guard lock(mutex_);
            pieces_.push_back(std::move(piece));
        }
        more_.notify_one();
    }
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
    // the change [lo, hiBefore]; paragraphs outside both are those of start(), shifted.
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
        if (done_) counted.swap(counted_);
    }
    if (counted.empty()) {
        hand(doc);
        return false;
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
