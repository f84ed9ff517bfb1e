// Program start: the encryption commands, the PDF export and the outline without a window;
// otherwise the editor.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"
#include "app/program.h"
#include "cli/command_line.h"
#include "cli/crypt_tool.h"
#include "cli/outline_tool.h"
#include "cli/pdf_tool.h"
#include "cli/tool_io.h"

int main(int argc, char** argv) {
    if (const std::optional<int> status = verlo::cli::runCryptCommandLine(argc, argv))
        return *status;

    // --help and --version answer without a display; Qt's own options (-platform, ...)
    // are taken out by QApplication before the file name is looked for.
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    if (verlo::cli::asksForPdf(rawArgs)) {
        // Pages are set with the editor's fonts but shown nowhere: no display is needed.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        verlo::app::prepareApplication(app);
        return verlo::cli::runPdfCommandLine(QCoreApplication::arguments().mid(1));
    }
    if (verlo::cli::asksForOutline(rawArgs)) {
        QCoreApplication app(argc, argv);
        return verlo::cli::runOutlineCommandLine(QCoreApplication::arguments().mid(1));
    }
    const verlo::cli::CommandLine early = verlo::cli::parseCommandLine(rawArgs);
    if (early.action == verlo::cli::CommandLine::Action::Help) {
        std::fputs(verlo::cli::commandLineHelp().toLocal8Bit().constData(), stdout);
        std::fputs(verlo::cli::cryptCommandLineHelp().c_str(), stdout);
        std::fputs(verlo::cli::pdfCommandLineHelp().toLocal8Bit().constData(), stdout);
        std::fputs(verlo::cli::outlineCommandLineHelp().toLocal8Bit().constData(), stdout);
        return verlo::cli::kExitDone;
    }
    if (early.action == verlo::cli::CommandLine::Action::Version) {
        std::fputs(verlo::cli::versionText().toLocal8Bit().constData(), stdout);
        return verlo::cli::kExitDone;
    }
    if (early.action == verlo::cli::CommandLine::Action::Error) {
        verlo::cli::say(early.error, /*bare=*/true);
        return verlo::cli::kExitTrouble;
    }

    QApplication app(argc, argv);
    const verlo::cli::CommandLine commandLine = verlo::cli::parseCommandLine(QCoreApplication::arguments().mid(1));
    if (commandLine.action == verlo::cli::CommandLine::Action::Error) {
        verlo::cli::say(commandLine.error, /*bare=*/true);
        return verlo::cli::kExitTrouble;
    }
    verlo::app::prepareApplication(app);
    // The icon drawn at build time, compiled into the program.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/verlo-48.png"));
    icon.addFile(QStringLiteral(":/icons/verlo-256.png"));
    QApplication::setWindowIcon(icon);
    verlo::app::ProgramWindows windows = verlo::app::createProgramWindows(commandLine.file);
    verlo::app::showMainWindow(*windows.form1);
    // Texts an earlier run left unsaved are offered once the window is up.
    QTimer::singleShot(0, windows.form1.get(), [&windows] { windows.form1->offerRecovery(); });
    return app.exec();
}
