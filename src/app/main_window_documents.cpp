// The commands that bind the document to a file or write it out: New, Open, Save,
// Save As, dropped files, the save prompt and the close query.
#include <QAction>
#include <QFileInfo>
#include <algorithm>
#include <QFile>

#include "app/document_recovery.h"
#include "app/main_window.h"
#include "app/kept_places.h"
#include "app/recent_files.h"
#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "platform/error.h"
#include "files/file_io.h"

namespace verlo::app {

namespace {

const QString kTextFiles = QStringLiteral("テキストファイル (*.txt)");
const QString kTexFiles = QStringLiteral("TeXファイル (*.tex)");
const QString kAllFiles = QStringLiteral("全てのファイル (*)");
// File names are case-sensitive here: a name typed without an extension gets the
// extension the text-file filter lists.
const QString kDefaultSuffix = QStringLiteral("txt");

}  // namespace

bool TForm1::loadFile(const QString& path) {
    files::removeLeftoverTemporaries(path);  // of a save killed on the way
    const std::optional<std::string> bytes = files::readWholeFile(path);
    if (!bytes) {
        platform::showError(this, QStringLiteral("ファイル %1 は開けません").arg(path));
        return false;
    }
    keepPlace();
    memo2->setText(*bytes);
    Save1->setEnabled(true);
    memo2->emptyUndoBuffer();
    currentFileName = path;
    captionBase = QStringLiteral("Verlo - ") + fileNamePart(path);
    memo2->setModified(false);
    sessionApproved_ = false;
    if (const std::optional<Place> place = keptPlaces_->find(path)) {
        memo2->setSelection(std::min(place->anchor, memo2->textLength()), std::min(place->caret, memo2->textLength()));
        memo2->setTopPosition(place->top);
    }
    recentFiles_->add(path);
    recovery_->settled();
    UpdateCaption();
    return true;
}

void TForm1::bindTo(const QString& path) {
    currentFileName = path;
    memo2->setModified(false);
    captionBase = QStringLiteral("Verlo - ") + fileNamePart(path);
    Save1->setEnabled(true);
    UpdateCaption();
}

bool TForm1::saveTo(const QString& path) {
    // A file written in place (hard links, a folder we cannot write) gets the text's
    // recovery copy first, so that a failure on the way loses nothing.
    files::WriteFailure failure = files::WriteFailure::None;
    if (!files::writeFileReplacing(path, memo2->textForSaving(), [this] { return recovery_->keepNow(); }, &failure)) {
        if (failure == files::WriteFailure::PartlyWritten)
            platform::showError(this, QStringLiteral("ファイル %1 の書き込みが途中で失敗しました。文章の控えは %2 にあります")
                                          .arg(path, QFile::decodeName(QByteArray::fromStdString(recovery_->copyPath()))));
        else
            platform::showError(this, QStringLiteral("ファイル %1 を作成できません").arg(path));
        return false;
    }
    recentFiles_->add(path);
    recovery_->settled();
    return true;
}

recovery::RecoveryCopy TForm1::recoveryDescription() const {
    recovery::RecoveryCopy copy;
    copy.path = QFile::encodeName(currentFileName).toStdString();
    copy.encoding = "Shift_JIS";
    copy.lineBreaks = "CRLF";
    copy.caret = memo2->caretPos();
    return copy;
}

void TForm1::restoreRecovered(const recovery::RecoveryCopy& copy) {
    memo2->setText(copy.text);
    memo2->emptyUndoBuffer();
    memo2->setSelection(copy.caret, copy.caret);
    currentFileName = QFile::decodeName(QByteArray::fromStdString(copy.path));
    const bool titled = !currentFileName.isEmpty();
    captionBase = titled ? QStringLiteral("Verlo - ") + fileNamePart(currentFileName) : QStringLiteral("Verlo");
    Save1->setEnabled(titled);
    sessionApproved_ = false;
    UpdateCaption();  // the text stays modified: the file is not touched until it is saved
}

void TForm1::offerRecovery() {
    recovery_->offer(this, [this](const recovery::RecoveryCopy& copy) { restoreRecovered(copy); });
}

bool TForm1::ConfirmSave() {
    if (!memo2->modified())
        return true;
    if (!platform::answerer().confirm(this, QStringLiteral("確認"),
                                      QStringLiteral("ファイルに変更があります。保存しますか？")))
        return true;
    if (Save1->isEnabled()) {
        if (!saveTo(currentFileName))
            return false;
        memo2->setModified(false);
        return true;
    }
    // An untitled document has no file to save to: Yes offers Save As, and the command
    // that asked goes on only when the text was written.
    return saveAs();
}

void TForm1::New1Click() {
    if (!ConfirmSave())
        return;
    keepPlace();
    memo2->setText({});
    currentFileName.clear();
    memo2->emptyUndoBuffer();
    Save1->setEnabled(false);
    saveDialogHasAllFiles_ = true;
    captionBase = QStringLiteral("Verlo");
    memo2->setModified(false);
    sessionApproved_ = false;
    recovery_->settled();
    UpdateCaption();
}

void TForm1::Open1Click() {
    if (!ConfirmSave())
        return;
    platform::FileDialogRequest request;
    request.title = QStringLiteral("開く");
    request.filters = {kTextFiles, kTexFiles, kAllFiles};
    request.selectedFilter = 0;
    request.defaultSuffix = kDefaultSuffix;
    const std::optional<QString> path = platform::answerer().openFile(this, request);
    if (!path)
        return;
    loadFile(*path);
}

void TForm1::Save1Click() {
    if (!Save1->isEnabled())
        return;
    if (saveTo(currentFileName))
        memo2->setModified(false);
}

bool TForm1::saveAs() {
    platform::FileDialogRequest request;
    request.title = QStringLiteral("名前を付けて保存");
    request.filters = {kTextFiles, kTexFiles};
    if (saveDialogHasAllFiles_)
        request.filters << kAllFiles;
    request.selectedFilter = 0;
    request.defaultSuffix = kDefaultSuffix;
    request.proposedPath = currentFileName;
    const std::optional<QString> path = platform::answerer().saveFile(this, request);
    if (!path || !saveTo(*path))
        return false;
    bindTo(*path);
    return true;
}

void TForm1::SaveAs1Click() { saveAs(); }

void TForm1::FormDropFiles(const QStringList& paths) {
    if (paths.isEmpty() || !ConfirmSave())
        return;
    // The first file of a drop, its name whole; the others are ignored.
    loadFile(paths.first());
}

bool TForm1::FormCloseQuery() {
    if (!sessionApproved_ && !ConfirmSave())
        return false;
    if (!platform::guarded(this, [this] { writeSettings(); }))
        return false;
    recovery_->settled();  // saved, or given up when the prompt was answered No
    return true;
}

void TForm1::openRecent(const QString& path) {
    if (!ConfirmSave())
        return;
    if (!loadFile(path) && !QFileInfo::exists(path))
        recentFiles_->remove(path);
}

void TForm1::keepPlace() {
    if (!currentFileName.isEmpty())
        keptPlaces_->keep(currentFileName, {memo2->anchorPos(), memo2->caretPos(), memo2->topPosition()});
}

void TForm1::refusedCharacters(const QString& characters) {
    platform::showError(this, QStringLiteral("Shift-JIS で表せない文字のため入力しませんでした (%1)").arg(characters));
}

void TForm1::refusedJoiningLoneByte() {
    platform::showError(this, QStringLiteral("Shift-JIS として不正なバイト (記号で表示) が隣の文字と組になって別の文字に"
                                             "変わるため、変更しませんでした。先にその記号を削除してください"));
}

}  // namespace verlo::app
