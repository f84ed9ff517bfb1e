// Files in their own encodings and line breaks through the real window: opened, edited the
// way a writer edits (input method, paste, copy, undo), saved, and checked byte for byte or
// through glibc's iconv; the file menu's encoding and line-break choices; the refusals.
#include <QApplication>
#include <QComboBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QMimeData>

#include "app/format_menus.h"
#include "app/writing_status.h"
#include "dialogs/new_document_page.h"
#include "dialogs/settings_dialog.h"
#include "app_fixture.h"
#include "dialogs/key_dialog.h"
#include "support/test_text.h"

using namespace verlo;
using verlo::app::TForm1;
using verlo::app::testing::AppTest;
using files::Encoding;
using files::LineBreak;

namespace {

using verlo::test::iconvert;

void commit(TForm1& form, const QString& text) {
    QInputMethodEvent e(QString(), {});
    e.setCommitString(text);
    QCoreApplication::sendEvent(form.memo2, &e);
}

QString shown(TForm1& form) {
    form.memo2->selectAll();
    form.memo2->copy();
    form.memo2->setSelStart(form.memo2->textLength());
    return QApplication::clipboard()->text();
}

// The modern characters of a UTF-8 novel, and a variation-selector sequence.
const QString kModern = QStringLiteral("♡剝𠮟😀葛\U000E0100");

}  // namespace

class FileFormatTest : public AppTest {
protected:
    std::unique_ptr<TForm1> open(const QString& name, const std::string& bytes) {
        putFile(path(name), QByteArray::fromStdString(bytes));
        auto form = start(path(name));
        return form;
    }
    std::string saved(TForm1& form) {
        form.Save1->trigger();
        return verlo::test::readBytes(path(QFileInfo(form.currentFileName()).fileName()).toStdString());
    }
};

