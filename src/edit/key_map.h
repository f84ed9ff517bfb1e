// Which edit a key press asks for. The keys are read along the axes: in vertical writing
// the arrows turn with the text first (up and down run along the column, left goes on to
// the next column and right back to the previous one), so one table serves both writings.
#pragma once

#include <Qt>

namespace verlo::edit {

enum class KeyAction {
    None,  // not the control's key: the owner may use it
    Text,  // no binding: whatever text the key carries is typed
    StepBack,
    StepOn,
    WordBack,
    WordOn,
    LineBack,  // to the line before (up in horizontal writing), keeping the goal column
    LineOn,
    ScrollBack,  // the view one line, the caret staying
    ScrollOn,
    PageBack,  // the caret and the view a page
    PageOn,
    LineStart,
    LineEnd,
    TextStart,
    TextEnd,
    DeleteBack,
    DeleteOn,
    NewLine,
    Tab,
    Cut,
    Copy,
    Paste,
    SelectAll,
    Undo,
    Redo,
};

struct KeyCommand {
    KeyAction action = KeyAction::None;
    bool extend = false;  // Shift held: a move takes the selection along
};

KeyCommand keyCommand(int key, Qt::KeyboardModifiers modifiers, bool vertical);

}  // namespace verlo::edit
