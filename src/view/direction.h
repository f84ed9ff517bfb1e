// The writing direction: a two-state machine whose three parts always agree.
//
//   state        VerHor                  vertical option of memo2   N15 "縦書き"   N16 "横書き"
//   horizontal   0 (or a stored value    off                        enabled        disabled
//                other than 1, kept
//                until the first switch)
//   vertical     1                       on                         disabled       enabled
//
// "縦書き" (F12) takes horizontal to vertical, "横書き" (F11) takes vertical to horizontal.
// Each command is disabled in the state it leads to, and a command whose item is disabled
// does nothing, however it is invoked.
#pragma once

#include "edit/edit_control.h"
#include "platform/settings.h"

class QAction;

namespace verlo::view {

class WritingDirection {
public:
    // The actions are the menu items N15 ("縦書き") and N16 ("横書き"); none of the objects
    // is owned, all must outlive this one.
    WritingDirection(edit::EditControl& memo2, platform::Settings& settings, QAction& n15, QAction& n16);

    // The start-up step, run once after the settings were read and before the window is
    // shown: VerHor 1 turns the vertical option on (without hiding the control) and sets
    // the menu to the vertical state; any other value leaves the control horizontal, the
    // menu in the horizontal state and VerHor as it was read.
    void applyStored();

    // N15Click: VerHor 1, then the control hidden, its vertical option set (or), shown
    // again, and the menu to the vertical state. Does nothing while N15 is disabled.
    void toVertical();
    // N16Click: VerHor 0, then the control hidden, its vertical option flipped (xor; it is
    // on, since the command is enabled only in the vertical state), shown again, and the
    // menu to the horizontal state. Does nothing while N16 is disabled.
    void toHorizontal();

    bool vertical() const;

private:
    void setMenuState(bool vertical);
    void switchOption(edit::OptionOp op);

    edit::EditControl& memo2_;
    platform::Settings& settings_;
    QAction& n15_;
    QAction& n16_;
};

}  // namespace verlo::view
