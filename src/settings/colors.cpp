#include "settings/colors.h"

#include <QApplication>
#include <QPalette>
#include <array>

#include "platform/error.h"
#include "settings/settings_store.h"

namespace verlo::settings {

namespace {

struct NamedColor {
    const char* name;
    ColorValue value;
};

constexpr ColorValue sys(unsigned index) { return systemColorFlag | index; }

// In table order: the plain colours, then the system colours.
constexpr std::array<NamedColor, 49> kColors{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clActiveBorder", sys(10)},
    {"clActiveCaption", sys(2)},
    {"clAppWorkSpace", sys(12)},
    {"clBackground", sys(1)},
    {"clBtnFace", sys(15)},
    {"clBtnHighlight", sys(20)},
    {"clBtnShadow", sys(16)},
    {"clBtnText", sys(18)},
    {"clCaptionText", sys(9)},
    {"clDefault", clDefault},
    {"clGradientActiveCaption", sys(27)},
    {"clGradientInactiveCaption", sys(28)},
    {"clGrayText", sys(17)},
    {"clHighlight", sys(13)},
    {"clHighlightText", sys(14)},
    {"clInactiveBorder", sys(11)},
    {"clInactiveCaption", sys(3)},
    {"clInactiveCaptionText", sys(19)},
    {"clInfoBk", sys(24)},
    {"clInfoText", sys(23)},
    {"clMenu", sys(4)},
    {"clMenuText", sys(7)},
    {"clNone", clNone},
    {"clScrollBar", sys(0)},
    {"cl3DDkShadow", sys(21)},
    {"cl3DLight", sys(22)},
    {"clWindow", sys(5)},
    {"clWindowFrame", sys(6)},
    {"clWindowText", sys(8)},
}};

// The palette colour that plays the part of a system colour index on this desktop.
QColor systemColor(unsigned index) {
    const QPalette pal = QApplication::palette();
    using R = QPalette::ColorRole;
    switch (index) {
    case 0: return pal.color(R::Button);           // scroll bar
    case 1: return pal.color(R::Dark);             // desktop
    case 2: case 13: case 27: return pal.color(R::Highlight);
    case 3: case 28: return pal.color(R::Mid);
    case 4: case 10: case 11: case 15: return pal.color(R::Button);
    case 5: return pal.color(R::Base);
    case 6: case 21: return pal.color(R::Shadow);
    case 7: return pal.color(R::WindowText);
    case 8: return pal.color(R::Text);
    case 9: case 14: return pal.color(R::HighlightedText);
    case 12: return pal.color(R::Mid);
    case 16: return pal.color(R::Dark);
    case 17: return pal.color(QPalette::Disabled, R::Text);
    case 18: return pal.color(R::ButtonText);
    case 19: return pal.color(QPalette::Disabled, R::WindowText);
    case 20: return pal.color(R::Light);
    case 22: return pal.color(R::Midlight);
    case 23: return pal.color(R::ToolTipText);
    case 24: return pal.color(R::ToolTipBase);
    default: return QColor(Qt::black);
    }
}

}  // namespace

std::optional<ColorValue> colorFromName(const QString& name) {
    for (const auto& c : kColors) {
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    }
    return std::nullopt;
}

std::optional<QString> colorName(ColorValue value) {
    for (const auto& c : kColors) {
        if (c.value == value)
            return QString::fromLatin1(c.name);
    }
    return std::nullopt;
}

QString colorToText(ColorValue value) {
    if (auto name = colorName(value))
        return *name;
    return QStringLiteral("$%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

ColorValue colorFromText(const QString& text) {
    if (auto named = colorFromName(text))
        return *named;
    if (auto number = parseInteger(text))
        return static_cast<ColorValue>(*number);
    throw platform::Error(QStringLiteral("'%1' は整数ではありません").arg(text));
}

ColorValue colorValueOf(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<ColorValue>(rgb.red()) | (static_cast<ColorValue>(rgb.green()) << 8) |
           (static_cast<ColorValue>(rgb.blue()) << 16);
}

QColor toQColor(ColorValue value, const QColor& fallback) {
    if (value == clDefault || value == clNone)
        return fallback;
    if (value & systemColorFlag)
        return systemColor(value & 0xFF);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

}  // namespace verlo::settings
