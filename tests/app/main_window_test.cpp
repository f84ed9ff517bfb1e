// The main window as the program starts it: the start-up read and the closing write of
// the settings, the title with the caret indicator, the menu, and the window commands.
#include <QAction>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

#include "app_fixture.h"
#include "support/test_text.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/key_dialog.h"
#include "commands/crypt_commands.h"

using namespace verlo;
using verlo::app::TForm1;
using verlo::app::testing::AppTest;
using verlo::test::Asked;

namespace {

const QStringList kAllValues = {
    "Window/State", "Window/Left", "Window/Top", "Window/Height", "Window/Width", "Window/AlphaValue",
    "Font/Style", "Font/Pitch", "Window/Color", "Font/Color", "Font/Size", "Font/Name",
    "Window/ImeMode", "Window/VerHor", "Window/Gyou", "Window/Retsu", "Window/DayTime",
    "Window/FormTime", "Window/FormDay", "Window/StatusBar", "Print/PageSetup", "Window/Ruby",
    "File/Encoding", "File/LineBreak", "Outline/Shown", "Outline/Side", "Outline/Width", "Outline/Headings"};

}  // namespace

TEST_F(AppTest, FirstStartWithoutSettings) {
    auto form = start();
    EXPECT_EQ(form->normalBounds(), QRect(0, 0, 385, 300));
    EXPECT_EQ(form->windowState(), Qt::WindowNoState);
    EXPECT_FALSE(form->memo2->isVertical());
    EXPECT_EQ(form->settings.VerHor, 0);
    EXPECT_EQ(form->settings.Gyou, 40);
    EXPECT_EQ(form->settings.Retsu, 20);
    EXPECT_EQ(form->settings.DayTime, 5);
    EXPECT_EQ(form->settings.FormDay, 0);
    EXPECT_EQ(form->settings.FormTime, 0);
    EXPECT_EQ(form->AlphaBlendValue(), 128);
    EXPECT_FALSE(form->AlphaBlend());
    const QFont font = form->memo2->textFont();
    EXPECT_EQ(font.family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(font.pointSize(), 14);
    EXPECT_FALSE(font.bold() || font.italic() || font.underline() || font.strikeOut());
    EXPECT_EQ(form->memo2->textColor(), QColor(Qt::black));
    EXPECT_EQ(form->memo2->backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(form->memo2->text(), "");
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 1, 1));
    EXPECT_EQ(form->windowTitle().toUtf8(),
              QByteArray("Verlo        L:1\xE3\x80\x80" "C:1\xE3\x80\x80 (\xE5\x85\xA8" "1\xE8\xA1\x8C)"));
    EXPECT_FALSE(form->Save1->isEnabled());
    EXPECT_FALSE(form->N16->isEnabled());
    EXPECT_TRUE(form->N15->isEnabled());
    EXPECT_TRUE(form->acceptDrops());
    EXPECT_TRUE(answers.asked.empty());
    // The settings dialog was filled from the defaults.
    EXPECT_EQ(form2->dayTimeBits(), 5);

    ASSERT_TRUE(form->close());
    const auto ini = iniValues();
    EXPECT_EQ(QStringList(ini.keys()).filter("Window/").size(), 16);
    EXPECT_EQ(QStringList(ini.keys()).filter("Font/").size(), 5);
}

