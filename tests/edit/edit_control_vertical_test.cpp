// The edit control in vertical writing (columns right to left), and the exact fitting of
// lines and columns to a client of advance * n + 25 pixels in two fonts.
#include "edit/edit_control.h"

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTest>
#include <QWheelEvent>
#include <string>
#include <vector>

#include "edit/preedit_layout.h"
#include "text/codec.h"
#include "support/qt_helpers.h"
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
    // The cell after the caret at pos, in the control's coordinates: the input method's
    // rectangle lies left of its column, as tall as the cell.
    QRect cellAt(std::size_t pos) {
        control.setSelStart(pos);
        const QRect r = im(control, Qt::ImCursorRectangle).toRect();
        return QRect(r.x() + r.width(), r.y(), pitch(), r.height());
    }
    // A point inside the character that starts at pos.
    QPoint pointIn(std::size_t pos) {
        const QRect cell = cellAt(pos);
        return QPoint(cell.center().x(), cell.top() + 3) - control.viewport()->pos();
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
    verlo::text::Document viewed;
    EditControl control{viewed};
};

}  // namespace

TEST_F(VerticalTest, ColumnsRunRightToLeftFromTheRightEdge) {
    control.setText(repeat(sjis(u"あ"), 12));
    EXPECT_EQ(control.lineCount(), 3u);  // 5 + 5 + 2
    EXPECT_EQ(control.lineIndex(1), 10u);
    EXPECT_GT(pitch(), 0);  // the second column stands left of the first
    const QRect first = cellAt(0);
    // The first column touches the right margin; a character's cell is one em high.
    EXPECT_EQ(first.height(), control.fitCharacterHeight());
    EXPECT_GE(first.right(), control.viewport()->width() - 16);
    EXPECT_LE(first.right(), control.viewport()->width());
    // Down the column, one full-width advance per character.
    EXPECT_EQ(cellAt(4).top() - first.top(), 2 * control.fitCharacterHeight());
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

// The input method opens its window below the rectangle it is given (above it when there is
// no room below), reaching right from its left edge by the window's width. In vertical
// writing the rectangle lies left of the pre-edit and spans it down the columns, so that such
// a window of any size covers none of the pre-edit: in the first column, in the last one
// shown, and when the pre-edit goes on into the next column.
TEST_F(VerticalTest, InputMethodWindowFollowsTheClauseAndNeverCoversThePreedit) {
    const std::string text = repeat(sjis(u"あ"), 40);
    control.setText(text);
    control.resize(6 * pitch() + 25, control.height());  // six columns
    const QString preedit = QStringLiteral("へんかんちゅう");  // 7 characters: always two columns or more
    const auto n = static_cast<std::size_t>(preedit.size());
    for (std::size_t caret : {0u, 6u, 8u, 20u, 46u}) {
        // The pre-edit's cells: where its characters will stand as text (and stand while
        // composed).
        control.setText(text.substr(0, caret) + sjis(preedit.toStdU16String()) + text.substr(caret));
        std::vector<QRect> cells;
        for (std::size_t i = 0; i < n; ++i) cells.push_back(cellAt(caret + 2 * i));
        control.setText(text);
        control.setSelStart(caret);
        // Two clauses, the second being converted; then the same without clauses.
        for (const std::size_t from : {std::size_t{3}, std::size_t{0}}) {
            QList<QInputMethodEvent::Attribute> attrs;
            attrs << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, static_cast<int>(from), 1, QVariant());
            if (from > 0) {
                QTextCharFormat plain, target;
                plain.setFontUnderline(true);
                target.setBackground(Qt::darkBlue);
                attrs << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, static_cast<int>(from), plain)
                      << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, static_cast<int>(from),
                                                      static_cast<int>(n - from), target);
            }
            QInputMethodEvent e(preedit, attrs);
            QCoreApplication::sendEvent(&control, &e);
            const QRect r = im(control, Qt::ImCursorRectangle).toRect();
            QRect clause;
            for (std::size_t i = from; i < n; ++i) clause |= cells[i];
            EXPECT_NEAR(r.top(), clause.top(), 1) << caret << " " << from;  // down the clause only
            EXPECT_NEAR(r.bottom(), clause.bottom(), 1) << caret << " " << from;
            for (const QRect& cell : cells) {
                EXPECT_LT(r.right(), cell.left()) << caret;  // on the side not yet written
                // A window no wider than the room asked for, opening below or above.
                for (const QSize window : {QSize(40, 40), QSize(r.width(), 300)}) {
                    const QRect below(QPoint(r.left(), r.bottom() + 1), window);
                    const QRect above(QPoint(r.left(), r.top() - window.height()), window);
                    EXPECT_FALSE(below.intersects(cell)) << caret;
                    EXPECT_FALSE(above.intersects(cell)) << caret;
                }
            }
        }
        EXPECT_EQ(control.textLength(), text.size());
        QInputMethodEvent done;
        QCoreApplication::sendEvent(&control, &done);
    }
}

