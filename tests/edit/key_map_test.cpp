// The keys the control answers, read along the axes: modifiers that change a key's edit,
// those that leave it to the owner, and the arrows turned in vertical writing.
#include "edit/key_map.h"

#include <gtest/gtest.h>

using verlo::edit::KeyAction;
using verlo::edit::keyCommand;

namespace {

TEST(KeyMap, KeysAndModifiers) {
    constexpr Qt::KeyboardModifiers none = Qt::NoModifier;
    constexpr Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    constexpr Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = ctrl | shift;
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        bool vertical;
        KeyAction want;
    };
    const Case cases[] = {
        {Qt::Key_Left, none, false, KeyAction::StepBack},
        {Qt::Key_Left, ctrlShift, false, KeyAction::WordBack},
        {Qt::Key_Up, ctrl, false, KeyAction::ScrollBack},
        {Qt::Key_PageDown, ctrlShift, false, KeyAction::PageOn},
        {Qt::Key_End, ctrl, false, KeyAction::TextEnd},
        // Vertical: up and down run along the column, left goes on to the next one.
        {Qt::Key_Up, none, true, KeyAction::StepBack},
        {Qt::Key_Down, ctrl, true, KeyAction::WordOn},
        {Qt::Key_Left, none, true, KeyAction::LineOn},
        {Qt::Key_Right, shift, true, KeyAction::LineBack},
        {Qt::Key_Left, ctrl, true, KeyAction::ScrollOn},
        {Qt::Key_Home, none, true, KeyAction::LineStart},
        // Shift changes these keys' edit; Ctrl leaves most of them to the owner.
        {Qt::Key_Backspace, shift, false, KeyAction::DeleteBack},
        {Qt::Key_Backspace, ctrl, false, KeyAction::None},
        {Qt::Key_Delete, none, false, KeyAction::DeleteOn},
        {Qt::Key_Delete, shift, false, KeyAction::Cut},
        {Qt::Key_Delete, ctrl, false, KeyAction::None},
        {Qt::Key_Insert, shift, false, KeyAction::Paste},
        {Qt::Key_Insert, ctrl, false, KeyAction::Copy},
        {Qt::Key_Insert, ctrlShift, false, KeyAction::None},
        {Qt::Key_Return, shift, false, KeyAction::NewLine},
        {Qt::Key_Enter, ctrl, false, KeyAction::None},
        {Qt::Key_Backtab, shift, false, KeyAction::Tab},
        {Qt::Key_Tab, ctrl, false, KeyAction::None},
        {Qt::Key_Z, ctrl, false, KeyAction::Undo},
        {Qt::Key_Z, ctrlShift, false, KeyAction::Redo},  // as Ctrl+Y
        {Qt::Key_Y, ctrl, true, KeyAction::Redo},
        {Qt::Key_B, ctrl, false, KeyAction::None},
        {Qt::Key_A, shift, false, KeyAction::Text},
        {Qt::Key_Left, Qt::AltModifier, false, KeyAction::None},
        {Qt::Key_A, Qt::MetaModifier, false, KeyAction::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keyCommand(c.key, c.mods, c.vertical).action, c.want)
            << "key " << std::hex << c.key << " mods " << c.mods.toInt() << (c.vertical ? " vertical" : "");
    }
    EXPECT_TRUE(keyCommand(Qt::Key_Right, shift, false).extend);
    EXPECT_FALSE(keyCommand(Qt::Key_Right, ctrl, false).extend);
}

}  // namespace
