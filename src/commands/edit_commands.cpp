#include "commands/edit_commands.h"

#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "counts/char_count.h"

namespace verlo::commands {

QString charCountMessage(std::size_t count) {
    return QStringLiteral("選択文字列は%1字です。").arg(static_cast<qulonglong>(count));
}

EditCommands::EditCommands(edit::EditControl& memo2, edit::EditControl& memo1, QWidget* owner)
    : memo2_(memo2), memo1_(memo1), owner_(owner) {}

void EditCommands::undo() { memo2_.undo(); }

void EditCommands::copy() {
    // memo2 copies, the plain scratch control takes the clipboard's text and copies it
    // back: what stays on the clipboard is the text alone.
    memo1_.setText({});
    memo2_.copy();
    memo1_.paste();
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
