// The edit control and its background layout: the workers' results come in between
// events, the text at the top of the view stays where it is while the counts above it
// become exact, and linesCounted() tells the owner when the figures are exact again.
#include "edit/edit_control_impl.h"

namespace verlo::edit {

bool EditControl::Impl::shelved() const {
    return q->isHidden() && q->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

void EditControl::Impl::layoutResults() {
    const bool wasExact = layout.isValid() && layout.exact();
    layoutWillChange();
    if (!layout.collect()) {
        restoreTop = false;
        return;
    }
    updateScrollBars();
    if (!wasExact && layout.exact()) emit q->linesCounted();
}

}  // namespace verlo::edit
