// The one place that asks the user something or tells the user something in a modal way:
// the standard error box, the save prompt, the character-count box, the About box and the
// file, font and colour dialogs. The program calls answerer(); tests install a scripted
// answerer with setAnswerer() and everything else stays real.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace verlo::platform {

struct FileDialogRequest {
    QString title;
    QStringList filters;     // e.g. {"テキストファイル (*.txt)", "TeXファイル (*.tex)"}
    int selectedFilter = 0;  // index into filters
    QString defaultSuffix;   // without the dot, e.g. "TXT"; added to a name typed without an
                             // extension (when opening, only if no file has the name as typed)
    QString proposedPath;    // the name offered (save) or empty
};

struct FontChoice {
    QFont font;
    QColor color;
};

class Answerer {
public:
    virtual ~Answerer() = default;

    // Title "Verlo", stop icon, one OK button, showing `message` exactly as given: showError
    // below passes the finished box text (errorBoxText).
    virtual void error(QWidget* owner, const QString& message) = 0;
    // "確認" box with a question icon and the buttons "はい(&Y)" / "いいえ(&N)";
    // true for Yes. Enter answers Yes, Esc answers No.
    virtual bool confirm(QWidget* owner, const QString& title, const QString& message) = 0;
    // A question box titled `title` with one button per caption (in order; the first is the
    // default, Esc presses the last): the index of the button pressed.
    virtual int choose(QWidget* owner, const QString& title, const QString& message, const QStringList& buttons) = 0;
    // A box without an icon titled `title` with one "OK" button (Enter and Esc press it).
    virtual void inform(QWidget* owner, const QString& title, const QString& message) = 0;
    // The About box: title, program name and further lines, with the program's icon.
    virtual void about(QWidget* owner, const QString& title, const QString& name, const QString& text) = 0;

    // The file dialogs: the chosen path, or nothing when cancelled. The open dialog accepts a
    // name that does not exist; the save dialog replaces an existing file without asking.
    virtual std::optional<QString> openFile(QWidget* owner, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(QWidget* owner, const FileDialogRequest& request) = 0;
    // The font dialog with effects (underline, strike-out, text colour).
    virtual std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial) = 0;
    virtual std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) = 0;
};

// The answerer in force: the real one (Qt's boxes and dialogs) unless a test set another.
Answerer& answerer();
// Installs a replacement (not owned); nullptr restores the real one.
void setAnswerer(Answerer* replacement);

// The program's standard error box: title "Verlo", the message with "." appended when its
// last character sorts after ".", a stop icon and one OK button. Every error goes here.
void showError(QWidget* owner, const QString& message);
// The text showError puts in the box.
QString errorBoxText(const QString& message);

}  // namespace verlo::platform
