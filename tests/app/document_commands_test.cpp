// New, Open, Save, Save As, dropped files, the save prompt and the close, on real files in
// a temporary folder, with the scripted answerer for the prompt and the file dialogs.
#include <QMimeData>
#include <QUrl>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "app/writing_status.h"
#include "app_fixture.h"
#include "support/test_text.h"

using namespace verlo;
using verlo::app::TForm1;
using verlo::app::testing::AppTest;
using verlo::test::Asked;

namespace {

const QString kPrompt = QStringLiteral("ファイルに変更があります。保存しますか？");

// Types text into the document the way the user does, so that it is modified.
void type(TForm1& form, const std::string& bytes) {
    form.memo2->setSelStart(form.memo2->textLength());
    form.memo2->replaceSelection(bytes, true);
    form.memo2->setModified(true);
}

void drop(TForm1& form, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted()) << "the window takes files";
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &event);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

}  // namespace

class DocumentTest : public AppTest {
protected:
    // A document bound to a.txt ("first"), then modified.
    std::unique_ptr<TForm1> modifiedBound() {
        putFile(path("a.txt"), "first");
        auto form = start(path("a.txt"));
        type(*form, "+more");
        return form;
    }
};

TEST_F(DocumentTest, NewAsksOnlyForAModifiedDocument) {
    auto form = start();
    form->New1->trigger();
    EXPECT_TRUE(answers.asked.empty());

    type(*form, "draft");
    answers.confirms.push_back(false);
    form->New1->trigger();
    ASSERT_EQ(answers.count(Asked::Confirm), 1);
    EXPECT_EQ(answers.asked[0].title, "確認");
    EXPECT_EQ(answers.asked[0].message, kPrompt);
    EXPECT_EQ(form->memo2->text(), "");
    EXPECT_FALSE(form->memo2->modified());
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 1, 1));
}

TEST_F(DocumentTest, NewUnbindsAndForgetsTheUndoHistory) {
    putFile(path("a.txt"), "text");
    auto form = start(path("a.txt"));
    form->New1->trigger();
    EXPECT_EQ(form->currentFileName(), "");
    EXPECT_EQ(form->captionBase, "Verlo");
    EXPECT_FALSE(form->Save1->isEnabled());
    EXPECT_FALSE(form->memo2->document().canUndo());
    EXPECT_EQ(fileBytes(path("a.txt")), "text");
}

TEST_F(DocumentTest, OpenCancelledLeavesTheDocumentButTheSaveStands) {
    auto form = modifiedBound();
    answers.confirms.push_back(true);
    answers.openFiles.push_back(std::nullopt);
    form->Open1->trigger();
    EXPECT_EQ(fileBytes(path("a.txt")), "first+more");
    EXPECT_EQ(form->memo2->text(), "first+more");
    EXPECT_EQ(form->currentFileName(), path("a.txt"));
    EXPECT_FALSE(form->memo2->modified());
}

TEST_F(DocumentTest, OpenDialogAsksForTextTeXOrAllFiles) {
    auto form = start();
    answers.openFiles.push_back(std::nullopt);
    form->Open1->trigger();
    ASSERT_EQ(answers.count(Asked::OpenFile), 1);
    const auto& r = answers.asked[0].request;
    EXPECT_EQ(r.filters, (QStringList{"テキストファイル (*.txt)", "TeXファイル (*.tex)", "全てのファイル (*)"}));
    EXPECT_EQ(r.selectedFilter, 0);
    EXPECT_EQ(r.defaultSuffix, "txt");
}

TEST_F(DocumentTest, OpenAfterYesSavesTheFirstFileAndShowsTheSecond) {
    auto form = modifiedBound();
    putFile(path("b.txt"), "second");
    answers.confirms.push_back(true);
    answers.openFiles.push_back(path("b.txt"));
    form->Open1->trigger();
    EXPECT_EQ(fileBytes(path("a.txt")), "first+more");
    EXPECT_EQ(form->memo2->text(), "second");
    EXPECT_EQ(form->currentFileName(), path("b.txt"));
    EXPECT_EQ(form->captionBase, "Verlo - b.txt");
    EXPECT_FALSE(form->memo2->modified());
    EXPECT_FALSE(form->memo2->document().canUndo());
}

