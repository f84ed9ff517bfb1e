// The edit control as a screen reader sees it through Qt's accessibility interfaces: the
// text in Unicode with one offset per character and per line break, units of text around
// an offset, character boxes in both directions, editing, and the events.
#include "edit/accessible_edit.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "edit/edit_control.h"
#include "support/qt_helpers.h"
#include "support/test_text.h"

namespace verlo::edit {
namespace {

using test::sjis;

// The events the control sent, as (type, position, text).
struct Seen {
    QAccessible::Event type;
    int position;
    QString text;
    bool operator==(const Seen&) const = default;
};
void PrintTo(const Seen& s, std::ostream* out) { *out << s.type << " at " << s.position << " " << s.text.toStdString(); }
std::vector<Seen> g_seen;

void record(QAccessibleEvent* e) {
    switch (e->type()) {
    case QAccessible::TextInserted: {
        auto* t = static_cast<QAccessibleTextInsertEvent*>(e);
        g_seen.push_back({e->type(), t->changePosition(), t->textInserted()});
        break;
    }
    case QAccessible::TextRemoved: {
        auto* t = static_cast<QAccessibleTextRemoveEvent*>(e);
        g_seen.push_back({e->type(), t->changePosition(), t->textRemoved()});
        break;
    }
    case QAccessible::TextSelectionChanged: {
        auto* t = static_cast<QAccessibleTextSelectionEvent*>(e);
        g_seen.push_back({e->type(), t->selectionStart(), QString::number(t->selectionEnd())});
        break;
    }
    case QAccessible::TextCaretMoved:
        g_seen.push_back({e->type(), static_cast<QAccessibleTextCursorEvent*>(e)->cursorPosition(), {}});
        break;
    default: break;
    }
}

const char16_t kSample[] = u"吾輩は猫である。名前はまだ無い。\r\nどこで生れたか　とんと見当がつかぬ。\r\n\r\nabc def";

class AccessibleEditTest : public testing::Test {
protected:
    void SetUp() override {
        control.setTextFont(test::ipaGothic(16));
        control.resize(control.fitCharacterWidth() * 10 + 25, 300);
        control.setText(sjis(kSample));
        iface = QAccessible::queryAccessibleInterface(&control);
        ASSERT_NE(iface, nullptr);
        textIface = iface->textInterface();
        ASSERT_NE(textIface, nullptr);
    }
    void TearDown() override { setAccessEventSink(nullptr); }

    void watch() {
        g_seen.clear();
        setAccessEventSink(record);
    }
    void type(Qt::Key key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(&control, &press);
    }

    verlo::text::Document viewed;
    EditControl control{viewed};
    QAccessibleInterface* iface = nullptr;
    QAccessibleTextInterface* textIface = nullptr;
};

TEST_F(AccessibleEditTest, IsAnEditableMultiLineTextWithAName) {
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_NE(iface->editableTextInterface(), nullptr);
    EXPECT_TRUE(iface->state().editable);
    EXPECT_TRUE(iface->state().multiLine);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("本文"));
}

TEST_F(AccessibleEditTest, ReadsTheTextWithOneOffsetPerCharacterAndLineBreak) {
    const QString expected = QString::fromUtf16(kSample).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(textIface->characterCount(), expected.size());
    EXPECT_EQ(textIface->text(0, textIface->characterCount()), expected);
    EXPECT_EQ(textIface->text(3, 8), QStringLiteral("猫である。"));
    EXPECT_EQ(textIface->text(13, 18), QStringLiteral("無い。\nど"));

    // The caret and the selection, both ways.
    control.setSelection(sjis(u"吾輩は").size(), sjis(u"吾輩は猫である").size());
    EXPECT_EQ(textIface->cursorPosition(), 7);
    int start = 0;
    int end = 0;
    ASSERT_EQ(textIface->selectionCount(), 1);
    textIface->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(3, 7));
    textIface->setCursorPosition(17);  // after the first line break
    EXPECT_EQ(control.caretPos(), sjis(u"吾輩は猫である。名前はまだ無い。\r\n").size());
    EXPECT_EQ(textIface->selectionCount(), 0);
    textIface->setSelection(0, 17, 19);
    EXPECT_EQ(control.selectedText(), sjis(u"どこ"));
    textIface->removeSelection(0);
    EXPECT_EQ(control.selLength(), 0u);
}

TEST_F(AccessibleEditTest, GivesUnitsAroundAnOffset) {
    struct Case {
        int offset;
        QAccessible::TextBoundaryType type;
        const char16_t* at;
        int start;
        const char16_t* before;
        const char16_t* after;
    } cases[] = {
        {3, QAccessible::CharBoundary, u"猫", 3, u"は", u"で"},
        {0, QAccessible::WordBoundary, u"吾輩", 0, u"", u"は"},
        {4, QAccessible::WordBoundary, u"である", 4, u"猫", u"。"},
        {16, QAccessible::WordBoundary, u"\n", 16, u"。", u"どこで"},  // a line break is a word of its own
        {24, QAccessible::WordBoundary, u"　", 24, u"れたか", u"とんと"},
        {44, QAccessible::WordBoundary, u"def", 41, u" ", u""},  // at the end: the last word
        {2, QAccessible::SentenceBoundary, u"吾輩は猫である。", 0, u"", u"名前はまだ無い。\n"},
        {10, QAccessible::SentenceBoundary, u"名前はまだ無い。\n", 8, u"吾輩は猫である。", u"どこで生れたか　とんと見当がつかぬ。\n"},
        {20, QAccessible::ParagraphBoundary, u"どこで生れたか　とんと見当がつかぬ。\n", 17, u"吾輩は猫である。名前はまだ無い。\n", u"\n"},
        {0, QAccessible::LineBoundary, u"吾輩は猫である。名前", 0, u"", u"はまだ無い。\n"},  // ten to a line
        {12, QAccessible::LineBoundary, u"はまだ無い。\n", 10, u"吾輩は猫である。名前", u"どこで生れたか　とん"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << " boundary " << c.type);
        int start = -1;
        int end = -1;
        const QString at = textIface->textAtOffset(c.offset, c.type, &start, &end);
        EXPECT_EQ(at, QString::fromUtf16(c.at));
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(end, c.start + at.size());
        EXPECT_EQ(textIface->text(start, end), at);
        EXPECT_EQ(textIface->textBeforeOffset(c.offset, c.type, &start, &end), QString::fromUtf16(c.before));
        EXPECT_EQ(textIface->textAfterOffset(c.offset, c.type, &start, &end), QString::fromUtf16(c.after));
    }
    int start = -1;
    int end = -1;
    EXPECT_EQ(textIface->textAtOffset(5, QAccessible::NoBoundary, &start, &end).size(), textIface->characterCount());
}

