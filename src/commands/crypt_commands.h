// The encrypt and decrypt commands: each opens the key dialog in its mode; pressing the
// dialog's button brings the key here, which works on memo2's selection (or, with nothing
// selected, its whole text) at that moment, puts the result in its place and lets the
// dialog hide.
//
// Where pressing the button changes nothing and the dialog stays open:
// - a key with characters the code page cannot hold: the error box names them;
// - a text that does not decrypt with the key (wrong key, not an encrypted text, a part of
//   one, a fragment too short to hold anything): a box titled "Verlo" says "だめです";
// - a failure of the cipher itself: its message in the error box.
// A document opened read-only stays as it is and the dialog hides.
#pragma once

#include <QString>

#include "dialogs/key_dialog.h"

class QWidget;

namespace verlo::edit {
class EditControl;
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
    // The work of the dialog's button, with the key as typed.
    dialogs::TForm3::Outcome apply(const QString& keyText, dialogs::TForm3::Mode mode);

    edit::EditControl& memo2_;
    dialogs::TForm3* form3_;
};

}  // namespace verlo::commands
