#include "text/undo_history.h"

#include "text/document.h"

namespace verlo::text {
namespace {

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

void UndoHistory::pushStep(std::size_t pos, std::string_view removed, std::string_view inserted) {
    if (current_ < stepBegin_.size()) {
        actions_.resize(stepBegin_[current_]);
        stepBegin_.resize(current_);
        if (savePoint_ != kUnreachable && savePoint_ > current_) savePoint_ = kUnreachable;
    }
    stepBegin_.push_back(actions_.size());
    actions_.push_back(UndoAction{pos, std::string(removed), std::string(inserted)});
    ++current_;
}

UndoStep UndoHistory::step(std::size_t i) const {
    const std::size_t end = i + 1 < stepBegin_.size() ? stepBegin_[i + 1] : actions_.size();
    return UndoStep(actions_.data() + stepBegin_[i], end - stepBegin_[i]);
}

void UndoHistory::clear() {
    actions_.clear();
    stepBegin_.clear();
    current_ = 0;
    open_ = Open::None;
}

void UndoHistory::record(std::size_t pos, std::string_view removed, std::string_view inserted, EditKind kind) {
    if (groupDepth_ > 0) {
        if (open_ == Open::Group) {
            // The group's step is the last one: add to its last action or after it.
            if (savePoint_ == current_) savePoint_ = kUnreachable;  // it stood inside this step
            UndoAction& last = actions_.back();
            if (removed.empty() && pos == last.pos + last.inserted.size()) last.inserted += inserted;
            else actions_.push_back(UndoAction{pos, std::string(removed), std::string(inserted)});
        } else {
            pushStep(pos, removed, inserted);
            open_ = Open::Group;
        }
        return;
    }
    if (kind == EditKind::Typing) {
        if (open_ == Open::Typing && removed.empty()) {
            UndoAction& last = actions_.back();
            if (pos == last.pos + last.inserted.size()) {
                last.inserted += inserted;
                if (hasLineBreak(inserted)) open_ = Open::None;
                return;
            }
        }
        pushStep(pos, removed, inserted);
        open_ = hasLineBreak(inserted) ? Open::None : Open::Typing;
        return;
    }
    pushStep(pos, removed, inserted);
    open_ = Open::None;
}

void UndoHistory::forgetAll() {
    clear();
    savePoint_ = kUnreachable;
}

void UndoHistory::empty() {
    const bool saved = !modified();
    clear();
    savePoint_ = saved ? 0 : kUnreachable;
}

UndoStep UndoHistory::takeUndo() {
    open_ = Open::None;
    if (current_ == 0) return {};
    return step(--current_);
}

UndoStep UndoHistory::takeRedo() {
    open_ = Open::None;
    if (current_ == stepBegin_.size()) return {};
    return step(current_++);
}

void UndoHistory::beginGroup() {
    if (groupDepth_++ == 0) open_ = Open::None;
}

void UndoHistory::endGroup() {
    if (groupDepth_ > 0 && --groupDepth_ == 0) open_ = Open::None;
}

void UndoHistory::setModified(bool modified) {
    // Later changes must not join the step the save point stands after (a group goes on:
    // record() then makes the save point unreachable).
    if (open_ == Open::Typing) open_ = Open::None;
    savePoint_ = modified ? kUnreachable : current_;
}

}  // namespace verlo::text
