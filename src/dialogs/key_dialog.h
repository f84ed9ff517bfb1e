// The key dialog TForm3 "鍵入力ダイアログ", which the encrypt and decrypt commands open.
//
// The dialog is created hidden once, after the main window and the settings dialog, and
// lives as long as the main window. It is modeless: the key box Edit1 keeps its text for
// the whole run, and Button1's caption is the mode ("暗号化" encrypts, anything else
// decrypts). Pressing Button1 reads the key and memo2's selection (or, with nothing
// selected, its whole text) at that moment, puts the result in their place and hides the
// dialog.
//
// Where pressing the button changes nothing and the dialog stays open:
// - a key with characters the code page cannot hold: the error box names them;
// - a text that does not decrypt with the key (wrong key, not an encrypted text, a part of
//   one, a fragment too short to hold anything): a box titled "Verlo" says "だめです";
// - a failure of the cipher itself: its message in the error box.
// Enter in the key box does nothing (the button is not the default); Esc hides the dialog.
#pragma once

#include <QDialog>
#include <memory>

class QLineEdit;
class QPushButton;

namespace verlo::edit {
class EditControl;
}

namespace verlo::dialogs {

class TForm3 : public QDialog {
    Q_OBJECT
public:
    // memo2: the document's edit control, which Button1 works on.
    explicit TForm3(edit::EditControl& memo2, QWidget* parent = nullptr);

    enum class Mode { Encrypt, Decrypt };

    // Sets the mode (Button1's caption), then makes the dialog visible and brings it to
    // the front with the key box as it stands.
    void open(Mode mode);

    QLineEdit* Edit1;      // the key, in clear, no length limit
    QPushButton* Button1;  // the mode as its caption

public slots:
    void Button1Click();

private:
    edit::EditControl& memo2_;
};

}  // namespace verlo::dialogs
