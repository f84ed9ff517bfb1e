#include "recovery/recovery_keeper.h"

#include <chrono>

#include "text/document.h"

namespace verlo::recovery {
namespace {

std::int64_t now() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(RecoveryStore& store, const text::Document& doc,
                               std::function<RecoveryCopy()> describe, QObject* parent)
    : QObject(parent), store_(store), doc_(doc), describe_(std::move(describe)), worker_([this] { work(); }) {
    idle_.setSingleShot(true);
    idle_.setInterval(2000);
    idle_.callOnTimeout(this, [this] { startSnapshot(); });
    step_.setInterval(0);
    step_.callOnTimeout(this, [this] { copySlice(); });
}

RecoveryKeeper::~RecoveryKeeper() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void RecoveryKeeper::documentChanged() {
    ++revision_;
    step_.stop();
    snapshot_ = std::string();
    if (doc_.modified())
        idle_.start();
    else
        discard();
}

void RecoveryKeeper::startSnapshot() {
    if (!doc_.modified()) return;
    snapshotRevision_ = revision_;
    snapshot_.clear();
    snapshot_.reserve(doc_.length());
    step_.start();
}

void RecoveryKeeper::copySlice() {
    if (snapshotRevision_ != revision_) {  // changed meanwhile: documentChanged restarted the wait
        step_.stop();
        return;
    }
    snapshot_ += doc_.slice(snapshot_.size(), kSliceBytes);
    if (snapshot_.size() < doc_.length()) return;
    step_.stop();
    RecoveryCopy copy = describe_();
    copy.text = std::move(snapshot_);
    snapshot_ = std::string();
    hand(std::move(copy));
}

void RecoveryKeeper::hand(RecoveryCopy copy) {
    copy.written = now();
    {
        std::lock_guard lock(mutex_);
        pending_.emplace(std::move(copy), revision_);
    }
    wake_.notify_all();
}

void RecoveryKeeper::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_; });
        if (!pending_) return;  // stopping with nothing left to write
        auto [copy, revision] = std::move(*pending_);
        pending_.reset();
        writing_ = true;
        lock.unlock();
        store_.write(copy, revision);
        lock.lock();
        writing_ = false;
    }
}

bool RecoveryKeeper::writeNow() {
    idle_.stop();
    step_.stop();
    RecoveryCopy copy = describe_();
    copy.text = doc_.text();
    copy.written = now();
    return store_.write(copy, revision_);
}

void RecoveryKeeper::discard() {
    idle_.stop();
    step_.stop();
    snapshot_ = std::string();
    {
        std::lock_guard lock(mutex_);
        pending_.reset();
    }
    store_.discard(revision_);
}

bool RecoveryKeeper::busy() const {
    std::lock_guard lock(mutex_);
    return idle_.isActive() || step_.isActive() || pending_ || writing_;
}

}  // namespace verlo::recovery