TEST_F(AppTest, CloseWritesEveryValueAsText) {
    auto form = start();
    ASSERT_TRUE(form->close());
    const auto ini = iniValues();
    for (const QString& key : kAllValues)
        EXPECT_TRUE(ini.contains(key)) << key.toStdString();
    // Besides, the slots of the recent files and the places kept, all empty.
    EXPECT_EQ(ini.size(), kAllValues.size() + 10 + 50);
    EXPECT_EQ(ini["Recent/File10"], "");
    EXPECT_EQ(ini["Places/Place50"], "");
    EXPECT_EQ(ini["Window/StatusBar"], "0");
    EXPECT_EQ(ini["Window/State"], "0");
    EXPECT_EQ(ini["Window/Left"], "0");
    EXPECT_EQ(ini["Window/Top"], "0");
    EXPECT_EQ(ini["Window/Height"], "300");
    EXPECT_EQ(ini["Window/Width"], "385");
    EXPECT_EQ(ini["Window/AlphaValue"], "128");
    EXPECT_EQ(ini["Font/Style"], "0");
    EXPECT_EQ(ini["Font/Pitch"], "0");
    EXPECT_EQ(ini["Window/Color"], "clWhite");
    EXPECT_EQ(ini["Font/Color"], "clBlack");
    EXPECT_EQ(ini["Font/Size"], "14");
    EXPECT_EQ(ini["Font/Name"], QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(ini["Window/ImeMode"], "3");
    EXPECT_EQ(ini["Window/VerHor"], "0");
    EXPECT_EQ(ini["Window/Gyou"], "40");
    EXPECT_EQ(ini["Window/Retsu"], "20");
    EXPECT_EQ(ini["Window/DayTime"], "5");
    EXPECT_EQ(ini["Window/FormTime"], "0");
    EXPECT_EQ(ini["Window/FormDay"], "0");
    EXPECT_EQ(ini["Print/PageSetup"], "");
    EXPECT_EQ(ini["Window/Ruby"], "off");
    EXPECT_EQ(ini["File/Encoding"], "Shift_JIS");
    EXPECT_EQ(ini["File/LineBreak"], "CRLF");
}

TEST_F(AppTest, StoredValuesAreReadBackAndWrittenAgain) {
    writeIni("[Window]\nState=0\nLeft=10\nTop=20\nHeight=400\nWidth=500\nAlphaValue=300\n"
             "VerHor=1\nGyou=33\nRetsu=$10\nDayTime=261\nFormDay=2\nFormTime=1\nColor=$00E0FFFF\nRuby=on\n"
             "[Font]\nStyle=3\nPitch=2\nColor=clRed\nSize=20\nName=IPAMincho\n"
             "[Print]\nPageSetup=chars:20 lines:20 grid:1\n");
    auto form = start();
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_EQ(form->pageSetup, QStringLiteral("chars:20 lines:20 grid:1"));
    EXPECT_EQ(form->normalBounds(), QRect(10, 20, 500, 400));
    EXPECT_EQ(form->AlphaBlendValue(), 44);  // 300 modulo 256
    EXPECT_EQ(form->settings.VerHor, 1);
    EXPECT_TRUE(form->memo2->isVertical());
    EXPECT_FALSE(form->N15->isEnabled());
    EXPECT_TRUE(form->N16->isEnabled());
    EXPECT_EQ(form->settings.Gyou, 33);
    EXPECT_EQ(form->settings.Retsu, 16);
    EXPECT_EQ(form->settings.DayTime, 5);  // 261 modulo 256
    EXPECT_EQ(form->settings.FormDay, 2);
    EXPECT_EQ(form->settings.FormTime, 1);
    EXPECT_TRUE(form->settings.Ruby);
    EXPECT_TRUE(form->Ruby1->isChecked());
    EXPECT_TRUE(form->memo2->rubyShown());
    form->Ruby1->trigger();
    EXPECT_FALSE(form->settings.Ruby);
    EXPECT_FALSE(form->memo2->rubyShown());
    form->Ruby1->trigger();
    EXPECT_EQ(form->memo2->backgroundColor(), QColor(255, 255, 224));
    EXPECT_EQ(form->memo2->textColor(), QColor(255, 0, 0));
    const QFont font = form->memo2->textFont();
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_TRUE(font.fixedPitch());
    EXPECT_EQ(font.pointSize(), 20);
    EXPECT_EQ(font.family(), "IPAMincho");

    ASSERT_TRUE(form->close());
    const auto ini = iniValues();
    EXPECT_EQ(ini["Print/PageSetup"], QStringLiteral("chars:20 lines:20 grid:1"));
    EXPECT_EQ(ini["Window/Left"], "10");
    EXPECT_EQ(ini["Window/Top"], "20");
    EXPECT_EQ(ini["Window/Height"], "400");
    EXPECT_EQ(ini["Window/Width"], "500");
    EXPECT_EQ(ini["Window/AlphaValue"], "44");
    EXPECT_EQ(ini["Window/VerHor"], "1");
    EXPECT_EQ(ini["Window/Retsu"], "16");
    EXPECT_EQ(ini["Window/DayTime"], "5");
    EXPECT_EQ(ini["Window/FormDay"], "2");
    EXPECT_EQ(ini["Window/FormTime"], "1");
    EXPECT_EQ(ini["Window/Ruby"], "on");
    EXPECT_EQ(ini["Window/Color"], "$00E0FFFF");
    EXPECT_EQ(ini["Font/Color"], "clRed");
    EXPECT_EQ(ini["Font/Style"], "3");
    EXPECT_EQ(ini["Font/Pitch"], "2");
    EXPECT_EQ(ini["Font/Size"], "20");
    EXPECT_EQ(ini["Font/Name"], "IPAMincho");
}

TEST_F(AppTest, AnOddWritingDirectionIsKeptUntilACommandRuns) {
    writeIni("[Window]\nVerHor=2\n");
    auto form = start();
    EXPECT_FALSE(form->memo2->isVertical());
    EXPECT_TRUE(form->N15->isEnabled());
    EXPECT_FALSE(form->N16->isEnabled());
    ASSERT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Window/VerHor"], "2");
}

TEST_F(AppTest, MaximizedWindowKeepsItsNormalBounds) {
    writeIni("[Window]\nState=2\nLeft=30\nTop=40\nHeight=350\nWidth=420\n");
    auto form = startShown();
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
    ASSERT_TRUE(form->close());
    const auto ini = iniValues();
    EXPECT_EQ(ini["Window/State"], "2");
    EXPECT_EQ(ini["Window/Left"], "30");
    EXPECT_EQ(ini["Window/Top"], "40");
    EXPECT_EQ(ini["Window/Height"], "350");
    EXPECT_EQ(ini["Window/Width"], "420");
}

TEST_F(AppTest, MinimizedWindowStartsMinimized) {
    writeIni("[Window]\nState=1\n");
    auto form = start();
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Window/State"], "1");
}

TEST_F(AppTest, NonNumbersReadAsDefaults) {
    writeIni("[Window]\nGyou=forty\nRetsu=\nAlphaValue=12x\nWidth= \n[Font]\nSize=big\n");
    auto form = start();
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_EQ(form->settings.Gyou, 40);
    EXPECT_EQ(form->settings.Retsu, 20);
    EXPECT_EQ(form->AlphaBlendValue(), 128);
    EXPECT_EQ(form->normalBounds().width(), 385);
    EXPECT_EQ(form->memo2->textFont().pointSize(), 14);
}

TEST_F(AppTest, ColoursAreStoredByNameOrAsDollarHex) {
    auto form = start();
    form->memo2->setBackgroundColor(QColor(255, 255, 255));
    form->memo2->setTextColor(QColor(255, 255, 224));
    ASSERT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Window/Color"], "clWhite");
    EXPECT_EQ(iniValues()["Font/Color"], "$00E0FFFF");
}

TEST_F(AppTest, ASystemColourIsWrittenBackByItsName) {
    writeIni("[Window]\nColor=clwindow\n");
    auto form = start();
    ASSERT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Window/Color"], "clWindow");
}

// A value of the wrong type or a bad colour is reported, keeps its default, and the
// values after it are still read (so the close does not overwrite them with defaults).
TEST_F(AppTest, ReadErrorsAreReportedAndTheRestIsStillRead) {
    writeIni("[Window]\nGyou=1,2\nRetsu=30\nColor=clWhit\n[Font]\nSize=18\nColor=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n");
    auto form = start();
    EXPECT_EQ(answers.errors(), (QStringList{"'Gyou' のデータ型が不正です.", "'Color' のデータ型が不正です.",
                                             "'clWhit' は整数ではありません."}));
    for (const auto& a : answers.asked)
        EXPECT_EQ(a.title, "Verlo");
    EXPECT_EQ(form->settings.Gyou, 40);
    EXPECT_EQ(form->settings.Retsu, 30);
    EXPECT_EQ(form->memo2->textFont().pointSize(), 18);
    EXPECT_EQ(form->memo2->backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 1, 1));
    ASSERT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Window/Retsu"], "30");
    EXPECT_EQ(iniValues()["Window/Gyou"], "40");
}

