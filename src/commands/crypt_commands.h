// The encrypt and decrypt commands: each opens the key dialog in its mode; the dialog's
// button does the work on the document.
#pragma once

class QWidget;

namespace verlo::edit {
class EditControl;
}
namespace verlo::dialogs {
class TForm3;
}

namespace verlo::commands {

class CryptCommands {
public:
    // Creates the key dialog, hidden, as a window of its own that belongs to mainWindow
    // (which releases it).
    CryptCommands(edit::EditControl& memo2, QWidget* mainWindow);

    void encrypt();  // the dialog in encrypt mode
    void decrypt();  // the dialog in decrypt mode

    dialogs::TForm3* form3() const { return form3_; }

private:
    dialogs::TForm3* form3_;
};

}  // namespace verlo::commands
