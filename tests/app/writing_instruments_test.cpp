// A writer's instruments in the real main window: the status bar with its live counts,
// the recent files and the place kept in each file, with the settings file behind them.
#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <random>

#include "app/recent_files.h"
#include "app/writing_status.h"
#include "app_fixture.h"
#include "commands/window_fit.h"
#include "counts/char_count.h"
#include "counts/live_counts.h"
#include "support/test_text.h"

using namespace verlo;
using verlo::app::testing::AppTest;
using verlo::test::Asked;
using verlo::test::sjis;

namespace {

class InstrumentsTest : public AppTest {
protected:
    // A file named `name` holding `bytes`, its absolute path.
    QString file(const char* name, const std::string& bytes = "text") {
        const QString p = path(QString::fromLatin1(name));
        putFile(p, QByteArray::fromStdString(bytes));
        return p;
    }
    static QStringList menuTexts(const app::TForm1& form) {
        QStringList texts;
        for (const QAction* a : form.RecentFiles1->actions()) texts << a->text() + u'|' + a->toolTip();
        return texts;
    }
};

}  // namespace

TEST_F(InstrumentsTest, TheStatusBarIsOffUntilAskedForAndThenCountsAsTheWriterTypes) {
    auto form = startShown();
    EXPECT_FALSE(form->StatusBar1->isChecked());
    EXPECT_EQ(form->findChild<QStatusBar*>(), nullptr);  // the window as it always was

    form->StatusBar1->trigger();
    app::WritingStatus& status = form->writingStatus();
    EXPECT_TRUE(status.shown());
    EXPECT_EQ(status.charsText(), "0字");
    EXPECT_EQ(status.pagesText(), "0.0枚");
    EXPECT_EQ(status.encodingText(), QStringLiteral("Shift-JIS　CR LF"));
    EXPECT_EQ(status.unsavedText(), QString());

    // A figure's label keeps its size while the figure keeps its length: it must hold the text.
    const auto fits = [&](const char* name) {
        const auto* label = form->findChild<QWidget*>(QString::fromLatin1(name));
        return label->width() >= label->sizeHint().width() && label->minimumWidth() >= label->sizeHint().width();
    };
    QTest::keyClicks(form->memo2, "abc");
    QTest::keyClick(form->memo2, Qt::Key_Return);
    QTest::keyClicks(form->memo2, "1234567");
    EXPECT_EQ(status.charsText(), "10字");
    EXPECT_EQ(status.unsavedText(), QStringLiteral("未保存"));
    EXPECT_TRUE(fits("CharCount"));
    // A screen reader reads the figure shown.
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(form->findChild<QWidget*>("CharCount"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->text(QAccessible::Name), status.charsText());
    EXPECT_EQ(read->role(), QAccessible::StaticText);
    for (int i = 0; i < 5; ++i) QTest::keyClick(form->memo2, Qt::Key_Backspace);
    EXPECT_EQ(status.charsText(), "5字");
    EXPECT_TRUE(fits("CharCount"));
    EXPECT_EQ(status.pagesText(), "0.1枚");
    EXPECT_EQ(status.pagesToolTip(), QStringLiteral("400字詰め原稿用紙換算　最終ページ 2行（全2行）"));
    EXPECT_EQ(status.selectionText(), "");

    form->N6->trigger();  // select all: the count box and the bar agree
    EXPECT_EQ(status.selectionText(), QStringLiteral("選択 5字"));
    EXPECT_TRUE(fits("SelectionCount"));
    EXPECT_EQ(counts::countSelectionChars(form->memo2->selectedText()), 5u);
    QTest::keyClick(form->memo2, Qt::Key_Right);
    EXPECT_EQ(status.selectionText(), "");

    form->StatusBar1->trigger();
    EXPECT_FALSE(status.shown());
    EXPECT_EQ(status.charsText(), "");
}

TEST_F(InstrumentsTest, TheCountsFollowALoadedNovelAndItsEdits) {
    const std::string novel = verlo::test::sampleText();
    const QString neko = file("neko.txt", novel);
    writeIni("[Window]\nStatusBar=1\n");
    auto form = start(neko);
    EXPECT_TRUE(form->StatusBar1->isChecked());
    app::WritingStatus& status = form->writingStatus();
    EXPECT_EQ(status.charsText(), app::charsLabel(counts::countSelectionChars(novel)));
    form->memo2->setSelection(10, 10);
    form->memo2->replaceSelection(sjis(u"吾輩\r\n"), true);
    EXPECT_EQ(status.charsText(), app::charsLabel(counts::countSelectionChars(form->memo2->text())));
    form->memo2->undo();
    EXPECT_EQ(status.charsText(), app::charsLabel(counts::countSelectionChars(novel)));
}

TEST_F(InstrumentsTest, ALargeChangeIsCountedInTheBackgroundWithTheEditsMadeMeanwhile) {
    auto form = startShown();
    form->StatusBar1->trigger();
    app::WritingStatus& status = form->writingStatus();
    status.setBackgroundFrom(64);  // the sample text counts as large
    edit::EditControl& memo2 = *form->memo2;
    const std::string pieces[] = {sjis(u"吾輩"), "\r\n", "\r", "\n", "a", sjis(u"、。"), "\x81"};
    std::mt19937 rng(19);
    for (int round = 0; round < 12; ++round) {
        const QString shown = status.charsText();
        memo2.setText(verlo::test::repeat(verlo::test::sampleText(), 1 + round % 3));
        EXPECT_FALSE(status.exact());
        // Edits while the worker counts: typed, deleted, line breaks joined and split, now
        // and then a large one that starts the count again.
        for (unsigned n = rng() % 8; n > 0; --n) {
            const std::size_t length = memo2.textLength();
            const std::size_t at = memo2.document().snapCaretPos(rng() % (length + 1));
            const std::size_t end = memo2.document().snapCaretPos(std::min(length, at + rng() % 6));
            memo2.setSelection(at, end);
            memo2.replaceSelection(rng() % 9 == 0 ? verlo::test::sampleText() : pieces[rng() % std::size(pieces)], true);
        }
        EXPECT_EQ(status.charsText(), shown);  // kept until the figures are exact
        while (!status.exact()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        counts::LiveCounts fresh;
        fresh.recount(memo2.document());
        EXPECT_EQ(status.charsText(), app::charsLabel(counts::countSelectionChars(memo2.text()))) << round;
        EXPECT_EQ(status.pagesText(), app::pagesLabel(fresh.manuscriptLines())) << round;
    }
}

TEST_F(InstrumentsTest, ANarrowWindowShowsWholeTheFiguresThatFitByPriority) {
    auto form = startShown();
    form->StatusBar1->trigger();
    app::WritingStatus& status = form->writingStatus();
    form->memo2->setText(verlo::test::repeat(verlo::test::sampleText(), 3));
    while (!status.exact()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    form->N6->trigger();  // select all
    const auto* bar = form->findChild<QStatusBar*>();
    const char* const byPriority[] = {"CharCount", "Encoding", "SelectionCount", "ManuscriptPages"};
    const int wide = form->width();
    for (const int width : {wide + 200, wide, wide * 2 / 3, wide / 2, wide / 3, 40}) {
        form->resize(width, form->height());
        QCoreApplication::processEvents();
        SCOPED_TRACE(width);
        ASSERT_LE(form->width(), std::max(width, form->minimumWidth()));  // the bar never widens the window
        std::vector<QRect> taken;
        for (std::size_t i = 0; i < std::size(byPriority); ++i) {
            const auto* figure = bar->findChild<QWidget*>(QString::fromLatin1(byPriority[i]));
            if (figure->isHidden()) continue;
            // Whole, inside the bar, beside the others, and only after all those before it.
            EXPECT_GE(figure->width(), figure->sizeHint().width()) << byPriority[i];
            EXPECT_TRUE(bar->rect().contains(figure->geometry())) << byPriority[i];
            for (const QRect& other : taken) EXPECT_FALSE(other.intersects(figure->geometry())) << byPriority[i];
            EXPECT_EQ(taken.size(), i) << byPriority[i];
            taken.push_back(figure->geometry());
        }
        if (width > wide) {
            EXPECT_EQ(taken.size(), 4u);
        }
    }
}

TEST_F(InstrumentsTest, TheBarsTextsToOneDecimal) {
    EXPECT_EQ(app::charsLabel(1234567), "1,234,567字");
    EXPECT_EQ(app::pagesLabel(246), "12.3枚");
    EXPECT_EQ(app::pagesLabel(20), "1.0枚");
    EXPECT_EQ(app::pagesLabel(21), "1.1枚");
}

TEST_F(InstrumentsTest, TheStatusBarIsStoredAndF7F8StillFitTheTextArea) {
    auto form = startShown();
    form->StatusBar1->trigger();
    QTest::qWait(10);
    form->settings.Gyou = 20;
    form->settings.Retsu = 12;
    form->N10->trigger();
    form->N12->trigger();
    QTest::qWait(10);
    const QFont font = form->memo2->textFont();
    EXPECT_EQ(form->memo2->width(), commands::WindowFit::clientExtent(commands::WindowFit::lineMeasure(font), 20));
    EXPECT_EQ(form->memo2->height(), commands::WindowFit::clientExtent(commands::WindowFit::columnMeasure(font), 12));
    ASSERT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Window/StatusBar"], "1");
}

TEST_F(InstrumentsTest, RecentFilesNewestFirstTenAtMostEachOnce) {
    QStringList list;
    for (int i = 0; i < 12; ++i) list = app::withNewest(list, path(QStringLiteral("f%1.txt").arg(i)), 10);
    list = app::withNewest(list, path("f5.txt"), 10);
    ASSERT_EQ(list.size(), 10);
    EXPECT_EQ(list.front(), path("f5.txt"));
    EXPECT_EQ(list[1], path("f11.txt"));
    EXPECT_EQ(list.back(), path("f2.txt"));  // f0 and f1 went
    EXPECT_EQ(list.count(path("f5.txt")), 1);
}

TEST_F(InstrumentsTest, RecentFilesInTheMenuOpenedSavedAndStored) {
    const QString a = file("a.txt"), b = file("b&c.txt");
    auto form = start(a);
    answers.openFiles.push_back(std::nullopt);
    form->Open1->trigger();  // cancelled: the list stays
    answers.openFiles.push_back(b);
    form->Open1->trigger();
    answers.saveFiles.push_back(path("saved.txt"));
    form->SaveAs1->trigger();
    EXPECT_EQ(menuTexts(*form), QStringList({"&1 saved.txt|" + path("saved.txt"), "&2 b&&c.txt|" + b, "&3 a.txt|" + a}));
    EXPECT_TRUE(form->RecentFiles1->menuAction()->isEnabled());

    form->RecentFiles1->actions()[2]->trigger();
    EXPECT_EQ(form->currentFileName(), a);
    EXPECT_EQ(form->recentFiles().files().front(), a);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Recent/File1"], a);
    EXPECT_EQ(iniValues()["Recent/File3"], b);

    auto again = start();
    EXPECT_EQ(again->recentFiles().files(), QStringList({a, path("saved.txt"), b}));
    for (int i = 0; i < 10; ++i) again->recentFiles().add(path(QStringLiteral("n%1.txt").arg(i)));
    EXPECT_EQ(again->RecentFiles1->actions()[9]->text(), "1&0 n0.txt");
    again->recentFiles().add(path("sub/n5.txt"));  // one name in two folders: they are told apart
    EXPECT_EQ(again->RecentFiles1->actions()[0]->text(), "&1 n5.txt (" + path("sub") + ")");
    EXPECT_EQ(again->RecentFiles1->actions()[5]->text(), "&6 n5.txt (" + files.path() + ")");
    EXPECT_EQ(again->RecentFiles1->actions()[4]->text(), "&5 n6.txt");
}

TEST_F(InstrumentsTest, AMissingRecentFileIsNamedAndLeavesTheList) {
    const QString gone = path("gone.txt");
    writeIni(QByteArray("[Recent]\nFile1=") + gone.toUtf8() + "\n");
    auto form = start();
    ASSERT_EQ(form->recentFiles().files(), QStringList({gone}));
    form->RecentFiles1->actions()[0]->trigger();
    EXPECT_EQ(answers.errors(), QStringList({QStringLiteral("ファイル %1 は開けません.").arg(gone)}));
    EXPECT_TRUE(form->recentFiles().files().isEmpty());
    EXPECT_FALSE(form->RecentFiles1->menuAction()->isEnabled());
}

TEST_F(InstrumentsTest, ASettingsFileFromBeforeKeepsWorking) {
    writeIni("[Window]\nGyou=30\n[Font]\nSize=12\n");
    auto form = start();
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_FALSE(form->StatusBar1->isChecked());
    EXPECT_TRUE(form->recentFiles().files().isEmpty());
    EXPECT_EQ(form->settings.Gyou, 30);
}

TEST_F(InstrumentsTest, ReopeningAFilePutsTheCaretSelectionAndViewBack) {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i) + "\r\n";
    const QString a = file("a, the first.txt", text), b = file("b.txt");
    for (const bool vertical : {false, true}) {
        SCOPED_TRACE(vertical);
        auto form = startShown(a);
        if (vertical) form->N15->trigger();
        form->memo2->setSelection(3000, 2950);
        form->memo2->setTopPosition(2000);
        const std::size_t top = form->memo2->topPosition();
        ASSERT_GT(top, 0u);
        answers.openFiles.push_back(b);
        form->Open1->trigger();
        EXPECT_EQ(form->memo2->caretPos(), 0u);
        form->recentFiles().add(a);
        form->RecentFiles1->actions()[0]->trigger();
        EXPECT_EQ(form->memo2->anchorPos(), 3000u);
        EXPECT_EQ(form->memo2->caretPos(), 2950u);
        EXPECT_EQ(form->memo2->topPosition(), top);
        // And after the program starts again.
        ASSERT_TRUE(form->close());
        form.reset();
        auto again = startShown(a);
        EXPECT_EQ(again->memo2->anchorPos(), 3000u);
        EXPECT_EQ(again->memo2->caretPos(), 2950u);
        EXPECT_EQ(again->memo2->topPosition(), top);
        ASSERT_TRUE(again->close());
    }
}