TEST_F(DocumentTest, OpeningAMissingFileChangesNothing) {
    auto form = modifiedBound();
    answers.confirms.push_back(false);
    answers.openFiles.push_back(path("missing.txt"));
    form->Open1->trigger();
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("ファイル %1 は開けません.").arg(path("missing.txt"))});
    EXPECT_EQ(form->memo2->text(), "first+more");
    EXPECT_TRUE(form->memo2->modified());
    EXPECT_EQ(form->currentFileName(), path("a.txt"));
    EXPECT_EQ(form->captionBase, "Verlo - a.txt");
}

TEST_F(DocumentTest, SaveAsOnAnUntitledDocument) {
    auto form = start();
    type(*form, "hello");
    answers.saveFiles.push_back(path("new.txt"));
    form->SaveAs1->trigger();
    ASSERT_EQ(answers.count(Asked::SaveFile), 1);
    EXPECT_EQ(answers.asked[0].request.proposedPath, "");
    EXPECT_EQ(fileBytes(path("new.txt")), "hello");
    EXPECT_EQ(form->currentFileName(), path("new.txt"));
    EXPECT_TRUE(form->windowTitle().startsWith("Verlo - new.txt        L:"));
    EXPECT_TRUE(form->Save1->isEnabled());
    EXPECT_FALSE(form->memo2->modified());
    EXPECT_TRUE(form->memo2->document().canUndo()) << "Save As keeps the undo history";

    type(*form, " again");
    form->Save1->trigger();
    EXPECT_EQ(fileBytes(path("new.txt")), "hello again");
    ASSERT_TRUE(form->close());
    EXPECT_EQ(answers.count(Asked::Confirm), 0);
}

TEST_F(DocumentTest, SaveAsProposesThePathAndReplacesWithoutAsking) {
    auto form = modifiedBound();
    putFile(path("other.txt"), "old");
    answers.saveFiles.push_back(path("other.txt"));
    form->SaveAs1->trigger();
    EXPECT_EQ(answers.asked[0].request.proposedPath, path("a.txt"));
    EXPECT_EQ(answers.count(Asked::Confirm), 0);
    EXPECT_EQ(fileBytes(path("other.txt")), "first+more");
    EXPECT_EQ(fileBytes(path("a.txt")), "first");
    EXPECT_EQ(form->currentFileName(), path("other.txt"));
}

TEST_F(DocumentTest, SaveDialogOffersAllFilesOnlyAfterTheFirstNew) {
    auto form = start();
    answers.saveFiles.push_back(std::nullopt);
    form->SaveAs1->trigger();
    EXPECT_EQ(answers.asked.back().request.filters, (QStringList{"テキストファイル (*.txt)", "TeXファイル (*.tex)"}));
    form->New1->trigger();
    answers.saveFiles.push_back(std::nullopt);
    form->SaveAs1->trigger();
    EXPECT_EQ(answers.asked.back().request.filters,
              (QStringList{"テキストファイル (*.txt)", "TeXファイル (*.tex)", "全てのファイル (*)"}));
    EXPECT_EQ(answers.asked.back().request.defaultSuffix, "txt");
}

TEST_F(DocumentTest, SaveAsCancelledOrFailedChangesNothing) {
    auto form = modifiedBound();
    answers.saveFiles.push_back(std::nullopt);
    form->SaveAs1->trigger();
    answers.saveFiles.push_back(path("no/such/folder/x.txt"));
    form->SaveAs1->trigger();
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("ファイル %1 を作成できません.").arg(path("no/such/folder/x.txt"))});
    EXPECT_EQ(form->currentFileName(), path("a.txt"));
    EXPECT_TRUE(form->memo2->modified());
    EXPECT_EQ(form->captionBase, "Verlo - a.txt");
}

