// A main window for the view commands' tests: a menu bar over the edit control that fills
// the client area, with the direction items laid out as the program has them (N16 "横書き"
// F11 disabled above N15 "縦書き" F12 enabled).
#pragma once

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <string>

#include "edit/edit_control.h"
#include "settings/settings.h"

namespace verlo::test {

struct CommandWindow {
    text::Document viewed;  // outlives the window and its control
    QMainWindow window;
    edit::EditControl* memo2 = new edit::EditControl(viewed);
    settings::Settings settings;
    QAction* n16 = nullptr;
    QAction* n15 = nullptr;

    CommandWindow() {
        window.setCentralWidget(memo2);
        QMenu* view = window.menuBar()->addMenu(QStringLiteral("表示(&V)"));
        QMenu* notation = view->addMenu(QStringLiteral("表記法"));
        n16 = notation->addAction(QStringLiteral("横書き"));
        n16->setShortcut(Qt::Key_F11);
        n16->setEnabled(false);
        n15 = notation->addAction(QStringLiteral("縦書き"));
        n15->setShortcut(Qt::Key_F12);
        window.resize(500, 400);
    }

    // Shown, active, laid out, with the keyboard focus in the control.
    void show() {
        window.show();
        window.activateWindow();
        settle();
        memo2->setFocus();
        settle();
        ASSERT_TRUE(window.isActiveWindow());
    }

    static void settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }

    QSize client() const { return memo2->size(); }
};

// Shift-JIS text of n full-width hiragana "あ" (82 A0).
inline std::string fullWidth(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "\x82\xA0";
    return s;
}

}  // namespace verlo::test
