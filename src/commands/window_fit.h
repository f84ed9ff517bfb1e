// Fitting the main window to a number of full-width characters.
//
// "行を調節" (F7) sets the client width to the advance of "１" × Gyou + 25 pixels, "列を調節"
// (F8) the client height to the extent of "０" down a column × Retsu + 25 pixels, both
// measured in the edit control's font as the screen draws it, whatever the writing
// direction. Japanese is set solid, so that extent is one em, the advance of "０". The 25 pixels
// are the control's frame, scroll bar and margins, once; the control lays its text out so
// that such a client holds exactly that many full-width characters per line (or column).
// The client area is the part of the window below the menu bar that the control fills.
#pragma once

#include <QFont>
#include <QRect>
#include <cstdint>
#include <functional>

#include "edit/edit_control.h"
#include "settings/settings.h"

class QWidget;

namespace verlo::commands {

class WindowFit {
public:
    // The margin added once to the characters' extent.
    static constexpr int kMargin = 25;

    // window is the main window, memo2 its edit control filling the client area; none is
    // owned. The control is allowed to shrink to the margin alone, so that a count of 0
    // can give the 25 pixels it stands for. normalGeometry gives the geometry (client terms,
    // as geometry() gives it) the window has in the normal state, also while it is
    // maximised or minimised: the window's owner knows the frame of the normal state.
    WindowFit(QWidget& window, edit::EditControl& memo2, const settings::Settings& settings,
              std::function<QRect()> normalGeometry);

    // Fit to line length: a maximised or minimised window is restored to its normal size first; then
    // the client width becomes measure × Gyou + 25, with the left and top edges and the
    // height kept. The window grows no wider than the desktop.
    void fitWidth();
    // Fit to column length: the same for the client height with Retsu; the width is kept.
    void fitHeight();

    // measure × count + 25, in 64 bits. A count below 0 would give less than the margin
    // (or a negative size): the margin alone is the floor, and the result never exceeds
    // the largest size a widget may have.
    static int clientExtent(int measure, std::int32_t count);

    // The extent of one full-width character in a font as the screen draws it: the
    // advance of "１" along a line, of "０" down a column (one em each).
    static int lineMeasure(const QFont& font);
    static int columnMeasure(const QFont& font);

private:
    void fit(Qt::Orientation along);
    QWidget& client() const;

    QWidget& window_;
    edit::EditControl& memo2_;
    const settings::Settings& settings_;
    std::function<QRect()> normalGeometry_;
};

}  // namespace verlo::commands
