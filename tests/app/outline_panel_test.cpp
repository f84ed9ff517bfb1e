// The outline panel in the real main window: hidden until asked for, the headings nested with
// their sections' figures as the writer types, moving by heading, its side and width kept,
// and F7/F8 still fitting the text area with the panel beside it.
#include <QDockWidget>
#include <QTest>
#include <QTreeWidget>

#include "app/outline_panel.h"
#include "app_fixture.h"
#include "commands/window_fit.h"
#include "outline/outline.h"
#include "support/test_text.h"

using namespace verlo;
using verlo::app::testing::AppTest;
using verlo::test::sjis;

namespace {

class OutlinePanelTest : public AppTest {
protected:
    // Each item as "level-indent text chars pages", in order.
    static QStringList rows(const QTreeWidget& tree) {
        QStringList out;
        const std::function<void(const QTreeWidgetItem&, int)> walk = [&](const QTreeWidgetItem& item, int depth) {
            out << QString(depth, u'>') + item.text(0) + u' ' + item.text(1) + u' ' + item.text(2);
            for (int i = 0; i < item.childCount(); ++i) walk(*item.child(i), depth + 1);
        };
        for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(*tree.topLevelItem(i), 0);
        return out;
    }
    static void settle() { QTest::qWait(5); }
};

const std::u16string kNovel = u"前書き\r\n第一部\r\n第一章　雨\r\n雨が降る。\r\n第二章\r\n晴れ。\r\n第二部\r\nおわり";

}  // namespace

TEST_F(OutlinePanelTest, HeadingsNestedWithTheirFiguresFollowTheTextAndTheCaret) {
    auto form = startShown();
    EXPECT_FALSE(form->Outline1->isChecked());
    EXPECT_EQ(form->findChild<QDockWidget*>(), nullptr);  // the window as it always was
    edit::EditControl& memo2 = *form->memo2;
    memo2.setText(sjis(kNovel));
    form->Outline1->trigger();
    app::OutlinePanel& panel = form->outlinePanel();
    ASSERT_TRUE(panel.shown());
    EXPECT_EQ(rows(panel.tree()), (QStringList{"第一部 19 0.3", ">第一章　雨 10 0.1", ">第二章 6 0.1", "第二部 6 0.1"}));

    // Typing in a section counts it again; a new heading takes its place in the nesting.
    memo2.setSelection(memo2.textLength(), memo2.textLength());
    memo2.replaceSelection(sjis(u"。"), true);
    memo2.setSelection(0, 0);
    memo2.replaceSelection(sjis(u"プロローグ\r\n"), true);
    settle();
    EXPECT_EQ(rows(panel.tree()),
              (QStringList{"プロローグ 8 0.1", "第一部 19 0.3", ">第一章　雨 10 0.1", ">第二章 6 0.1", "第二部 7 0.1"}));

    // The caret's section is the current item; choosing one puts the caret at its start.
    const std::string text = memo2.text();
    memo2.setSelection(text.find(sjis(u"晴れ")), text.find(sjis(u"晴れ")));
    EXPECT_EQ(panel.tree().currentItem()->text(0), QStringLiteral("第二章"));
    // By keyboard: F6 from the text to the list, down to a heading, Enter.
    QTest::keyClick(&memo2, Qt::Key_F6);
    ASSERT_TRUE(panel.tree().hasFocus());
    panel.tree().setCurrentItem(panel.tree().topLevelItem(1));
    QTest::keyClick(&panel.tree(), Qt::Key_Down);
    QTest::keyClick(&panel.tree(), Qt::Key_Down);
    QTest::keyClick(&panel.tree(), Qt::Key_Down);
    QTest::keyClick(&panel.tree(), Qt::Key_Down);
    EXPECT_EQ(panel.tree().currentItem()->text(0), QStringLiteral("第二部"));
    const QString title = form->windowTitle();
    QTest::keyClick(&panel.tree(), Qt::Key_Return);
    EXPECT_EQ(memo2.caretPos(), text.find(sjis(u"第二部")));
    EXPECT_NE(form->windowTitle(), title) << "the caret indicator follows the caret";
    EXPECT_TRUE(memo2.hasFocus());

    // From the text, by heading, also with the panel hidden.
    form->Outline1->trigger();
    EXPECT_FALSE(panel.shown());
    QTest::keyClick(&memo2, Qt::Key_PageUp, Qt::AltModifier);
    EXPECT_EQ(memo2.caretPos(), text.find(sjis(u"第二章")));
    QTest::keyClick(&memo2, Qt::Key_PageUp, Qt::AltModifier);
    EXPECT_EQ(memo2.caretPos(), text.find(sjis(u"第一章")));
    QTest::keyClick(&memo2, Qt::Key_PageDown, Qt::AltModifier);
    EXPECT_EQ(memo2.caretPos(), text.find(sjis(u"第二章")));
}

TEST_F(OutlinePanelTest, ALargeChangeIsCountedInTheBackground) {
    auto form = startShown();
    form->Outline1->trigger();
    app::OutlinePanel& panel = form->outlinePanel();
    panel.setBackgroundFrom(16);
    edit::EditControl& memo2 = *form->memo2;
    memo2.setText(sjis(kNovel + u"\r\n" + kNovel));
    EXPECT_FALSE(panel.exact());
    memo2.setSelection(3, 3);
    memo2.replaceSelection(sjis(u"あ"), true);  // an edit while the worker counts
    while (!panel.exact()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    settle();
    // The figures are those of the text as it is now, read afresh.
    outline::Outline fresh;
    fresh.rebuild(memo2.document());
    const std::vector<std::size_t> ends = outline::sectionEnds(fresh.headings());
    QStringList expected;
    for (std::size_t i = 0; i < fresh.headings().size(); ++i)
        expected << QString::number(fresh.sectionChars(memo2.document(), i, ends));
    QStringList shown;
    for (const QString& row : rows(panel.tree())) shown << row.section(u' ', -2, -2);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(shown.size(), 8);
}

TEST_F(OutlinePanelTest, ItsSideAndWidthAreKeptAndF7F8FitTheTextAreaBesideIt) {
    writeIni("[Outline]\nShown=1\nSide=left\nWidth=150\nHeadings=hashes\n");
    auto form = startShown();
    app::OutlinePanel& panel = form->outlinePanel();
    ASSERT_TRUE(panel.shown());
    EXPECT_EQ(form->dockWidgetArea(&panel.dock()), Qt::LeftDockWidgetArea);
    EXPECT_EQ(panel.dock().width(), 150);
    EXPECT_FALSE(panel.rules().numbered);
    form->settings.Gyou = 20;
    form->settings.Retsu = 12;
    form->N10->trigger();
    form->N12->trigger();
    settle();
    const QFont font = form->memo2->textFont();
    EXPECT_EQ(form->memo2->width(), commands::WindowFit::clientExtent(commands::WindowFit::lineMeasure(font), 20));
    EXPECT_EQ(form->memo2->height(), commands::WindowFit::clientExtent(commands::WindowFit::columnMeasure(font), 12));
    EXPECT_EQ(panel.dock().width(), 150);
    ASSERT_TRUE(form->close());
    const QMap<QString, QString> ini = iniValues();
    EXPECT_EQ(ini["Outline/Shown"], "1");
    EXPECT_EQ(ini["Outline/Side"], "left");
    EXPECT_EQ(ini["Outline/Width"], "150");
    EXPECT_EQ(ini["Outline/Headings"], "hashes");
}
