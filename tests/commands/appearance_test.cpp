// The font and colour dialogs, each holding its own choice, and the transparency switch.
#include <gtest/gtest.h>

#include <QFont>

#include "support/scripted_answerer.h"
#include "commands/appearance.h"
#include "commands/command_window.h"

using namespace verlo;
using verlo::test::Asked;
using verlo::test::CommandWindow;
using verlo::test::ScriptedAnswerer;

TEST(FontCommand, OpensOnTheControlsFontAndKeepsWhatWasConfirmed) {
    CommandWindow w;
    ScriptedAnswerer answers;
    const QFont startFont(QStringLiteral("IPAGothic"), 14);
    w.memo2->setTextFont(startFont);
    w.memo2->setTextColor(QColor(0x12, 0x34, 0x56));
    commands::FontCommand dialog(&w.window, *w.memo2);
    dialog.takeControlFont();
    w.memo2->setText("abc");
    w.memo2->setSelection(1, 3);
    w.memo2->setModified(false);

    QFont chosen(QStringLiteral("IPAMincho"), 20);
    chosen.setBold(true);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    chosen.setStrikeOut(true);
    answers.fonts.push_back(platform::FontChoice{chosen, QColor(Qt::red)});
    EXPECT_TRUE(dialog.run());

    ASSERT_EQ(answers.count(Asked::ChooseFont), 1);
    EXPECT_EQ(answers.asked[0].font.font.family(), startFont.family());
    EXPECT_EQ(answers.asked[0].font.font.pointSize(), 14);
    EXPECT_EQ(answers.asked[0].font.color, QColor(0x12, 0x34, 0x56));

    const QFont applied = w.memo2->textFont();
    EXPECT_EQ(applied.family(), QStringLiteral("IPAMincho"));
    EXPECT_EQ(applied.pointSize(), 20);
    EXPECT_TRUE(applied.bold());
    EXPECT_TRUE(applied.italic());
    EXPECT_TRUE(applied.underline());
    EXPECT_TRUE(applied.strikeOut());
    EXPECT_EQ(w.memo2->textColor(), QColor(Qt::red));
    EXPECT_EQ(w.memo2->text(), "abc");
    EXPECT_EQ(w.memo2->selStart(), 1u);
    EXPECT_EQ(w.memo2->selLength(), 2u);
    EXPECT_FALSE(w.memo2->modified());

    // Cancelled: nothing changes, and the dialog opened on the font confirmed before.
    answers.fonts.push_back(std::nullopt);
    EXPECT_FALSE(dialog.run());
    ASSERT_EQ(answers.count(Asked::ChooseFont), 2);
    EXPECT_EQ(answers.asked[1].font.font, chosen);
    EXPECT_EQ(answers.asked[1].font.color, QColor(Qt::red));
    EXPECT_EQ(w.memo2->textFont().family(), QStringLiteral("IPAMincho"));
    EXPECT_EQ(w.memo2->textColor(), QColor(Qt::red));
}

TEST(BackgroundCommand, StartsBlackNotFromTheBackgroundAndKeepsWhatWasConfirmed) {
    CommandWindow w;
    ScriptedAnswerer answers;
    w.memo2->setBackgroundColor(Qt::white);
    w.memo2->setModified(false);
    commands::BackgroundCommand dialog(&w.window, *w.memo2);

    answers.colors.push_back(std::nullopt);
    EXPECT_FALSE(dialog.run());
    EXPECT_EQ(w.memo2->backgroundColor(), QColor(Qt::white));

    const QColor paleYellow(255, 255, 224);
    answers.colors.push_back(paleYellow);
    EXPECT_TRUE(dialog.run());
    EXPECT_EQ(w.memo2->backgroundColor(), paleYellow);
    EXPECT_FALSE(w.memo2->modified());

    answers.colors.push_back(std::nullopt);
    EXPECT_FALSE(dialog.run());
    EXPECT_EQ(w.memo2->backgroundColor(), paleYellow);

    ASSERT_EQ(answers.count(Asked::ChooseColor), 3);
    EXPECT_EQ(answers.asked[0].color, QColor(Qt::black));
    EXPECT_EQ(answers.asked[1].color, QColor(Qt::black));
    EXPECT_EQ(answers.asked[2].color, paleYellow);
}

// Offscreen the window system only warns about opacity; the window keeps what it was given.
TEST(Transparency, TogglesBetweenTheValueAndFullyOpaque) {
    CommandWindow w;
    w.show();
    commands::Transparency t(w.window);
    EXPECT_FALSE(t.alphaBlend());
    EXPECT_EQ(t.alphaBlendValue(), 128);
    EXPECT_EQ(w.window.windowOpacity(), 1.0);

    t.setAlphaBlendValue(200);  // off: kept for later, the window stays opaque
    EXPECT_EQ(w.window.windowOpacity(), 1.0);

    t.toggle();
    EXPECT_TRUE(t.alphaBlend());
    EXPECT_DOUBLE_EQ(w.window.windowOpacity() * 255, 200);

    t.setAlphaBlendValue(60);  // on: at once
    EXPECT_DOUBLE_EQ(w.window.windowOpacity() * 255, 60);

    t.toggle();
    EXPECT_FALSE(t.alphaBlend());
    EXPECT_EQ(w.window.windowOpacity(), 1.0);
    EXPECT_EQ(t.alphaBlendValue(), 60);

    t.setAlphaBlendValue(255);
    t.toggle();
    EXPECT_EQ(w.window.windowOpacity(), 1.0);
    t.setAlphaBlendValue(0);
    EXPECT_EQ(w.window.windowOpacity(), 0.0);
}
