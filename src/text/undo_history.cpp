#include "text/undo_history.h"

#include "text/document.h"

namespace verlo::text {
namespace {

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

void UndoHistory::pushStep(std::size_t pos, std::string_view removed, std::string_view inserted) {
    if (current_ < steps_.size()) {
        steps_.resize(current_);
        if (savePoint_ != kUnreachable && savePoint_ > current_) savePoint_ = kUnreachable;
    }
    steps_.push_back(UndoStep{UndoAction{pos, std::string(removed), std::string(inserted)}});
    ++current_;
}

void UndoHistory::record(std::size_t pos, std::string_view removed, std::string_view inserted, EditKind kind) {
    if (groupDepth_ > 0) {
        if (open_ == Open::Group) {
            UndoStep& step = steps_[current_ - 1];
            UndoAction& last = step.back();
            if (removed.empty() && pos == last.pos + last.inserted.size()) last.inserted += inserted;
            else step.push_back(UndoAction{pos, std::string(removed), std::string(inserted)});
        } else {
            pushStep(pos, removed, inserted);
            open_ = Open::Group;
        }
        return;
    }
    if (kind == EditKind::Typing) {
        if (open_ == Open::Typing && removed.empty()) {
            UndoAction& last = steps_[current_ - 1].back();
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
    steps_.clear();
    current_ = 0;
    savePoint_ = kUnreachable;
    open_ = Open::None;
}

void UndoHistory::empty() {
    const bool saved = !modified();
    steps_.clear();
    current_ = 0;
    savePoint_ = saved ? 0 : kUnreachable;
    open_ = Open::None;
}

const UndoStep* UndoHistory::takeUndo() {
    open_ = Open::None;
    if (current_ == 0) return nullptr;
    return &steps_[--current_];
}

const UndoStep* UndoHistory::takeRedo() {
    open_ = Open::None;
    if (current_ == steps_.size()) return nullptr;
    return &steps_[current_++];
}

void UndoHistory::beginGroup() {
    if (groupDepth_++ == 0) open_ = Open::None;
}

void UndoHistory::endGroup() {
    if (groupDepth_ > 0 && --groupDepth_ == 0) open_ = Open::None;
}

void UndoHistory::setModified(bool modified) {
    // Later changes must not join the step the save point stands after.
    open_ = Open::None;
    savePoint_ = modified ? kUnreachable : current_;
}

}  // namespace verlo::text
