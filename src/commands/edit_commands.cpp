#include "commands/edit_commands.h"

#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "text/document.h"
#include "counts/char_count.h"

namespace verlo::commands {

QString charCountMessage(std::size_t count) {
    return QStringLiteral("選択文字列は%1字です。").arg(static_cast<qulonglong>(count));
}

EditCommands::EditCommands(edit::EditControl& memo2, edit::EditControl& memo1, QWidget* owner)
    : memo2_(memo2), memo1_(memo1), owner_(owner) {}

void EditCommands::undo() { memo2_.undo(); }

void EditCommands::copy() {
    // The plain scratch control takes the selection and copies it: what stays on the
    // clipboard is the text alone. The selection goes to it as bytes, as a paste of
    // memo2's copy would bring them (decoding and encoding are exact inverses), so the
    // text is converted once. With nothing selected it takes the clipboard's own text.
    memo1_.setText({});
    if (memo2_.selLength() == 0)
        memo1_.paste();
    else
        memo1_.replaceSelection(text::toCrLf(memo2_.selectedText()), true);
    memo1_.selectAll();
    memo1_.copy();
}

void EditCommands::cut() { memo2_.cut(); }

void EditCommands::paste() { memo2_.paste(); }

void EditCommands::selectAll() { memo2_.selectAll(); }

std::size_t EditCommands::countChars() {
    const std::size_t count = counts::countSelectionChars(memo2_.selectedText());
    platform::answerer().inform(owner_, QStringLiteral("Verlo"), charCountMessage(count));
    return count;
}

void EditCommands::previousPage() { memo2_.pageUp(); }

void EditCommands::nextPage() { memo2_.pageDown(); }

}  // namespace verlo::commands
