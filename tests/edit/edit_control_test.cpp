// The edit control under the offscreen platform: typing, the input method, selection by
// keys and mouse, the line queries on wrapped text, deleting, undo, the clipboard, the
// modified flag, the order of the events, and refused characters.
#include "edit/edit_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "text/codec.h"
#include "support/qt_helpers.h"
#include "support/test_text.h"

using verlo::edit::EditControl;
using verlo::edit::OptionOp;
namespace codec = verlo::text::codec;

namespace {

using verlo::test::repeat;
using verlo::test::sjis;

using verlo::test::ipaGothic;

// What the input method asks (public on QWidget).
QVariant im(const QWidget& w, Qt::InputMethodQuery query) { return w.inputMethodQuery(query); }

void commit(EditControl& c, const QString& text) {
    QInputMethodEvent e(QString(), {});
    e.setCommitString(text);
    QCoreApplication::sendEvent(&c, &e);
}

void preedit(EditControl& c, const QString& text, int cursor) {
    QList<QInputMethodEvent::Attribute> attrs;
    attrs << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, cursor, 1, QVariant());
    QInputMethodEvent e(text, attrs);
    QCoreApplication::sendEvent(&c, &e);
}

// A control in IPA Gothic 16 px whose lines hold exactly `perLine` full-width characters.
class EditControlTest : public testing::Test {
protected:
    void SetUp() override {
        control.setTextFont(ipaGothic(16));
        advance = control.fitCharacterWidth();
        control.resize(advance * perLine + 25, 300);
        control.show();
        control.setFocus();
    }
    // Where the caret is drawn for pos, in viewport coordinates (the centre of its box).
    QPoint pointOf(std::size_t pos) {
        const std::size_t a = control.anchorPos();
        const std::size_t c = control.caretPos();
        control.setSelStart(pos);
        const QRect r = im(control, Qt::ImCursorRectangle).toRect();
        control.setSelection(a, c);
        return r.center() - control.viewport()->pos();
    }

    int perLine = 10;
    int advance = 0;
    verlo::text::Document viewed;
    EditControl control{viewed};
};

}  // namespace

TEST_F(EditControlTest, TypingAsciiAndCommittedJapanese) {
    QSignalSpy changed(&control, &EditControl::changed);
    QTest::keyClicks(&control, "ab c");
    EXPECT_EQ(control.text(), "ab c");
    commit(control, QStringLiteral("日本語"));
    EXPECT_EQ(control.text(), "ab c" + sjis(u"日本語"));
    EXPECT_EQ(control.caretPos(), 10u);
    QTest::keyClick(&control, Qt::Key_Return);
    QTest::keyClick(&control, Qt::Key_Tab);
    EXPECT_EQ(control.text(), "ab c" + sjis(u"日本語") + "\r\n\t");
    EXPECT_EQ(changed.count(), 7);  // four keys, one commit, Enter, Tab
    EXPECT_TRUE(control.modified());
}

TEST_F(EditControlTest, TypingReplacesTheSelection) {
    control.setText(sjis(u"あいうえお"));
    control.setSelection(2, 6);
    QTest::keyClicks(&control, "x");
    EXPECT_EQ(control.text(), sjis(u"あxえお"));
    EXPECT_EQ(control.caretPos(), 3u);
}

