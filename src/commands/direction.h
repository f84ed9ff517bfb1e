// The writing direction: a two-state machine whose three parts always agree.
//
//   state        VerHor                  vertical option of memo2   "縦書き" item  "横書き" item
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
#include "settings/settings.h"

class QAction;

namespace verlo::commands {

class WritingDirection {
public:
    // The actions are the menu items "縦書き" and "横書き"; none of the objects
    // is owned, all must outlive this one.
    WritingDirection(edit::EditControl& memo2, settings::Settings& settings, QAction& verticalItem, QAction& horizontalItem);

    // The start-up step, run once after the settings were read and before the window is
    // shown: VerHor 1 turns the vertical option on (without hiding the control) and sets
    // the menu to the vertical state; any other value leaves the control horizontal, the
    // menu in the horizontal state and VerHor as it was read.
    void applyStored();

    // "縦書き": VerHor 1, then the control hidden, its vertical option set (or), shown
    // again, and the menu to the vertical state. Does nothing while its item is disabled.
    void toVertical();
    // "横書き": VerHor 0, then the control hidden, its vertical option flipped (xor; it is
    // on, since the command is enabled only in the vertical state), shown again, and the
    // menu to the horizontal state. Does nothing while its item is disabled.
    void toHorizontal();

    bool vertical() const;

private:
    void setMenuState(bool vertical);
    void switchOption(edit::OptionOp op);

    edit::EditControl& memo2_;
    settings::Settings& settings_;
    QAction& verticalItem_;
    QAction& horizontalItem_;
};

}  // namespace verlo::commands
