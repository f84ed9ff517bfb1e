// The look of the text area and the window: the text font ("フォント(&F)"), the background
// colour ("背景色(&C)") and the transparency switch ("透過", Ctrl+T). None of them touches
// the text, the selection or the modified flag.
#pragma once

#include <QColor>
#include <cstdint>

#include "edit/edit_control.h"
#include "platform/answerer.h"

class QWidget;

namespace verlo::commands {

// The font dialog with the font it holds: the control's font as copied at start, then the
// font last confirmed in it, so that it opens on that font next time.
class FontCommand {
public:
    // owner parents the dialog; neither is owned.
    FontCommand(QWidget* owner, edit::EditControl& memo2);

    // The start-up step: the dialog takes the control's font and text colour.
    void takeControlFont();
    // The font command: runs the dialog (with underline, strike-out and colour). On OK the control
    // takes the chosen face, size, style, pitch and colour for all its text and the dialog
    // keeps them; on cancel nothing changes. Returns whether the user confirmed.
    bool run();

    const platform::FontChoice& dialogFont() const { return font_; }

private:
    QWidget* owner_;
    edit::EditControl& memo2_;
    platform::FontChoice font_;
};

// The colour dialog with the colour it holds: black until a colour is first confirmed,
// then the colour last confirmed. It is not taken from the control's background.
class BackgroundCommand {
public:
    BackgroundCommand(QWidget* owner, edit::EditControl& memo2);

    // C1Click: runs the dialog preset to its own colour; on OK the control's background
    // becomes the chosen colour and the dialog keeps it; on cancel nothing changes.
    bool run();

    QColor dialogColor() const { return color_; }

private:
    QWidget* owner_;
    edit::EditControl& memo2_;
    QColor color_ = Qt::black;
};

// The main window's AlphaBlend switch (off at every start, not stored) and its
// AlphaBlendValue (0 transparent to 255 opaque, 128 until the settings say otherwise).
class Transparency {
public:
    explicit Transparency(QWidget& window);

    // T1Click: on gives the window the opacity AlphaBlendValue / 255, off makes it fully
    // opaque again and repaints it.
    void toggle();
    bool alphaBlend() const { return on_; }

    // Takes effect at once while the switch is on; kept for the next switch-on otherwise.
    void setAlphaBlendValue(std::uint8_t value);
    std::uint8_t alphaBlendValue() const { return value_; }

private:
    void apply();

    QWidget& window_;
    bool on_ = false;
    std::uint8_t value_ = 128;
};

}  // namespace verlo::commands