TEST_F(FileFormatTest, EachEncodingOpensShowsAndSavesUnchanged) {
    struct Case {
        const char* iconvName;
        std::string bom;
        Encoding encoding;
        const char* text;  // UTF-8
        LineBreak lineBreak;
    };
    const Case cases[] = {
        {"UTF-8", "", Encoding::Utf8, "吾輩は猫である。♡\n名前は𠮟まだ無い。😀\n", LineBreak::Lf},
        {"UTF-8", "\xEF\xBB\xBF", Encoding::Utf8Bom, "剝がす\r\n頰\r\n", LineBreak::CrLf},
        {"UTF-16LE", "\xFF\xFE", Encoding::Utf16Le, "吾輩は猫である。\r名前はまだ無い。\r", LineBreak::Cr},
        {"UTF-16BE", "\xFE\xFF", Encoding::Utf16Be, "塡\n", LineBreak::Lf},
        {"EUC-JP", "", Encoding::EucJp, "吾輩は猫である。名前はまだ無い。\nどこで生れたかとんと見当がつかぬ。\n", LineBreak::Lf},
        {"CP932", "", Encoding::ShiftJis, "吾輩は猫である。\r\n", LineBreak::CrLf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iconvName);
        const std::string file = c.bom + iconvert("UTF-8", c.iconvName, c.text);
        auto form = open("f.txt", file);
        EXPECT_EQ(form->textFormat().encoding, c.encoding);
        EXPECT_EQ(form->textFormat().lineBreak, c.lineBreak);
        EXPECT_TRUE(form->formatMenus()->encodingAction(c.encoding)->isChecked());
        EXPECT_TRUE(form->formatMenus()->lineBreakAction(c.lineBreak)->isChecked());
        // The clipboard carries LF, whatever breaks the file has.
        const QString text = QString::fromUtf8(c.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        EXPECT_EQ(shown(*form), QString(text).replace(u'\r', u'\n'));
        EXPECT_EQ(saved(*form), file);

        // One character typed at the start, read back by iconv.
        form->memo2->setSelStart(0);
        commit(*form, QStringLiteral("あ"));
        EXPECT_EQ(iconvert(c.iconvName, "UTF-8", saved(*form).substr(c.bom.size())), std::string("あ") + c.text);
    }
}

TEST_F(FileFormatTest, ModernCharactersAreTypedPastedCopiedUndoneAndSaved) {
    auto form = open("u.txt", "本文\n");
    ASSERT_EQ(form->textFormat().encoding, Encoding::Utf8);
    form->memo2->setSelStart(form->memo2->textLength());
    commit(*form, kModern);  // one input-method commit
    QApplication::clipboard()->setText(QStringLiteral("👨‍👩‍👧頰\r\n"));
    form->memo2->paste();
    EXPECT_EQ(shown(*form), QStringLiteral("本文\n") + kModern + QStringLiteral("👨‍👩‍👧頰\n"));
    // The variation-selector sequence and the family are one character each for the caret.
    form->memo2->setSelStart(form->memo2->textLength() - 1);  // before the LF pasted as LF
    QTest::keyClick(form->memo2, Qt::Key_Backspace);          // 頰
    QTest::keyClick(form->memo2, Qt::Key_Backspace);          // the family
    QTest::keyClick(form->memo2, Qt::Key_Backspace);          // 葛 with its selector
    EXPECT_EQ(shown(*form), QStringLiteral("本文\n♡剝𠮟😀\n"));
    for (int i = 0; i < 4; ++i) form->memo2->undo();
    EXPECT_EQ(shown(*form), QStringLiteral("本文\n") + kModern);
    EXPECT_EQ(iconvert("UTF-8", "UTF-8", saved(*form)), "本文\n" + kModern.toStdString());
    // The count sees one character per stand-in.
    EXPECT_EQ(form->memo2->textLength(), std::string("\x96\x7B\x95\xB6\n").size() + 2 * 5);
}

TEST_F(FileFormatTest, RefusalsSayWhichCharactersStandInTheWayAndChangeNothing) {
    auto sjis = open("s.txt", verlo::test::sjis(u"本文"));
    commit(*sjis, QStringLiteral("♡"));
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("Shift-JIS で表せない文字のため入力しませんでした。"
                                                           "文字コードを UTF-8 にすると入力できます (♡)")});
    sjis.reset();
    answers.clearAsked();

    // EUC-JP holds neither ♡ nor 髙 (which Shift-JIS holds) in a form every decoder reads alike.
    auto euc = open("e.txt", iconvert("UTF-8", "EUC-JP", "吾輩は猫である。名前はまだ無い。\n"));
    ASSERT_EQ(euc->textFormat().encoding, Encoding::EucJp);
    commit(*euc, QStringLiteral("♡髙"));
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("EUC-JP で表せない文字のため入力しませんでした。"
                                                           "文字コードを UTF-8 にすると入力できます (♡髙)")});
    EXPECT_EQ(shown(*euc), QStringLiteral("吾輩は猫である。名前はまだ無い。\n"));
    euc.reset();
    answers.clearAsked();

    auto form = open("u.txt", "本文♡😀\n");
    const std::string before = form->memo2->text();
    form->formatMenus()->encodingAction(Encoding::ShiftJis)->trigger();
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("Shift-JIS で表せない文字があるため変更できません (♡😀)")});
    EXPECT_EQ(form->textFormat().encoding, Encoding::Utf8);
    EXPECT_TRUE(form->formatMenus()->encodingAction(Encoding::Utf8)->isChecked());
    answers.clearAsked();

    form->N22->trigger();
    auto* keyDialog = form->findChild<dialogs::TForm3*>();
    ASSERT_NE(keyDialog, nullptr);
    keyDialog->Edit1->setText(QStringLiteral("key"));
    keyDialog->Button1->click();
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("Shift-JIS で表せない文字があるため暗号化できません (♡😀)")});
    EXPECT_EQ(form->memo2->text(), before);
}

TEST_F(FileFormatTest, EncodingChoiceAppliesToTheNextSaveAndIsAskedAboutOnClose) {
    auto form = open("u.txt", "本文♡\r\n");
    form->StatusBar1->trigger();
    form->formatMenus()->encodingAction(Encoding::Utf16Le)->trigger();
    EXPECT_EQ(form->writingStatus().encodingText(), QStringLiteral("UTF-16LE　CR LF"));
    EXPECT_TRUE(form->documentModified());
    EXPECT_EQ(saved(*form), "\xFF\xFE" + iconvert("UTF-8", "UTF-16LE", "本文♡\r\n"));
    EXPECT_FALSE(form->documentModified());
    form->formatMenus()->encodingAction(Encoding::EucJp)->trigger();
    EXPECT_EQ(answers.errors().size(), 1) << "EUC-JP has no ♡";
}

TEST_F(FileFormatTest, LineBreakChoiceConvertsAsOneUndoableStepAndEnterFollowsIt) {
    auto form = open("l.txt", "a\nb\r\nc\rd");
    EXPECT_EQ(form->textFormat().lineBreak, LineBreak::CrLf);  // a tie with CR LF goes to CR LF
    form->formatMenus()->lineBreakAction(LineBreak::Lf)->trigger();
    EXPECT_EQ(form->memo2->text(), "a\nb\nc\nd");
    QTest::keyClick(form->memo2, Qt::Key_Return);
    EXPECT_EQ(form->memo2->text().substr(form->memo2->caretPos() - 1, 1), "\n");
    form->memo2->undo();
    form->memo2->undo();
    EXPECT_EQ(form->memo2->text(), "a\nb\r\nc\rd");
    EXPECT_EQ(saved(*form), "a\nb\r\nc\rd");

    // The view stays where it was, the caret in it.
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "line " + std::to_string(i) + "\r\n";
    form->memo2->setText(lines);
    form->memo2->setSelStart(lines.find("line 150"));
    form->memo2->setTopPosition(lines.find("line 140"));
    form->formatMenus()->lineBreakAction(LineBreak::Cr)->trigger();
    const std::string converted = form->memo2->text();
    EXPECT_EQ(form->memo2->topPosition(), converted.find("line 140"));
    EXPECT_EQ(form->memo2->caretPos(), converted.find("line 150"));
}

