// The caret's colour. It comes from the palette (its text colour), so that a high-contrast
// theme applies to it, unless that colour would be lost against the background the user
// chose for the text; then the user's text colour, and failing that black or white.
#pragma once

#include <QColor>
#include <QPalette>

namespace verlo::edit {

// Contrast of two colours by their relative luminance, from 1 (the same) to 21 (black and white).
double contrastRatio(const QColor& a, const QColor& b);

QColor caretColor(const QPalette& palette, const QColor& background, const QColor& text);

}  // namespace verlo::edit