TEST_F(DocumentTest, JapaneseAndAsciiLinesRoundTripWithTheirOwnLineBreaks) {
    auto form = start();
    // 日本語 / abc / 表示 (with the trail byte 5C), with mixed line breaks kept as they are.
    const std::string text = "\x93\xFA\x96\x7B\x8C\xEA\nabc\r\x95\x5C\x8E\xA6\r\nend";
    form->memo2->setText(text);
    answers.saveFiles.push_back(path("jp.txt"));
    form->SaveAs1->trigger();
    const QByteArray expected = QByteArray::fromStdString(text);
    EXPECT_EQ(fileBytes(path("jp.txt")), expected);

    answers.openFiles.push_back(path("jp.txt"));
    form->Open1->trigger();
    EXPECT_EQ(QByteArray::fromStdString(form->memo2->text()), expected);
}

TEST_F(DocumentTest, ReadOnlyFileFailsTheSaveAndTheOpenIsAbandoned) {
    auto form = modifiedBound();
    ASSERT_TRUE(QFile::setPermissions(path("a.txt"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    answers.confirms.push_back(true);
    form->Open1->trigger();
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("ファイル %1 を作成できません.").arg(path("a.txt"))});
    EXPECT_EQ(answers.count(Asked::OpenFile), 0);
    EXPECT_EQ(form->memo2->text(), "first+more");
    EXPECT_TRUE(form->memo2->modified());
    EXPECT_EQ(fileBytes(path("a.txt")), "first");
}

TEST_F(DocumentTest, DroppedFiles) {
    putFile(path("one.txt"), "one");
    putFile(path("two.txt"), "two");
    putFile(path("three.txt"), "three");
    auto form = start();
    drop(*form, {path("one.txt"), path("two.txt"), path("three.txt")});
    EXPECT_EQ(form->memo2->text(), "one");
    EXPECT_EQ(form->currentFileName(), path("one.txt"));

    // A folder dropped: the open error, and nothing changes.
    ASSERT_TRUE(QDir(files.path()).mkdir("folder"));
    drop(*form, {path("folder")});
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("ファイル %1 は開けません.").arg(path("folder"))});
    EXPECT_EQ(form->currentFileName(), path("one.txt"));
    EXPECT_EQ(form->memo2->text(), "one");
}

TEST_F(DocumentTest, ALongDroppedNameIsTakenWhole) {
    QString dir = files.path();
    // Folders to make the path itself longer than 254 characters.
    for (int i = 0; i < 3; ++i) {
        dir += "/" + QString(100, QChar(u'd' + i));
        ASSERT_TRUE(QDir().mkpath(dir));
    }
    const QString file = dir + "/" + QString(200, u'n') + ".txt";
    ASSERT_GT(file.size(), 254);
    putFile(file, "deep");
    auto form = start();
    drop(*form, {file});
    EXPECT_TRUE(answers.errors().isEmpty());
    EXPECT_EQ(form->currentFileName(), file);
    EXPECT_EQ(form->memo2->text(), "deep");
}

TEST_F(DocumentTest, DropAsksFirstAndAFailedSaveAbandonsIt) {
    auto form = modifiedBound();
    putFile(path("b.txt"), "second");
    ASSERT_TRUE(QFile::setPermissions(path("a.txt"), QFile::ReadOwner));
    answers.confirms.push_back(true);
    drop(*form, {path("b.txt")});
    EXPECT_EQ(answers.errors().size(), 1);
    EXPECT_EQ(form->memo2->text(), "first+more");
    EXPECT_EQ(form->currentFileName(), path("a.txt"));
}

