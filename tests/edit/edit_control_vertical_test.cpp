// The edit control in vertical writing (columns right to left), and the exact fitting of
// lines and columns to a client of advance * n + 25 pixels in two fonts.
#include "edit/edit_control.h"

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <string>

#include "text/codec.h"
#include "support/test_text.h"

using verlo::edit::EditControl;
using verlo::edit::OptionOp;
namespace codec = verlo::text::codec;

namespace {

using verlo::test::repeat;
using verlo::test::sjis;

QFont font(const char* family, int pixelSize) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixelSize);
    return f;
}

QVariant im(const QWidget& w, Qt::InputMethodQuery query) { return w.inputMethodQuery(query); }

// Vertical, IPA Gothic 16 px, columns of exactly `perColumn` full-width characters.
class VerticalTest : public testing::Test {
protected:
    void SetUp() override {
        control.setTextFont(font("IPAGothic", 16));
        control.setVerticalOption(OptionOp::Or);
        control.resize(400, control.fitCharacterHeight() * perColumn + 25);
        control.show();
        control.setFocus();
    }
    // A point inside the character that starts at pos (from the caret's box).
    QPoint pointIn(std::size_t pos) {
        control.setSelStart(pos);
        const QRect flat = im(control, Qt::ImCursorRectangle).toRect();
        return QPoint(flat.left() - pitch() / 2, flat.top() + 3) - control.viewport()->pos();
    }
    int pitch() {
        // Two columns' caret boxes lie one pitch apart.
        const std::size_t keep = control.caretPos();
        control.setSelStart(0);
        const int right = im(control, Qt::ImCursorRectangle).toRect().left();
        control.setSelStart(control.lineIndex(1));
        const int next = im(control, Qt::ImCursorRectangle).toRect().left();
        control.setSelStart(keep);
        return right - next;
    }

    int perColumn = 5;
    EditControl control;
};

}  // namespace

TEST_F(VerticalTest, ColumnsRunRightToLeftFromTheRightEdge) {
    control.setText(repeat(sjis(u"あ"), 12));
    EXPECT_EQ(control.lineCount(), 3u);  // 5 + 5 + 2
    EXPECT_EQ(control.lineIndex(1), 10u);
    EXPECT_GT(pitch(), 0);  // the second column stands left of the first
    control.setSelStart(0);
    const QRect first = im(control, Qt::ImCursorRectangle).toRect();
    // The first column touches the right margin; the caret box is flat, beside the column.
    EXPECT_LE(first.height(), 2);
    EXPECT_GE(first.left(), control.viewport()->width() - 16);
    EXPECT_LE(first.left(), control.viewport()->width());
    // Down the column, one full-width advance per character.
    control.setSelStart(4);
    EXPECT_EQ(im(control, Qt::ImCursorRectangle).toRect().top() - first.top(), 2 * control.fitCharacterHeight());
    // The scroll bar is the horizontal one, always shown.
    EXPECT_TRUE(control.horizontalScrollBar()->isVisible());
    EXPECT_FALSE(control.verticalScrollBar()->isVisible());
    EXPECT_TRUE(control.horizontalScrollBar()->invertedAppearance());
}