// Boxes follow the writing: along a row, or down a column and on to the column at its left.
TEST_F(AccessibleEditTest, CharacterBoxesFollowTheWritingAndHitBack) {
    control.show();
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        if (vertical) control.setVerticalOption(OptionOp::Or);
        const QRect first = textIface->characterRect(0);
        const QRect second = textIface->characterRect(1);
        control.setSelStart(control.lineIndex(1));
        const QRect nextLine = textIface->characterRect(textIface->cursorPosition());
        ASSERT_FALSE(first.isEmpty());
        if (vertical) {
            EXPECT_EQ(second.left(), first.left());
            EXPECT_NEAR(second.top(), first.bottom() + 1, 1);
            EXPECT_LT(nextLine.right(), first.left());
        } else {
            EXPECT_EQ(second.top(), first.top());
            EXPECT_NEAR(second.left(), first.right() + 1, 1);
            EXPECT_GT(nextLine.top(), first.bottom());
        }
        for (int offset : {0, 1, 7, 12, 20})
            EXPECT_EQ(textIface->offsetAtPoint(textIface->characterRect(offset).center()), offset);
        EXPECT_EQ(textIface->offsetAtPoint(control.viewport()->mapToGlobal(QPoint(-5, -5))), -1);
    }
}

TEST_F(AccessibleEditTest, EditsAsOneUndoableStepEachAndRefusesWhatTheCodePageLacks) {
    QAccessibleEditableTextInterface* edit = iface->editableTextInterface();
    const std::string before = control.text();
    edit->replaceText(3, 4, QStringLiteral("犬\n"));
    EXPECT_EQ(control.text().substr(0, 12), sjis(u"吾輩は犬\r\nで"));
    edit->deleteText(0, 2);
    edit->insertText(textIface->characterCount(), QStringLiteral("！"));
    EXPECT_EQ(control.text(), sjis(u"は犬\r\nである。名前はまだ無い。\r\nどこで生れたか　とんと見当がつかぬ。\r\n\r\nabc def！"));

    QSignalSpy refused(&control, &EditControl::refusedCharacters);
    edit->insertText(0, QStringLiteral("♡"));
    EXPECT_EQ(refused.count(), 1);
    control.undo();
    control.undo();
    control.undo();
    EXPECT_EQ(control.text(), before);
}

TEST_F(AccessibleEditTest, TellsOfTypingDeletingAndMovingTheCaret) {
    control.setSelStart(sjis(u"吾輩は").size());
    watch();
    type(Qt::Key_A, QStringLiteral("a"));
    type(Qt::Key_Backspace);
    type(Qt::Key_Right);
    QKeyEvent shiftRight(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&control, &shiftRight);
    type(Qt::Key_B, QStringLiteral("b"));  // over the selection
    const std::vector<Seen> expected = {
        {QAccessible::TextInserted, 3, QStringLiteral("a")},
        {QAccessible::TextCaretMoved, 4, {}},
        {QAccessible::TextRemoved, 3, QStringLiteral("a")},
        {QAccessible::TextCaretMoved, 3, {}},
        {QAccessible::TextCaretMoved, 4, {}},
        {QAccessible::TextSelectionChanged, 4, QStringLiteral("5")},
        {QAccessible::TextCaretMoved, 5, {}},
        {QAccessible::TextRemoved, 4, QStringLiteral("で")},
        {QAccessible::TextInserted, 4, QStringLiteral("b")},
        {QAccessible::TextSelectionChanged, 5, QStringLiteral("5")},
    };
    EXPECT_EQ(g_seen, expected);
}

// Changes that join bytes tell of what the reader's text lost and gained, not of bytes: a
// lone CR that an LF joins stays one break (nothing to tell), a lead byte takes the
// backquote after it into one character (82 60 is a full-width Ａ; only the program's own
// replacements may join a lone lead byte so: an edit of the writer's is refused).
TEST_F(AccessibleEditTest, TellsOfWhatAChangeDidToTheReadersText) {
    control.setText("a`\rc");
    watch();
    control.setSelStart(3);
    control.replaceSelection("\n", true);
    control.setSelStart(1);
    control.replaceSelection("\x82", false);
    const std::vector<Seen> expected = {
        {QAccessible::TextCaretMoved, 3, {}},
        {QAccessible::TextCaretMoved, 1, {}},
        {QAccessible::TextRemoved, 1, QStringLiteral("`")},
        {QAccessible::TextInserted, 1, QStringLiteral("Ａ")},
    };
    EXPECT_EQ(g_seen, expected);
}

}  // namespace
}  // namespace verlo::edit
