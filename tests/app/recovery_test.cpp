// Crash recovery through the main window: the copy of a modified text, what removes it,
// the offer at the next start, and a real program process killed while typing.
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <sys/wait.h>
#include <unistd.h>

#include "app/document_recovery.h"
#include "app_fixture.h"
#include "recovery/recovery_copy.h"
#include "recovery/recovery_keeper.h"
#include "recovery/recovery_store.h"
#include "recovery_bursts.h"
#include "support/test_text.h"

using namespace verlo;
using verlo::app::TForm1;
using verlo::app::testing::AppTest;
using verlo::test::Asked;

namespace {

const QString kTypist = QStringLiteral(VERLO_BINARY_DIR "/app_recovery_typist");

QStringList copiesIn(const QString& folder) { return QDir(folder).entryList({"*.copy"}, QDir::Files); }

void settle(TForm1& form) {
    while (form.session().recoveryKeeper().busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The bytes the first `count` bursts put into the document.
std::string typedBytes(int count) {
    const QStringList bursts = app::testing::typedBursts();
    QString text;
    for (int i = 0; i < count; ++i) text += bursts[i];
    return verlo::test::sjis(text.replace(u'\n', QStringLiteral("\r\n")).toStdU16String());
}

}  // namespace

class RecoveryTest : public AppTest {
protected:
    QString folder() const { return state.filePath(QStringLiteral("Verlo/recovery")); }

    // A copy left by a process that ended without a word (as a crash does).
    void leaveCopy(const std::string& text, const QString& file, std::int64_t written = 1718000000) {
        recovery::RecoveryCopy copy;
        copy.path = QFile::encodeName(file).toStdString();
        copy.text = text;
        copy.caret = text.size();
        copy.written = written;
        leaveCopy(copy);
    }
    void leaveCopy(const recovery::RecoveryCopy& copy) {
        const pid_t child = ::fork();
        if (child == 0) {
            recovery::RecoveryStore store(folder().toStdString());
            ::_exit(store.write(copy, 1) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
};

TEST_F(RecoveryTest, RestoredAsAModifiedDocumentBoundToItsFileWhichIsUntouched) {
    putFile(path("a.txt"), "file");
    leaveCopy("typed file\r\nline two", path("a.txt"));
    auto next = start();
    answers.choices.push_back(0);
    next->offerRecovery();
    ASSERT_EQ(answers.count(Asked::Choose), 1);
    const QString& offer = answers.asked.at(0).message;
    EXPECT_TRUE(offer.contains(QStringLiteral("ファイル: ") + path("a.txt"))) << offer.toStdString();
    EXPECT_TRUE(offer.contains(QStringLiteral("最初の行: typed file\n"))) << offer.toStdString();
    EXPECT_EQ(next->memo2->text(), "typed file\r\nline two");
    EXPECT_EQ(next->memo2->caretPos(), next->memo2->textLength());
    EXPECT_TRUE(next->memo2->modified());
    EXPECT_EQ(next->currentFileName(), path("a.txt"));
    EXPECT_TRUE(next->windowTitle().startsWith(QStringLiteral("Verlo - a.txt")));
    EXPECT_EQ(fileBytes(path("a.txt")), "file");
    EXPECT_EQ(copiesIn(folder()).size(), 1);  // now this run's own copy

    next->Save1Click();
    EXPECT_EQ(fileBytes(path("a.txt")), "typed file\r\nline two");
    EXPECT_TRUE(copiesIn(folder()).isEmpty());
}

TEST_F(RecoveryTest, AFileOpenedByARelativeNameIsRestoredIntoThatFileFromAnyFolder) {
    putFile(path("a.txt"), "file");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(files.path()));
    auto form = start(QStringLiteral("a.txt"));
    form->memo2->replaceSelection("new ", true);
    ASSERT_TRUE(form->session().keepCopyNow());
    form.reset();  // ended without a word: the copy stays
    ASSERT_TRUE(QDir::setCurrent(state.path()));
    auto next = start();
    answers.choices.push_back(0);
    next->offerRecovery();
    next->Save1Click();
    QDir::setCurrent(before);
    EXPECT_EQ(fileBytes(path("a.txt")), "new file");
    EXPECT_FALSE(QFile::exists(state.filePath(QStringLiteral("a.txt"))));
}

TEST_F(RecoveryTest, CharactersOnlyTheFilesEncodingHoldsComeBackAsThemselves) {
    putFile(path("u.txt"), "本文♡\n");
    auto form = start(path("u.txt"));
    form->memo2->setSelStart(form->memo2->textLength());
    form->memo2->replaceSelection(form->memo2->document().standIns().encode(std::u32string(U"😀葛\U000E0100")).bytes, true);
    ASSERT_TRUE(form->session().keepCopyNow());
    const QStringList copies = copiesIn(folder());
    ASSERT_EQ(copies.size(), 1);
    const std::optional<recovery::RecoveryCopy> copy =
        recovery::parseCopy(fileBytes(QDir(folder()).filePath(copies[0])).toStdString());
    ASSERT_TRUE(copy);
    form->session().settle();
    form.reset();

    leaveCopy(*copy);
    auto next = start();
    answers.choices.push_back(0);
    next->offerRecovery();
    EXPECT_TRUE(answers.asked.at(0).message.contains(QStringLiteral("最初の行: 本文♡\n")));
    EXPECT_EQ(next->textFormat().encoding, files::Encoding::Utf8);
    next->Save1Click();
    EXPECT_EQ(fileBytes(path("u.txt")), "本文♡\n😀葛\U000E0100");
}

TEST_F(RecoveryTest, DiscardedLaterOrLeftForAnotherStart) {
    leaveCopy("older", QString(), 1000);
    leaveCopy("newer", QString(), 2000);
    {
        auto form = start();
        answers.choices = {2, 1};  // the older later, the newer discarded
        form->offerRecovery();
        ASSERT_EQ(answers.count(Asked::Choose), 2);
        EXPECT_TRUE(answers.asked.at(0).message.contains(QStringLiteral("ファイル: (無題)")));
        EXPECT_TRUE(answers.asked.at(0).message.contains(QStringLiteral("最初の行: older")));
        EXPECT_EQ(form->memo2->text(), "");
        EXPECT_EQ(copiesIn(folder()).size(), 1);
    }
    leaveCopy("third", QString(), 3000);
    answers.clearAsked();
    auto form = start();
    answers.choices = {0};  // the older restored; the third waits for another start
    form->offerRecovery();
    EXPECT_EQ(answers.count(Asked::Choose), 1);
    EXPECT_EQ(answers.count(Asked::Inform), 1);
    EXPECT_EQ(form->memo2->text(), "older");
    EXPECT_FALSE(form->Save1->isEnabled());  // untitled
    // A second instance now offers the third, but never the first one's live copy.
    auto second = start();
    answers.choices = {2};
    second->offerRecovery();
    ASSERT_EQ(answers.count(Asked::Choose), 2);
    EXPECT_TRUE(answers.asked.back().message.contains(QStringLiteral("最初の行: third")));
}

TEST_F(RecoveryTest, SavingOrAnsweringNoRemovesTheCopy) {
    putFile(path("a.txt"), "file");
    auto form = start(path("a.txt"));
    form->session().recoveryKeeper().setIdleDelay(1);
    form->memo2->replaceSelection("x", true);
    settle(*form);
    EXPECT_EQ(copiesIn(folder()).size(), 1);
    form->Save1Click();
    EXPECT_TRUE(copiesIn(folder()).isEmpty());

    form->memo2->replaceSelection("y", true);
    settle(*form);
    EXPECT_EQ(copiesIn(folder()).size(), 1);
    answers.confirms.push_back(false);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(copiesIn(folder()).isEmpty());
    form.reset();
    EXPECT_TRUE(QDir(folder()).entryList(QDir::Files).isEmpty());  // the lock went with the clean end
}

TEST_F(RecoveryTest, AHardLinkedFileGetsItsCopyBeforeItIsWrittenInPlace) {
    putFile(path("a.txt"), "file");
    ASSERT_EQ(::link(QFile::encodeName(path("a.txt")).constData(), QFile::encodeName(path("b.txt")).constData()), 0);
    auto form = start(path("a.txt"));
    form->memo2->replaceSelection("new ", true);
    // The copy cannot be written (its folder is a file): the file is not touched.
    putFile(state.filePath(QStringLiteral("Verlo")), "in the way");
    form->Save1Click();
    EXPECT_EQ(answers.errors().size(), 1);
    EXPECT_EQ(fileBytes(path("b.txt")), "file");
    QFile::remove(state.filePath(QStringLiteral("Verlo")));
    form->Save1Click();
    EXPECT_EQ(fileBytes(path("b.txt")), "new file");  // still linked
    EXPECT_FALSE(form->memo2->modified());
    EXPECT_TRUE(copiesIn(folder()).isEmpty());
}

// A real program process typing, killed with SIGKILL at random moments: the next start
// offers a whole copy holding exactly what was typed up to some burst, never less than
// what the process reported as kept.
TEST_F(RecoveryTest, AKilledProgramGivesBackWhatWasTyped) {
    putFile(path("novel.txt"), QByteArray::fromStdString(verlo::test::repeat(verlo::test::sampleText(), 3000)));
    const std::string original = fileBytes(path("novel.txt")).toStdString();
    const int bursts = static_cast<int>(app::testing::typedBursts().size());
    int restored = 0;
    for (int round = 0; round < 8; ++round) {
        const bool titled = round % 2 == 1;
        QProcess typist;
        typist.setProgram(kTypist);
        if (titled) typist.setArguments({path("novel.txt")});
        typist.start();
        ASSERT_TRUE(typist.waitForStarted(-1));
        // Kill after a random number of reported bursts, a random moment later.
        const int after = static_cast<int>(QRandomGenerator::global()->bounded(bursts));
        int reported = 0;
        while (reported < after && typist.state() == QProcess::Running) {
            typist.waitForReadyRead(-1);
            while (typist.canReadLine()) reported = typist.readLine().trimmed().toInt();
        }
        ::usleep(QRandomGenerator::global()->bounded(30000u));
        typist.kill();  // SIGKILL
        typist.waitForFinished(-1);
        while (typist.canReadLine()) reported = std::max(reported, typist.readLine().trimmed().toInt());

        answers.clearAsked();
        auto next = start();
        const bool copied = !copiesIn(folder()).isEmpty();
        EXPECT_TRUE(copied || reported == 0) << round;
        if (copied) answers.choices.push_back(0);
        next->offerRecovery();
        if (!copied) continue;
        ASSERT_EQ(answers.count(Asked::Choose), 1) << round;
        ++restored;
        const std::string text = next->memo2->text();
        int match = -1;
        for (int k = reported; k <= bursts && match < 0; ++k)
            if (text == typedBytes(k) + (titled ? original : std::string())) match = k;
        EXPECT_GE(match, 1) << "round " << round << ": not what was typed (" << reported << " bursts reported)";
        EXPECT_EQ(next->currentFileName(), titled ? path("novel.txt") : QString()) << round;
        EXPECT_EQ(fileBytes(path("novel.txt")).toStdString(), original) << round;
        next->session().settle();  // this run's copy of it goes: the next round starts clean
    }
    EXPECT_GT(restored, 0);
}
