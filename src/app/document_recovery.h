// The main window's side of crash recovery: the offer of the copies an earlier run left
// behind (the document session keeps this run's copy).
#pragma once

#include <QString>
#include <functional>

#include "recovery/recovery_copy.h"

class QWidget;

namespace verlo::session {
class DocumentSession;
}

namespace verlo::app {

class DocumentRecovery {
public:
    explicit DocumentRecovery(session::DocumentSession& session) : session_(session) {}

    // Offers each copy an earlier run left (restore, discard or decide later), one box
    // each. restore() puts a copy into the window; after one is restored, the rest wait
    // for another start.
    void offer(QWidget* owner, const std::function<void(const recovery::RecoveryCopy&)>& restore);

    // The text of the offer's box for one copy.
    static QString offerText(const recovery::RecoveryCopy& copy);

private:
    session::DocumentSession& session_;
};

}  // namespace verlo::app
