// The key dialog TForm3 "鍵入力ダイアログ", which the encrypt and decrypt commands open.
//
// The dialog is created hidden once, after the main window and the settings dialog, and
// lives as long as the main window. It is modeless: the key box Edit1 keeps its text for
// the whole run, and Button1's caption is the mode ("暗号化" encrypts, anything else
// decrypts). Pressing Button1 hands the key box's text and the mode at that moment to the
// key handler, which does the work (commands/crypt_commands.h) and answers whether the
// dialog is done: then it hides; otherwise it stays open as it is.
// Enter in the key box does nothing (the button is not the default); Esc hides the dialog.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace verlo::dialogs {

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    enum class Mode { Encrypt, Decrypt };
    enum class Outcome { Done, StayOpen };
    using KeyHandler = std::function<Outcome(const QString& key, Mode mode)>;

    // Who does the work when Button1 is pressed (without one, pressing it only hides).
    void setKeyHandler(KeyHandler handler);

    // Sets the mode (Button1's caption), then makes the dialog visible and brings it to
    // the front with the key box as it stands.
    void open(Mode mode);

    QLineEdit* Edit1;      // the key, in clear, no length limit
    QPushButton* Button1;  // the mode as its caption

public slots:
    void Button1Click();

private:
    KeyHandler keyHandler_;
};

}  // namespace verlo::dialogs
