#include "app/program.h"

#include <QApplication>

#include "app/main_window.h"
#include "edit/edit_control.h"
#include "platform/startup.h"
#include "dialogs/settings_dialog.h"

namespace verlo::app {

void prepareApplication(QApplication& app) {
    // The title of the program as a whole. It is the application's name and not its
    // display name: Qt would add a display name to every window title, after the caret
    // indicator.
    QCoreApplication::setApplicationName(QStringLiteral("Verlo"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.03"));
    QGuiApplication::setDesktopFileName(QStringLiteral("verlo"));
    platform::installFontSubstitutions();
    platform::loadQtTranslations(app);
}

ProgramWindows createProgramWindows(const QString& commandLineFile) {
    ProgramWindows windows;
    windows.form1 = std::make_unique<TForm1>(commandLineFile);
    TForm1* form1 = windows.form1.get();
    windows.form2 = new dialogs::TForm2(
        form1->settings, [form1] { return static_cast<int>(form1->AlphaBlendValue()); },
        [form1](std::uint8_t value) { form1->setAlphaBlendValue(value); }, form1);
    form1->attachSettingsDialog(windows.form2);
    form1->createKeyDialog();
    return windows;
}

void showMainWindow(TForm1& form1) {
    form1.show();
    form1.activateWindow();
    form1.memo2->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace verlo::app
