// The main window's side of crash recovery: the store of copies and the keeper of the
// document's copy, the copy written before a file is written in place, and the offer of
// the copies an earlier run left behind.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "recovery/recovery_copy.h"

class QWidget;

namespace verlo::edit {
class EditControl;
}
namespace verlo::recovery {
class RecoveryKeeper;
class RecoveryStore;
}  // namespace verlo::recovery

namespace verlo::app {

class DocumentRecovery {
public:
    // describe() gives the file (empty when untitled), encoding, line breaks and caret.
    DocumentRecovery(edit::EditControl& memo2, std::function<recovery::RecoveryCopy()> describe);
    ~DocumentRecovery();

    recovery::RecoveryKeeper& keeper() { return *keeper_; }
    recovery::RecoveryStore& store() { return *store_; }

    void changed();  // every change of the text
    // The text now equals its file, or was given up: the copy goes.
    void settled();
    // Before a file is written in place: the copy, whole, now. False when it cannot be written.
    bool keepNow();
    std::string copyPath() const;  // where this run's copy is written

    // Offers each copy an earlier run left (restore, discard or decide later), one box
    // each. restore() puts a copy into the window; after one is restored, the rest wait
    // for another start.
    void offer(QWidget* owner, const std::function<void(const recovery::RecoveryCopy&)>& restore);

    // The text of the offer's box for one copy.
    static QString offerText(const recovery::RecoveryCopy& copy);

private:
    std::unique_ptr<recovery::RecoveryStore> store_;
    std::unique_ptr<recovery::RecoveryKeeper> keeper_;
};

}  // namespace verlo::app
