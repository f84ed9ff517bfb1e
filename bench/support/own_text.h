// An edit control that owns the document it shows, for benchmarks that need only the control
// (in the program the document belongs to the window's document session).
#pragma once

#include <QWidget>

#include "edit/edit_control.h"
#include "text/document.h"

namespace verlo::bench {

struct TextOwner {
    text::Document text;
};

// The document is made before the control and goes after it.
class OwnTextEdit : private TextOwner, public edit::EditControl {
public:
    explicit OwnTextEdit(QWidget* parent = nullptr) : edit::EditControl(TextOwner::text, parent) {}
};

}  // namespace verlo::bench
