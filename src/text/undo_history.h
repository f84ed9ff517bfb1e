// The undo history of the document: a list of steps, each a list of replacements, and the
// save point (the step count at which the text was last saved).
//
// How changes become steps:
//  - An Edit change is a step of its own.
//  - A Typing change joins the open typing run when it removes nothing and lands exactly
//    where the run's text ends; otherwise it starts a new run (typing over a selection
//    starts one). A run is closed by a typed line break (which still joins it), by
//    breakTyping(), by any Edit or NotUndoable change, by undo, redo, beginGroup,
//    endGroup, emptying the history and setting the save point.
//  - Every change between the outermost beginGroup and endGroup joins one step; a group
//    without changes leaves no step. breakTyping() and setting the save point inside a
//    group do not split it (a save point set inside a group stands inside its step, which
//    no undo or redo comes back to: a later change of the group makes it unreachable).
//  - A new step discards the steps that could have been redone.
//  - A NotUndoable change empties the history; the text then differs from the saved text
//    with no way back, so it counts as modified until setModified(false).
// The text is modified when the number of applied steps differs from the save point;
// undoing or redoing back to the save point makes it unmodified again. Discarding the
// steps that lead to the save point (a new step after undoing past it, a NotUndoable
// change, emptying the history while modified, setModified(true)) makes it unreachable.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace verlo::text {

enum class EditKind;

struct UndoAction {
    std::size_t pos = 0;
    std::string removed;   // bytes the change removed at pos
    std::string inserted;  // bytes it inserted there
};
using UndoStep = std::span<const UndoAction>;

class UndoHistory {
public:
    // Records an undoable change (Typing or Edit) before the document applies it.
    void record(std::size_t pos, std::string_view removed, std::string_view inserted, EditKind kind);
    // A NotUndoable change: everything is forgotten and the save point is lost.
    void forgetAll();
    // Empties the history; an unmodified text stays unmodified.
    void empty();

    bool canUndo() const { return current_ > 0; }
    bool canRedo() const { return current_ < stepBegin_.size(); }
    // The step to undo (its actions are to be reverted last to first), empty when there is
    // none; counts it undone. Valid until the next change of the history.
    UndoStep takeUndo();
    // The step to redo (actions first to last), empty when there is none; counts it done.
    UndoStep takeRedo();

    void breakTyping() {
        if (open_ == Open::Typing) open_ = Open::None;
    }
    void beginGroup();
    void endGroup();

    bool modified() const { return savePoint_ != current_; }
    void setModified(bool modified);

    std::size_t stepCount() const { return stepBegin_.size(); }

private:
    enum class Open { None, Typing, Group };
    static constexpr std::size_t kUnreachable = static_cast<std::size_t>(-1);

    void pushStep(std::size_t pos, std::string_view removed, std::string_view inserted);
    UndoStep step(std::size_t i) const;
    void clear();

    // The actions of all steps in order; step i is actions_[stepBegin_[i]] up to the next
    // step's first action.
    std::vector<UndoAction> actions_;
    std::vector<std::size_t> stepBegin_;
    std::size_t current_ = 0;    // steps applied
    std::size_t savePoint_ = 0;  // steps applied when last saved, or kUnreachable
    Open open_ = Open::None;     // what the last step (the one before current_) still accepts
    int groupDepth_ = 0;
};

}  // namespace verlo::text
