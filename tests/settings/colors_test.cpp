// Colour text: the 49 names both ways, "$" and eight upper-case hex digits otherwise.
#include <gtest/gtest.h>

#include <set>

#include "settings/colors.h"
#include "platform/error.h"

using namespace verlo::settings;
using namespace verlo::platform;

TEST(ColorText, EveryNameRoundTrips) {
    const char* names[] = {
        "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal", "clGray", "clSilver",
        "clRed", "clLime", "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite", "clMoneyGreen",
        "clSkyBlue", "clCream", "clMedGray", "clActiveBorder", "clActiveCaption", "clAppWorkSpace",
        "clBackground", "clBtnFace", "clBtnHighlight", "clBtnShadow", "clBtnText", "clCaptionText",
        "clDefault", "clGradientActiveCaption", "clGradientInactiveCaption", "clGrayText", "clHighlight",
        "clHighlightText", "clInactiveBorder", "clInactiveCaption", "clInactiveCaptionText", "clInfoBk",
        "clInfoText", "clMenu", "clMenuText", "clNone", "clScrollBar", "cl3DDkShadow", "cl3DLight",
        "clWindow", "clWindowFrame", "clWindowText"};
    ASSERT_EQ(std::size(names), 49u);
    std::set<ColorValue> values;
    for (const char* name : names) {
        const auto value = colorFromName(QString::fromLatin1(name));
        ASSERT_TRUE(value) << name;
        values.insert(*value);
        EXPECT_EQ(colorToText(*value), QString::fromLatin1(name));
    }
    EXPECT_EQ(values.size(), 49u) << "every name has its own value";
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
