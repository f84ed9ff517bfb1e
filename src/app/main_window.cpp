#include "app/main_window.h"
#include "app/kept_places.h"
#include "app/outline_panel.h"
#include "app/recent_files.h"
#include "app/writing_status.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSessionManager>
#include <QTimer>
#include <QUrl>

#include "app/discarded_menu.h"
#include "app/document_recovery.h"
#include "files/state_folder.h"
#include "session/document_session.h"
#include "commands/crypt_commands.h"
#include "commands/print_commands.h"
#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "platform/error.h"
#include "preview/print_preview.h"
#include "dialogs/settings_dialog.h"
#include "stamp/date_stamp.h"
#include "commands/appearance.h"
#include "commands/direction.h"
#include "commands/edit_commands.h"
#include "commands/find_controller.h"
#include "dialogs/find_dialogs.h"
#include "commands/window_fit.h"

namespace verlo::app {

QString fileNamePart(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); }

QString caretIndicator(std::size_t line, std::size_t column, std::size_t lines) {
    // Made on every key: put together in one piece rather than by three passes of arg().
    QString s;
    s.reserve(48);
    s += u"        L:";
    s += QString::number(line);
    s += u"\u3000C:";
    s += QString::number(column);
    s += u"\u3000 (全";
    s += QString::number(lines);
    s += u"行)";
    return s;
}

TForm1::TForm1(const QString& commandLineFile, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    session_ = std::make_unique<session::DocumentSession>(files::recoveryFolder(), files::discardedFolder());
    memo2 = new edit::EditControl(session_->document(), this);
    memo2->setObjectName(QStringLiteral("memo2"));
    setCentralWidget(memo2);
    scratch_ = std::make_unique<text::Document>();
    Memo1 = new edit::EditControl(*scratch_, this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->hide();

    createMenu();

    direction_ = std::make_unique<commands::WritingDirection>(*memo2, settings, *N15, *N16);
    fontCommand_ = std::make_unique<commands::FontCommand>(this, *memo2);
    backgroundCommand_ = std::make_unique<commands::BackgroundCommand>(this, *memo2);
    transparency_ = std::make_unique<commands::Transparency>(*this);
    windowFit_ = std::make_unique<commands::WindowFit>(*this, *memo2, settings, [this] { return normalGeometryToRestore(); });
    editCommands_ = std::make_unique<commands::EditCommands>(*memo2, *Memo1, this);
    findController_ = std::make_unique<commands::FindController>(*memo2, this);
    dateStamper_ = std::make_unique<stamp::DateStamper>(*memo2, settings, [this] {
        stamp::StampSwitches s;
        const std::uint8_t bits = form2_ ? form2_->dayTimeBits() : settings.DayTime;
        s.dateOn = bits & 1;
        s.weekdayOn = bits & 2;
        s.timeOn = bits & 4;
        s.secondsOn = bits & 8;
        return s;
    });
    printPreview_ = std::make_unique<preview::PrintPreview>(*memo2, settings, this);
    writingStatus_ = std::make_unique<WritingStatus>(*this, *session_, *memo2, *StatusBar1);
    outlinePanel_ = std::make_unique<OutlinePanel>(*this, *session_, *memo2, *Outline1);
    connect(outlinePanel_.get(), &OutlinePanel::moved, this, &TForm1::UpdateCaption);
    recentFiles_ = std::make_unique<RecentFiles>(*RecentFiles1);
    connect(recentFiles_.get(), &RecentFiles::openRequested, this, &TForm1::openRecent);
    discardedMenu_ = std::make_unique<DiscardedMenu>(*Discarded1, session_->discardedTexts());
    connect(discardedMenu_.get(), &DiscardedMenu::restoreRequested, this, &TForm1::restoreDiscarded);
    keptPlaces_ = std::make_unique<KeptPlaces>();
    printCommands_ =
        std::make_unique<commands::PrintCommands>(*memo2, pageSetup, [this] { return session_->fileName(); }, this);

    connectMenu();
    connect(memo2, &edit::EditControl::keyDown, this, &TForm1::memo2KeyDown);
    connect(memo2, &edit::EditControl::keyUp, this, &TForm1::memo2KeyUp);
    connect(memo2, &edit::EditControl::mouseDown, this, &TForm1::memo2MouseDown);
    connect(memo2, &edit::EditControl::mouseUp, this, &TForm1::memo2MouseUp);
    connect(memo2, &edit::EditControl::changed, this, &TForm1::memo2Change);
    recovery_ = std::make_unique<DocumentRecovery>(*session_);
    connectSession();
    connect(memo2, &edit::EditControl::refusedCharacters, this, &TForm1::refusedCharacters);
    connect(memo2, &edit::EditControl::refusedJoiningLoneByte, this, &TForm1::refusedJoiningLoneByte);
    connect(memo2, &edit::EditControl::linesCounted, this, &TForm1::UpdateCaption);
    // Menu shortcuts come before the control's own use of a key (see eventFilter).
    memo2->installEventFilter(this);
    memo2->viewport()->installEventFilter(this);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            if (!sessionEnding())
                manager.cancel();
        });
    }

    FormCreate(commandLineFile);
}

