// The modeless find and replace dialogs. They only carry the strings and the buttons;
// what a button does is the find/replace controller's business (find_controller.h).
//
// Their strings are CP932 text of at most 255 bytes without line breaks. An edit that
// would break one of these rules is refused as a whole and the dialog says why; the
// string stays as it was. The strings live as long as the dialog, across showings.
// The matching options are fixed, so their check boxes (and the find dialog's direction)
// are shown as they are in force, but cannot be changed.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <cstddef>
#include <string>

#include "text/stand_ins.h"

class QLabel;
class QPushButton;

namespace verlo::dialogs {

// A one-line box for a search or replacement string.
class FindTextField : public QLineEdit {
    Q_OBJECT
public:
    static constexpr std::size_t kMaxBytes = 255;

    explicit FindTextField(QWidget* parent = nullptr);

    // The document searched: its characters beyond the code page (stand_ins.h) may be
    // searched for and put in. Without one, the string is plain CP932.
    void setStandIns(text::StandIns* standIns) { standIns_ = standIns; }

    // The string as the document holds it.
    std::string bytes() const;

    // Why `text` cannot be the field's string, or an empty string when it can.
    static QString problemWith(const QString& text, const text::StandIns* standIns = nullptr);

signals:
    // An edit was refused; `reason` says why in a sentence for the user.
    void refused(const QString& reason);

private:
    class Validator;
    Validator* validator_;
    text::StandIns* standIns_ = nullptr;
};

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    std::string findBytes() const { return findField_->bytes(); }
    FindTextField* findField() const { return findField_; }
    QPushButton* findNextButton() const { return findNextButton_; }
    QLabel* messageLabel() const { return message_; }

    // Shows the dialog, or brings it to the front when it is open already.
    void present();

signals:
    void findNext();  // the find-next button

private:
    FindTextField* findField_;
    QPushButton* findNextButton_;
    QLabel* message_;
};

class ReplaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReplaceDialog(QWidget* parent = nullptr);

    std::string findBytes() const { return findField_->bytes(); }
    std::string replaceBytes() const { return replaceField_->bytes(); }
    FindTextField* findField() const { return findField_; }
    FindTextField* replaceField() const { return replaceField_; }
    QPushButton* findNextButton() const { return findNextButton_; }
    QPushButton* replaceButton() const { return replaceButton_; }
    QPushButton* replaceAllButton() const { return replaceAllButton_; }
    QLabel* messageLabel() const { return message_; }

    // Shows the dialog, or brings it to the front when it is open already.
    void present();

signals:
    void findNext();    // the find-next button
    void replace();     // the replace button
    void replaceAll();  // the replace-all button

private:
    FindTextField* findField_;
    FindTextField* replaceField_;
    QPushButton* findNextButton_;
    QPushButton* replaceButton_;
    QPushButton* replaceAllButton_;
    QLabel* message_;
};

}  // namespace verlo::dialogs
