// The page setup's text form, its presets and the --format values.
#include <gtest/gtest.h>

#include "print/page_setup.h"
#include "support/page_setups.h"

using namespace verlo::print;


TEST(PageSetupText, EverySetupComesBackFromItsText) {
    std::vector<PageSetup> setups = {PageSetup{}, verlo::test::everySettingChanged()};
    for (const Preset& p : presets()) setups.push_back(p.setup);
    for (const PageSetup& s : setups) {
        const QString text = toText(s);
        EXPECT_EQ(fromText(text), s) << text.toStdString();
        // Nothing the settings file would quote or take as a comment.
        for (const QChar c : {u';', u',', u'=', u'#', u'"'}) EXPECT_FALSE(text.contains(c)) << text.toStdString();
    }
}

TEST(PageSetupText, EmptyUnknownAndInvalidValuesKeepTheDefaults) {
    const PageSetup defaults;
    for (const char* text : {"", "colour:red  : nonsense", "chars:0 lines:9999 size:-1 paper:Z9",
                             "margins:1/2/3 landscape:yes grid:2 numbers:middle", "chars:abc margins:1/2/x/4"})
        EXPECT_EQ(fromText(QString::fromLatin1(text)), defaults) << text;
    // Good values beside bad ones are still taken.
    const PageSetup s = fromText(QStringLiteral("chars:20 lines:x paper:B4"));
    EXPECT_EQ(s.chars, 20);
    EXPECT_EQ(s.lines, defaults.lines);
    EXPECT_EQ(s.paper, QPageSize::JisB4);
}

TEST(PageSetupFormat, PresetsByNameAndCharactersByLines) {
    PageSetup base = verlo::test::everySettingChanged();
    struct Case {
        const char* format;
        bool valid;
        int chars, lines;
        bool vertical, grid;
    };
    const Case cases[] = {
        {"40x30", true, 40, 30, true, false},  {"20x20", true, 20, 20, true, true},
        {"42X34", true, 42, 34, false, false}, {"25x12", true, 25, 12, false, true},
        {"0x10", false, 0, 0, false, false},   {"10x", false, 0, 0, false, false},
        {"abc", false, 0, 0, false, false},    {"10x10x10", false, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        const std::optional<PageSetup> s = applyFormat(base, QString::fromLatin1(c.format));
        ASSERT_EQ(s.has_value(), c.valid) << c.format;
        if (!s) continue;
        EXPECT_EQ(s->chars, c.chars) << c.format;
        EXPECT_EQ(s->lines, c.lines) << c.format;
        EXPECT_EQ(s->vertical, c.vertical) << c.format;
        EXPECT_EQ(s->grid, c.grid) << c.format;
        EXPECT_EQ(s->fontFamily, base.fontFamily) << "the writer's font stays";
    }
}

TEST(PageSetupFormat, PageNumbers) {
    EXPECT_EQ(pageNumberText(QStringLiteral("- # -"), 12), QStringLiteral("- 12 -"));
    EXPECT_EQ(pageNumberText(QStringLiteral("#"), 3), QStringLiteral("3"));
    EXPECT_EQ(PageSetup{}.paperPoints().toSize(), QSize(842, 595)) << "A4 landscape";
}
