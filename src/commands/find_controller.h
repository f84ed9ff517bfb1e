// Find, find next and replace on the document's control. Owns the two modeless dialogs
// and answers their buttons itself; the main window calls showFindDialog (Ctrl+F),
// findNext (F3) and showReplaceDialog (Ctrl+R).
//
// The rules: find and find next match letter case, replace (one, all) and the replace
// dialog's find-next ignore it, none asks for whole words. Searches run forward to the end
// of the text and never wrap. A search that finds nothing changes nothing and says nothing.
// The empty search string matches nowhere. The handlers keep no state: where a search
// starts depends only on the current selection.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstddef>
#include <string_view>

#include "dialogs/find_dialogs.h"

namespace verlo::edit {
class EditControl;
}

namespace verlo::commands {

using dialogs::FindDialog;
using dialogs::ReplaceDialog;

class FindController : public QObject {
    Q_OBJECT
public:
    // memo2: the document's control; owner: the window the dialogs belong to (may be null).
    FindController(edit::EditControl& memo2, QWidget* owner);
    ~FindController() override;

    FindDialog& findDialog() const { return *findDialog_; }
    ReplaceDialog& replaceDialog() const { return *replaceDialog_; }

public slots:
    // Open the dialog, or bring it to the front when it is open already.
    void showFindDialog();
    void showReplaceDialog();

    // The find dialog's button: from the end of the selection, or from the beginning of
    // the text when nothing is selected. A hit is selected and memo2 gets the focus.
    bool findFromDialog();
    // F3: the find dialog's string (empty before it was ever used), from the end of the
    // selection or from the caret.
    bool findNext();
    // The replace dialog's find-next button: its string, from the end of the selection or
    // from the caret; a hit is selected, the focus stays where it is.
    bool findFromReplaceDialog();
    // The replace button: the first match after the selection (from the beginning of the
    // text when nothing is selected) is selected and replaced, not undoably.
    bool replaceOne();
    // The replace-all button: every match from the beginning of the text, as one change
    // that cannot be undone; the caret ends after the last replacement, or at the
    // beginning of the text when nothing matched. Returns the number of replacements.
    std::size_t replaceAll();

private:
    long long search(std::string_view needle, std::size_t start, bool matchCase) const;
    void select(long long pos, std::size_t length);

    edit::EditControl& memo2_;
    QPointer<FindDialog> findDialog_;
    QPointer<ReplaceDialog> replaceDialog_;
};

}  // namespace verlo::commands
