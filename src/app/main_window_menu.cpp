// The main menu of TForm1: every menu, item, caption, access key, shortcut, separator and
// initial state, in order, and each item's handler.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/main_window.h"

namespace verlo::app {

namespace {

QMenu* menu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

QMenu* submenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* m = parent->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

QAction* item(QMenu* parent, const char* name, const QString& caption, const QKeySequence& shortcut = {}) {
    QAction* a = parent->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut);
    // The window's shortcuts are active wherever the focus is inside it.
    a->setShortcutContext(Qt::WindowShortcut);
    return a;
}

QAction* separator(QMenu* parent, const char* name) {
    QAction* a = parent->addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QKeySequence ctrl(Qt::Key key) { return QKeySequence(Qt::CTRL | key); }
QKeySequence shift(Qt::Key key) { return QKeySequence(Qt::SHIFT | key); }
QKeySequence plain(Qt::Key key) { return QKeySequence(key); }

}  // namespace

void TForm1::createMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = menu(bar, "File1", QStringLiteral("ファイル(&F)"));
    New1 = item(File1, "New1", QStringLiteral("新規作成(&N)"), ctrl(Qt::Key_N));
    Open1 = item(File1, "Open1", QStringLiteral("開く(&O)"), ctrl(Qt::Key_O));
    Save1 = item(File1, "Save1", QStringLiteral("上書き保存(&S)"), ctrl(Qt::Key_S));
    SaveAs1 = item(File1, "SaveAs1", QStringLiteral("名前を付けて保存(&A)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    N1 = separator(File1, "N1");
    N14 = item(File1, "N14", QStringLiteral("IEで印刷プレビュー(&V)"));
    PageSetup1 = item(File1, "PageSetup1", QStringLiteral("ページ設定(&U)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    Print1 = item(File1, "Print1", QStringLiteral("印刷(&P)"), ctrl(Qt::Key_P));
    ExportPdf1 = item(File1, "ExportPdf1", QStringLiteral("PDFに書き出す(&E)"), ctrl(Qt::Key_E));
    RecentFiles1 = submenu(File1, "RecentFiles1", QStringLiteral("最近使ったファイル(&R)"));
    Discarded1 = submenu(File1, "Discarded1", QStringLiteral("破棄した文章(&D)"));
    N7 = separator(File1, "N7");
    Exit1 = item(File1, "Exit1", QStringLiteral("終了(&X)"));
    createFormatMenus();

    Edit1 = menu(bar, "Edit1", QStringLiteral("編集(&E)"));
    Undo1 = item(Edit1, "Undo1", QStringLiteral("元に戻す"), ctrl(Qt::Key_Z));
    Redo1 = item(Edit1, "Redo1", QStringLiteral("やり直し"), ctrl(Qt::Key_Y));
    Redo1->setShortcuts({ctrl(Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    N2 = separator(Edit1, "N2");
    Copy1 = item(Edit1, "Copy1", QStringLiteral("コピー"), ctrl(Qt::Key_C));
    Cut1 = item(Edit1, "Cut1", QStringLiteral("切り取り"), ctrl(Qt::Key_X));
    Paste1 = item(Edit1, "Paste1", QStringLiteral("貼り付け"), ctrl(Qt::Key_V));
    N4 = separator(Edit1, "N4");
    Find1 = item(Edit1, "Find1", QStringLiteral("検索"), ctrl(Qt::Key_F));
    FindNext1 = item(Edit1, "FindNext1", QStringLiteral("次を検索"), plain(Qt::Key_F3));
    Replace1 = item(Edit1, "Replace1", QStringLiteral("置換"), ctrl(Qt::Key_R));
    N17 = separator(Edit1, "N17");
    N18 = item(Edit1, "N18", QStringLiteral("前ページ"), ctrl(Qt::Key_U));
    N19 = item(Edit1, "N19", QStringLiteral("次ページ"), ctrl(Qt::Key_D));
    N5 = separator(Edit1, "N5");
    N6 = item(Edit1, "N6", QStringLiteral("全て選択"), ctrl(Qt::Key_A));
    N20 = separator(Edit1, "N20");
    N21 = item(Edit1, "N21", QStringLiteral("時間と日付"), plain(Qt::Key_F5));

    Show1 = menu(bar, "Show1", QStringLiteral("表示(&V)"));
    N3 = item(Show1, "N3", QStringLiteral("フォント(&F)"));
    V1 = submenu(Show1, "V1", QStringLiteral("見栄え(&V)"));
    C1 = item(V1, "C1", QStringLiteral("背景色(&C)"));
    T1 = item(V1, "T1", QStringLiteral("透過"), ctrl(Qt::Key_T));
    N11 = submenu(Show1, "N11", QStringLiteral("表示サイズ"));
    N10 = item(N11, "N10", QStringLiteral("行を調節"), plain(Qt::Key_F7));
    N12 = item(N11, "N12", QStringLiteral("列を調節"), plain(Qt::Key_F8));
    N13 = submenu(Show1, "N13", QStringLiteral("表記法"));
    N16 = item(N13, "N16", QStringLiteral("横書き"), plain(Qt::Key_F11));
    N15 = item(N13, "N15", QStringLiteral("縦書き"), plain(Qt::Key_F12));
    N9 = item(Show1, "N9", QStringLiteral("行列番号表示"));
    StatusBar1 = item(Show1, "StatusBar1", QStringLiteral("ステータスバー(&S)"));
    Ruby1 = item(Show1, "Ruby1", QStringLiteral("ルビを表示"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    Outline1 = item(Show1, "Outline1", QStringLiteral("アウトライン(&O)"));
    // Alt with a key is nothing the edit control takes, and Page Down/Up reads alike in both
    // writing directions.
    NextHeading1 = item(Show1, "NextHeading1", QStringLiteral("次の見出し"), QKeySequence(Qt::ALT | Qt::Key_PageDown));
    PreviousHeading1 =
        item(Show1, "PreviousHeading1", QStringLiteral("前の見出し"), QKeySequence(Qt::ALT | Qt::Key_PageUp));
    // F6 moves between the panes of a window, as elsewhere; the text takes Tab itself.
    OutlineFocus1 = item(Show1, "OutlineFocus1", QStringLiteral("アウトラインと本文を切り替え"), plain(Qt::Key_F6));

    ool1 = menu(bar, "ool1", QStringLiteral("ツール(&T)"));
    N8 = item(ool1, "N8", QStringLiteral("文字カウント"), ctrl(Qt::Key_M));
    O1 = item(ool1, "O1", QStringLiteral("オプション設定(&O)"));
    N22 = item(ool1, "N22", QStringLiteral("暗号化"), shift(Qt::Key_F1));
    N23 = item(ool1, "N23", QStringLiteral("復号化"), shift(Qt::Key_F2));

    Help1 = menu(bar, "Help1", QStringLiteral("ヘルプ(&H)"));
    SearchforHelpOn1 = item(Help1, "SearchforHelpOn1", QStringLiteral("トピックの検索"), plain(Qt::Key_F1));
    About1 = item(Help1, "About1", QStringLiteral("バージョン情報"));

    // Initial states: horizontal writing is the layout's direction, so "横書き" starts
    // disabled; the caret indicator is on; help is never available.
    N16->setEnabled(false);
    N9->setCheckable(true);
    N9->setChecked(true);
    Ruby1->setCheckable(true);
    SearchforHelpOn1->setEnabled(false);

    for (QAction* a : findChildren<QAction*>())
        if (!a->shortcut().isEmpty())
            shortcutActions_ << a;
}

void TForm1::connectMenu() {
    const std::pair<QAction*, void (TForm1::*)()> handlers[] = {
        {New1, &TForm1::New1Click},
        {Open1, &TForm1::Open1Click},
        {Save1, &TForm1::Save1Click},
        {SaveAs1, &TForm1::SaveAs1Click},
        {N14, &TForm1::N14Click},
        {PageSetup1, &TForm1::PageSetup1Click},
        {Print1, &TForm1::Print1Click},
        {ExportPdf1, &TForm1::ExportPdf1Click},
        {Exit1, &TForm1::Exit1Click},
        {Undo1, &TForm1::Undo1Click},
        {Redo1, &TForm1::Redo1Click},
        {Copy1, &TForm1::Copy1Click},
        {Cut1, &TForm1::Cut1Click},
        {Paste1, &TForm1::Paste1Click},
        {Find1, &TForm1::Find1Click},
        {FindNext1, &TForm1::FindNext1Click},
        {Replace1, &TForm1::Replace1Click},
        {N18, &TForm1::N18Click},
        {N19, &TForm1::N19Click},
        {N6, &TForm1::N6Click},
        {N21, &TForm1::N21Click},
        {N3, &TForm1::N3Click},
        {C1, &TForm1::C1Click},
        {T1, &TForm1::T1Click},
        {N10, &TForm1::N10Click},
        {N12, &TForm1::N12Click},
        {N16, &TForm1::N16Click},
        {N15, &TForm1::N15Click},
        {N8, &TForm1::N8Click},
        {O1, &TForm1::O1Click},
        {N22, &TForm1::N22Click},
        {N23, &TForm1::N23Click},
        {SearchforHelpOn1, &TForm1::SearchforHelpOn1Click},
        {About1, &TForm1::About1Click},
        {Ruby1, &TForm1::Ruby1Click},
        {NextHeading1, &TForm1::NextHeading1Click},
        {PreviousHeading1, &TForm1::PreviousHeading1Click},
        {OutlineFocus1, &TForm1::OutlineFocus1Click},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, handler);
    // N9 has no handler: choosing it toggles its check mark, and the title follows at
    // the next UpdateCaption.
}

}  // namespace verlo::app
