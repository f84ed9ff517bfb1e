// The two sequences of the settings store: the start-up read inside FormCreate and the
// closing write inside the close query, each in its fixed order.
#include <QFont>

#include "app/Unit1.h"
#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "platform/error.h"
#include "platform/settings_store.h"
#include "settings/Unit2.h"

namespace verlo::app {

namespace {

const QString kWindow = QStringLiteral("Window");
const QString kFont = QStringLiteral("Font");

enum StyleBits : std::uint8_t { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrikeOut = 8 };
enum Pitch : std::uint8_t { PitchDefault = 0, PitchVariable = 1, PitchFixed = 2 };

std::uint8_t fontStyleOf(const QFont& f) {
    std::uint8_t bits = 0;
    if (f.bold()) bits |= StyleBold;
    if (f.italic()) bits |= StyleItalic;
    if (f.underline()) bits |= StyleUnderline;
    if (f.strikeOut()) bits |= StyleStrikeOut;
    return bits;
}

void setFontStyle(QFont& f, std::uint8_t bits) {
    f.setBold(bits & StyleBold);
    f.setItalic(bits & StyleItalic);
    f.setUnderline(bits & StyleUnderline);
    f.setStrikeOut(bits & StyleStrikeOut);
}

// Default pitch leaves the font's pitch unasked; variable and fixed ask for it.
std::uint8_t fontPitchOf(const QFont& f) {
    if (!(f.resolveMask() & QFont::FixedPitchResolved))
        return PitchDefault;
    return f.fixedPitch() ? PitchFixed : PitchVariable;
}

void setFontPitch(QFont& f, std::uint8_t pitch) {
    if (pitch == PitchVariable)
        f.setFixedPitch(false);
    else if (pitch == PitchFixed)
        f.setFixedPitch(true);
}

// Points for a positive size; a negative size is a height in pixels (as the font
// dialogs of the system this store comes from write it); 0 leaves the size alone.
void setSize(QFont& f, std::int32_t size) {
    if (size > 0)
        f.setPointSize(size);
    else if (size < 0 && size != INT32_MIN)
        f.setPixelSize(-size);
}

std::int32_t sizeOf(const QFont& f) {
    if (f.pointSize() > 0)
        return f.pointSize();
    if (f.pointSizeF() > 0)
        return qRound(f.pointSizeF());
    return -f.pixelSize();
}

// The colour value to store: the value read at start while the control still shows it
// (so that clWindow stays clWindow), else the colour now shown.
platform::ColorValue colorToStore(const QColor& shown, platform::ColorValue read, const QColor& fallback) {
    if (platform::toQColor(read, fallback).rgb() == shown.rgb())
        return read;
    return platform::colorValueOf(shown);
}

int stateNumber(Qt::WindowStates state) {
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

}  // namespace

// The start-up read. A value of the wrong type, or a colour text that is no colour, is
// reported in the error box and that value keeps its default; the values after it are
// still read, so that the closing write does not replace the user's other settings with
// defaults.
void TForm1::readSettings() {
    platform::SettingsStore store;
    auto integer = [&](const QString& section, const char* name, std::int32_t def) {
        std::int32_t value = def;
        platform::guarded(this, [&] { value = store.readInteger(section, QString::fromLatin1(name), def); });
        return value;
    };
    auto byte = [&](const QString& section, const char* name, std::int32_t def) {
        return static_cast<std::uint8_t>(integer(section, name, def));
    };
    auto color = [&](const QString& section, const char* name, platform::ColorValue def) {
        platform::ColorValue value = def;
        platform::guarded(this, [&] {
            value = platform::colorFromText(
                store.readText(section, QString::fromLatin1(name), platform::colorToText(def)));
        });
        return value;
    };

    startState_ = byte(kWindow, "State", 0);
    QRect bounds(0, 0, 385, 300);
    bounds.moveLeft(integer(kWindow, "Left", 0));
    move(bounds.left(), y());
    bounds.moveTop(integer(kWindow, "Top", 0));
    move(bounds.topLeft());
    bounds.setHeight(integer(kWindow, "Height", 300));
    resize(width(), bounds.height());
    bounds.setWidth(integer(kWindow, "Width", 385));
    resize(bounds.size());
    normalBounds_ = bounds;
    startStyle_ = byte(kFont, "Style", 0);
    startPitch_ = byte(kFont, "Pitch", 0);
    settings.VerHor = integer(kWindow, "VerHor", 0);
    settings.Gyou = integer(kWindow, "Gyou", 40);
    settings.Retsu = integer(kWindow, "Retsu", 20);
    settings.DayTime = byte(kWindow, "DayTime", 5);
    settings.FormDay = byte(kWindow, "FormDay", 0);
    settings.FormTime = byte(kWindow, "FormTime", 0);
    setAlphaBlendValue(byte(kWindow, "AlphaValue", 128));

    fontColorRead_ = color(kFont, "Color", platform::clBlack);
    memo2->setTextColor(platform::toQColor(fontColorRead_, palette().color(QPalette::Text)));
    QFont font = memo2->textFont();
    setSize(font, integer(kFont, "Size", 14));
    memo2->setTextFont(font);
    QString name = QStringLiteral("ＭＳ ゴシック");
    platform::guarded(this, [&] { name = store.readText(kFont, QStringLiteral("Name"), name); });
    font.setFamily(name);
    memo2->setTextFont(font);
    backColorRead_ = color(kWindow, "Color", platform::clWhite);
    memo2->setBackgroundColor(platform::toQColor(backColorRead_, palette().color(QPalette::Base)));
    store.close();
}

void TForm1::applyStyle() {
    QFont font = memo2->textFont();
    setFontStyle(font, startStyle_);
    memo2->setTextFont(font);
    setFontPitch(font, startPitch_);
    memo2->setTextFont(font);
    if (startState_ == 1)
        setWindowState(Qt::WindowMinimized);
    else if (startState_ == 2)
        setWindowState(Qt::WindowMaximized);
}

void TForm1::writeSettings() {
    // 1. and 2.: the values that live in the font, the control, the window and the
    //    settings dialog's controls.
    const QFont font = memo2->textFont();
    const std::uint8_t style = fontStyleOf(font);
    const std::uint8_t pitch = fontPitchOf(font);
    const int imeMode = memo2->imeMode();
    const int state = stateNumber(windowState());
    if (form2_) {
        settings.DayTime = form2_->dayTimeBits();
        settings.FormDay = form2_->formDayIndex();
        settings.FormTime = form2_->formTimeIndex();
    }

    // 3. In this order; the window goes to the normal state right after State, so the
    //    bounds are the normal ones (taken before the restore, which a window manager may
    //    carry out later).
    platform::SettingsStore store;
    store.writeInteger(kWindow, QStringLiteral("State"), state);
    const QRect bounds = normalBounds();
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    store.writeInteger(kWindow, QStringLiteral("Left"), bounds.left());
    store.writeInteger(kWindow, QStringLiteral("Top"), bounds.top());
    store.writeInteger(kWindow, QStringLiteral("Height"), bounds.height());
    store.writeInteger(kWindow, QStringLiteral("Width"), bounds.width());
    store.writeInteger(kWindow, QStringLiteral("AlphaValue"), AlphaBlendValue());
    store.writeInteger(kFont, QStringLiteral("Style"), style);
    store.writeInteger(kFont, QStringLiteral("Pitch"), pitch);
    store.writeText(kWindow, QStringLiteral("Color"),
                    platform::colorToText(colorToStore(memo2->backgroundColor(), backColorRead_,
                                                       palette().color(QPalette::Base))));
    store.writeText(kFont, QStringLiteral("Color"),
                    platform::colorToText(
                        colorToStore(memo2->textColor(), fontColorRead_, palette().color(QPalette::Text))));
    store.writeInteger(kFont, QStringLiteral("Size"), sizeOf(font));
    store.writeText(kFont, QStringLiteral("Name"), font.family());
    store.writeInteger(kWindow, QStringLiteral("ImeMode"), imeMode);
    store.writeInteger(kWindow, QStringLiteral("VerHor"), settings.VerHor);
    store.writeInteger(kWindow, QStringLiteral("Gyou"), settings.Gyou);
    store.writeInteger(kWindow, QStringLiteral("Retsu"), settings.Retsu);
    store.writeInteger(kWindow, QStringLiteral("DayTime"), settings.DayTime);
    store.writeInteger(kWindow, QStringLiteral("FormTime"), settings.FormTime);
    store.writeInteger(kWindow, QStringLiteral("FormDay"), settings.FormDay);
    // 4.
    store.close();
}

}  // namespace verlo::app
