// The standard boxes: the error box text, and the real Qt boxes driven by keys.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/answerer.h"
#include "platform/error.h"
#include "support/scripted_answerer.h"

using namespace verlo::platform;

TEST(ErrorBoxText, FullStopAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(errorBoxText("ファイル a.txt は開けません"), QStringLiteral("ファイル a.txt は開けません."));
    EXPECT_EQ(errorBoxText("abc"), "abc.");
    EXPECT_EQ(errorBoxText("abc/"), "abc/.");  // "/" sorts after "."
    EXPECT_EQ(errorBoxText("abc."), "abc.");
    EXPECT_EQ(errorBoxText("abc)"), "abc)");
    EXPECT_EQ(errorBoxText("abc-"), "abc-");
    EXPECT_EQ(errorBoxText("abc "), "abc ");
    EXPECT_EQ(errorBoxText(""), "");
}

TEST(Guarded, ShowsTheErrorAndReportsTheAbandonedCommand) {
    verlo::test::ScriptedAnswerer answers;
    bool ranOn = false;
    EXPECT_FALSE(guarded(nullptr, [&] {
        throw Error("ファイル x を作成できません");
        ranOn = true;
    }));
    EXPECT_FALSE(ranOn);
    EXPECT_EQ(answers.errors(), QStringList{"ファイル x を作成できません."});
    EXPECT_TRUE(guarded(nullptr, [] {}));
    EXPECT_EQ(answers.errors().size(), 1);
}

namespace {

// Runs `inspect` on the modal box once it is up, then presses `key` in it.
void whenBoxShows(std::function<void(QMessageBox*)> inspect, Qt::Key key) {
    QTimer::singleShot(0, [inspect, key] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(box);
        QTest::keyClick(box, key);
    });
}

QStringList buttonTexts(QMessageBox* box) {
    QStringList out;
    for (auto* b : box->buttons())
        out << b->text();
    return out;
}

}  // namespace

TEST(RealAnswerer, ErrorBox) {
    whenBoxShows([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "Verlo");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->text(), "ファイル x は開けません.");
        EXPECT_EQ(buttonTexts(box), QStringList{"OK"});
    }, Qt::Key_Return);
    showError(nullptr, "ファイル x は開けません");
}

// A short message ("だめです") still gives a box wide enough for its title in the frame
// beside the window manager's buttons: the frame would otherwise cut "Verlo" to "...".
TEST(RealAnswerer, AShortMessageLeavesRoomForTheTitle) {
    int width = 0;
    whenBoxShows([&width](QMessageBox* box) { width = box->width(); }, Qt::Key_Return);
    answerer().error(nullptr, "だめです");
    EXPECT_GE(width, 200);
    whenBoxShows([&width](QMessageBox* box) { width = box->width(); }, Qt::Key_Return);
    answerer().inform(nullptr, "Verlo", "選択文字列は0字です。");
    EXPECT_GE(width, 200);
}

TEST(RealAnswerer, ConfirmEnterIsYesEscapeIsNo) {
    auto check = [](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "確認");
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->text(), "ファイルに変更があります。保存しますか？");
        QStringList texts = buttonTexts(box);
        texts.sort();
        EXPECT_EQ(texts, (QStringList{"いいえ(&N)", "はい(&Y)"}));
    };
    whenBoxShows(check, Qt::Key_Return);
    EXPECT_TRUE(answerer().confirm(nullptr, "確認", "ファイルに変更があります。保存しますか？"));
    whenBoxShows(check, Qt::Key_Escape);
    EXPECT_FALSE(answerer().confirm(nullptr, "確認", "ファイルに変更があります。保存しますか？"));
}

TEST(RealAnswerer, InformHasNoIconAndOneOk) {
    whenBoxShows([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "Verlo");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(buttonTexts(box), QStringList{"OK"});
    }, Qt::Key_Escape);
    answerer().inform(nullptr, "Verlo", "12");
}

// The count box stands in the middle of the screen, not over the window that asked for it.
TEST(RealAnswerer, InformIsCentredOnTheScreen) {
    QWidget owner;
    owner.setGeometry(0, 0, 200, 120);
    owner.show();
    QPoint centre;
    whenBoxShows([&centre](QMessageBox* box) { centre = box->frameGeometry().center(); }, Qt::Key_Return);
    answerer().inform(&owner, "Verlo", "選択文字列は3字です。");
    const QPoint screenCentre = owner.screen()->availableGeometry().center();
    // Within a few pixels: the box may still settle its size as it shows.
    EXPECT_LE((centre - screenCentre).manhattanLength(), 16) << centre.x() << "," << centre.y();
    EXPECT_GT((centre - owner.frameGeometry().center()).manhattanLength(), 100);
}

TEST(RealAnswerer, AboutShowsNameAndLines) {
    whenBoxShows([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "バージョン情報");
        EXPECT_EQ(box->text(), "Verlo.exe ver 1.03");
        EXPECT_EQ(box->informativeText(), "line 1\r\nline 2");
    }, Qt::Key_Return);
    answerer().about(nullptr, "バージョン情報", "Verlo.exe ver 1.03", "line 1\r\nline 2");
}

namespace {

// Runs the open dialog, types `name` into its file-name box and presses Enter.
std::string openByTyping(const QString& folder, const QString& name) {
    QTimer::singleShot(0, [name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(name);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    FileDialogRequest request;
    request.filters = {"テキストファイル (*.txt)", "全てのファイル (*)"};
    request.defaultSuffix = "txt";
    request.proposedPath = folder + "/";
    return answerer().openFile(nullptr, request).value_or("<cancelled>").toStdString();
}

}  // namespace

// A text file without an extension is opened by its own name; only a name that no file has
// gets the default extension.
TEST(RealAnswerer, OpenDialogAddsTheDefaultExtensionOnlyToAMissingName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile memo(dir.filePath("memo"));
    ASSERT_TRUE(memo.open(QIODevice::WriteOnly));
    memo.close();
    EXPECT_EQ(openByTyping(dir.path(), dir.filePath("memo")), dir.filePath("memo").toStdString());
    EXPECT_EQ(openByTyping(dir.path(), dir.filePath("draft")), dir.filePath("draft.txt").toStdString());
    EXPECT_EQ(openByTyping(dir.path(), dir.filePath("notes.tex")), dir.filePath("notes.tex").toStdString());
}