TEST_F(AppTest, AnUnwritableSettingsFolderKeepsTheWindowOpenInTheNormalState) {
    // A plain file where the settings folder belongs: nothing can be created there.
    putFile(config.filePath("Tarnvel"), "not a folder");
    auto form = startShown();
    form->setWindowState(Qt::WindowMaximized);
    QTest::qWait(10);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(answers.errors(), QStringList{"キー Window の作成に失敗しました."});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), Qt::WindowNoState);

    // Once the folder can be made, the next try closes.
    QFile::remove(config.filePath("Tarnvel"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Window/State"], "0");
}

TEST_F(AppTest, TheSettingsDialogsControlsAreStoredAtClose) {
    writeIni("[Window]\nDayTime=15\nFormDay=7\n");
    auto form = start();
    EXPECT_EQ(form2->dayTimeBits(), 15);
    // Changed in the dialog and left with Cancel: stored anyway.
    form2->CheckBox2->setChecked(false);
    form2->Button2Click();
    ASSERT_TRUE(form->close());
    EXPECT_EQ(iniValues()["Window/DayTime"], "13");
    EXPECT_EQ(iniValues()["Window/FormDay"], "3");
}

// ---- the title

TEST_F(AppTest, TitleOfALoadedFile) {
    const QString file = QString::fromStdString(verlo::test::samplePath().string());
    auto form = start(file);
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_EQ(form->currentFileName(), file);
    EXPECT_EQ(form->captionBase, "Verlo - neko.txt");
    EXPECT_TRUE(form->windowTitle().startsWith("Verlo - neko.txt        L:1\u3000C:1\u3000 (全"));
    EXPECT_TRUE(form->Save1->isEnabled());
    EXPECT_FALSE(form->memo2->modified());
    EXPECT_FALSE(form->memo2->document().canUndo());
    EXPECT_EQ(QByteArray::fromStdString(form->memo2->text()), fileBytes(file));
    // Closing without changes asks nothing.
    ASSERT_TRUE(form->close());
    EXPECT_EQ(answers.count(Asked::Confirm), 0);
}

TEST_F(AppTest, CaretIndicatorCountsBytesAndLaidOutLines) {
    auto form = start();
    // Five lines; "\x82\xA0" is one double-byte character (あ), counting two.
    form->memo2->setText("ab\r\n\x82\xA0x\r\nline3\r\n\r\nend");
    form->memo2->setSelStart(7);  // after あ on line 2
    form->UpdateCaption();
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(2, 4, 5));
    form->memo2->setSelStart(9);  // start of the third line
    form->UpdateCaption();
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(3, 1, 5));

    // A selection made backwards shows its start, not the caret.
    form->memo2->setSelection(12, 1);
    form->UpdateCaption();
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 2, 5));
}