// The views go before the session whose text they show (the window's children would go
// after every member).
TForm1::~TForm1() {
    delete memo2;
    delete Memo1;
}

void TForm1::connectSession() {
    session::DocumentSession& s = *session_;
    s.setCaretSource([this] { return memo2->caretPos(); });
    // A click in the text or on its scroll bars only looks at a file still coming in.
    s.setLooksOnly([this](QObject* target) {
        auto* widget = qobject_cast<QWidget*>(target);
        return widget && (widget == memo2 || memo2->isAncestorOf(widget));
    });
    connect(&s, &session::DocumentSession::aboutToReplace, this, &TForm1::keepPlace);
    connect(&s, &session::DocumentSession::bindingChanged, this, &TForm1::showBinding);
    connect(&s, &session::DocumentSession::formatChanged, this, &TForm1::showFormat);
    connect(&s, &session::DocumentSession::readFailed, this, &TForm1::sayReadFailed);
    connect(&s, &session::DocumentSession::foundTooManyCharacters, this, &TForm1::sayTooManyCharacters);
    connect(&s, &session::DocumentSession::fileChangedOnDisk, this, &TForm1::checkDisk);
}

const QString& TForm1::currentFileName() const { return session_->fileName(); }

void TForm1::FormCreate(const QString& commandLineFile) {
    // 1. The start-up read (window bounds, settings, opacity, font colour, size and name,
    //    background colour).
    readSettings();
    // 2. The writing direction's start-up step.
    direction_->applyStored();
    // 3. Font style, pitch, window state.
    applyStyle();
    // 4. The font dialog opens on the control's font.
    fontCommand_->takeControlFont();
    // 5. and 6.: the control keeps its block-axis scroll bar and plain text of its own
    //    accord, and as the central widget it fills the client area from (0, 0) on. The
    //    window is laid out now, before it is shown, so that the line count in the first
    //    title is that of the text as the window will show it.
    if (layout())
        layout()->activate();
    // 7. and 8.
    captionBase = QStringLiteral("Verlo");
    Save1->setEnabled(false);
    session_->newDocument(newDocumentFormat());
    // 9. Files dropped on the window come to dropEvent.
    setAcceptDrops(true);
    // 10.
    if (!commandLineFile.isEmpty())
        loadFile(commandLineFile);
    // 11.
    UpdateCaption();
    watchSettings();
}

// ---- title

void TForm1::UpdateCaption() {
    if (!N9->isChecked()) {
        setWindowTitle(captionBase);
        return;
    }
    // While the text is laid out in the background the title keeps the figures it showed,
    // until they are exact (linesCounted calls again); a new file's name shows at once.
    if (!memo2->linesExact()) {
        if (!windowTitle().startsWith(captionBase + QStringLiteral("        L:"))) setWindowTitle(captionBase);
        return;
    }
    const std::size_t s = memo2->selStart();
    const std::size_t line = memo2->lineFromChar(s);
    const std::size_t first = memo2->lineIndex(line);
    setWindowTitle(captionBase + caretIndicator(line + 1, s - first + 1, memo2->lineCount()));
}

void TForm1::memo2KeyDown() { UpdateCaption(); }
void TForm1::memo2KeyUp() { UpdateCaption(); }
void TForm1::memo2MouseDown() { UpdateCaption(); }
void TForm1::memo2MouseUp() { UpdateCaption(); }
void TForm1::memo2Change() {
    sessionApproved_ = false;
    UpdateCaption();
}

// ---- transparency

bool TForm1::AlphaBlend() const { return transparency_->alphaBlend(); }
std::uint8_t TForm1::AlphaBlendValue() const { return transparency_->alphaBlendValue(); }
void TForm1::setAlphaBlend(bool on) {
    if (on != transparency_->alphaBlend())
        transparency_->toggle();
}
void TForm1::setAlphaBlendValue(std::uint8_t value) { transparency_->setAlphaBlendValue(value); }

void TForm1::attachSettingsDialog(dialogs::TForm2* form2) { form2_ = form2; }

// ---- window-level commands

void TForm1::Exit1Click() { close(); }

void TForm1::About1Click() {
    platform::answerer().about(this, QStringLiteral("バージョン情報"), QStringLiteral("Verlo.exe ver 1.03"),
                               QStringLiteral("製作日  ：    02/09/10\r\n更新日  ：    03/06/06"));
}

void TForm1::SearchforHelpOn1Click() {}

// ---- forwards to the subsystems

void TForm1::N14Click() { printPreview_->open(); }
void TForm1::PageSetup1Click() { printCommands_->pageSetup(); }
void TForm1::Print1Click() { printCommands_->print(); }
void TForm1::ExportPdf1Click() { printCommands_->exportPdf(); }

void TForm1::NextHeading1Click() { outlinePanel_->goToNext(); }

void TForm1::PreviousHeading1Click() { outlinePanel_->goToPrevious(); }

