// The Edit menu's clipboard, selection and paging commands and the character count (Tools
// menu), on the document's control memo2. Undo, cut, paste and select all are the control's own;
// copy goes through the hidden scratch control Memo1 so that the clipboard holds the
// selected text as plain text only; the count shows its box through the answerer.
#pragma once

#include <QString>
#include <cstddef>

class QWidget;

namespace verlo::edit {
class EditControl;
}

namespace verlo::commands {

// "選択文字列は<n>字です。"
QString charCountMessage(std::size_t count);

class EditCommands {
public:
    // memo2: the document's control; memo1: the window's hidden scratch control;
    // owner: the window the count box belongs to.
    EditCommands(edit::EditControl& memo2, edit::EditControl& memo1, QWidget* owner);

    void undo();       // Ctrl+Z
    void redo();       // Ctrl+Y, Ctrl+Shift+Z
    void copy();       // Ctrl+C: memo2's selection and modified flag stay as they are
    void cut();        // Ctrl+X
    void paste();      // Ctrl+V
    void selectAll();  // Ctrl+A
    // One page back or forward along the block axis, in either writing direction; the
    // caret and the selection stay where they are.
    void previousPage();
    void nextPage();
    // Ctrl+M: counts the selection (line breaks left out, a double-byte character once) and
    // shows the count in a box titled "Verlo" with one OK button. Returns the count.
    std::size_t countChars();

private:
    edit::EditControl& memo2_;
    edit::EditControl& memo1_;
    QWidget* owner_;
};

}  // namespace verlo::commands
