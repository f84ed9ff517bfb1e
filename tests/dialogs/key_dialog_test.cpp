// The key dialog alone: its layout, its two modes, and what pressing its button hands on and
// makes of the answer. What the key does to the document is tested with the commands.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <utility>
#include <vector>

#include "dialogs/key_dialog.h"

using namespace verlo::dialogs;

namespace {

const QString kEncrypt = QStringLiteral("暗号化");
const QString kDecrypt = QStringLiteral("復号化");

class KeyDialogTest : public testing::Test {
protected:
    void SetUp() override {
        form3->setKeyHandler([this](const QString& key, TForm3::Mode mode) {
            handed.emplace_back(key, mode);
            return answer;
        });
    }

    void press() { QTest::mouseClick(form3->Button1, Qt::LeftButton); }

    QWidget mainWindow;
    TForm3* form3 = new TForm3(&mainWindow);
    std::vector<std::pair<QString, TForm3::Mode>> handed;
    TForm3::Outcome answer = TForm3::Outcome::Done;
};

}  // namespace

TEST_F(KeyDialogTest, LayoutAndStart) {
    EXPECT_FALSE(form3->isVisible());
    EXPECT_FALSE(form3->isModal());
    EXPECT_EQ(form3->windowTitle(), QStringLiteral("鍵入力ダイアログ"));
    EXPECT_EQ(form3->size(), QSize(257, 68));
    EXPECT_EQ(form3->Edit1->geometry(), QRect(8, 8, 241, 20));
    EXPECT_EQ(form3->Button1->geometry(), QRect(80, 40, 97, 25));
    EXPECT_EQ(form3->Edit1->text(), QString());
    EXPECT_EQ(form3->Edit1->echoMode(), QLineEdit::Normal);
    EXPECT_GE(form3->Edit1->maxLength(), 1 << 30);
    EXPECT_EQ(form3->Button1->text(), QString());
    EXPECT_FALSE(form3->Button1->isDefault());
    EXPECT_FALSE(form3->Button1->autoDefault());
    EXPECT_EQ(form3->Edit1->nextInFocusChain(), form3->Button1);
    const Qt::WindowFlags flags = form3->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_EQ(form3->parentWidget(), &mainWindow);  // released with the main window
}

TEST_F(KeyDialogTest, CommandsSetTheModeAndKeepTheKey) {
    form3->open(TForm3::Mode::Encrypt);
    EXPECT_TRUE(form3->isVisible());
    EXPECT_EQ(form3->Button1->text(), kEncrypt);
    form3->Edit1->setText(QStringLiteral("key"));
    // Shift+F1, then Shift+F2 before pressing: decrypt mode, the key untouched.
    form3->open(TForm3::Mode::Decrypt);
    EXPECT_TRUE(form3->isVisible());
    EXPECT_EQ(form3->Button1->text(), kDecrypt);
    EXPECT_EQ(form3->Edit1->text(), QStringLiteral("key"));
}

TEST_F(KeyDialogTest, TheButtonHandsOnTheKeyAndTheCaptionsModeAndHidesOnlyWhenDone) {
    form3->open(TForm3::Mode::Encrypt);
    form3->Edit1->setText(QStringLiteral("秘密 "));
    answer = TForm3::Outcome::StayOpen;
    press();
    EXPECT_TRUE(form3->isVisible());
    answer = TForm3::Outcome::Done;
    press();
    EXPECT_FALSE(form3->isVisible());
    EXPECT_EQ(form3->Edit1->text(), QStringLiteral("秘密 "));  // kept for the next use

    form3->open(TForm3::Mode::Decrypt);
    press();
    form3->open(TForm3::Mode::Encrypt);
    form3->Button1->setText(QStringLiteral("something else"));  // anything but 暗号化 decrypts
    press();
    const std::vector<std::pair<QString, TForm3::Mode>> expected = {
        {QStringLiteral("秘密 "), TForm3::Mode::Encrypt},
        {QStringLiteral("秘密 "), TForm3::Mode::Encrypt},
        {QStringLiteral("秘密 "), TForm3::Mode::Decrypt},
        {QStringLiteral("秘密 "), TForm3::Mode::Decrypt}};
    EXPECT_EQ(handed, expected);
}

TEST_F(KeyDialogTest, EnterDoesNothingAndEscapeHides) {
    form3->open(TForm3::Mode::Decrypt);
    form3->Edit1->setText(QStringLiteral("k"));
    QTest::keyClick(form3->Edit1, Qt::Key_Return);
    EXPECT_TRUE(handed.empty());
    EXPECT_TRUE(form3->isVisible());
    QTest::keyClick(form3->Edit1, Qt::Key_Escape);
    EXPECT_TRUE(handed.empty());
    EXPECT_FALSE(form3->isVisible());
    EXPECT_EQ(form3->Edit1->text(), QStringLiteral("k"));
}