TEST_F(AppTest, CaretIndicatorCountsWrappedLines) {
    auto form = startShown();
    form->resize(300, 300);
    QTest::qWait(10);
    form->memo2->setText(std::string(400, 'a'));
    const std::size_t lines = form->memo2->lineCount();
    ASSERT_GT(lines, 1u) << "the long line must wrap";
    const std::size_t second = form->memo2->lineIndex(1);
    form->memo2->setSelStart(second + 2);
    form->UpdateCaption();
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(2, 3, static_cast<int>(lines)));
}

// The count in the first title is that of the text as the window shows it, not of a
// control that has not yet been given the client area; a new window size re-wraps the text
// and the title follows.
TEST_F(AppTest, TheTitleCountsTheLinesAsTheWindowShowsThem) {
    const QString file = path("long.txt");
    putFile(file, QByteArray(600, 'a') + "\r\n" + QByteArray(300, 'b'));
    auto form = start(file);
    const QString first = form->windowTitle();
    showMainWindow(*form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const std::size_t shown = form->memo2->lineCount();
    ASSERT_GT(shown, 2u) << "the long lines must wrap";
    EXPECT_EQ(first.toStdString(), ("Verlo - long.txt" + indicator(1, 1, static_cast<int>(shown))).toStdString());

    form->resize(form->width() * 2, form->height());
    QTest::qWait(10);
    const std::size_t wider = form->memo2->lineCount();
    ASSERT_LT(wider, shown);
    EXPECT_EQ(form->windowTitle().toStdString(),
              ("Verlo - long.txt" + indicator(1, 1, static_cast<int>(wider))).toStdString());
}

TEST_F(AppTest, IndicatorTrailsAHeldKeyUntilItIsReleased) {
    auto form = startShown();
    form->memo2->setText("abcdef");
    form->memo2->setSelStart(0);
    QTest::keyPress(form->memo2, Qt::Key_Right);
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 1, 1));
    QTest::keyPress(form->memo2, Qt::Key_Right, Qt::NoModifier);
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 2, 1));
    QTest::keyRelease(form->memo2, Qt::Key_Right);
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 3, 1));
}

