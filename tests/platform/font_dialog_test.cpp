// The font dialog with effects, driven by keys as a user would: Enter and Esc answer the
// whole dialog, and a font drawn through a substitution is offered as the face that draws it.
#include <QApplication>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

#include "platform/font_dialog.h"
#include "platform/startup.h"

using namespace verlo::platform;

namespace {

// Once the dialog is up: runs `act` on its font chooser. Should the dialog still be open
// afterwards, the test fails and the dialog is closed so that the run goes on.
void whenDialogShows(std::function<void(QFontDialog*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* chooser = dialog->findChild<QFontDialog*>();
        ASSERT_NE(chooser, nullptr);
        act(chooser);
        QTimer::singleShot(50, [dialog] {
            if (QApplication::activeModalWidget() == dialog) {
                ADD_FAILURE() << "the dialog stayed open";
                static_cast<QDialog*>(dialog)->reject();
            }
        });
    });
}

QListView* familyList(QFontDialog* chooser) {
    // The first of the chooser's lists is the list of families.
    const auto lists = chooser->findChildren<QListView*>();
    return lists.isEmpty() ? nullptr : lists.first();
}

FontChoice gothic14() {
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(14);
    return {font, QColor(Qt::black)};
}

}  // namespace

class FontDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { installFontSubstitutions(); }
};

TEST_F(FontDialogTest, EscapeInTheChooserCancelsTheDialog) {
    whenDialogShows([](QFontDialog* chooser) {
        QListView* list = familyList(chooser);
        ASSERT_NE(list, nullptr);
        QTest::keyClick(list, Qt::Key_Escape);
    });
    EXPECT_FALSE(runFontDialog(nullptr, gothic14()).has_value());
}

TEST_F(FontDialogTest, EnterInTheFamilyListConfirmsTheDialog) {
    whenDialogShows([](QFontDialog* chooser) {
        QListView* list = familyList(chooser);
        ASSERT_NE(list, nullptr);
        QTest::keyClick(list, Qt::Key_Return);
    });
    const auto chosen = runFontDialog(nullptr, gothic14());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->font.pointSize(), 14);
    EXPECT_EQ(chosen->color, QColor(Qt::black));
}

// A size typed into the size field and confirmed with Enter is the size chosen.
TEST_F(FontDialogTest, EnterInTheSizeFieldConfirmsTheTypedSize) {
    whenDialogShows([](QFontDialog* chooser) {
        QLineEdit* size = nullptr;
        for (QLineEdit* edit : chooser->findChildren<QLineEdit*>())
            if (edit->validator()) size = edit;  // the one that takes numbers only
        ASSERT_NE(size, nullptr);
        size->setFocus();
        size->selectAll();
        QTest::keyClicks(size, QStringLiteral("19"));
        QTest::keyClick(size, Qt::Key_Return);
    });
    const auto chosen = runFontDialog(nullptr, gothic14());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->font.pointSize(), 19);
}

// "ＭＳ ゴシック" is no installed family: the dialog offers the face that draws it, not the
// list's default face, and confirming it unchanged keeps the name the font had.
TEST_F(FontDialogTest, ASubstitutedFaceIsOfferedAsTheFaceThatDrawsIt) {
    const FontChoice initial = gothic14();
    const QString drawn = QFontInfo(initial.font).family();
    if (QFontDatabase::families().contains(initial.font.family()))
        GTEST_SKIP() << "this machine has a face of that very name";
    QString offered;
    whenDialogShows([&offered](QFontDialog* chooser) {
        offered = chooser->currentFont().family();
        QListView* list = familyList(chooser);
        ASSERT_NE(list, nullptr);
        QTest::keyClick(list, Qt::Key_Return);
    });
    const auto chosen = runFontDialog(nullptr, initial);
    EXPECT_EQ(offered.toStdString(), drawn.toStdString());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->font.family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(QFontInfo(chosen->font).family(), drawn);
}
