// The font dialog with effects: Qt's font chooser (face, style, size, underline and
// strike-out) with a colour box under it offering the sixteen basic colours, as the
// desktop's font dialogs with effects do.
#pragma once

#include <optional>

#include "platform/answerer.h"

class QWidget;

namespace verlo::platform {

// Runs the dialog modally, opening on `initial`; nothing when cancelled.
std::optional<FontChoice> runFontDialog(QWidget* owner, const FontChoice& initial);

}  // namespace verlo::platform
