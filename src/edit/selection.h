// The caret and the selection over a document, apart from the widget that shows them.
//
// Both ends are byte positions at caret places: character starts of the CP932 text, never
// inside a two-byte character and never between the CR and the LF of a line break. Every
// position handed in is clamped to the text and snapped back to such a place.
//
// The selection also remembers what the laid-out lines need and the document does not
// know: whether the caret stands at the end of a wrapped line rather than at the start of
// the next ("upstream"), and the inline offset kept while moving from line to line.
#pragma once

#include <algorithm>
#include <cstddef>

#include "text/document.h"

namespace verlo::edit {

class Selection {
public:
    explicit Selection(text::Document& doc) : doc_(doc) {}

    std::size_t caret() const { return caret_; }  // the moving end
    std::size_t anchor() const { return anchor_; }
    std::size_t start() const { return std::min(anchor_, caret_); }
    std::size_t end() const { return std::max(anchor_, caret_); }
    bool empty() const { return anchor_ == caret_; }
    bool upstream() const { return upstream_; }

    // The inline offset kept while moving from line to line; negative when there is none.
    float goal() const { return goal_; }
    bool hasGoal() const { return goal_ >= 0; }
    void setGoal(float u) { goal_ = u; }

    // Both ends; the goal stays.
    void select(std::size_t anchor, std::size_t caret, bool up = false);
    // The caret to pos, the anchor staying when extending and following it otherwise. The
    // goal is forgotten unless kept (a move from line to line keeps it).
    void moveTo(std::size_t pos, bool extend, bool up = false, bool keepGoal = false);
    // Nothing selected, the caret at pos, no goal: where an edit leaves the caret.
    void collapse(std::size_t pos);
    // Where a step back or on along the text takes the caret: over the character (or the
    // word, see wordStep) before or after it, or, with a selection that is not being
    // extended, to the selection's end on that side.
    std::size_t stepTarget(bool forward, bool byWord, bool extend) const;

    // Follows a change of the text: an end before it stays, one inside what was replaced
    // goes after the new text, one after it moves with the text.
    void documentChanged(const text::Change& change);

private:
    std::size_t snap(std::size_t pos) const { return doc_.snapCaretPos(std::min(pos, doc_.length())); }

    text::Document& doc_;  // read only (word steps take views of it)
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    bool upstream_ = false;
    float goal_ = -1;
};

// Words, for double-click selection and the word moves: a run of characters of one class
// (word_class.h) within a paragraph. wordAround gives [*from, *to) of the word holding the
// character at pos (at the end of a line, the word before it). wordStep goes on to the end
// of the word at pos (at the end of a line, over the line break) and over the blanks after
// it, or back over blanks to the start of the word before.
void wordAround(text::Document& doc, std::size_t pos, std::size_t* from, std::size_t* to);
std::size_t wordStep(text::Document& doc, std::size_t pos, bool forward);

}  // namespace verlo::edit