void TForm1::OutlineFocus1Click() { outlinePanel_->switchFocus(); }

void TForm1::Ruby1Click() {
    settings.Ruby = Ruby1->isChecked();
    memo2->setRubyShown(settings.Ruby);
}
void TForm1::Undo1Click() { editCommands_->undo(); }
void TForm1::Redo1Click() { editCommands_->redo(); }
void TForm1::Copy1Click() { editCommands_->copy(); }
void TForm1::Cut1Click() { editCommands_->cut(); }
void TForm1::Paste1Click() { editCommands_->paste(); }
void TForm1::Find1Click() { findController_->showFindDialog(); }
void TForm1::FindNext1Click() { findController_->findNext(); }
void TForm1::Replace1Click() { findController_->showReplaceDialog(); }
void TForm1::N18Click() { editCommands_->previousPage(); }
void TForm1::N19Click() { editCommands_->nextPage(); }
void TForm1::N6Click() { editCommands_->selectAll(); }
void TForm1::N21Click() { dateStamper_->stamp(); }
void TForm1::N3Click() { fontCommand_->run(); }
void TForm1::C1Click() { backgroundCommand_->run(); }
void TForm1::T1Click() { transparency_->toggle(); }
void TForm1::N10Click() { windowFit_->fitWidth(); }
void TForm1::N12Click() { windowFit_->fitHeight(); }
void TForm1::N16Click() { direction_->toHorizontal(); }
void TForm1::N15Click() { direction_->toVertical(); }
void TForm1::N8Click() { editCommands_->countChars(); }
void TForm1::O1Click() {
    if (form2_)
        form2_->showInFront();
}
// The key dialog and its commands are wired when the dialog exists.
void TForm1::createKeyDialog() { cryptCommands_ = std::make_unique<commands::CryptCommands>(*memo2, this); }

void TForm1::N22Click() {
    if (cryptCommands_)
        cryptCommands_->encrypt();
}

void TForm1::N23Click() {
    if (cryptCommands_)
        cryptCommands_->decrypt();
}

// ---- window events

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Back from another program: its changes to the file are asked about once the window is
    // settled as the active one.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, &TForm1::checkDisk);
    if (event->type() == QEvent::WindowStateChange)
        stateChangedSinceLook_ = true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

bool TForm1::sessionEnding() {
    if (!FormCloseQuery())
        return false;
    // When the session then closes the window, the prompt and the write are not repeated
    // unless the text changed in between.
    sessionApproved_ = true;
    return true;
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    FormDropFiles(paths);
}

void TForm1::rememberNormalBounds() {
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    normalBounds_ = QRect(pos(), size());
}

// Qt gives pos() as the client's corner less the frame it last heard of, and just after the
// state changes that may be the frame of the other state (a maximised window has none at
// its sides): the frame of the normal state is taken only when the window has stayed
// normal from one look of the settings watch to the next.
void TForm1::learnNormalFrame() {
    const bool normal = isVisible() && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
    if (normal && !stateChangedSinceLook_) {
        frameOffset_ = geometry().topLeft() - pos();
        frameOffsetKnown_ = true;
        // A window restored before its normal frame was known goes where its frame belongs.
        if (pendingFramePosition_) {
            if (pos() != *pendingFramePosition_)
                move(*pendingFramePosition_);
            pendingFramePosition_.reset();
        }
    }
    stateChangedSinceLook_ = false;
}

void TForm1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    rememberNormalBounds();
}

// A new size re-wraps the text: the title's line count follows it.
void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    rememberNormalBounds();
    if (!captionBase.isEmpty())
        UpdateCaption();
}

// The frame's corner is the client's less the frame of the normal state, once known.
QRect TForm1::normalBounds() const {
    const bool maximised = windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (!frameOffsetKnown_)
        return maximised ? normalBounds_ : QRect(pos(), size());
    const QRect g = maximised ? normalGeometry() : geometry();
    if (!g.isValid())
        return normalBounds_;
    return QRect(g.topLeft() - frameOffset_, g.size());
}

QRect TForm1::normalGeometryToRestore() {
    const QRect bounds = normalBounds();
    if (frameOffsetKnown_)
        return bounds.translated(frameOffset_);
    // Never seen in the normal state: the frame of this state stands in for it, and the
    // frame is put in its place once the normal one is known.
    pendingFramePosition_ = bounds.topLeft();
    return bounds.translated(geometry().topLeft() - pos());
}

// A menu shortcut wins over the control's own use of the key. While the focus is in the
// text, this filter is the one place that dispatches the menu's keys: it claims them from
// the shortcut machinery (so nothing runs twice), runs the item's command when the key is
// pressed, and lets no key of an item reach the control, also while the item is disabled
// (then the key does nothing at all). The key's release still reaches the control.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(
            QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(key->key())));
        for (QAction* action : shortcutActions_) {
            if (!action->shortcuts().contains(pressed))
                continue;
            event->accept();
            if (event->type() == QEvent::KeyPress && action->isEnabled())
                action->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace verlo::app
