// Program start after the command line was read: the program's title, then the main
// window (its FormCreate reads the settings and loads the command-line file), then the
// hidden settings dialog filled from the settings, then the hidden key dialog. The caller
// shows the main window.
#pragma once

#include <QString>
#include <memory>

class QApplication;

namespace verlo::dialogs {
class TForm2;
}

namespace verlo::app {

class TForm1;

// Qt set up for this program, before its first window: the program's name ("Verlo";
// the organisation "Tarnvel"), Japanese faces for the stored font names, Qt's own texts
// in Japanese.
void prepareApplication(QApplication& app);

struct ProgramWindows {
    std::unique_ptr<TForm1> form1;
    dialogs::TForm2* form2 = nullptr;  // owned by form1
};

// Creates the windows in their order; nothing is shown yet.
ProgramWindows createProgramWindows(const QString& commandLineFile);

// Shows the main window in the state read from the store, with the focus in the text.
void showMainWindow(TForm1& form1);

}  // namespace verlo::app