TEST_F(EditControlTest, PreeditStaysOutOfTheDocument) {
    control.setText(sjis(u"あいう"));
    control.setSelStart(2);
    QSignalSpy changed(&control, &EditControl::changed);
    preedit(control, QStringLiteral("かんじ"), 3);
    EXPECT_EQ(control.text(), sjis(u"あいう"));
    EXPECT_EQ(control.caretPos(), 2u);
    EXPECT_EQ(changed.count(), 0);
    // The input method sees the paragraph around the caret in UTF-16 offsets.
    EXPECT_EQ(im(control, Qt::ImSurroundingText).toString(), QStringLiteral("あいう"));
    EXPECT_EQ(im(control, Qt::ImCursorPosition).toInt(), 1);
    EXPECT_EQ(im(control, Qt::ImAnchorPosition).toInt(), 1);
    EXPECT_TRUE(im(control, Qt::ImEnabled).toBool());
    EXPECT_EQ(im(control, Qt::ImFont).value<QFont>().family(), QStringLiteral("IPAGothic"));
    commit(control, QStringLiteral("漢字"));
    EXPECT_EQ(control.text(), sjis(u"あ漢字いう"));
    EXPECT_EQ(control.caretPos(), 6u);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(EditControlTest, SurroundingTextIsTheCaretsParagraph) {
    control.setText(sjis(u"一行目\r\nab日本\r\n三"));
    control.setSelection(12, 10);  // anchor after 日, caret after "ab"
    EXPECT_EQ(im(control, Qt::ImSurroundingText).toString(), QStringLiteral("ab日本"));
    EXPECT_EQ(im(control, Qt::ImCursorPosition).toInt(), 2);
    EXPECT_EQ(im(control, Qt::ImAnchorPosition).toInt(), 3);
}

TEST_F(EditControlTest, CommitReplacingSurroundingText) {
    control.setText(sjis(u"かな漢"));
    control.setSelStart(6);
    QInputMethodEvent e(QString(), {});
    e.setCommitString(QStringLiteral("仮名"), -3, 2);  // the two characters before the last one
    QCoreApplication::sendEvent(&control, &e);
    EXPECT_EQ(control.text(), sjis(u"仮名漢"));
}

TEST_F(EditControlTest, UncodableCharactersAreRefused) {
    control.setText("abc");
    control.setSelStart(1);
    QSignalSpy refused(&control, &EditControl::refusedCharacters);
    QSignalSpy changed(&control, &EditControl::changed);
    commit(control, QStringLiteral("x한😀한"));
    ASSERT_EQ(refused.count(), 1);
    EXPECT_EQ(refused.at(0).at(0).toString(), QStringLiteral("한😀"));
    QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("€"));
    QCoreApplication::sendEvent(&control, &euro);
    EXPECT_EQ(refused.count(), 2);
    EXPECT_EQ(control.text(), "abc");
    EXPECT_EQ(control.caretPos(), 1u);
    EXPECT_EQ(changed.count(), 0);
    QApplication::clipboard()->setText(QStringLiteral("ok한"));
    control.paste();
    EXPECT_EQ(refused.count(), 3);
    EXPECT_EQ(control.text(), "abc");
}

TEST_F(EditControlTest, NoChangePairsALoneLeadByteWithItsNeighbour) {
    const QString mark = QString(QChar(0xF780 + 0x82));  // how a lone 82 reads
    const struct {
        const char* name;
        const char* text;
        std::size_t anchor, caret;
        void (*act)(EditControl&);
    } cases[] = {
        {"typed", "abc\x82", 4, 4, [](EditControl& c) { QTest::keyClicks(&c, QStringLiteral("x")); }},
        {"committed", "abc\x82", 4, 4, [](EditControl& c) { commit(c, QStringLiteral("あ")); }},
        {"pasted", "abc\x82", 4, 4,
         [](EditControl& c) {
             QApplication::clipboard()->setText(QStringLiteral("xyz"));
             c.paste();
         }},
        {"typed over a selection", "\x82 x", 1, 2, [](EditControl& c) { QTest::keyClicks(&c, QStringLiteral("y")); }},
        {"deleted backwards", "\x82 x", 2, 2, [](EditControl& c) { QTest::keyClick(&c, Qt::Key_Backspace); }},
        {"deleted forwards", "\x82 x", 1, 1, [](EditControl& c) { QTest::keyClick(&c, Qt::Key_Delete); }},
        {"cut", "\x82 x", 1, 2, [](EditControl& c) { c.cut(); }},
        {"replaced undoably", "\x82 x", 1, 2, [](EditControl& c) { c.replaceSelection("y", true); }},
        {"a lone lead byte pasted before x", "a x", 2, 2,
         [](EditControl& c) {
             QApplication::clipboard()->setText(QString(QChar(0xF780 + 0x82)));
             c.paste();
         }},
        {"a mark before a letter in one paste", "ab", 1, 1,
         [](EditControl& c) {
             QApplication::clipboard()->setText(QString(QChar(0xF780 + 0x82)) + QStringLiteral("x"));
             c.paste();
         }},
    };
    for (const auto& c : cases) {
        control.setText(c.text);
        control.setSelection(c.anchor, c.caret);
        QSignalSpy refused(&control, &EditControl::refusedJoiningLoneByte);
        c.act(control);
        EXPECT_EQ(refused.count(), 1) << c.name;
        EXPECT_EQ(control.text(), c.text) << c.name;
    }
    // Where nothing pairs, the change goes through: a digit after the lone byte, the mark
    // itself deleted, a mark pasted before a byte that ends no character.
    control.setText("abc\x82");
    control.setSelStart(4);
    QTest::keyClicks(&control, QStringLiteral("1"));
    EXPECT_EQ(control.text(), "abc\x82" "1");
    QTest::keyClick(&control, Qt::Key_Backspace);
    QTest::keyClick(&control, Qt::Key_Backspace);
    QTest::keyClicks(&control, QStringLiteral("x"));
    EXPECT_EQ(control.text(), "abcx");
    QApplication::clipboard()->setText(mark + QStringLiteral(" "));
    control.paste();
    EXPECT_EQ(control.text(), "abcx\x82 ");
}

