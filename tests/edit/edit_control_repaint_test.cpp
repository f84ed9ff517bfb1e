// The edit control repaints only what an edit or a move of the caret changed: after every
// step of a seeded run of typing, deleting, line breaks, selections and font changes, in both directions,
// what is on screen (the window's backing store) equals a fresh painting of the whole view;
// also with ruby shown, where typing makes and breaks groups and the caret reaches them.
#include "edit/edit_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QScreen>
#include <QTest>
#include <random>
#include <string>

#include "support/qt_helpers.h"
#include "support/test_text.h"

using verlo::edit::EditControl;
using verlo::edit::OptionOp;

namespace {

// What the screen shows of the viewport, and the same view painted afresh.
QImage shown(EditControl& c) {
    QWidget* view = c.viewport();
    const QPoint at = view->mapTo(view->window(), QPoint(0, 0));
    return c.screen()->grabWindow(view->window()->winId(), at.x(), at.y(), view->width(), view->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}
QImage fresh(EditControl& c) { return c.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Typed pieces chosen to move line breaks: characters that may not begin or end a line,
// Latin words, digits that stand upright in vertical writing, a space that may hang.
const char16_t* const kPieces[] = {u"あ", u"漢字", u"、", u"。」", u"「", u"ー", u"ゃ", u"word ", u"ab", u" ",
                                   u"12", u"3", u"!?", u"――", u"……", u"ｱ"};
// With ruby shown, also the marks of its notation.
const char16_t* const kRubyPieces[] = {u"《", u"》", u"｜", u"《《", u"》》", u"かな", u"漢《かん》"};

void run(bool vertical, bool ruby, unsigned seed) {
    QApplication::setCursorFlashTime(0);  // the caret stays drawn
    verlo::text::Document viewed;
    EditControl c{viewed};
    c.setTextFont(verlo::test::ipaGothic(16));
    if (vertical) c.setVerticalOption(OptionOp::Or);
    c.setRubyShown(ruby);
    c.resize(c.fitCharacterWidth() * 20 + 25, c.fitCharacterHeight() * 20 + 25);
    std::string text;
    const char16_t* line = ruby ? u"吾輩は猫《ねこ》である。｜名前《なまえ》はまだ無《な》いよ《《abc》》 def。\r\n"
                                : u"吾輩は猫である。名前はまだ無いabc def。\r\n";
    // Every third paragraph runs on over several lines: an edit in it moves the text of the lines after.
    const std::u16string one(line);
    const std::u16string longer = one.substr(0, one.size() - 2) + one.substr(0, one.size() - 2) + one;
    for (int i = 0; i < 30; ++i) text += verlo::test::sjis(i % 3 ? one : longer);
    c.setText(text);
    c.show();
    c.activateWindow();
    c.setFocus();
    QTest::qWait(20);
    std::mt19937 rng(seed);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    for (int step = 0; step < 150; ++step) {
        const std::size_t length = c.textLength();
        switch (pick(10)) {
            case 0:
            case 1:
            case 2: {  // type a piece where the caret is
                const std::size_t n = std::size(kPieces) + (ruby ? std::size(kRubyPieces) : 0);
                const std::size_t k = pick(n);
                const QString piece = QString::fromStdU16String(
                    k < std::size(kPieces) ? kPieces[k] : kRubyPieces[k - std::size(kPieces)]);
                if (piece.front().unicode() < 0x80) {
                    QTest::keyClicks(&c, piece);
                } else {  // as the input method commits it
                    QInputMethodEvent e(QString(), {});
                    e.setCommitString(piece);
                    QCoreApplication::sendEvent(&c, &e);
                }
                break;
            }
            case 3:
                QTest::keyClick(&c, pick(2) ? Qt::Key_Backspace : Qt::Key_Delete);
                break;
            case 4:
                QTest::keyClick(&c, Qt::Key_Return);
                break;
            case 5: {  // the caret somewhere in the first screenful
                const std::size_t pos = pick(std::min<std::size_t>(length, 300) + 1);
                c.setSelection(pos, pos);
                break;
            }
            case 6:  // extend or shrink the selection
                QTest::keyClick(&c, pick(2) ? Qt::Key_Right : Qt::Key_Down, Qt::ShiftModifier);
                break;
            case 7:  // an undo changes text away from where the caret was
                QTest::keyClick(&c, Qt::Key_Z, Qt::ControlModifier);
                break;
            case 8:  // another size of type: every line moves
                c.setTextFont(verlo::test::ipaGothic(pick(2) ? 16 : 19));
                break;
            default:
                QTest::keyClick(&c, pick(2) ? Qt::Key_Left : Qt::Key_Up);
                break;
        }
        QTest::qWait(0);
        QCoreApplication::processEvents();
        const QImage a = shown(c);
        const QImage b = fresh(c);
        ASSERT_EQ(a, b) << "step " << step << (vertical ? " (vertical)" : "") << (ruby ? " (ruby)" : "")
                        << ", caret " << c.caretPos();
    }
}

TEST(EditControlRepaint, WhatIsShownEqualsAFreshPaintingAfterEveryStep) {
    for (bool ruby : {false, true})
        for (unsigned seed : {1u, 2u, 3u}) {
            run(false, ruby, seed);
            run(true, ruby, seed);
        }
}

}  // namespace
