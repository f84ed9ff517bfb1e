// Fitting the window to Gyou characters per line and Retsu per column, and paging.
#include <gtest/gtest.h>

#include <QFont>
#include <QScreen>
#include <climits>

#include "commands/command_window.h"
#include "commands/direction.h"
#include "commands/window_fit.h"
#include "typeset/typesetter.h"

using namespace verlo;
using verlo::test::CommandWindow;
using verlo::test::fullWidth;

namespace {

struct FitWindow : CommandWindow {
    QRect normalGeometry;  // as the window's owner keeps it
    commands::WindowFit fit{window, *memo2, settings, [this] { return normalGeometry; }};

    explicit FitWindow(const QFont& font = QFont(QStringLiteral("IPAGothic"), 14)) { memo2->setTextFont(font); }

    int width1() const { return commands::WindowFit::lineMeasure(memo2->textFont()); }
    int height0() const { return commands::WindowFit::columnMeasure(memo2->textFont()); }
};

}  // namespace

TEST(WindowFit, ClientWidthIsTheMeasureTimesGyouPlus25KeepingTheRest) {
    FitWindow w;
    w.settings.Gyou = 30;
    w.show();
    const QRect before = w.window.geometry();
    const QSize client = w.client();

    w.fit.fitWidth();
    w.settle();
    ASSERT_GT(w.width1(), 10);
    EXPECT_EQ(w.client().width(), w.width1() * 30 + 25);
    EXPECT_EQ(w.client().height(), client.height());
    EXPECT_EQ(w.window.geometry().topLeft(), before.topLeft());
    EXPECT_EQ(w.window.height(), before.height());

    w.settings.Retsu = 15;
    w.fit.fitHeight();
    w.settle();
    EXPECT_EQ(w.client().height(), w.height0() * 15 + 25);
    EXPECT_EQ(w.client().width(), w.width1() * 30 + 25);
    EXPECT_EQ(w.window.geometry().topLeft(), before.topLeft());
}

// Before the window is first shown its children are not laid out yet.
TEST(WindowFit, AWindowNotYetShownIsFittedToo) {
    FitWindow w;
    w.settings.Gyou = 12;
    w.settings.Retsu = 8;
    w.fit.fitWidth();
    w.fit.fitHeight();
    w.show();
    EXPECT_EQ(w.client(), QSize(w.width1() * 12 + 25, w.height0() * 8 + 25));
}

TEST(WindowFit, ZeroGivesTheMarginAloneAndNegativeCountsGoNoLower) {
    for (int count : {0, -1, -1000, INT_MIN}) {
        FitWindow w;
        w.settings.Gyou = count;
        w.settings.Retsu = count;
        w.show();
        w.fit.fitWidth();
        w.fit.fitHeight();
        w.settle();
        EXPECT_EQ(w.client(), QSize(25, 25)) << count;
    }
}

TEST(WindowFit, ExtentsNeverOverflow) {
    EXPECT_EQ(commands::WindowFit::clientExtent(19, 40), 19 * 40 + 25);
    EXPECT_EQ(commands::WindowFit::clientExtent(19, INT_MIN), 25);
    EXPECT_EQ(commands::WindowFit::clientExtent(19, INT_MAX), QWIDGETSIZE_MAX);

    // A window that would be wider than the desktop stops at the desktop's edge.
    FitWindow w;
    w.settings.Gyou = INT_MAX;
    w.show();
    w.fit.fitWidth();
    w.settle();
    EXPECT_EQ(w.window.width(), w.window.screen()->virtualSize().width());
}

TEST(WindowFit, AMaximisedWindowIsRestoredFirstAndKeepsItsNormalHeight) {
    FitWindow w;
    w.settings.Gyou = 20;
    w.show();
    const QRect normal = w.window.geometry();
    w.normalGeometry = normal;
    w.window.showMaximized();
    w.settle();
    ASSERT_TRUE(w.window.isMaximized());
    ASSERT_NE(w.window.geometry(), normal);

    w.fit.fitWidth();
    w.settle();
    EXPECT_FALSE(w.window.isMaximized());
    EXPECT_EQ(w.client().width(), w.width1() * 20 + 25);
    EXPECT_EQ(w.window.height(), normal.height());
    EXPECT_EQ(w.window.geometry().topLeft(), normal.topLeft());
}

TEST(WindowFit, AMinimisedWindowIsRestoredFirst) {
    FitWindow w;
    w.settings.Retsu = 10;
    w.show();
    const QRect normal = w.window.geometry();
    w.normalGeometry = normal;
    w.window.showMinimized();
    w.settle();
    ASSERT_TRUE(w.window.isMinimized());

    w.fit.fitHeight();
    w.settle();
    EXPECT_FALSE(w.window.isMinimized());
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_EQ(w.client().height(), w.height0() * 10 + 25);
    EXPECT_EQ(w.window.width(), normal.width());
}

TEST(WindowFit, MeasuresWithTheControlsCurrentFont) {
    FitWindow w;
    w.settings.Gyou = 10;
    w.show();
    w.fit.fitWidth();
    w.settle();
    const int small = w.client().width();

    w.memo2->setTextFont(QFont(QStringLiteral("IPAGothic"), 28));
    w.fit.fitWidth();
    w.settle();
    EXPECT_EQ(w.client().width(), w.width1() * 10 + 25);
    EXPECT_GT(w.client().width(), small + 10 * 15);
}

// The measures are what the control's typesetter advances a full-width character by.
TEST(WindowFit, MeasuresAgreeWithTheTypesetter) {
    for (const QFont& font : {QFont(QStringLiteral("IPAGothic"), 14), QFont(QStringLiteral("IPAMincho"), 21)}) {
        EXPECT_EQ(commands::WindowFit::lineMeasure(font),
                  typeset::Typesetter(font, typeset::Writing::Horizontal).fullWidthAdvance())
            << font.family().toStdString();
        EXPECT_EQ(commands::WindowFit::columnMeasure(font),
                  typeset::Typesetter(font, typeset::Writing::Vertical).fullWidthAdvance())
            << font.family().toStdString();
    }
}

// After fitting, a line holds exactly Gyou full-width characters and a column exactly
// Retsu: a text of one more wraps after Gyou (Retsu) of them.
TEST(WindowFit, FittedLinesAndColumnsHoldExactlyTheCount) {
    struct Case {
        QFont font;
        int gyou;
        int retsu;
    };
    for (const Case& c : {Case{QFont(QStringLiteral("IPAGothic"), 14), 40, 20},
                          Case{QFont(QStringLiteral("IPAMincho"), 21), 25, 12},
                          Case{QFont(QStringLiteral("IPAGothic"), 9), 55, 45}}) {
        FitWindow w(c.font);
        commands::WritingDirection direction(*w.memo2, w.settings, *w.n15, *w.n16);
        w.settings.Gyou = c.gyou;
        w.settings.Retsu = c.retsu;
        w.show();
        w.fit.fitWidth();
        w.fit.fitHeight();
        w.settle();
        const std::string what = c.font.family().toStdString() + " " + std::to_string(c.font.pointSize());

        w.memo2->setText(fullWidth(c.gyou + 1));
        w.settle();
        EXPECT_EQ(w.memo2->lineCount(), 2u) << what;
        EXPECT_EQ(w.memo2->lineIndex(1), 2u * c.gyou) << what;

        direction.toVertical();
        w.memo2->setText(fullWidth(c.retsu + 1));
        w.settle();
        EXPECT_EQ(w.memo2->lineCount(), 2u) << what;
        EXPECT_EQ(w.memo2->lineIndex(1), 2u * c.retsu) << what;
    }
}
