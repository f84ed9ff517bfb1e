// Colour text: the 49 names both ways, "$" and eight upper-case hex digits otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QTemporaryDir>
#include <set>
#include <vector>

#include "platform/error.h"
#include "settings/colors.h"
#include "settings/settings_store.h"

using namespace verlo::settings;
using namespace verlo::platform;

// Every value with a name (the plain colours searched through), stored and read back: as its
// name, and as itself; each name once.
TEST(ColorText, EveryNameIsStoredAndReadBackAsItself) {
    std::vector<ColorValue> values = {clDefault, clNone};
    for (ColorValue index = 0; index <= 0xFF; ++index) values.push_back(systemColorFlag | index);
    for (ColorValue plain = 0; plain <= 0xFFFFFF; ++plain)
        if (colorName(plain)) values.push_back(plain);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("colors.ini"));
    const auto key = [](std::size_t i) { return QStringLiteral("Color%1").arg(i); };
    {
        SettingsStore store(path);
        for (std::size_t i = 0; i < values.size(); ++i) store.writeText(QStringLiteral("Window"), key(i), colorToText(values[i]));
        store.close();
    }
    SettingsStore store(path);
    std::set<QString> names;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const QString text = store.readText(QStringLiteral("Window"), key(i), QString());
        EXPECT_EQ(colorFromText(text), values[i]) << text.toStdString();
        if (const std::optional<QString> name = colorName(values[i])) {
            EXPECT_EQ(text, *name);
            names.insert(*name);
        } else {
            EXPECT_TRUE(text.startsWith(u'$')) << text.toStdString();
        }
    }
    EXPECT_EQ(names.size(), 49u);
}

// With a palette of one colour, every named system colour shows as it: none falls back to
// black for want of a palette part.
TEST(ColorText, EveryNamedSystemColourShowsAsAPaletteColour) {
    const QPalette saved = QApplication::palette();
    const QColor only(0x12, 0x34, 0x56);
    QPalette palette;
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        for (int role = 0; role < QPalette::NColorRoles; ++role)
            palette.setColor(QPalette::ColorGroup(group), QPalette::ColorRole(role), only);
    QApplication::setPalette(palette);
    for (ColorValue index = 0; index <= 0xFF; ++index) {
        if (const std::optional<QString> name = colorName(systemColorFlag | index)) {
            EXPECT_EQ(toQColor(systemColorFlag | index, Qt::black), only) << name->toStdString();
        }
    }
    QApplication::setPalette(saved);
}

TEST(ColorText, KnownValues) {
    EXPECT_EQ(colorFromText("clWhite"), 0xFFFFFFu);
    EXPECT_EQ(colorFromText("clSkyBlue"), 0xF0CAA6u);
    EXPECT_EQ(colorFromText("clBtnFace"), 0x8000000Fu);
    EXPECT_EQ(colorFromText("clScrollBar"), 0x80000000u);
    EXPECT_EQ(colorFromText("clDefault"), 0x20000000u);
    EXPECT_EQ(colorFromText("clNone"), 0x1FFFFFFFu);
    EXPECT_EQ(colorFromText("clGradientInactiveCaption"), 0x8000001Cu);
}

TEST(ColorText, NamesReadWithoutRegardToCase) {
    EXPECT_EQ(colorFromText("CLWHITE"), clWhite);
    EXPECT_EQ(colorFromText("clwhite"), clWhite);
    EXPECT_EQ(colorFromText("Cl3ddkShadow"), 0x80000015u);
}

TEST(ColorText, UnnamedValuesAreDollarHex) {
    EXPECT_EQ(colorToText(colorValueOf(QColor(255, 255, 224))), QStringLiteral("$00E0FFFF"));
    EXPECT_EQ(colorToText(colorValueOf(QColor(0x12, 0x34, 0x56))), QStringLiteral("$00563412"));
    EXPECT_EQ(colorToText(colorValueOf(QColor(Qt::white))), QStringLiteral("clWhite"));
    EXPECT_EQ(colorFromText("$00E0FFFF"), 0x00E0FFFFu);
    EXPECT_EQ(colorFromText("14745599"), 0x00E0FFFFu);
}

TEST(ColorText, TextThatIsNeitherNameNorNumberIsAnError) {
    for (const char* text : {"clWhit", "white", "", "$XYZ"}) {
        try {
            colorFromText(QString::fromLatin1(text));
            ADD_FAILURE() << "no error for " << text;
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' は整数ではありません").arg(QString::fromLatin1(text)));
        }
    }
}

TEST(ColorText, ToQColor) {
    EXPECT_EQ(toQColor(0x00E0FFFF, Qt::black), QColor(255, 255, 224));
    EXPECT_EQ(toQColor(clDefault, QColor(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(toQColor(clNone, QColor(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_TRUE(toQColor(0x80000005, Qt::black).isValid());
}