TEST_F(EditControlTest, SelectionByKeys) {
    control.setText(sjis(u"あいう\r\nえお"));
    control.setSelStart(2);
    QTest::keyClick(&control, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&control, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(control.selStart(), 2u);
    EXPECT_EQ(control.selLength(), 4u);
    QTest::keyClick(&control, Qt::Key_Right, Qt::ShiftModifier);  // over CR LF at once
    EXPECT_EQ(control.caretPos(), 8u);
    QTest::keyClick(&control, Qt::Key_Left);  // collapses to the start
    EXPECT_EQ(control.caretPos(), 2u);
    EXPECT_EQ(control.selLength(), 0u);
    QTest::keyClick(&control, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(control.selLength(), 4u);
    QTest::keyClick(&control, Qt::Key_Down);
    EXPECT_EQ(control.caretPos(), 12u);  // end of the shorter line below
    QTest::keyClick(&control, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(control.selStart(), 8u);
    EXPECT_EQ(control.selLength(), 4u);
    EXPECT_EQ(control.anchorPos(), 12u);  // selected backwards: the start is the caret
    QTest::keyClick(&control, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(control.caretPos(), 0u);
    QTest::keyClick(&control, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(control.caretPos(), 12u);
    QTest::keyClick(&control, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(control.selStart(), 0u);
    EXPECT_EQ(control.selLength(), 12u);
    control.selectAll();
    EXPECT_EQ(control.selectedText(), control.text());
}

TEST_F(EditControlTest, UpAndDownKeepTheColumn) {
    control.setText(sjis(u"あいうえお\r\nab\r\nかきくけこ"));
    control.setSelStart(8);  // before お
    QTest::keyClick(&control, Qt::Key_Down);
    EXPECT_EQ(control.caretPos(), 14u);  // end of "ab"
    QTest::keyClick(&control, Qt::Key_Down);
    EXPECT_EQ(control.caretPos(), 16u + 8u);  // before こ again
}

TEST_F(EditControlTest, SelectionByMouse) {
    control.setText(sjis(u"あいうえお\r\nかきくけこ"));
    const QPoint start = pointOf(2);
    const QPoint end = pointOf(16);
    QTest::mousePress(control.viewport(), Qt::LeftButton, {}, start);
    EXPECT_EQ(control.caretPos(), 2u);
    QTest::mouseMove(control.viewport(), end);
    QTest::mouseRelease(control.viewport(), Qt::LeftButton, {}, end);
    EXPECT_EQ(control.selStart(), 2u);
    EXPECT_EQ(control.selLength(), 14u);
    // Shift+click moves the caret end only.
    QTest::mouseClick(control.viewport(), Qt::LeftButton, Qt::ShiftModifier, pointOf(6));
    EXPECT_EQ(control.anchorPos(), 2u);
    EXPECT_EQ(control.caretPos(), 6u);
    // A click past the end of a line puts the caret at its end.
    QTest::mouseClick(control.viewport(), Qt::LeftButton, {}, QPoint(control.viewport()->width() - 2, start.y()));
    EXPECT_EQ(control.caretPos(), 10u);
    EXPECT_EQ(control.selLength(), 0u);
}

TEST_F(EditControlTest, DoubleClickSelectsAWord) {
    control.setText(sjis(u"今日はWord日和です。"));
    const QPoint inWord = pointOf(8);  // between "Wo" and "rd"
    QTest::mouseDClick(control.viewport(), Qt::LeftButton, {}, inWord + QPoint(2, 0));
    EXPECT_EQ(control.selectedText(), "Word");
    QTest::mouseDClick(control.viewport(), Qt::LeftButton, {}, pointOf(1) + QPoint(2, 0));
    EXPECT_EQ(control.selectedText(), sjis(u"今日"));
    QTest::mouseDClick(control.viewport(), Qt::LeftButton, {}, pointOf(15) + QPoint(2, 0));
    EXPECT_EQ(control.selectedText(), sjis(u"です"));
    control.setText(sjis(u"それはすごーいカレーだ"));
    QTest::mouseDClick(control.viewport(), Qt::LeftButton, {}, pointOf(6) + QPoint(2, 0));
    EXPECT_EQ(control.selectedText(), sjis(u"それはすごーい"));
    QTest::mouseDClick(control.viewport(), Qt::LeftButton, {}, pointOf(16) + QPoint(2, 0));
    EXPECT_EQ(control.selectedText(), sjis(u"カレー"));
    control.setText(sjis(u"今日はWord日和です。"));
    // The right half of a word's last character still belongs to that word.
    QTest::mouseDClick(control.viewport(), Qt::LeftButton, {}, pointOf(10) - QPoint(2, 0));
    EXPECT_EQ(control.selectedText(), "Word");
}

// IPA Gothic's full-width advance, ten per line: the lines are computed by hand.
TEST_F(EditControlTest, LineQueriesCountWrappedLines) {
    EXPECT_EQ(control.lineCount(), 1u);  // an empty text has one line
    EXPECT_EQ(control.lineFromChar(0), 0u);
    EXPECT_EQ(control.lineIndex(0), 0u);

    // 25 full-width characters, an empty line, "ab", then a line ending in CR LF.
    control.setText(repeat(sjis(u"あ"), 25) + "\r\n\r\nab\r\n");
    EXPECT_EQ(control.lineCount(), 6u);  // 10 + 10 + 5, "", "ab", ""
    const std::size_t starts[] = {0, 20, 40, 52, 54, 58};
    for (std::size_t line = 0; line < 6; ++line) EXPECT_EQ(control.lineIndex(line), starts[line]) << line;
    EXPECT_EQ(control.lineIndex(6), verlo::text::npos);
    EXPECT_EQ(control.lineFromChar(18), 0u);
    EXPECT_EQ(control.lineFromChar(20), 1u);  // a wrap position belongs to the line it starts
    EXPECT_EQ(control.lineFromChar(50), 2u);  // the end of a paragraph
    EXPECT_EQ(control.lineFromChar(51), 2u);  // between CR and LF
    EXPECT_EQ(control.lineFromChar(52), 3u);
    EXPECT_EQ(control.lineFromChar(58), 5u);

    // Kinsoku: 。 may not start a line, 「 may not end one; both pull a character along.
    control.setText(repeat(sjis(u"あ"), 10) + sjis(u"。") + repeat(sjis(u"い"), 7) + sjis(u"「う」"));
    EXPECT_EQ(control.lineCount(), 3u);
    EXPECT_EQ(control.lineIndex(1), 18u);  // あ。 go on together
    EXPECT_EQ(control.lineIndex(2), 36u);  // 「 goes on with う
}

TEST_F(EditControlTest, LineQueriesFollowEditsAndWidth) {
    control.setText(repeat(sjis(u"あ"), 15) + "\r\n" + repeat(sjis(u"い"), 5));
    EXPECT_EQ(control.lineCount(), 3u);
    control.setSelStart(32);  // in the second paragraph
    QTest::keyClicks(&control, "abcdefghijk");  // 11 half widths before 5 full: it wraps
    EXPECT_EQ(control.lineCount(), 4u);
    EXPECT_EQ(control.lineFromChar(control.caretPos()), 2u);
    EXPECT_EQ(control.lineIndex(3), 43u + 8u);  // the last い goes on
    for (int i = 0; i < 11; ++i) QTest::keyClick(&control, Qt::Key_Backspace);
    EXPECT_EQ(control.lineCount(), 3u);
    QTest::keyClick(&control, Qt::Key_Return);
    EXPECT_EQ(control.lineCount(), 4u);
    EXPECT_EQ(control.lineIndex(3), 34u);
    // A width of twenty characters takes the first paragraph on one line.
    control.resize(advance * 20 + 25, 300);
    EXPECT_EQ(control.lineCount(), 3u);
    EXPECT_EQ(control.lineFromChar(34), 2u);
}

TEST_F(EditControlTest, BackspaceAndDeleteRemoveWholeCharacters) {
    const std::string text = "a" + sjis(u"表") + "\r\n" + sjis(u"ソ") + "b";
    control.setText(text);
    control.setSelStart(5);  // after CR LF
    QTest::keyClick(&control, Qt::Key_Backspace);
    EXPECT_EQ(control.text(), "a" + sjis(u"表ソ") + "b");
    QTest::keyClick(&control, Qt::Key_Backspace);
    EXPECT_EQ(control.text(), "a" + sjis(u"ソ") + "b");
    EXPECT_EQ(control.caretPos(), 1u);
    QTest::keyClick(&control, Qt::Key_Delete);
    EXPECT_EQ(control.text(), "ab");
    QTest::keyClick(&control, Qt::Key_Delete);
    QTest::keyClick(&control, Qt::Key_Delete);  // at the end: nothing
    EXPECT_EQ(control.text(), "a");
    control.setText("x\r\ny");
    control.setSelStart(1);
    QTest::keyClick(&control, Qt::Key_Delete);
    EXPECT_EQ(control.text(), "xy");
}

TEST_F(EditControlTest, UndoOfATypedWordAndOfACommit) {
    control.setText("start ");
    control.setSelStart(6);
    control.emptyUndoBuffer();
    QTest::keyClicks(&control, "word");
    commit(control, QStringLiteral("日本語"));
    EXPECT_EQ(control.text(), "start word" + sjis(u"日本語"));
    QSignalSpy changed(&control, &EditControl::changed);
    control.undo();
    EXPECT_EQ(control.text(), "start word");
    control.undo();
    EXPECT_EQ(control.text(), "start ");
    EXPECT_EQ(changed.count(), 2);
    control.undo();  // nothing left: nothing happens
    EXPECT_EQ(control.text(), "start ");
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(EditControlTest, ClipboardCarriesLfAndPasteTakesTheDocumentsBreaks) {
    // Documents of each kind of break: copy and cut give LF, paste of any break gives the
    // document's own; the text plain only.
    for (const std::string br : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(br == "\r\n" ? "CR LF" : br == "\n" ? "LF" : "CR");
        viewed.setLineBreak(br);
        const std::string text = sjis(u"一行目") + br + sjis(u"二行目「表」") + br + "c";
        control.setText(text);
        control.selectAll();
        control.copy();
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        ASSERT_NE(mime, nullptr);
        EXPECT_EQ(mime->text(), QStringLiteral("一行目\n二行目「表」\nc"));
        EXPECT_EQ(mime->formats(), QStringList{QStringLiteral("text/plain")});
        control.setSelStart(control.textLength());
        control.paste();
        EXPECT_EQ(control.text(), text + text);

        QApplication::clipboard()->setText(QStringLiteral("a\nb\rc\r\nd"));
        control.setText("");
        control.paste();
        EXPECT_EQ(control.text(), "a" + br + "b" + br + "c" + br + "d");
        control.setSelection(1, 2 + 2 * br.size());
        control.cut();
        EXPECT_EQ(control.text(), "ac" + br + "d");
        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("\nb\n"));
        control.undo();
        EXPECT_EQ(control.text(), "a" + br + "b" + br + "c" + br + "d");
    }
}

TEST_F(EditControlTest, ModifiedFlag) {
    control.setText("abc");
    EXPECT_TRUE(control.modified());
    control.setModified(false);
    control.emptyUndoBuffer();
    EXPECT_FALSE(control.modified());
    QTest::keyClicks(&control, "x");
    EXPECT_TRUE(control.modified());
    control.undo();
    EXPECT_FALSE(control.modified());
    control.setSelection(0, 1);
    control.replaceSelection("z", false);
    EXPECT_TRUE(control.modified());
    EXPECT_EQ(control.text(), "zbc");
    EXPECT_EQ(control.caretPos(), 1u);
    EXPECT_EQ(control.selLength(), 0u);
}

TEST_F(EditControlTest, EventsComeInOrder) {
    control.setText("abc");
    control.setSelStart(1);
    std::vector<std::string> log;
    auto note = [&](const char* what) {
        log.push_back(std::string(what) + " " + std::to_string(control.caretPos()) + " " + control.text());
    };
    QObject::connect(&control, &EditControl::keyDown, [&] { note("down"); });
    QObject::connect(&control, &EditControl::keyUp, [&] { note("up"); });
    QObject::connect(&control, &EditControl::mouseDown, [&] { note("mdown"); });
    QObject::connect(&control, &EditControl::mouseUp, [&] { note("mup"); });
    QObject::connect(&control, &EditControl::changed, [&] { note("changed"); });
    QTest::keyClick(&control, Qt::Key_X);
    QTest::keyClick(&control, Qt::Key_Right);
    QTest::keyPress(&control, Qt::Key_Right);
    QTest::keyPress(&control, Qt::Key_Left, {}, -1);
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(&control, &repeatRelease);  // held down: no key up yet
    QTest::mouseClick(control.viewport(), Qt::LeftButton, {}, pointOf(0));
    const std::vector<std::string> expected = {
        "down 1 abc", "changed 2 axbc", "up 2 axbc", "down 2 axbc", "up 3 axbc",
        "down 3 axbc", "down 4 axbc", "mdown 0 axbc", "mup 0 axbc"};
    EXPECT_EQ(log, expected);
}

TEST_F(EditControlTest, ReplaceSelectionFindAndSaving) {
    control.setText("one\ntwo\rthree" + sjis(u"表") + "\\");
    EXPECT_EQ(control.findText(0, control.textLength(), "\\", true, false), 15);  // not the trail byte of 表
    EXPECT_EQ(control.findText(0, control.textLength(), "TWO", false, true), 4);
    EXPECT_EQ(control.findText(0, control.textLength(), "TWO", true, false), -1);
    control.setSelStart(4);
    control.setSelLength(3);
    EXPECT_EQ(control.selectedText(), "two");
    QSignalSpy changed(&control, &EditControl::changed);
    control.replaceSelection(sjis(u"二"), true);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(control.caretPos(), 6u);
    control.undo();
    EXPECT_EQ(control.text().substr(0, 8), "one\ntwo\r");
    // A length past the end stops at the end; a start inside a character snaps back.
    control.setSelStart(8);
    control.setSelLength(100);
    EXPECT_EQ(control.selLength(), control.textLength() - 8);
    control.setSelStart(14);  // the trail byte of 表
    EXPECT_EQ(control.selStart(), 13u);
}

TEST_F(EditControlTest, PagingKeepsCaretAndSelection) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line\r\n";
    control.setText(text);
    control.setSelection(6, 8);
    QScrollBar* bar = control.verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->isEnabled());
    control.pageDown();
    const int page = bar->value();
    EXPECT_GT(page, 5);
    control.pageDown();
    EXPECT_EQ(bar->value(), 2 * page);
    control.pageUp();
    EXPECT_EQ(bar->value(), page);
    EXPECT_EQ(control.anchorPos(), 6u);
    EXPECT_EQ(control.caretPos(), 8u);
    control.setText("short");
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->isEnabled());  // shown, not needed
}

TEST_F(EditControlTest, CaretMovesScrollTheView) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line\r\n";
    control.setText(text);
    QTest::keyClick(&control, Qt::Key_End, Qt::ControlModifier);
    QScrollBar* bar = control.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    QTest::keyClick(&control, Qt::Key_PageUp);
    EXPECT_LT(control.caretPos(), 600u);
    control.setSelStart(0);
    control.setSelLength(6 * 50);
    const int first = bar->value();
    EXPECT_LE(first, 50);
    EXPECT_GT(first + bar->pageStep(), 50);
}
