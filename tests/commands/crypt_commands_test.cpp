// The encrypt and decrypt commands on a real edit control, through the key dialog's button:
// what lands in the document, what stays as it was, and whether the dialog stays open.
// Boxes are answered by the scripted answerer.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <string>

#include "cipher/text_cipher.h"
#include "commands/crypt_commands.h"
#include "dialogs/key_dialog.h"
#include "edit/edit_control.h"
#include "support/scripted_answerer.h"

using namespace verlo::cipher;
using verlo::commands::CryptCommands;
using verlo::dialogs::TForm3;
using verlo::edit::EditControl;

namespace {

const QString kJapaneseKey = QStringLiteral("秘密の鍵ですよ");
const std::string kJapaneseKeyBytes = "\x94\xE9\x96\xA7\x82\xCC\x8C\xAE\x82\xC5\x82\xB7\x82\xE6";
// 吾輩は猫である。 CR LF 名前はまだ無い。
const std::string kText = "\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\x81\x42\r\n"
                          "\x96\xBC\x91\x4F\x82\xCD\x82\xDC\x82\xBE\x96\xB3\x82\xA2\x81\x42";

class CryptCommandsTest : public testing::Test {
protected:
    void press() { QTest::mouseClick(form3->Button1, Qt::LeftButton); }

    // Opens the dialog by a command, types a key (replacing the box's text) and presses.
    void run(bool encrypt, const QString& key) {
        if (encrypt) commands.encrypt();
        else commands.decrypt();
        form3->Edit1->setText(key);
        press();
    }

    verlo::test::ScriptedAnswerer answers;
    verlo::text::Document viewed;
    QWidget mainWindow;
    EditControl memo2{viewed, &mainWindow};
    CryptCommands commands{memo2, &mainWindow};
    TForm3* form3 = commands.form3();
};

}  // namespace

TEST_F(CryptCommandsTest, EncryptingASelectionReplacesOnlyItWithOneLine) {
    const std::string before = "before\r\n", after = "\r\nafter";
    memo2.setText(before + kText + after);
    commands.encrypt();
    form3->Edit1->setText(kJapaneseKey);
    // The selection counts when the button is pressed, not when the dialog was opened.
    memo2.setSelection(before.size(), before.size() + kText.size());
    press();

    const std::string encrypted = EncryptText(kText, kJapaneseKeyBytes);
    EXPECT_EQ(memo2.text(), before + encrypted + after);
    EXPECT_EQ(encrypted.find_first_of("\r\n"), std::string::npos);
    EXPECT_FALSE(form3->isVisible());
    EXPECT_TRUE(answers.asked.empty());
    // Not undoable.
    memo2.undo();
    EXPECT_EQ(memo2.text(), before + encrypted + after);

    // Decrypting the selected encrypted text with the key still in the box brings it back.
    memo2.setSelection(before.size(), before.size() + encrypted.size());
    commands.decrypt();
    press();
    EXPECT_EQ(memo2.text(), before + kText + after);
    EXPECT_FALSE(form3->isVisible());
}

TEST_F(CryptCommandsTest, WholeTextRoundTripAndTheEmptyDocument) {
    memo2.setText(kText);
    memo2.setSelStart(3);  // a bare caret: the whole text
    run(true, QString());  // the empty key is a key
    EXPECT_EQ(memo2.text(), EncryptText(kText, ""));
    run(false, QString());
    EXPECT_EQ(memo2.text(), kText);

    memo2.setText("");
    for (bool encrypt : {true, false}) {
        QSignalSpy changed(&memo2, &EditControl::changed);
        run(encrypt, QStringLiteral("k"));
        EXPECT_EQ(memo2.text(), "");
        EXPECT_EQ(changed.count(), 0);  // the same text: nothing is sent to the control
        EXPECT_FALSE(form3->isVisible());
    }
    EXPECT_TRUE(answers.asked.empty());
}

TEST_F(CryptCommandsTest, FailedDecryptionLeavesTheDocumentAndKeepsTheDialogOpen) {
    const std::string encrypted = EncryptText(kText, "right");
    const std::string document = "x" + encrypted + "y";
    struct Case {
        const char* name;
        std::size_t from, length;
        QString key;
    };
    for (const Case& c : {Case{"wrong key", 1, encrypted.size(), QStringLiteral("Right")},
                          Case{"key with a trailing blank", 1, encrypted.size(), QStringLiteral("right ")},
                          Case{"part of the text", 1, 20, QStringLiteral("right")},
                          Case{"a fragment of three", 1, 3, QStringLiteral("right")},
                          Case{"not an encrypted text", 0, encrypted.size() + 2, QStringLiteral("right")}}) {
        memo2.setText(document);
        memo2.setSelection(c.from, c.from + c.length);
        answers.clearAsked();
        run(false, c.key);
        EXPECT_EQ(memo2.text(), document) << c.name;
        EXPECT_EQ(memo2.selStart(), c.from) << c.name;
        EXPECT_EQ(memo2.selLength(), c.length) << c.name;
        ASSERT_EQ(answers.asked.size(), 1u) << c.name;
        EXPECT_EQ(answers.asked[0].kind, verlo::test::Asked::Error) << c.name;
        EXPECT_EQ(answers.asked[0].message, QStringLiteral("だめです")) << c.name;
        EXPECT_TRUE(form3->isVisible()) << c.name;
    }
    // The key corrected in the open dialog.
    memo2.setSelection(1, 1 + encrypted.size());
    form3->Edit1->setText(QStringLiteral("right"));
    press();
    EXPECT_EQ(memo2.text(), "x" + kText + "y");
    EXPECT_FALSE(form3->isVisible());
}

TEST_F(CryptCommandsTest, AFailureIsDecidedByTheCheckNotByTheText) {
    const std::string failureText(kDecryptFailure);
    memo2.setText(EncryptText(failureText, "k"));
    run(false, QStringLiteral("k"));
    EXPECT_EQ(memo2.text(), failureText);
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_FALSE(form3->isVisible());
}

TEST_F(CryptCommandsTest, KeyTheCodePageCannotHoldIsRefused) {
    memo2.setText(kText);
    memo2.setSelection(0, 4);
    run(true, QStringLiteral("鍵한😀"));
    EXPECT_EQ(memo2.text(), kText);
    EXPECT_EQ(memo2.selLength(), 4u);
    EXPECT_TRUE(form3->isVisible());
    ASSERT_EQ(answers.errors().size(), 1);
    EXPECT_TRUE(answers.errors()[0].contains(QStringLiteral("한😀"))) << answers.errors()[0].toStdString();

    // A character the input method types for the code page's own (〜 U+301C for 81 60)
    // is the same key as the one the code page decodes to (～ U+FF5E).
    run(true, QStringLiteral("〜"));
    const std::string encrypted = memo2.text();
    EXPECT_EQ(encrypted.substr(0, EncryptText(kText.substr(0, 4), "\x81\x60").size()),
              EncryptText(kText.substr(0, 4), "\x81\x60"));
}

TEST_F(CryptCommandsTest, AReadOnlyDocumentStaysAsItIs) {
    memo2.setText(kText);
    memo2.setReadOnly(true);
    run(true, QStringLiteral("k"));
    EXPECT_EQ(memo2.text(), kText);
    EXPECT_FALSE(form3->isVisible());
    EXPECT_TRUE(answers.asked.empty());
}
