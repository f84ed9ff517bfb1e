#include "commands/find_controller.h"

#include <string>

#include "edit/edit_control.h"
#include "dialogs/find_dialogs.h"
#include "commands/find_replace_all.h"

namespace verlo::commands {

FindController::FindController(edit::EditControl& memo2, QWidget* owner)
    : memo2_(memo2), findDialog_(new FindDialog(owner)), replaceDialog_(new ReplaceDialog(owner)) {
    text::StandIns* standIns = &memo2.document().standIns();
    findDialog_->findField()->setStandIns(standIns);
    replaceDialog_->findField()->setStandIns(standIns);
    replaceDialog_->replaceField()->setStandIns(standIns);
    connect(findDialog_, &FindDialog::findNext, this, &FindController::findFromDialog);
    connect(replaceDialog_, &ReplaceDialog::findNext, this, &FindController::findFromReplaceDialog);
    connect(replaceDialog_, &ReplaceDialog::replace, this, &FindController::replaceOne);
    connect(replaceDialog_, &ReplaceDialog::replaceAll, this, &FindController::replaceAll);
}

FindController::~FindController() {
    // The dialogs go with their owner window, or here when that window outlives us.
    delete findDialog_.data();
    delete replaceDialog_.data();
}

void FindController::showFindDialog() { findDialog_->present(); }

void FindController::showReplaceDialog() { replaceDialog_->present(); }

long long FindController::search(std::string_view needle, std::size_t start, bool matchCase) const {
    if (needle.empty()) return -1;
    const std::size_t length = memo2_.textLength();
    if (start >= length) return -1;
    return memo2_.findText(start, length, needle, matchCase, false);
}

void FindController::select(long long pos, std::size_t length) {
    memo2_.setSelStart(static_cast<std::size_t>(pos));
    memo2_.setSelLength(length);  // also scrolls the hit into view
}

bool FindController::findFromDialog() {
    const std::string needle = findDialog_->findBytes();
    const std::size_t start = memo2_.selLength() != 0 ? memo2_.selStart() + memo2_.selLength() : 0;
    const long long hit = search(needle, start, true);
    if (hit < 0) return false;
    memo2_.activateWindow();
    memo2_.setFocus();
    select(hit, needle.size());
    return true;
}

bool FindController::findNext() {
    const std::string needle = findDialog_->findBytes();
    const long long hit = search(needle, memo2_.selStart() + memo2_.selLength(), true);
    if (hit < 0) return false;
    memo2_.activateWindow();
    memo2_.setFocus();
    select(hit, needle.size());
    return true;
}

bool FindController::findFromReplaceDialog() {
    const std::string needle = replaceDialog_->findBytes();
    const long long hit = search(needle, memo2_.selStart() + memo2_.selLength(), false);
    if (hit < 0) return false;
    select(hit, needle.size());
    return true;
}

bool FindController::replaceOne() {
    const std::string needle = replaceDialog_->findBytes();
    const std::size_t start = memo2_.selLength() != 0 ? memo2_.selStart() + memo2_.selLength() : 0;
    const long long hit = search(needle, start, false);
    if (hit < 0) return false;
    select(hit, needle.size());
    memo2_.replaceSelection(replaceDialog_->replaceBytes(), false);
    return true;
}

std::size_t FindController::replaceAll() {
    const std::string needle = replaceDialog_->findBytes();
    const std::string replacement = replaceDialog_->replaceBytes();
    memo2_.setSelStart(0);
    if (needle.empty()) return 0;
    text::Document& document = memo2_.document();
    const ReplaceAllResult result = commands::replaceAll(document.view(0, document.length()), needle, replacement);
    if (result.count == 0) return 0;
    // One change from the first match to the end of the last: the text the replace loop
    // would leave, and the caret right after the last replacement.
    memo2_.setSelection(result.begin, result.end);
    memo2_.replaceSelection(result.bytes, false);
    return result.count;
}

}  // namespace verlo::commands