TEST_F(FileFormatTest, ReopenWithAnEncodingAsksFirstAndReadsTheFileAgain) {
    const std::string eucJp = iconvert("UTF-8", "EUC-JP", "短い");
    auto form = open("e.txt", eucJp);
    form->memo2->replaceSelection("x", true);
    answers.confirms.push_back(false);  // not saved
    form->formatMenus()->reopenAction(Encoding::ShiftJis)->trigger();
    EXPECT_EQ(answers.count(verlo::test::Asked::Confirm), 1);
    EXPECT_EQ(form->textFormat().encoding, Encoding::ShiftJis);
    EXPECT_EQ(form->memo2->text(), eucJp);
    EXPECT_FALSE(form->documentModified());
}

TEST_F(FileFormatTest, TooManyDistinctCharactersOpenReadOnlyAndSaveAsCopiesTheFile) {
    std::string many;
    for (char32_t c = 0x20000; c <= 0x20000 + text::kUserAreaCodes; ++c)
        many += iconvert("UTF-32LE", "UTF-8", std::string_view(reinterpret_cast<const char*>(&c), 4));
    // Read at once; and read in pieces, the characters coming after the part shown first: the
    // typing takes the rest in first, which makes the text read-only before the key acts.
    std::string big;
    while (big.size() < 3000000) big += "吾輩は猫である。\n";
    for (const std::string& file : {many, big + many}) {
        SCOPED_TRACE(file.size());
        answers.clearAsked();
        auto form = open("many.txt", file);
        EXPECT_EQ(form->session().loading(), file.size() > many.size());
        commit(*form, QStringLiteral("あ"));
        QCoreApplication::processEvents();
        ASSERT_EQ(answers.errors().size(), 1);
        EXPECT_TRUE(answers.errors()[0].contains(QStringLiteral("読み取り専用")));
        EXPECT_FALSE(form->Save1->isEnabled());
        EXPECT_FALSE(form->documentModified());
        EXPECT_EQ(form->memo2->text().substr(0, 4), file.size() > many.size() ? "\x8C\xE1\x94y" : "\xF0\x40\xF0\x41");
        answers.saveFiles.push_back(path("copy.txt"));
        form->SaveAs1->trigger();
        EXPECT_TRUE(verlo::test::readBytes(path("copy.txt").toStdString()) == file);
    }
}

TEST_F(FileFormatTest, NewDocumentsTakeTheOptionsAndSaveAsKeepsTheChoice) {
    writeIni("[File]\nEncoding=UTF-8\nLineBreak=LF\n");
    auto form = start();
    EXPECT_EQ(form->textFormat(), (files::TextFormat{Encoding::Utf8, LineBreak::Lf, true}));
    commit(*form, QStringLiteral("♡"));
    QTest::keyClick(form->memo2, Qt::Key_Return);
    answers.saveFiles.push_back(path("new.txt"));
    form->SaveAs1->trigger();
    EXPECT_EQ(verlo::test::readBytes(path("new.txt").toStdString()), "♡\n");

    // A choice made for this document goes with it to another name.
    form->formatMenus()->encodingAction(Encoding::Utf16Be)->trigger();
    answers.saveFiles.push_back(path("other.txt"));
    form->SaveAs1->trigger();
    EXPECT_EQ(verlo::test::readBytes(path("other.txt").toStdString()), "\xFE\xFF" + iconvert("UTF-8", "UTF-16BE", "♡\n"));

    // Changed in the options: the next new document takes it.
    dialogs::NewDocumentPage* page = form->settingsDialog()->TabSheet5;
    page->encodingBox->setCurrentIndex(page->encodingBox->findText(QStringLiteral("EUC-JP")));
    page->lineBreakBox->setCurrentIndex(page->lineBreakBox->findText(QStringLiteral("CR")));
    form->settingsDialog()->Button1Click();
    form->New1->trigger();
    EXPECT_EQ(form->textFormat(), (files::TextFormat{Encoding::EucJp, LineBreak::Cr, true}));
    EXPECT_TRUE(form->formatMenus()->encodingAction(Encoding::EucJp)->isChecked());
}