TEST_F(VerticalTest, ArrowKeysFollowTheColumns) {
    control.setText(repeat(sjis(u"あ"), 12));
    control.setSelStart(2);
    QTest::keyClick(&control, Qt::Key_Down);  // next character
    EXPECT_EQ(control.caretPos(), 4u);
    QTest::keyClick(&control, Qt::Key_Up);  // previous character
    EXPECT_EQ(control.caretPos(), 2u);
    QTest::keyClick(&control, Qt::Key_Left);  // the next column, same height
    EXPECT_EQ(control.caretPos(), 12u);
    QTest::keyClick(&control, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(control.caretPos(), 22u);
    EXPECT_EQ(control.anchorPos(), 12u);
    QTest::keyClick(&control, Qt::Key_Right);  // back a column
    EXPECT_EQ(control.caretPos(), 12u);
    QTest::keyClick(&control, Qt::Key_End);  // the foot of the column
    EXPECT_EQ(control.caretPos(), 20u);
    EXPECT_EQ(control.lineFromChar(control.caretPos()), 2u);  // the line queries answer downstream
    QTest::keyClick(&control, Qt::Key_Home);
    EXPECT_EQ(control.caretPos(), 10u);
    QTest::keyClick(&control, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(control.selStart(), 8u);
    EXPECT_EQ(control.selLength(), 2u);
}

TEST_F(VerticalTest, ClicksHitTheCharacterUnderTheMouse) {
    control.setText(repeat(sjis(u"あいうえおかきくけこ"), 2));
    for (std::size_t pos : {0u, 6u, 10u, 14u, 30u}) {
        const QPoint p = pointIn(pos);
        control.setSelStart(38);
        QTest::mouseClick(control.viewport(), Qt::LeftButton, {}, p);
        EXPECT_EQ(control.caretPos(), pos) << pos;
    }
    // Drag from the first column into the third selects across columns.
    const QPoint from = pointIn(2);
    const QPoint to = pointIn(24);
    QTest::mousePress(control.viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(control.viewport(), to);
    QTest::mouseRelease(control.viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(control.selStart(), 2u);
    EXPECT_EQ(control.selLength(), 22u);
}

TEST_F(VerticalTest, CursorRectangleSitsBesideThePreedit) {
    control.setText(repeat(sjis(u"あ"), 12));
    control.setSelStart(12);  // second column, second character
    const QRect caret = im(control, Qt::ImCursorRectangle).toRect();
    QList<QInputMethodEvent::Attribute> attrs;
    attrs << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 2, 1, QVariant());
    QInputMethodEvent e(QStringLiteral("へんかん"), attrs);
    QCoreApplication::sendEvent(&control, &e);
    const QRect r = im(control, Qt::ImCursorRectangle).toRect();
    EXPECT_LE(r.height(), 2);  // flat
    EXPECT_EQ(r.left(), caret.left());  // at the column's right edge, beside the clause
    EXPECT_EQ(r.top() - caret.top(), 2 * control.fitCharacterHeight());  // at the pre-edit's cursor
    EXPECT_EQ(control.textLength(), 24u);
    // A pre-edit longer than the rest of the column goes on in the next one.
    attrs.clear();
    attrs << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 5, 1, QVariant());
    QInputMethodEvent longer(QStringLiteral("へんかんちゅう"), attrs);
    QCoreApplication::sendEvent(&control, &longer);
    const QRect wrapped = im(control, Qt::ImCursorRectangle).toRect();
    EXPECT_LT(wrapped.left(), caret.left());
}

TEST_F(VerticalTest, SwitchingKeepsTextSelectionAndCaretInView) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += sjis(u"縦書き") + "\r\n";
    control.setText(text);
    control.setSelection(1000, 1010);
    const QScrollBar* bar = control.horizontalScrollBar();
    const int first = bar->value();
    EXPECT_GT(first, 0);  // scrolled left to the caret's column
    control.setVerticalOption(OptionOp::Xor);
    EXPECT_FALSE(control.isVertical());
    EXPECT_EQ(control.text(), text);
    EXPECT_EQ(control.anchorPos(), 1000u);
    EXPECT_EQ(control.caretPos(), 1010u);
    const QScrollBar* vbar = control.verticalScrollBar();
    const std::size_t caretLine = control.lineFromChar(1010);
    EXPECT_LE(static_cast<std::size_t>(vbar->value()), caretLine);
    EXPECT_GT(static_cast<std::size_t>(vbar->value() + vbar->pageStep()), caretLine);
    control.setVerticalOption(OptionOp::Xor);
    EXPECT_TRUE(control.isVertical());
    control.setVerticalOption(OptionOp::Or);  // already on: stays on
    EXPECT_TRUE(control.isVertical());
    EXPECT_EQ(control.caretPos(), 1010u);
}

TEST_F(VerticalTest, WheelAndPagesMoveAlongTheColumns) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "ab\r\n";
    control.setText(text);
    QScrollBar* bar = control.horizontalScrollBar();
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->value(), 0);
    const QPoint at(50, 20);
    QWheelEvent down(at, control.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(control.viewport(), &down);
    EXPECT_GT(bar->value(), 0);  // on into the text: the view moves left
    const int afterWheel = bar->value();
    control.pageDown();
    EXPECT_EQ(bar->value(), afterWheel + bar->pageStep());
    control.pageUp();
    EXPECT_EQ(bar->value(), afterWheel);
    EXPECT_EQ(control.caretPos(), 0u);
}

// The window-fitting measure: a client of advance * n + 25 pixels holds exactly n
// full-width characters per line (horizontal) and per column (vertical); one pixel less
// holds n - 1.
TEST(ExactFitting, LinesAndColumnsHoldExactlyNCharacters) {
    for (const QFont& f : {font("IPAGothic", 16), font("IPAMincho", 23)}) {
        for (bool vertical : {false, true}) {
            for (int n : {1, 7, 40}) {
                EditControl control;
                control.setTextFont(f);
                if (vertical) control.setVerticalOption(OptionOp::Or);
                const int advance = vertical ? control.fitCharacterHeight() : control.fitCharacterWidth();
                const int extent = advance * n + 25;
                control.resize(vertical ? 300 : extent, vertical ? extent : 300);
                control.setText(repeat(sjis(u"１"), 3 * n) + "\r\n" + repeat(sjis(u"漢"), 3 * n));
                const std::string what = f.family().toStdString() + (vertical ? " vertical " : " horizontal ") +
                                         std::to_string(n);
                EXPECT_EQ(vertical ? control.frameOverheadHeight() : control.frameOverheadWidth(), 25) << what;
                EXPECT_EQ(control.lineCount(), 6u) << what;
                EXPECT_EQ(control.lineIndex(1), static_cast<std::size_t>(2 * n)) << what;
                EXPECT_EQ(control.lineIndex(4), static_cast<std::size_t>(6 * n + 2 + 2 * n)) << what;
                control.resize(vertical ? 300 : extent - 1, vertical ? extent - 1 : 300);
                if (n > 1) {
                    EXPECT_EQ(control.lineIndex(1), static_cast<std::size_t>(2 * (n - 1))) << what;
                }
            }
        }
    }
}
