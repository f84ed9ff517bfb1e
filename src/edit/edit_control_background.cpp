// The edit control and its background layout: the workers' results come in between
// events, the text at the top of the view stays where it is while the counts above it
// become exact, and linesCounted() tells the owner when the figures are exact again.
#include "edit/edit_control_impl.h"

namespace verlo::edit {

bool EditControl::Impl::shelved() const {
    return q->isHidden() && q->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

void EditControl::Impl::layoutResults() {
    // The workers are handed more at once; what they finished goes in at most every kEvery
    // ms while more is coming (a repaint of the scroll bar per job cost the interface
    // thread a sixth of a core through a long re-wrap), and at once when the last comes.
    constexpr qint64 kEvery = 40;
    layout.receive();
    if (layout.receiving() && resultsTaken.isValid() && resultsTaken.elapsed() < kEvery) {
        if (!resultsLater.isActive()) resultsLater.start(static_cast<int>(kEvery - resultsTaken.elapsed()));
        return;
    }
    resultsLater.stop();
    resultsTaken.start();
    const bool wasExact = layout.isValid() && layout.exact();
    layoutWillChange();
    if (!layout.collect()) {
        restoreTop = false;
        return;
    }
    updateScrollBars();
    if (!wasExact && layout.exact()) emit q->linesCounted();
}

void EditControl::Impl::documentLoaded() {
    if (!shelved() && layout.isValid() && layout.exact()) emit q->linesCounted();
}

}  // namespace verlo::edit
