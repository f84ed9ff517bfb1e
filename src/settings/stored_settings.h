// Everything the settings file holds, with its defaults, and the two sequences that move it:
// the start-up read and the closing write, each in its fixed order. (The main window also
// runs the write a second or two after a value changes, so that a crash keeps it.)
//
//   section  name        type          default        home while the program runs
//   Window   State       8 bits        0              the window's state (1 minimised, 2 maximised)
//   Window   Left, Top   32 bits       0, 0           the window's normal bounds
//   Window   Height      32 bits       300
//   Window   Width       32 bits       385
//   Font     Style       8 bits        0              the edit font (1 bold, 2 italic, 4 underline, 8 strike-out)
//   Font     Pitch       8 bits        0              the edit font (0 default, 1 variable, 2 fixed)
//   Window   VerHor      32 bits       0              Settings
//   Window   Gyou        32 bits       40             Settings
//   Window   Retsu       32 bits       20             Settings
//   Window   DayTime     8 bits        5              Settings (the settings dialog's check boxes)
//   Window   FormDay     8 bits        0              Settings (the settings dialog's date formats)
//   Window   FormTime    8 bits        0              Settings (the settings dialog's time formats)
//   Window   AlphaValue  8 bits        128            the window's opacity value
//   Font     Color       colour text   clBlack        the edit control's text colour
//   Font     Size        32 bits       14             the edit font (points; negative: pixels)
//   Font     Name        text          ＭＳ ゴシック  the edit font's family
//   Window   Color       colour text   clWhite        the edit control's background
//   Window   ImeMode     32 bits       (written only) the edit control's input-method mode
//   Window   StatusBar   32 bits       0              the status bar (1 shown)
//   Recent   File1..10   text          (none)         the recent files, newest first (empty: none)
//   Places   Place1..50  text          (none)         where each of the last files was left:
//                                                     "anchor caret top path", newest first
//   Print    PageSetup   text          (empty)        the page setup of printing and PDF (its own
//                                                     text form, print/page_setup.h; empty: defaults)
//   Window   Ruby        text          off            Settings ("on" or "off"; other text reads as off)
//   File     Encoding    text          Shift_JIS      Settings (new documents' encoding)
//   File     LineBreak   text          CRLF           Settings (new documents' line break)
//   Outline  Shown       32 bits       0              the outline panel (1 shown)
//   Outline  Side        text          right          the side of the window it lies on ("left" or "right")
//   Outline  Width       32 bits       0              its width (0: as wide as it asks)
//   Outline  Headings    text          annotations,numbered,named,hashes
//                                                     the heading conventions it reads (outline/headings.h)
//
// The read takes the values in the order of this table; the write takes them in the order
// State, Left, Top, Height, Width, AlphaValue, Style, Pitch, Window Color, Font Color,
// Size, Name, ImeMode, VerHor, Gyou, Retsu, DayTime, FormTime, FormDay; both end with
// StatusBar, the recent files, the places, PageSetup, Ruby, Encoding and LineBreak, then the Outline values. An 8-bit
// value is taken modulo 256. A file written before the last seven existed reads as no status
// bar, empty lists, the default page setup, no ruby, and Shift-JIS with CR LF for new documents.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "settings/colors.h"
#include "settings/settings.h"

namespace verlo::settings {

class SettingsStore;

struct StoredSettings {
    std::uint8_t State = 0;
    QRect bounds{0, 0, 385, 300};  // Left, Top, Width, Height
    std::uint8_t Style = 0;
    std::uint8_t Pitch = 0;
    Settings live;  // VerHor, Gyou, Retsu, DayTime, FormDay, FormTime, Ruby
    std::uint8_t AlphaValue = 128;
    ColorValue FontColor = clBlack;
    std::int32_t Size = 14;
    QString Name = QStringLiteral("ＭＳ ゴシック");
    ColorValue BackColor = clWhite;
    std::int32_t ImeMode = 0;
    bool StatusBar = false;
    QStringList RecentFiles;  // at most kRecentFiles
    QStringList Places;       // at most kPlaces
    QString PageSetup;
    bool OutlineShown = false;
    QString OutlineSide = QStringLiteral("right");
    std::int32_t OutlineWidth = 0;
    QString OutlineHeadings = QStringLiteral("annotations,numbered,named,hashes");

    bool operator==(const StoredSettings&) const = default;
};

inline constexpr int kRecentFiles = 10;
inline constexpr int kPlaces = 50;

// Runs one step of a sequence; a failing step (it raises platform::Error) is reported by
// the caller's guard, and the sequence goes on.
using Guard = std::function<void(const std::function<void()>& step)>;

// The start-up read. A value of the wrong type, or a colour text that is no colour, goes
// to `guard` and keeps its default; the values after it are still read, so that the
// closing write does not replace the user's other settings with defaults.
StoredSettings readStoredSettings(SettingsStore& store, const Guard& guard);

// The closing write (the store is closed by the caller, which raises its failures).
void writeStoredSettings(SettingsStore& store, const StoredSettings& values);

// The edit font as the file keeps it.
std::uint8_t fontStyleOf(const QFont& font);
void setFontStyle(QFont& font, std::uint8_t bits);
std::uint8_t fontPitchOf(const QFont& font);  // 0 when the font leaves its pitch unasked
void setFontPitch(QFont& font, std::uint8_t pitch);
std::int32_t fontSizeOf(const QFont& font);
void setFontSize(QFont& font, std::int32_t size);  // 0 leaves the size alone

// The window state as the file keeps it.
std::uint8_t stateNumber(Qt::WindowStates state);

// The colour value to store: the value read at start while the control still shows it
// (so that clWindow stays clWindow), else the colour now shown.
ColorValue colorToStore(const QColor& shown, ColorValue read, const QColor& fallback);

}  // namespace verlo::settings
