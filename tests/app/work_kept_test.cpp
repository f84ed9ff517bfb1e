// Work a writer could lose by a wrong answer or another program: texts given up at the save
// prompt are kept and come back from ファイル › 破棄した文章; a file another process rewrites,
// truncates or deletes under an open document is asked about, and never written over unasked.
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include "app/format_menus.h"
#include "app_fixture.h"
#include "platform/error.h"
#include "recovery/discarded_texts.h"
#include "settings/settings_store.h"
#include "settings/stored_settings.h"

using namespace verlo;
using verlo::app::TForm1;
using verlo::app::testing::AppTest;
using verlo::test::Asked;

namespace {

// What another program does to a file: a shell command run in its own process.
void elsewhere(const QString& command) { ASSERT_EQ(QProcess::execute(QStringLiteral("sh"), {"-c", command}), 0); }

void typeAtEnd(TForm1& form, const std::string& bytes) {
    form.memo2->setSelStart(form.memo2->textLength());
    form.memo2->replaceSelection(bytes, true);
}

}  // namespace

class WorkKeptTest : public AppTest {
protected:
    std::vector<recovery::DiscardedTexts::Entry> discarded(TForm1& form) {
        return form.session().discardedTexts().list(QDateTime::currentSecsSinceEpoch());
    }
};

TEST_F(WorkKeptTest, ATextGivenUpAtThePromptComesBackBoundToItsUntouchedFile) {
    struct Way {
        const char* what;
        std::function<void(TForm1&)> giveUp;
    };
    const QString other = path("b.txt");
    const Way ways[] = {
        {"New", [](TForm1& f) { f.New1Click(); }},
        {"Open", [&](TForm1& f) {
             answers.openFiles.push_back(other);
             f.Open1Click();
         }},
        {"a drop", [&](TForm1& f) { f.FormDropFiles({other}); }},
        {"reading again", [](TForm1& f) { emit f.formatMenus()->reopenChosen(files::Encoding::Utf8); }},
        {"the close", [](TForm1& f) { EXPECT_TRUE(f.FormCloseQuery()); }},
    };
    putFile(other, "other");
    int kept = 0;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        putFile(path("a.txt"), "file");
        auto form = start(path("a.txt"));
        typeAtEnd(*form, std::string(" draft ") + way.what);
        answers.confirms.push_back(false);  // No (Esc and the box's close answer the same)
        way.giveUp(*form);
        ASSERT_EQ(discarded(*form).size(), static_cast<std::size_t>(++kept));
        EXPECT_EQ(discarded(*form).front().copy.text, std::string("file draft ") + way.what);
    }
    // The newest comes back as it was: modified, bound to a.txt, which is untouched.
    auto form = start();
    const auto list = discarded(*form);
    form->restoreDiscarded(list.front().name);
    EXPECT_EQ(form->memo2->text(), "file draft the close");
    EXPECT_TRUE(form->documentModified());
    EXPECT_EQ(form->currentFileName(), path("a.txt"));
    EXPECT_EQ(fileBytes(path("a.txt")), "file");
    EXPECT_EQ(discarded(*form).size(), list.size() - 1);
    // Not a crash's copy: the next start offers nothing.
    form->session().settle();
    form.reset();
    answers.clearAsked();
    auto next = start();
    next->offerRecovery();
    EXPECT_EQ(answers.count(Asked::Choose), 0);
}

