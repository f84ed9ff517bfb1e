#include "platform/answerer.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QPushButton>
#include <QSpacerItem>
#include <algorithm>

#include "platform/error.h"
#include "platform/font_dialog.h"

namespace verlo::platform {

namespace {

const QString kProgramTitle = QStringLiteral("Verlo");

QString selectedFilterOf(const FileDialogRequest& r) {
    if (r.selectedFilter >= 0 && r.selectedFilter < r.filters.size())
        return r.filters.at(r.selectedFilter);
    return {};
}

void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& r) {
    dialog.setNameFilters(r.filters);
    if (const QString sel = selectedFilterOf(r); !sel.isEmpty())
        dialog.selectNameFilter(sel);
    dialog.setSizeGripEnabled(true);
    if (!r.title.isEmpty())
        dialog.setWindowTitle(r.title);
}

// A box sizes itself to its text, and a short text ("だめです") leaves a frame too narrow
// for its title beside the window manager's icon and buttons. Every box gets at least the
// width that keeps its title readable. Called once the box's contents are set: setting them
// lays the box out anew.
void keepTitleReadable(QMessageBox& box) {
    constexpr int kFrameButtons = 120;  // the frame's icon and its three buttons, with margins
    constexpr int kMinimumWidth = 200;
    const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
    const int width = std::max(kMinimumWidth, title.horizontalAdvance(box.windowTitle()) + kFrameButtons);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

// The open dialog's default extension: a file that exists is opened by the name it has,
// also without an extension (many text files on Linux have none); a name that does not
// exist, typed without an extension, gets the default one.
QString withDefaultSuffixIfMissing(const QString& path, const QString& suffix) {
    const QFileInfo info(path);
    if (suffix.isEmpty() || info.exists() || info.fileName().contains(u'.'))
        return path;
    return path + u'.' + suffix;
}

class QtAnswerer final : public Answerer {
public:
    void error(QWidget* owner, const QString& message) override {
        QMessageBox box(QMessageBox::Critical, kProgramTitle, message, QMessageBox::NoButton, owner);
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        keepTitleReadable(box);
        box.exec();
    }

    bool confirm(QWidget* owner, const QString& title, const QString& message) override {
        QMessageBox box(QMessageBox::Question, title, message, QMessageBox::NoButton, owner);
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        keepTitleReadable(box);
        box.exec();
        return box.clickedButton() == yes;
    }

    int choose(QWidget* owner, const QString& title, const QString& message, const QStringList& buttons) override {
        QMessageBox box(QMessageBox::Question, title, message, QMessageBox::NoButton, owner);
        QList<QPushButton*> pushed;
        for (const QString& caption : buttons)
            pushed << box.addButton(caption, QMessageBox::ActionRole);
        if (!pushed.isEmpty()) {
            box.setDefaultButton(pushed.first());
            box.setEscapeButton(pushed.last());
        }
        keepTitleReadable(box);
        box.exec();
        const qsizetype chosen = pushed.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
        return chosen < 0 ? static_cast<int>(buttons.size()) - 1 : static_cast<int>(chosen);
    }

    void inform(QWidget* owner, const QString& title, const QString& message) override {
        QMessageBox box(QMessageBox::NoIcon, title, message, QMessageBox::NoButton, owner);
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        keepTitleReadable(box);
        // Centred on the screen rather than on the window it belongs to; a position of our
        // own keeps the dialog from placing itself over its owner.
        box.adjustSize();
        if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
            QRect frame = box.frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            box.move(frame.topLeft());
        }
        box.exec();
    }

    void about(QWidget* owner, const QString& title, const QString& name, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, title, name, QMessageBox::NoButton, owner);
        box.setInformativeText(text);
        const QIcon icon = owner ? owner->windowIcon() : QApplication::windowIcon();
        if (!icon.isNull())
            box.setIconPixmap(icon.pixmap(48, 48));
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        keepTitleReadable(box);
        box.exec();
    }

    std::optional<QString> openFile(QWidget* owner, const FileDialogRequest& request) override {
        QFileDialog dialog(owner);
        prepareFileDialog(dialog, request);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // A typed name need not exist: loading it then reports the failure.
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!request.proposedPath.isEmpty())
            dialog.selectFile(request.proposedPath);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return withDefaultSuffixIfMissing(dialog.selectedFiles().first(), request.defaultSuffix);
    }

    std::optional<QString> saveFile(QWidget* owner, const FileDialogRequest& request) override {
        QFileDialog dialog(owner);
        prepareFileDialog(dialog, request);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        // An existing file is replaced without a question.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (!request.proposedPath.isEmpty())
            dialog.selectFile(request.proposedPath);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }

    std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial) override {
        return runFontDialog(owner, initial);
    }

    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override {
        const QColor chosen = QColorDialog::getColor(initial, owner);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    }
};

QtAnswerer& realAnswerer() {
    static QtAnswerer instance;
    return instance;
}

Answerer* current = nullptr;

}  // namespace

Answerer& answerer() { return current ? *current : realAnswerer(); }

void setAnswerer(Answerer* replacement) { current = replacement; }

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void showError(QWidget* owner, const QString& message) { answerer().error(owner, errorBoxText(message)); }

bool guarded(QWidget* owner, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const Error& e) {
        showError(owner, e.message());
        return false;
    }
}

}  // namespace verlo::platform
