// Keeps a recovery copy of the document while it is modified: a while after the changes
// pause, the text is copied off the document a slice at a time between events (so typing
// never waits for a large text) and written by a thread of its own (so typing never waits
// for the disk). A change during the copying starts it again after the next pause.
#pragma once

#include <QObject>
#include <QTimer>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "recovery/recovery_store.h"

namespace verlo::text {
class Document;
}

namespace verlo::recovery {

class RecoveryKeeper : public QObject {
public:
    // describe() gives everything of a copy but the text (file, encoding, line breaks,
    // caret); the keeper adds the text and the time.
    RecoveryKeeper(RecoveryStore& store, const text::Document& doc, std::function<RecoveryCopy()> describe,
                   QObject* parent = nullptr);
    ~RecoveryKeeper() override;  // waits for a write on its way

    // How long the changes must pause before a copy is taken (2 seconds unless set).
    void setIdleDelay(int milliseconds) { idle_.setInterval(milliseconds); }
    // Bytes copied off the document per turn of the event loop.
    static constexpr std::size_t kSliceBytes = 256 * 1024;

    // Every change of the text: a modified text gets a copy after the next pause; a text
    // equal to its file again needs none.
    void documentChanged();
    // The copy now, whole, before returning; false when it could not be written.
    bool writeNow();
    // The text was saved or given up: its copy goes, and nothing on its way is written.
    void discard();

    // True while a copy is awaited, being taken or written (tests wait for it to settle).
    bool busy() const;
    // True while the text is being copied off the document, slice by slice.
    bool copying() const { return step_.isActive(); }

private:
    void startSnapshot();
    void copySlice();
    void hand(RecoveryCopy copy);
    void work();

    RecoveryStore& store_;
    const text::Document& doc_;
    std::function<RecoveryCopy()> describe_;
    QTimer idle_;
    QTimer step_;
    std::uint64_t revision_ = 1;
    std::string snapshot_;
    std::uint64_t snapshotRevision_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::pair<RecoveryCopy, std::uint64_t>> pending_;
    bool writing_ = false;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace verlo::recovery