TEST_F(DocumentTest, SavingThroughALinkKeepsTheLinkAndThePermissions) {
    ASSERT_TRUE(QDir(files.path()).mkdir("real"));
    putFile(path("real/novel.txt"), "v1");
    ASSERT_TRUE(QFile::setPermissions(path("real/novel.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_EQ(::symlink("real/novel.txt", QFile::encodeName(path("link.txt")).constData()), 0);
    auto form = start(path("link.txt"));
    EXPECT_EQ(form->captionBase, "Verlo - link.txt");
    type(*form, "+v2");
    form->Save1->trigger();
    EXPECT_TRUE(answers.errors().isEmpty());
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
    EXPECT_EQ(fileBytes(path("real/novel.txt")), "v1+v2");
    EXPECT_EQ(modeOf(path("real/novel.txt")), 0640u);
    EXPECT_FALSE(form->memo2->modified());
    EXPECT_EQ(form->currentFileName(), path("link.txt"));
}

// The disk fills up: a small tmpfs where mounting is allowed.
TEST_F(DocumentTest, AFullDiskLeavesTheOldFileWhole) {
    const QString mnt = path("small");
    ASSERT_TRUE(QDir(files.path()).mkdir("small"));
    const QByteArray native = QFile::encodeName(mnt);
    if (::mount("tmpfs", native.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{native};
    const QString file = mnt + "/novel.txt";
    putFile(file, QByteArray(20 * 1024, 'a'));
    auto form = start(file);
    type(*form, std::string(40 * 1024, 'b'));
    form->Save1->trigger();
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("ファイル %1 を作成できません.").arg(file)});
    EXPECT_EQ(fileBytes(file), QByteArray(20 * 1024, 'a'));
    EXPECT_TRUE(form->memo2->modified());
    EXPECT_EQ(QDir(mnt).entryList(QDir::Files | QDir::Hidden), QStringList{"novel.txt"});
}

// ---- the untitled document answered Yes: Save As is offered

TEST_F(DocumentTest, YesOnAnUntitledDocumentOffersSaveAs) {
    auto form = start();
    type(*form, "draft");
    answers.confirms.push_back(true);
    answers.saveFiles.push_back(path("draft.txt"));
    form->New1->trigger();
    EXPECT_EQ(fileBytes(path("draft.txt")), "draft");
    EXPECT_EQ(form->memo2->text(), "");
    EXPECT_EQ(form->currentFileName(), "");
}

TEST_F(DocumentTest, CancelledSaveAsAbandonsTheCommandThatAsked) {
    auto form = start();
    type(*form, "draft");
    answers.confirms.push_back(true);
    answers.saveFiles.push_back(std::nullopt);
    form->New1->trigger();
    EXPECT_EQ(form->memo2->text(), "draft");
    EXPECT_TRUE(form->memo2->modified());

    answers.confirms.push_back(true);
    answers.saveFiles.push_back(path("no/folder/draft.txt"));
    form->Open1->trigger();
    EXPECT_EQ(answers.count(Asked::OpenFile), 0);
    EXPECT_EQ(answers.errors().size(), 1);
    EXPECT_EQ(form->memo2->text(), "draft");

    answers.confirms.push_back(true);
    answers.saveFiles.push_back(std::nullopt);
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(QFile::exists(iniPath())) << "an abandoned close writes no settings";
}

// ---- the close

TEST_F(DocumentTest, CloseWithYesSavesThenWritesTheSettings) {
    auto form = modifiedBound();
    answers.confirms.push_back(true);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(fileBytes(path("a.txt")), "first+more");
    EXPECT_EQ(iniValues()["Window/Gyou"], "40");
}

TEST_F(DocumentTest, CloseWithNoDiscardsAndStillWritesTheSettings) {
    auto form = modifiedBound();
    answers.confirms.push_back(false);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(fileBytes(path("a.txt")), "first");
    EXPECT_TRUE(QFile::exists(iniPath()));
}

TEST_F(DocumentTest, AFailedSaveAtCloseKeepsTheWindowOpen) {
    auto form = modifiedBound();
    ASSERT_TRUE(QFile::setPermissions(path("a.txt"), QFile::ReadOwner));
    answers.confirms.push_back(true);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(answers.errors().size(), 1);
    EXPECT_FALSE(QFile::exists(iniPath()));
    EXPECT_TRUE(form->memo2->modified());
}

TEST_F(DocumentTest, TheSessionEndingAsksOnce) {
    auto form = modifiedBound();
    answers.confirms.push_back(false);
    EXPECT_TRUE(form->sessionEnding());
    EXPECT_TRUE(QFile::exists(iniPath()));
    // The session then closes the window: no second prompt.
    EXPECT_TRUE(form->close());
    EXPECT_EQ(answers.count(Asked::Confirm), 1);
}

TEST_F(DocumentTest, AChangeAfterTheSessionQueryIsAskedAboutAgain) {
    auto form = modifiedBound();
    answers.confirms.push_back(false);
    EXPECT_TRUE(form->sessionEnding());
    type(*form, "!");
    answers.confirms.push_back(false);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(answers.count(Asked::Confirm), 2);
}

TEST_F(DocumentTest, AFailedSaveRefusesTheSessionEnd) {
    auto form = modifiedBound();
    ASSERT_TRUE(QFile::setPermissions(path("a.txt"), QFile::ReadOwner));
    answers.confirms.push_back(true);
    EXPECT_FALSE(form->sessionEnding());
}

TEST_F(DocumentTest, ALargeFileShowsItsFirstPartAndTheRestIsInBeforeAnythingActsOnIt) {
    // Its first megabyte has CR LF breaks, the whole file more LF ones.
    std::string big;
    while (big.size() < 1300000) big += verlo::test::sjis(u"吾輩は猫である。") + "\r\n";
    while (big.size() < 3000000) big += verlo::test::sjis(u"名前はまだ無い。") + "\n";
    putFile(path("big.txt"), QByteArray::fromStdString(big));
    struct Case {
        const char* what;
        std::function<void(TForm1&)> act;
        std::string expected;
    };
    const Case cases[] = {
        {"saved at once: the whole file", [](TForm1& f) { f.Save1->trigger(); }, big},
        {"Enter typed: at the caret, the file's own break",
         [](TForm1& f) { QTest::keyClick(f.memo2, Qt::Key_Return); }, "\n" + big},
        {"nothing done: the rest comes between events",
         [](TForm1& f) {
             while (f.session().loading()) QCoreApplication::processEvents();
         },
         big},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto form = start(path("big.txt"));
        ASSERT_TRUE(form->session().loading());
        EXPECT_LT(form->memo2->textLength(), big.size());
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Verlo - big.txt"));
        c.act(*form);
        EXPECT_FALSE(form->session().loading());
        // Compared whole without a printed diff (megabytes); the start shows what went wrong.
        const std::string text = form->memo2->text();
        EXPECT_EQ(text.substr(0, 4), c.expected.substr(0, 4));
        EXPECT_TRUE(text == c.expected);
        EXPECT_TRUE(fileBytes(path("big.txt")) == QByteArray::fromStdString(big));
        EXPECT_EQ(form->textFormat().lineBreak, verlo::files::LineBreak::Lf);
    }
}

TEST_F(DocumentTest, RedoPutsBackWhatUndoTookAndTheSavePointHoldsBothWays) {
    putFile(path("a.txt"), "x");
    auto form = startShown(path("a.txt"));
    form->StatusBar1->trigger();
    QTest::keyClicks(form->memo2, "ab");
    form->Save1Click();
    EXPECT_FALSE(form->documentModified());
    EXPECT_EQ(form->writingStatus().unsavedText(), QString());
    for (const QKeyCombination redo : {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}) {
        QTest::keyClick(form->memo2, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(form->memo2->text(), "x");
        EXPECT_TRUE(form->documentModified());
        EXPECT_EQ(form->writingStatus().unsavedText(), QStringLiteral("未保存"));
        QTest::keyClick(form->memo2, redo.key(), redo.keyboardModifiers());
        EXPECT_EQ(form->memo2->text(), "abx");
        EXPECT_FALSE(form->documentModified());  // back at the saved text
        EXPECT_EQ(form->writingStatus().unsavedText(), QString());
    }
    QTest::keyClick(form->memo2, Qt::Key_Y, Qt::ControlModifier);  // nothing more to redo
    EXPECT_EQ(form->memo2->text(), "abx");
}
