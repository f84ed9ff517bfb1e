// A helper process for the recovery tests: the real program start (with the file named as
// its argument, or untitled), then the bursts of recovery_bursts.h typed as keys into the
// window; after each burst, once its recovery copy is written, it prints the burst's
// number. Then it waits to be killed.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <cstdio>

#include "session/document_session.h"
#include "app/main_window.h"
#include "app/program.h"
#include "edit/edit_control.h"
#include "recovery/recovery_keeper.h"
#include "recovery_bursts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    verlo::app::prepareApplication(app);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    verlo::app::ProgramWindows windows = verlo::app::createProgramWindows(file);
    verlo::app::showMainWindow(*windows.form1);
    verlo::recovery::RecoveryKeeper& keeper = windows.form1->session().recoveryKeeper();
    keeper.setIdleDelay(1);
    QWidget* memo2 = windows.form1->memo2;
    const QStringList bursts = verlo::app::testing::typedBursts();
    for (int i = 0; i < bursts.size(); ++i) {
        const QStringList lines = bursts[i].split(u'\n');
        for (int k = 0; k < lines.size(); ++k) {
            if (k > 0) QTest::keyClick(memo2, Qt::Key_Return);
            for (const QChar c : lines[k]) {  // as an input method's key events bring them
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(memo2, &press);
            }
        }
        while (keeper.busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::printf("%d\n", i + 1);
        std::fflush(stdout);
    }
    return app.exec();
}
