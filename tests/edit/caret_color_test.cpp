// The caret and the selection take the palette's colours, so that a high-contrast theme
// applies to them, while the caret never vanishes into the background the user chose.
#include "edit/caret_color.h"

#include <gtest/gtest.h>

#include <QTest>

#include "edit/edit_control.h"
#include "support/qt_helpers.h"
#include "support/test_text.h"

namespace verlo::edit {
namespace {

TEST(CaretColor, ThePalettesTextUnlessItIsLostInTheBackground) {
    const QColor yellow(Qt::yellow);
    const QColor navy(0, 0, 0x80);
    struct Case {
        QColor themed, background, text, expected;
    } cases[] = {
        {Qt::black, Qt::white, Qt::red, Qt::black},   // the usual theme on the usual paper
        {yellow, Qt::black, Qt::white, yellow},       // a high-contrast theme
        {Qt::black, Qt::black, Qt::white, Qt::white}, // paper made black: the user's text colour
        {Qt::black, navy, navy, Qt::white},           // nothing of the user's stands out: white
        {Qt::white, QColor(0xF0, 0xF0, 0xF0), QColor(0xE0, 0xE0, 0xE0), Qt::black},
    };
    for (const Case& c : cases) {
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Text, c.themed);
        EXPECT_EQ(caretColor(palette, c.background, c.text), c.expected) << c.themed.name().toStdString();
    }
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(contrastRatio(navy, navy), 1.0, 0.01);
}

TEST(CaretColor, AHighContrastThemeColoursTheCaretAndTheSelection) {
    QPalette contrast;
    contrast.setColor(QPalette::Text, Qt::yellow);
    contrast.setColor(QPalette::Highlight, Qt::cyan);
    contrast.setColor(QPalette::HighlightedText, Qt::black);
    verlo::text::Document viewed;
    EditControl control{viewed};
    control.setPalette(contrast);
    control.setTextFont(test::ipaGothic(16));
    control.setBackgroundColor(Qt::black);  // the background colour command still rules the paper
    control.setTextColor(Qt::white);
    control.setText(test::sjis(u"吾輩は猫である。"));
    control.resize(300, 120);
    control.show();
    control.activateWindow();
    control.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&control));

    auto count = [&](QColor colour) {
        const QImage image = control.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour.rgb();
        return n;
    };
    control.setSelStart(4);
    EXPECT_GT(count(Qt::yellow), 0);
    EXPECT_GT(count(Qt::black), 1000);
    control.setSelection(0, 8);
    EXPECT_GT(count(Qt::cyan), 100);
}

}  // namespace
}  // namespace verlo::edit
