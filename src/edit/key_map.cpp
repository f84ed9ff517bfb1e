#include "edit/key_map.h"

namespace verlo::edit {
namespace {

enum class Held : unsigned char { No, Yes, Either };

struct Binding {
    int key;
    Held ctrl;
    Held shift;
    KeyAction action;
};

constexpr Held N = Held::No;
constexpr Held Y = Held::Yes;
constexpr Held E = Held::Either;

// Keys as in horizontal writing; the first binding that matches wins. Shift with a move
// extends the selection, so the moves take it either way.
constexpr Binding kBindings[] = {
    {Qt::Key_Left, N, E, KeyAction::StepBack},
    {Qt::Key_Left, Y, E, KeyAction::WordBack},
    {Qt::Key_Right, N, E, KeyAction::StepOn},
    {Qt::Key_Right, Y, E, KeyAction::WordOn},
    {Qt::Key_Up, N, E, KeyAction::LineBack},
    {Qt::Key_Up, Y, E, KeyAction::ScrollBack},
    {Qt::Key_Down, N, E, KeyAction::LineOn},
    {Qt::Key_Down, Y, E, KeyAction::ScrollOn},
    {Qt::Key_PageUp, E, E, KeyAction::PageBack},
    {Qt::Key_PageDown, E, E, KeyAction::PageOn},
    {Qt::Key_Home, N, E, KeyAction::LineStart},
    {Qt::Key_Home, Y, E, KeyAction::TextStart},
    {Qt::Key_End, N, E, KeyAction::LineEnd},
    {Qt::Key_End, Y, E, KeyAction::TextEnd},
    {Qt::Key_Backspace, N, E, KeyAction::DeleteBack},
    {Qt::Key_Delete, N, N, KeyAction::DeleteOn},
    {Qt::Key_Delete, N, Y, KeyAction::Cut},
    {Qt::Key_Insert, N, Y, KeyAction::Paste},
    {Qt::Key_Insert, Y, N, KeyAction::Copy},
    {Qt::Key_Return, N, E, KeyAction::NewLine},
    {Qt::Key_Enter, N, E, KeyAction::NewLine},
    {Qt::Key_Tab, N, E, KeyAction::Tab},
    {Qt::Key_Backtab, N, E, KeyAction::Tab},
    {Qt::Key_A, Y, E, KeyAction::SelectAll},
    {Qt::Key_C, Y, E, KeyAction::Copy},
    {Qt::Key_X, Y, E, KeyAction::Cut},
    {Qt::Key_V, Y, E, KeyAction::Paste},
    {Qt::Key_Z, Y, N, KeyAction::Undo},
    {Qt::Key_Z, Y, Y, KeyAction::Redo},
    {Qt::Key_Y, Y, N, KeyAction::Redo},
};

bool matches(Held held, bool down) { return held == Held::Either || (held == Held::Yes) == down; }

int turnedForVertical(int key) {
    switch (key) {
    case Qt::Key_Up: return Qt::Key_Left;
    case Qt::Key_Down: return Qt::Key_Right;
    case Qt::Key_Left: return Qt::Key_Down;
    case Qt::Key_Right: return Qt::Key_Up;
    default: return key;
    }
}

}  // namespace

KeyCommand keyCommand(int key, Qt::KeyboardModifiers modifiers, bool vertical) {
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return {};
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    if (vertical) key = turnedForVertical(key);
    for (const Binding& b : kBindings) {
        if (b.key == key && matches(b.ctrl, ctrl) && matches(b.shift, shift)) return {b.action, shift};
    }
    // Ctrl with any other key is a shortcut of the owner's, never text.
    if (ctrl) return {};
    return {KeyAction::Text, shift};
}

}  // namespace verlo::edit
