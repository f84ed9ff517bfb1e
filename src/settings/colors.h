// Colour values as the settings store keeps them, and their text form.
//
// A colour value is 32 bits: a plain colour is 00BBGGRR (red in the low byte); a system
// colour has the top bit set and the system colour index in the low byte; two special
// values stand for "the default colour" (20000000) and "no colour" (1FFFFFFF). The text
// form is one of 49 names (clBlack, clWhite, clBtnFace, ...) or "$" and eight upper-case
// hexadecimal digits.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

namespace verlo::settings {

using ColorValue = std::uint32_t;

inline constexpr ColorValue clBlack = 0x000000;
inline constexpr ColorValue clWhite = 0xFFFFFF;
inline constexpr ColorValue clDefault = 0x20000000;
inline constexpr ColorValue clNone = 0x1FFFFFFF;
inline constexpr ColorValue systemColorFlag = 0x80000000;

// The value of a colour name, compared without regard to ASCII case; nothing for other text.
std::optional<ColorValue> colorFromName(const QString& name);
// The table name of a value ("clWhite"), or nothing when the value has no name.
std::optional<QString> colorName(ColorValue value);

// The text a colour is stored as: its name, else "$" and eight upper-case hex digits.
QString colorToText(ColorValue value);
// Reads colour text: a name (any ASCII case) or an integer (decimal, or hexadecimal after
// "$"). Anything else raises Error "'<text>' は整数ではありません".
ColorValue colorFromText(const QString& text);

// A plain colour from a QColor (alpha ignored).
ColorValue colorValueOf(const QColor& color);
// The QColor a value shows as. System colours come from the application's palette;
// clDefault and clNone show as `fallback` (the role's usual colour).
QColor toQColor(ColorValue value, const QColor& fallback);

}  // namespace verlo::settings
