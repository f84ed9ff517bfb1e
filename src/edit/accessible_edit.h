// The edit control as assistive technology sees it: a screen reader reads its text in
// Unicode, follows the caret and the selection, asks where a character stands (in either
// writing direction) and edits through Qt's text and editable-text accessibility
// interfaces. The interface itself is made by a factory the control installs
// (accessible_edit.cpp); EditAccess is the control's side: the offset map of its document
// and the events it sends as the text, the caret and the selection change.
//
// Offsets are units of text::readerText (one per character, one per line break).
#pragma once

#include <cstddef>
#include <string>

#include "edit/edit_control.h"
#include "text/unicode_offsets.h"

class QAccessibleEvent;

namespace verlo::edit {

// Installs the factory that makes the control's accessible interface (once per program).
void installAccessibleEditFactory();

// Where the control's accessibility events go. Normally to Qt, and only while an assistive
// technology listens (QAccessible::isActive()); with a sink set, always to the sink
// (tests watch the events this way). nullptr restores the normal way.
using AccessEventSink = void (*)(QAccessibleEvent* event);
void setAccessEventSink(AccessEventSink sink);

class EditAccess {
public:
    explicit EditAccess(EditControl::Impl& d);

    text::UnicodeOffsets& offsets() { return offsets_; }

    // Called by the control: before and after every change of the document, and after
    // every move of the caret or change of the selection.
    void willChange(std::size_t pos, std::size_t len);
    void changed(const text::Change& change);
    void caretMoved();

private:
    void send(QAccessibleEvent& event);

    EditControl::Impl& d_;
    text::UnicodeOffsets offsets_;
    // The part of the text a change is about to replace, as the reader had it.
    bool pending_ = false;
    std::size_t spanFrom_ = 0;
    std::size_t spanTo_ = 0;
    std::size_t spanOffset_ = 0;
    std::u16string spanText_;
    // What the last events said (offsets); -1 before the first.
    long long caret_ = -1;
    long long selStart_ = -1;
    long long selEnd_ = -1;
};

}  // namespace verlo::edit