// The clauses of a conversion, from the text formats of an input method's event: each has
// its own line beside it, ending short of its ends, and the target a heavier one.
TEST(PreeditClauses, EachClauseHasItsOwnLine) {
    using verlo::edit::PreeditLayout;
    using Attribute = QInputMethodEvent::Attribute;
    QTextCharFormat dashed;
    dashed.setUnderlineStyle(QTextCharFormat::DashUnderline);
    QTextCharFormat target = dashed;
    target.setBackground(QColor(0x30, 0x50, 0xA0));
    target.setForeground(Qt::white);
    const QString text = QStringLiteral("へんかんちゅう");
    // One format per clause, as fcitx sends them, or one underline over all with the target
    // marked on top, as others do.
    const QList<Attribute> perClause{Attribute(QInputMethodEvent::TextFormat, 0, 2, dashed),
                                     Attribute(QInputMethodEvent::TextFormat, 2, 3, target),
                                     Attribute(QInputMethodEvent::TextFormat, 5, 2, dashed),
                                     Attribute(QInputMethodEvent::Cursor, 2, 0, QVariant())};
    const QList<Attribute> layered{Attribute(QInputMethodEvent::TextFormat, 0, 7, dashed),
                                   Attribute(QInputMethodEvent::TextFormat, 2, 3, target)};
    const verlo::typeset::Typesetter typesetter(verlo::test::ipaGothic(16), verlo::typeset::Writing::Vertical);
    PreeditLayout pl(text, typesetter, typesetter.font());
    pl.place(0, 3 * 16, 5 * 16);  // two cells left in the first column, the rest in the next
    using U = PreeditLayout::Underline;
    for (const QList<Attribute>& attrs : {perClause, layered}) {
        QInputMethodEvent e(text, attrs);
        const auto clauses = PreeditLayout::clauses(e.attributes(), static_cast<int>(text.size()));
        ASSERT_EQ(clauses.size(), 3u);
        const std::vector<U> lines = pl.underlines(clauses, 2);
        const std::vector<U> expected{{0, 50, 78, false}, {1, 2, 46, true}, {1, 50, 78, false}};
        ASSERT_EQ(lines.size(), expected.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].rel, expected[i].rel) << i;
            EXPECT_EQ(lines[i].u0, expected[i].u0) << i;
            EXPECT_EQ(lines[i].u1, expected[i].u1) << i;
            EXPECT_EQ(lines[i].target, expected[i].target) << i;
        }
    }
    // Without formats the whole pre-edit is one clause; one going on into the next column
    // has a line in each, shortened only at its own ends.
    const auto whole = PreeditLayout::clauses({}, static_cast<int>(text.size()));
    ASSERT_EQ(whole.size(), 1u);
    const std::vector<U> lines = pl.underlines(whole, 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].u0, 50);
    EXPECT_EQ(lines[0].u1, 80);
    EXPECT_EQ(lines[1].u0, 0);
    EXPECT_EQ(lines[1].u1, 78);
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
                verlo::text::Document viewed;
                EditControl control{viewed};
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

// Turned while hidden (as the direction command turns it), the control shows the bar of
// its new direction only, and the first column's ruby and marks within the text area,
// clear of its edges.
TEST_F(VerticalTest, TurnedWhileHiddenShowsOnlyTheNewBarAndTheFirstColumnWhole) {
    control.setVerticalOption(OptionOp::Xor);
    control.resize(400, 300);
    control.setText(sjis(u"｜漢字《かんじ》の読み。\r\n二行目") + "\r\n" + sjis(u"《《傍点》》"));
    control.setRubyShown(true);
    control.setSelStart(control.textLength() - 2);
    control.hide();
    control.setVerticalOption(OptionOp::Or);
    control.show();
    EXPECT_FALSE(control.verticalScrollBar()->isVisible());
    EXPECT_TRUE(control.horizontalScrollBar()->isVisible());
    // In a large font too, the rightmost ink is the ruby (narrower than half an em and a
    // pixel), clear of the edge.
    for (const int em : {16, 40}) {
        control.setTextFont(font("IPAGothic", em));
        const QImage shot = control.viewport()->grab().toImage();
        const auto inked = [&](int x) {
            for (int y = 0; y < shot.height(); ++y)
                if (qGray(shot.pixel(x, y)) < 160) return true;
            return false;
        };
        int x = shot.width() - 1;
        EXPECT_FALSE(inked(x)) << em;
        while (x > 0 && !inked(x)) --x;
        const int rubyRight = x;
        while (x > 0 && inked(x)) --x;
        EXPECT_GT(rubyRight - x, 0) << em;
        EXPECT_LE(rubyRight - x, em / 2 + 1) << em;
    }
}

// While a pre-edit is composed at the end of a full column, the text after it stands where
// it will stand once the pre-edit is committed: the next line moves a column on, nothing is
// drawn over it.
TEST_F(VerticalTest, TextAfterThePreeditMakesRoomForIt) {
    const std::string committed = sjis(u"あいうえおさしす\r\nかきくけこ");
    control.setText(committed);
    const QRect cell = cellAt(18);  // the second line's first character, in the third column
    const QRect column(cell.left() - control.viewport()->x(), 0, cell.width(), control.viewport()->height());
    control.setSelStart(16);
    const QImage expected = control.viewport()->grab(column).toImage();

    control.setText(sjis(u"あいうえお\r\nかきくけこ"));
    control.setSelStart(10);
    QInputMethodEvent e(QStringLiteral("さしす"), {});
    QCoreApplication::sendEvent(&control, &e);
    const QImage shown = control.viewport()->grab(column).toImage();
    EXPECT_EQ(shown, expected);
    bool inked = false;  // the second line is there, not a blank column
    for (int y = 0; y < shown.height(); ++y) inked = inked || qGray(shown.pixel(shown.width() / 2, y)) < 160;
    EXPECT_TRUE(inked);
    QInputMethodEvent done;
    QCoreApplication::sendEvent(&control, &done);
}
