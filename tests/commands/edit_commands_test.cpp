// The edit commands on real edit controls and the real clipboard: copy through the scratch
// control leaves plain text only and touches neither the selection nor the modified flag;
// the count box says how many characters the selection has.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>

#include "edit/edit_control.h"
#include "support/scripted_answerer.h"
#include "text/codec.h"
#include "text/stand_ins.h"
#include "commands/direction.h"
#include "commands/edit_commands.h"
#include "commands/command_window.h"
#include "support/qt_helpers.h"

using verlo::edit::EditControl;
using verlo::commands::EditCommands;
using verlo::test::CommandWindow;
using verlo::test::fullWidth;
namespace commands = verlo::commands;

namespace {

using verlo::test::fromCp932;

// What a word processor puts on the clipboard: rich text beside the plain text.
void putRichText(const QString& plain) {
    auto* mime = new QMimeData;
    mime->setHtml("<b style=\"font-family:Mincho\">" + plain + "</b>");
    mime->setText(plain);
    QApplication::clipboard()->setMimeData(mime);
}

QStringList clipboardFormats() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    return mime ? mime->formats() : QStringList{};
}

class EditCommandsTest : public testing::Test {
protected:
    verlo::text::Document memo2Text, scratch;
    EditControl memo2{memo2Text};
    EditControl memo1{scratch};
    EditCommands commands{memo2, memo1, nullptr};
};

}  // namespace

TEST_F(EditCommandsTest, CopyLeavesPlainTextOnlyAndTheDocumentAsItWas) {
    memo2.setText("\x95\x5C\x8E\xA6\r\nabc");  // 表示 / abc
    memo2.setModified(false);
    memo2.setSelection(2, 7);
    putRichText("old");
    commands.copy();
    EXPECT_EQ(clipboardFormats(), QStringList{"text/plain"});
    EXPECT_EQ(QApplication::clipboard()->text(), fromCp932("\x8E\xA6\na"));
    EXPECT_EQ(memo2.selStart(), 2u);
    EXPECT_EQ(memo2.selLength(), 5u);
    EXPECT_EQ(memo2.anchorPos(), 2u);
    EXPECT_FALSE(memo2.modified());
    EXPECT_EQ(memo2.text(), "\x95\x5C\x8E\xA6\r\nabc");
}

TEST_F(EditCommandsTest, CopyGivesLfBreaksAndCharactersTheCodePageCannotHold) {
    // A text read from a UTF-8 file with LF breaks: ♡ and 𠮟 stand in user-defined-area codes.
    verlo::text::StandIns table;
    std::string text = "a";
    for (const char32_t* c : {U"♡", U"𠮟"}) {
        const unsigned code = table.codeFor(c);
        text += {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), '\n'};
    }
    text += "\r\rb";
    memo2Text.standIns() = std::move(table);
    memo2Text.setLineBreak("\n");
    memo2.setText(text);
    memo2.selectAll();
    commands.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("a♡\n𠮟\n\n\nb"));
    EXPECT_EQ(clipboardFormats(), QStringList{"text/plain"});
}

TEST_F(EditCommandsTest, CopyWithNothingSelectedTurnsTheClipboardsTextIntoPlainText) {
    memo2.setText("abc");
    memo2.setSelStart(1);
    putRichText(QString::fromUtf8("前の文"));
    commands.copy();
    EXPECT_EQ(clipboardFormats(), QStringList{"text/plain"});
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("前の文"));

    // A clipboard without text stays as it was.
    auto* mime = new QMimeData;
    mime->setData("application/x-picture", QByteArray("\x89PNG", 4));
    QApplication::clipboard()->setMimeData(mime);
    commands.copy();
    EXPECT_EQ(clipboardFormats(), QStringList{"application/x-picture"});
}

TEST_F(EditCommandsTest, CutPasteUndoAndSelectAllAreTheControls) {
    memo2.setText("one two");
    memo2.setSelection(3, 7);
    commands.cut();
    EXPECT_EQ(memo2.text(), "one");
    EXPECT_EQ(QApplication::clipboard()->text(), " two");
    memo2.setSelStart(0);
    commands.paste();
    EXPECT_EQ(memo2.text(), " twoone");
    commands.undo();
    EXPECT_EQ(memo2.text(), "one");
    commands.selectAll();
    EXPECT_EQ(memo2.selStart(), 0u);
    EXPECT_EQ(memo2.selLength(), 3u);
}

TEST_F(EditCommandsTest, CountBoxShowsTheCharactersOfTheSelection) {
    verlo::test::ScriptedAnswerer answers;
    memo2.setText("ab\r\ncd");
    EXPECT_EQ(commands.countChars(), 0u);  // nothing selected
    commands.selectAll();
    EXPECT_EQ(commands.countChars(), 4u);
    // 漢字, half-width ｶﾅ, a tab and a space, over two lines.
    memo2.setText("\x8A\xBF\x8E\x9A\r\n\xB6\xC5\t ");
    commands.selectAll();
    EXPECT_EQ(commands.countChars(), 6u);
    ASSERT_EQ(answers.asked.size(), 3u);
    for (const verlo::test::Asked& a : answers.asked) {
        EXPECT_EQ(a.kind, verlo::test::Asked::Inform);
        EXPECT_EQ(a.title, "Verlo");
    }
    EXPECT_EQ(answers.asked[0].message, QString::fromUtf8("選択文字列は0字です。"));
    EXPECT_EQ(answers.asked[1].message, QString::fromUtf8("選択文字列は4字です。"));
    EXPECT_EQ(answers.asked[2].message, QString::fromUtf8("選択文字列は6字です。"));
    EXPECT_EQ(verlo::commands::charCountMessage(1234567), QString::fromUtf8("選択文字列は1234567字です。"));
}

TEST(Paging, PagesTheViewWithoutMovingCaretOrSelection) {
    CommandWindow w;
    commands::WritingDirection direction(*w.memo2, w.settings, *w.n15, *w.n16);
    verlo::text::Document scratchText;
    EditControl scratch{scratchText};
    EditCommands pages(*w.memo2, scratch, nullptr);
    w.show();
    std::string text;
    for (int i = 0; i < 300; ++i) text += fullWidth(5) + "\r\n";
    w.memo2->setText(text);
    w.memo2->setSelection(12, 24);
    w.settle();

    for (bool vertical : {false, true}) {
        if (vertical) direction.toVertical();
        w.settle();
        QScrollBar* bar = vertical ? w.memo2->horizontalScrollBar() : w.memo2->verticalScrollBar();
        const int start = bar->value();

        pages.nextPage();
        w.settle();
        const int paged = bar->value();
        EXPECT_NE(paged, start) << vertical;
        pages.nextPage();
        w.settle();
        EXPECT_NE(bar->value(), paged) << vertical;
        pages.previousPage();
        w.settle();
        EXPECT_EQ(bar->value(), paged) << vertical;

        EXPECT_EQ(w.memo2->anchorPos(), 12u);
        EXPECT_EQ(w.memo2->caretPos(), 24u);
        EXPECT_EQ(w.memo2->text(), text);
    }
}
