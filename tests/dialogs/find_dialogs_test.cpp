// The find and replace dialogs: captions, fixed options, the string rules (CP932, at most
// 255 bytes, no line breaks) enforced on typing and pasting, and the buttons' signals.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <utility>

#include "dialogs/find_dialogs.h"

using namespace verlo::dialogs;

namespace {

QStringList buttonTexts(const QWidget& w) {
    QStringList texts;
    for (const QPushButton* b : w.findChildren<QPushButton*>()) texts << b->text();
    return texts;
}

// Japanese arrives through the input method, committed as a whole.
void commit(QWidget* field, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(field, &event);
}

void pasteInto(FindTextField* field, const QString& text) {
    QApplication::clipboard()->setText(text);
    field->setFocus();
    field->paste();
}

}  // namespace

TEST(FindDialogs, CaptionsAndTheFixedOptions) {
    FindDialog find;
    EXPECT_EQ(find.windowTitle(), "検索");
    EXPECT_EQ(buttonTexts(find), (QStringList{"次を検索(&F)", "キャンセル"}));
    const auto findBoxes = find.findChildren<QCheckBox*>();
    EXPECT_EQ(findBoxes.size(), 2);
    for (const QCheckBox* box : findBoxes) {
        EXPECT_FALSE(box->isEnabled()) << box->text().toStdString();
        // Find matches case and never whole words, and the boxes say so.
        EXPECT_EQ(box->isChecked(), box->text().startsWith("大文字と小文字")) << box->text().toStdString();
    }
    const auto radios = find.findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 2);
    for (const QRadioButton* r : radios) {
        EXPECT_FALSE(r->isEnabled());
        EXPECT_EQ(r->isChecked(), r->text() == "下へ(&D)");
    }

    ReplaceDialog replace;
    EXPECT_EQ(replace.windowTitle(), "置換");
    EXPECT_EQ(buttonTexts(replace), (QStringList{"次を検索(&F)", "置換して次に(&R)", "すべて置換(&A)", "キャンセル"}));
    const auto boxes = replace.findChildren<QCheckBox*>();
    EXPECT_EQ(boxes.size(), 2);
    for (const QCheckBox* box : boxes) {
        EXPECT_FALSE(box->isEnabled());
        EXPECT_FALSE(box->isChecked());  // replace ignores case
    }
    QStringList labels;
    for (const QLabel* l : replace.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("検索する文字列(&N):"));
    EXPECT_TRUE(labels.contains("置換後の文字列(&P):"));
    EXPECT_FALSE(find.isModal());
    EXPECT_FALSE(replace.isModal());
}

TEST(FindDialogs, StringsAreCp932BytesAndStayBetweenShowings) {
    FindDialog find;
    find.present();
    ASSERT_TRUE(find.isVisible());
    EXPECT_FALSE(find.findNextButton()->isEnabled());
    commit(find.findField(), QString::fromUtf8("表"));
    QTest::keyClicks(find.findField(), "a");
    EXPECT_EQ(find.findBytes(), "\x95\x5C" "a");
    EXPECT_TRUE(find.findNextButton()->isEnabled());
    // U+301C, as Linux input methods type the wave dash, is CP932's 81 60.
    pasteInto(find.findField(), QString::fromUtf8("\u301C"));
    EXPECT_EQ(find.findBytes(), "\x95\x5C" "a\x81\x60");
    find.reject();
    EXPECT_FALSE(find.isVisible());
    find.present();
    EXPECT_EQ(find.findBytes(), "\x95\x5C" "a\x81\x60");
    EXPECT_TRUE(find.findField()->hasSelectedText());  // ready to be typed over
}

TEST(FindDialogs, EditsBreakingTheRulesAreRefusedWithAReason) {
    ReplaceDialog dialog;
    dialog.present();
    FindTextField* field = dialog.replaceField();
    QSignalSpy refused(field, &FindTextField::refused);

    QTest::keyClicks(field, "ab");
    pasteInto(field, QString::fromUtf8("x\U0001F600y\u00E9"));  // an emoji and é: not in CP932
    EXPECT_EQ(field->text(), "ab");
    ASSERT_EQ(refused.count(), 1);
    const QString reason = refused.at(0).at(0).toString();
    EXPECT_TRUE(reason.contains(QString::fromUtf8("\U0001F600\u00E9"))) << reason.toStdString();
    EXPECT_TRUE(dialog.messageLabel()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.messageLabel()->text(), reason);

    pasteInto(field, "one\r\ntwo");
    EXPECT_EQ(field->text(), "ab");
    EXPECT_EQ(refused.count(), 2);

    // The next accepted edit clears the reason.
    QTest::keyClicks(field, "c");
    EXPECT_EQ(field->text(), "abc");
    EXPECT_FALSE(dialog.messageLabel()->isVisibleTo(&dialog));
}

TEST(FindDialogs, AtMost255BytesCountedInCp932) {
    FindDialog dialog;
    dialog.present();
    FindTextField* field = dialog.findField();
    QSignalSpy refused(field, &FindTextField::refused);
    const QString a = QString::fromUtf8("\u3042");  // あ: two bytes
    pasteInto(field, a.repeated(128));             // 256 bytes
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(refused.count(), 1);
    pasteInto(field, a.repeated(127) + "z");       // 255 bytes
    EXPECT_EQ(field->bytes().size(), 255u);
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, "y");
    EXPECT_EQ(field->bytes().size(), 255u);
    EXPECT_EQ(refused.count(), 2);
    // Replacing a double-byte character by a one-byte one fits.
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, "x");
    EXPECT_EQ(field->bytes().size(), 254u);
}

TEST(FindDialogs, ButtonsRaiseTheirSignals) {
    ReplaceDialog dialog;
    QSignalSpy findNext(&dialog, &ReplaceDialog::findNext);
    QSignalSpy replace(&dialog, &ReplaceDialog::replace);
    QSignalSpy replaceAll(&dialog, &ReplaceDialog::replaceAll);
    dialog.present();
    QTest::mouseClick(dialog.replaceAllButton(), Qt::LeftButton);  // disabled while the string is empty
    EXPECT_EQ(replaceAll.count(), 0);
    QTest::keyClicks(dialog.findField(), "a");
    QTest::mouseClick(dialog.replaceAllButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.replaceButton(), Qt::LeftButton);
    QTest::keyClick(dialog.findField(), Qt::Key_Return);  // the default button is find-next
    EXPECT_EQ(replaceAll.count(), 1);
    EXPECT_EQ(replace.count(), 1);
    EXPECT_EQ(findNext.count(), 1);
    EXPECT_TRUE(dialog.isVisible());
    // A mnemonic runs its command before the key's handling returns, not a moment later.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    for (auto [key, spy] : {std::pair{Qt::Key_A, &replaceAll}, {Qt::Key_R, &replace}, {Qt::Key_F, &findNext}}) {
        QTest::keyClick(dialog.findField(), key, Qt::AltModifier);
        EXPECT_EQ(spy->count(), 2) << key;
    }

    FindDialog find;
    QSignalSpy found(&find, &FindDialog::findNext);
    find.present();
    QTest::keyClicks(find.findField(), "a");
    QTest::keyClick(find.findField(), Qt::Key_Return);
    EXPECT_EQ(found.count(), 1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&find));
    QTest::keyClick(find.findField(), Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(found.count(), 2);
    QTest::keyClick(find.findField(), Qt::Key_Escape);
    EXPECT_FALSE(find.isVisible());
}
