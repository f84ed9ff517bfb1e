#include "settings/stored_settings.h"

#include "settings/settings_store.h"

namespace verlo::settings {

namespace {

const QString kWindow = QStringLiteral("Window");
const QString kFont = QStringLiteral("Font");
const QString kOn = QStringLiteral("on");
const QString kOff = QStringLiteral("off");
const QString kFile = QStringLiteral("File");

const QString kRecent = QStringLiteral("Recent");
const QString kPlacesSection = QStringLiteral("Places");

// A list kept as the texts <prefix>1 to <prefix><size>; empty texts are no entries.
QStringList readList(SettingsStore& store, const QString& section, const char* prefix, int size, const Guard& guard) {
    QStringList list;
    for (int i = 1; i <= size; ++i) {
        QString value;
        guard([&] { value = store.readText(section, QString::fromLatin1(prefix) + QString::number(i), QString()); });
        if (!value.isEmpty()) list << value;
    }
    return list;
}

// Every slot is written, the unused ones empty, so that no entry of a longer list stays.
void writeList(SettingsStore& store, const QString& section, const char* prefix, int size, const QStringList& list) {
    for (int i = 1; i <= size; ++i)
        store.writeText(section, QString::fromLatin1(prefix) + QString::number(i), i <= list.size() ? list[i - 1] : QString());
}

enum StyleBits : std::uint8_t { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrikeOut = 8 };
enum Pitch : std::uint8_t { PitchDefault = 0, PitchVariable = 1, PitchFixed = 2 };

}  // namespace

StoredSettings readStoredSettings(SettingsStore& store, const Guard& guard) {
    auto integer = [&](const QString& section, const char* name, std::int32_t def) {
        std::int32_t value = def;
        guard([&] { value = store.readInteger(section, QString::fromLatin1(name), def); });
        return value;
    };
    auto byte = [&](const QString& section, const char* name, std::int32_t def) {
        return static_cast<std::uint8_t>(integer(section, name, def));
    };
    auto color = [&](const QString& section, const char* name, ColorValue def) {
        ColorValue value = def;
        guard([&] { value = colorFromText(store.readText(section, QString::fromLatin1(name), colorToText(def))); });
        return value;
    };

    StoredSettings s;
    s.State = byte(kWindow, "State", s.State);
    s.bounds.moveLeft(integer(kWindow, "Left", s.bounds.left()));
    s.bounds.moveTop(integer(kWindow, "Top", s.bounds.top()));
    s.bounds.setHeight(integer(kWindow, "Height", s.bounds.height()));
    s.bounds.setWidth(integer(kWindow, "Width", s.bounds.width()));
    s.Style = byte(kFont, "Style", s.Style);
    s.Pitch = byte(kFont, "Pitch", s.Pitch);
    s.live.VerHor = integer(kWindow, "VerHor", s.live.VerHor);
    s.live.Gyou = integer(kWindow, "Gyou", s.live.Gyou);
    s.live.Retsu = integer(kWindow, "Retsu", s.live.Retsu);
    s.live.DayTime = byte(kWindow, "DayTime", s.live.DayTime);
    s.live.FormDay = byte(kWindow, "FormDay", s.live.FormDay);
    s.live.FormTime = byte(kWindow, "FormTime", s.live.FormTime);
    s.AlphaValue = byte(kWindow, "AlphaValue", s.AlphaValue);
    s.FontColor = color(kFont, "Color", s.FontColor);
    s.Size = integer(kFont, "Size", s.Size);
    guard([&] { s.Name = store.readText(kFont, QStringLiteral("Name"), s.Name); });
    s.BackColor = color(kWindow, "Color", s.BackColor);
    s.StatusBar = integer(kWindow, "StatusBar", 0) == 1;
    s.RecentFiles = readList(store, kRecent, "File", kRecentFiles, guard);
    s.Places = readList(store, kPlacesSection, "Place", settings::kPlaces, guard);
    guard([&] { s.PageSetup = store.readText(QStringLiteral("Print"), QStringLiteral("PageSetup"), s.PageSetup); });
    guard([&] { s.live.Ruby = store.readText(kWindow, QStringLiteral("Ruby"), kOff) == kOn; });
    auto text = [&](const char* name, std::string& value) {
        guard([&] {
            value = store.readText(kFile, QString::fromLatin1(name), QString::fromStdString(value)).toStdString();
        });
    };
    text("Encoding", s.live.Encoding);
    text("LineBreak", s.live.LineBreak);
    const QString outline = QStringLiteral("Outline");
    s.OutlineShown = integer(outline, "Shown", 0) == 1;
    guard([&] { s.OutlineSide = store.readText(outline, QStringLiteral("Side"), s.OutlineSide); });
    s.OutlineWidth = integer(outline, "Width", s.OutlineWidth);
    guard([&] { s.OutlineHeadings = store.readText(outline, QStringLiteral("Headings"), s.OutlineHeadings); });
    return s;
}

void writeStoredSettings(SettingsStore& store, const StoredSettings& v) {
    store.writeInteger(kWindow, QStringLiteral("State"), v.State);
    store.writeInteger(kWindow, QStringLiteral("Left"), v.bounds.left());
    store.writeInteger(kWindow, QStringLiteral("Top"), v.bounds.top());
    store.writeInteger(kWindow, QStringLiteral("Height"), v.bounds.height());
    store.writeInteger(kWindow, QStringLiteral("Width"), v.bounds.width());
    store.writeInteger(kWindow, QStringLiteral("AlphaValue"), v.AlphaValue);
    store.writeInteger(kFont, QStringLiteral("Style"), v.Style);
    store.writeInteger(kFont, QStringLiteral("Pitch"), v.Pitch);
    store.writeText(kWindow, QStringLiteral("Color"), colorToText(v.BackColor));
    store.writeText(kFont, QStringLiteral("Color"), colorToText(v.FontColor));
    store.writeInteger(kFont, QStringLiteral("Size"), v.Size);
    store.writeText(kFont, QStringLiteral("Name"), v.Name);
    store.writeInteger(kWindow, QStringLiteral("ImeMode"), v.ImeMode);
    store.writeInteger(kWindow, QStringLiteral("VerHor"), v.live.VerHor);
    store.writeInteger(kWindow, QStringLiteral("Gyou"), v.live.Gyou);
    store.writeInteger(kWindow, QStringLiteral("Retsu"), v.live.Retsu);
    store.writeInteger(kWindow, QStringLiteral("DayTime"), v.live.DayTime);
    store.writeInteger(kWindow, QStringLiteral("FormTime"), v.live.FormTime);
    store.writeInteger(kWindow, QStringLiteral("FormDay"), v.live.FormDay);
    store.writeInteger(kWindow, QStringLiteral("StatusBar"), v.StatusBar ? 1 : 0);
    writeList(store, kRecent, "File", kRecentFiles, v.RecentFiles);
    writeList(store, kPlacesSection, "Place", settings::kPlaces, v.Places);
    store.writeText(QStringLiteral("Print"), QStringLiteral("PageSetup"), v.PageSetup);
    store.writeText(kWindow, QStringLiteral("Ruby"), v.live.Ruby ? kOn : kOff);
    store.writeText(kFile, QStringLiteral("Encoding"), QString::fromStdString(v.live.Encoding));
    store.writeText(kFile, QStringLiteral("LineBreak"), QString::fromStdString(v.live.LineBreak));
    const QString outline = QStringLiteral("Outline");
    store.writeInteger(outline, QStringLiteral("Shown"), v.OutlineShown ? 1 : 0);
    store.writeText(outline, QStringLiteral("Side"), v.OutlineSide);
    store.writeInteger(outline, QStringLiteral("Width"), v.OutlineWidth);
    store.writeText(outline, QStringLiteral("Headings"), v.OutlineHeadings);
}

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

// Points for a positive size; a negative size is a height in pixels (as the font dialogs
// of the system this file format comes from write it).
void setFontSize(QFont& f, std::int32_t size) {
    if (size > 0)
        f.setPointSize(size);
    else if (size < 0 && size != INT32_MIN)
        f.setPixelSize(-size);
}

std::int32_t fontSizeOf(const QFont& f) {
    if (f.pointSize() > 0)
        return f.pointSize();
    if (f.pointSizeF() > 0)
        return qRound(f.pointSizeF());
    return -f.pixelSize();
}

std::uint8_t stateNumber(Qt::WindowStates state) {
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

ColorValue colorToStore(const QColor& shown, ColorValue read, const QColor& fallback) {
    if (toQColor(read, fallback).rgb() == shown.rgb())
        return read;
    return colorValueOf(shown);
}

}  // namespace verlo::settings