TEST_F(WorkKeptTest, AFileChangedOrDeletedByAnotherProcessIsAskedAbout) {
    struct Case {
        const char* what;
        const char* command;  // on a.txt
        bool typed;           // the document was modified first
        int choice;           // 再読み込み 0, このまま 1; -1: nothing asked (said gone)
        std::string text;     // the document afterwards
        bool modified;
    };
    const Case cases[] = {
        {"rewritten, unmodified, read again", "printf 'rewritten' > a.txt", false, 0, "rewritten", false},
        {"rewritten, unmodified, kept", "printf 'rewritten' > a.txt", false, 1, "file", false},
        {"truncated, modified, kept", ": > a.txt", true, 1, "file+", true},
        {"truncated, modified, read again", ": > a.txt", true, 0, "", false},
        {"replaced by a rename, same size", "printf 'FILE' > n && mv n a.txt", false, 0, "FILE", false},
        {"deleted", "rm a.txt", false, -1, "file", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        putFile(path("a.txt"), "file");
        auto form = start(path("a.txt"));
        if (c.typed) typeAtEnd(*form, "+");
        elsewhere(QStringLiteral("cd '%1' && %2").arg(files.path(), QString::fromUtf8(c.command)));
        answers.clearAsked();
        if (c.choice >= 0) answers.choices.push_back(c.choice);
        form->checkDisk();
        EXPECT_EQ(answers.count(c.choice >= 0 ? Asked::Choose : Asked::Inform), 1);
        EXPECT_EQ(form->memo2->text(), c.text);
        EXPECT_EQ(form->documentModified(), c.modified);
        form->checkDisk();  // asked once per change
        EXPECT_EQ(answers.asked.size(), 1u);
        form->session().settle();
    }
}

TEST_F(WorkKeptTest, SavingOverAFileAnotherProcessChangedAsksFirst) {
    struct Case {
        int choice;  // 上書き保存 0, 名前を付けて保存 1, キャンセル 2
        std::string aAfter;
    };
    for (const Case& c : {Case{0, "file+"}, Case{1, "theirs"}, Case{2, "theirs"}}) {
        SCOPED_TRACE(c.choice);
        putFile(path("a.txt"), "file");
        auto form = start(path("a.txt"));
        typeAtEnd(*form, "+");
        elsewhere(QStringLiteral("printf theirs > '%1'").arg(path("a.txt")));
        answers.choices.push_back(1);  // このまま: the text stays, and saving over theirs still asks
        form->checkDisk();
        answers.choices.push_back(c.choice);
        if (c.choice == 1) answers.saveFiles.push_back(path("b.txt"));
        form->Save1Click();
        EXPECT_EQ(fileBytes(path("a.txt")).toStdString(), c.aAfter);
        EXPECT_EQ(form->documentModified(), c.choice == 2);
        if (c.choice == 1) {
            EXPECT_EQ(fileBytes(path("b.txt")), "file+");
        }
        form->session().settle();
    }
    // A file saved by this window is not another program's change.
    putFile(path("a.txt"), "file");
    auto form = start(path("a.txt"));
    typeAtEnd(*form, "1");
    form->Save1Click();
    typeAtEnd(*form, "2");
    answers.clearAsked();
    form->Save1Click();
    form->checkDisk();
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_EQ(fileBytes(path("a.txt")), "file12");
}

// The settings are written shortly after they change: a program killed with SIGKILL
// leaves them in a whole file, with the values it did not change as they were.
TEST_F(WorkKeptTest, SettingsChangedBeforeAKillAreKept) {
    writeIni("[Window]\nGyou=33\n");
    QProcess changer;
    changer.setProgram(QStringLiteral(VERLO_BINARY_DIR "/app_settings_changer"));
    changer.start();
    ASSERT_TRUE(changer.waitForStarted(-1));
    while (!changer.canReadLine() && changer.state() == QProcess::Running) changer.waitForReadyRead(-1);
    ASSERT_EQ(changer.readLine().trimmed(), "changed");
    // Only a guard against a hang: the write comes a second or two after the change.
    const QDeadlineTimer guard(std::chrono::minutes(5));
    while (iniValues().value("Window/StatusBar") != "1" && !guard.hasExpired()) QThread::msleep(50);
    changer.kill();  // SIGKILL
    changer.waitForFinished(-1);

    settings::SettingsStore store(iniPath());
    int failures = 0;
    const settings::StoredSettings kept = settings::readStoredSettings(store, [&](const std::function<void()>& step) {
        try {
            step();
        } catch (const platform::Error&) {
            ++failures;
        }
    });
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(kept.StatusBar);
    EXPECT_TRUE(kept.live.Ruby);
    EXPECT_EQ(kept.PageSetup, "chars:20 lines:20 grid:1");  // what --pdf takes
    EXPECT_EQ(kept.live.Gyou, 33);
}