TEST_F(AppTest, TypingAndTheMouseRefreshTheTitle) {
    auto form = startShown();
    QTest::keyClicks(form->memo2, "xy");
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 3, 1));
    form->memo2->setSelStart(0);
    QTest::mouseClick(form->memo2->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 1, 1));
}

TEST_F(AppTest, N9TogglesTheIndicator) {
    auto form = startShown();
    form->N9->trigger();
    EXPECT_FALSE(form->N9->isChecked());
    QTest::keyClicks(form->memo2, "abc");
    EXPECT_EQ(form->windowTitle(), "Verlo");
    form->N9->trigger();
    EXPECT_EQ(form->windowTitle(), "Verlo");  // until the next event in the text
    QTest::keyClick(form->memo2, Qt::Key_Left);
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 3, 1));
}

TEST_F(AppTest, CommandLineFileWithATrailByte5CInItsName) {
    const QString file = path(QStringLiteral("表.txt"));
    putFile(file, "abc");
    auto form = start(file);
    EXPECT_EQ(form->captionBase, QStringLiteral("Verlo - 表.txt"));
}

TEST_F(AppTest, MissingCommandLineFile) {
    const QString missing = path("missing.txt");
    auto form = start(missing);
    EXPECT_EQ(answers.errors(), QStringList{QStringLiteral("ファイル %1 は開けません.").arg(missing)});
    EXPECT_EQ(form->currentFileName(), QString());
    EXPECT_EQ(form->windowTitle(), "Verlo" + indicator(1, 1, 1));
    EXPECT_FALSE(form->Save1->isEnabled());
}

// ---- the menu

TEST_F(AppTest, EveryShortcutIsOneItemsAndAKeyPressInTheTextReachesItsHandler) {
    auto form = startShown();
    QHash<QKeySequence, QAction*> items;
    QList<QAction*> reached;
    for (QAction* a : form->findChildren<QAction*>()) {
        if (a->shortcut().isEmpty()) continue;
        SCOPED_TRACE(a->objectName().toStdString());
        EXPECT_FALSE(items.contains(a->shortcut())) << "a second item with the same shortcut";
        items.insert(a->shortcut(), a);
        // The item's handler is the window's; it is put aside here so that the key press is
        // seen reaching it without the command running.
        EXPECT_TRUE(QObject::disconnect(a, SIGNAL(triggered(bool)), form.get(), nullptr));
        QObject::connect(a, &QAction::triggered, [&reached, a] { reached << a; });
        a->setEnabled(true);  // the disabled ones are tested below
    }
    ASSERT_TRUE(items.contains(QKeySequence(Qt::SHIFT | Qt::Key_F1)));
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        reached.clear();
        QTest::keySequence(form->memo2, it.key());
        EXPECT_EQ(reached, QList<QAction*>{it.value()}) << it.value()->objectName().toStdString();
    }
    EXPECT_EQ(form->memo2->text(), "");
}

