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
void EditCommands::redo() { memo2_.redo(); }

void EditCommands::copy() {
    // The clipboard is to hold the selection as plain text only, with LF line breaks, as the
    // plain scratch control would copy it after taking it in; memo2 puts it there itself,
    // decoded once with its own table of stand-ins (the scratch control has none, and
    // nothing reads what a copy leaves in it). With nothing selected the scratch control
    // takes the clipboard's own text and copies it back as plain text.
    memo1_.setText({});
    if (memo2_.selLength() > 0) {
        memo2_.copy();
        return;
    }
    memo1_.paste();
    memo1_.selectAll();
    memo1_.copy();
    memo1_.setText({});  // the clipboard has its own copy
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
