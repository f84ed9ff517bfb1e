// A helper process for the settings test: the real program start, then the ruby shown
// with its key, the status bar with its menu item and a page setup as the page setup
// dialog leaves it; it prints "changed" and waits to be killed.
#include <QApplication>
#include <QTest>
#include <cstdio>

#include "app/main_window.h"
#include "app/program.h"
#include "edit/edit_control.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    verlo::app::prepareApplication(app);
    verlo::app::ProgramWindows windows = verlo::app::createProgramWindows(QString());
    verlo::app::showMainWindow(*windows.form1);
    QTest::keyClick(windows.form1->memo2, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    windows.form1->StatusBar1->trigger();
    windows.form1->pageSetup = QStringLiteral("chars:20 lines:20 grid:1");
    std::printf("changed\n");
    std::fflush(stdout);
    return app.exec();
}
