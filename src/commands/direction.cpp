#include "commands/direction.h"

#include <QAction>

namespace verlo::commands {

WritingDirection::WritingDirection(edit::EditControl& memo2, settings::Settings& settings, QAction& verticalItem,
                                   QAction& horizontalItem)
    : memo2_(memo2), settings_(settings), verticalItem_(verticalItem), horizontalItem_(horizontalItem) {}

void WritingDirection::applyStored() {
    if (settings_.VerHor == 1) memo2_.setVerticalOption(edit::OptionOp::Or);
    setMenuState(settings_.VerHor == 1);
}

void WritingDirection::toVertical() {
    if (!verticalItem_.isEnabled()) return;
    settings_.VerHor = 1;
    switchOption(edit::OptionOp::Or);
    setMenuState(true);
}

void WritingDirection::toHorizontal() {
    if (!horizontalItem_.isEnabled()) return;
    settings_.VerHor = 0;
    switchOption(edit::OptionOp::Xor);
    setMenuState(false);
}

bool WritingDirection::vertical() const { return memo2_.isVertical(); }

void WritingDirection::setMenuState(bool vertical) {
    verticalItem_.setEnabled(!vertical);
    horizontalItem_.setEnabled(vertical);
}

// The control is hidden while its layout turns, so it is never seen half laid out. Hiding
// a widget takes the keyboard focus away from it; the control gets it back when it had it.
void WritingDirection::switchOption(edit::OptionOp op) {
    QWidget* window = memo2_.window();
    const bool hadFocus = window && window->focusWidget() == &memo2_;
    memo2_.hide();
    memo2_.setVerticalOption(op);
    memo2_.show();
    if (hadFocus) memo2_.setFocus(Qt::OtherFocusReason);
}

}  // namespace verlo::commands