TEST_F(AppTest, MenuShortcutsComeBeforeTheControl) {
    auto form = startShown();
    ASSERT_EQ(QApplication::focusWidget(), form->memo2);
    QSignalSpy keyDowns(form->memo2, &edit::EditControl::keyDown);
    QSignalSpy selectAll(form->N6, &QAction::triggered);
    QSignalSpy undo(form->Undo1, &QAction::triggered);
    QSignalSpy pageDown(form->N19, &QAction::triggered);
    QTest::keyClicks(form->memo2, "abc");
    keyDowns.clear();
    QTest::keyClick(form->memo2, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->memo2, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(form->memo2, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(selectAll.size(), 1);
    EXPECT_EQ(undo.size(), 1);
    EXPECT_EQ(pageDown.size(), 1);
    // Only the three presses of Ctrl itself reach the control, not the shortcuts' keys.
    EXPECT_EQ(keyDowns.size(), 3) << "a shortcut's key does not reach the control";
}

TEST_F(AppTest, ShortcutsOfDisabledItemsDoNothing) {
    auto form = startShown();
    QTest::keyClicks(form->memo2, "abc");
    QSignalSpy keyDowns(form->memo2, &edit::EditControl::keyDown);
    QSignalSpy save(form->Save1, &QAction::triggered);
    QSignalSpy horizontal(form->N16, &QAction::triggered);
    QSignalSpy help(form->SearchforHelpOn1, &QAction::triggered);
    QTest::keyClick(form->memo2, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(form->memo2, Qt::Key_F11);
    QTest::keyClick(form->memo2, Qt::Key_F1);
    EXPECT_EQ(save.size() + horizontal.size() + help.size(), 0);
    EXPECT_EQ(keyDowns.size(), 1) << "only the press of Ctrl itself reaches the control";
    EXPECT_EQ(form->memo2->text(), "abc");
    EXPECT_FALSE(form->memo2->isVertical());
    EXPECT_TRUE(answers.asked.empty());
    // Called by the program, a disabled command does nothing either.
    form->Save1Click();
    form->N16Click();
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_FALSE(form->memo2->isVertical());
}

TEST_F(AppTest, AboutBox) {
    auto form = start();
    form->About1->trigger();
    ASSERT_EQ(answers.count(Asked::About), 1);
    const Asked& about = answers.asked.back();
    EXPECT_EQ(about.title, "バージョン情報");
    EXPECT_EQ(about.message, "Verlo.exe ver 1.03");
    EXPECT_EQ(about.text, "製作日  ：    02/09/10\r\n更新日  ：    03/06/06");
}

TEST_F(AppTest, ExitClosesThroughTheCloseQuery) {
    auto form = startShown();
    form->Exit1->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(QFile::exists(iniPath()));
}

TEST_F(AppTest, TheTextFillsTheClientArea) {
    auto form = startShown();
    for (const QSize size : {QSize(500, 420), QSize(320, 260)}) {
        form->resize(size);
        QTest::qWait(10);
        EXPECT_EQ(form->memo2->pos(), QPoint(0, form->menuBar()->height()));
        EXPECT_EQ(form->memo2->width(), form->width());
        EXPECT_EQ(form->memo2->height(), form->height() - form->menuBar()->height());
    }
    EXPECT_FALSE(form->Memo1->isVisible());
}

TEST_F(AppTest, CharactersTheCodePageCannotHoldAreNamed) {
    auto form = startShown();
    QGuiApplication::clipboard()->setText(QStringLiteral("a\U0001F600b"));
    form->Paste1->trigger();
    ASSERT_EQ(answers.errors().size(), 1);
    EXPECT_TRUE(answers.errors().first().contains(QStringLiteral("\U0001F600")));
    EXPECT_EQ(form->memo2->text(), "");
}

TEST_F(AppTest, KeyDialogIsCreatedHiddenAndOpenedByItsShortcuts) {
    auto form = startShown();
    ASSERT_NE(form->cryptCommands(), nullptr);
    dialogs::TForm3* form3 = form->cryptCommands()->form3();
    EXPECT_FALSE(form3->isVisible());
    QTest::keyClick(form->memo2, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(form3->isVisible());
    EXPECT_EQ(form3->Button1->text(), QStringLiteral("暗号化"));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->memo2, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(form3->Button1->text(), QStringLiteral("復号化"));

    // The whole text encrypted and decrypted again with the key left in the box.
    form->memo2->setText("abc\r\n");
    form3->Edit1->setText(QStringLiteral("鍵"));
    form->N22Click();
    form3->Button1Click();
    EXPECT_FALSE(form3->isVisible());
    EXPECT_NE(form->memo2->text(), "abc\r\n");
    form->N23Click();
    form3->Button1Click();
    EXPECT_EQ(form->memo2->text(), "abc\r\n");
}
