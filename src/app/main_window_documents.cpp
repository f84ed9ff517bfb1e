// The commands that bind the document to a file or write it out: New, Open, Save,
// Save As, dropped files, the save prompt and the close query.
#include <QAction>
#include <QFileInfo>
#include <algorithm>
#include <QFile>
#include <QTimer>

#include "app/document_recovery.h"
#include "app/main_window.h"
#include "app/kept_places.h"
#include "app/recent_files.h"
#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "platform/error.h"
#include "files/file_io.h"
#include "recovery/discarded_texts.h"
#include "session/document_session.h"

namespace verlo::app {

namespace {

const QString kTextFiles = QStringLiteral("テキストファイル (*.txt)");
const QString kTexFiles = QStringLiteral("TeXファイル (*.tex)");
const QString kAllFiles = QStringLiteral("全てのファイル (*)");
// File names are case-sensitive here: a name typed without an extension gets the
// extension the text-file filter lists.
const QString kDefaultSuffix = QStringLiteral("txt");

}  // namespace

bool TForm1::loadFile(const QString& path, std::optional<files::Encoding> encoding) {
    const session::LoadResult read = session_->load(path, encoding, newDocumentFormat());
    switch (read.outcome) {
    case session::LoadOutcome::Unreadable:
        platform::showError(this, QStringLiteral("ファイル %1 は開けません").arg(path));
        return false;
    case session::LoadOutcome::Incomplete:  // said by readFailed
        return false;
    case session::LoadOutcome::Loaded:
        break;
    }
    sessionApproved_ = false;
    if (const std::optional<Place> place = keptPlaces_->find(path)) {
        // A place past the part read so far: read up to it, and a screen more.
        const std::size_t far = std::max({place->anchor, place->caret, place->top}) + (64 << 10);
        if (session_->loading() && far > memo2->textLength()) session_->loadMore(far - memo2->textLength());
        memo2->setSelection(std::min(place->anchor, memo2->textLength()), std::min(place->caret, memo2->textLength()));
        memo2->setTopPosition(place->top);
    }
    recentFiles_->add(path);
    UpdateCaption();
    if (read.tooManyCharacters) sayTooManyCharacters(path);
    return true;
}

void TForm1::sayTooManyCharacters(const QString& path) {
    platform::showError(this, QStringLiteral("ファイル %1 には、この文書で扱える %2 種類を超える数の特殊な文字があるため、"
                                             "読み取り専用で開きました。別の名前で保存すると、ファイルはそのまま写されます。")
                                  .arg(path)
                                  .arg(text::kUserAreaCodes));
}

void TForm1::sayReadFailed(const QString& path) {
    platform::showError(this, QStringLiteral("ファイル %1 を最後まで読めませんでした").arg(path));
}

void TForm1::showBinding() {
    captionBase = session_->titled() ? QStringLiteral("Verlo - ") + fileNamePart(session_->fileName())
                                     : QStringLiteral("Verlo");
    memo2->setReadOnly(session_->readOnly());
    Save1->setEnabled(session_->titled() && !session_->readOnly());
    UpdateCaption();
}

bool TForm1::sayIfNotSaved(const session::SaveResult& result, const QString& path) {
    if (result.ok) {
        recentFiles_->add(path);
        return true;
    }
    if (!result.refused.empty())
        platform::showError(this, QStringLiteral("%1 で表せない文字があるため保存できません (%2)")
                                      .arg(files::encodingCaption(session_->format().encoding),
                                           QString::fromUcs4(result.refused.data(),
                                                             static_cast<qsizetype>(result.refused.size()))));
    else if (result.failure == files::WriteFailure::PartlyWritten)
        platform::showError(this, QStringLiteral("ファイル %1 の書き込みが途中で失敗しました。文章の控えは %2 にあります")
                                      .arg(path, QFile::decodeName(QByteArray::fromStdString(session_->copyPath()))));
    else
        platform::showError(this, QStringLiteral("ファイル %1 を作成できません").arg(path));
    return false;
}

void TForm1::restoreRecovered(const recovery::RecoveryCopy& copy) {
    session_->restore(copy);
    memo2->setSelection(copy.caret, copy.caret);
    sessionApproved_ = false;
    UpdateCaption();  // the text stays modified: the file is not touched until it is saved
}

void TForm1::offerRecovery() {
    recovery_->offer(this, [this](const recovery::RecoveryCopy& copy) { restoreRecovered(copy); });
}

bool TForm1::ConfirmSave() {
    if (!documentModified())
        return true;
    if (!platform::answerer().confirm(this, QStringLiteral("確認"),
                                      QStringLiteral("ファイルに変更があります。保存しますか？"))) {
        // Given up (No, Esc or the box's close): kept a while under ファイル › 破棄した文章.
        if (session_->keepDiscarded()) return true;
        platform::showError(this, QStringLiteral("破棄する文章の控えを書き込めないため、中止しました"));
        return false;
    }
    if (Save1->isEnabled()) {
        if (!mayOverwrite()) return false;
        if (overwriteBySaveAs_) return saveAs();
        return sayIfNotSaved(session_->save(), session_->fileName());
    }
    // An untitled document has no file to save to: Yes offers Save As, and the command
    // that asked goes on only when the text was written.
    return saveAs();
}

void TForm1::New1Click() {
    if (!ConfirmSave())
        return;
    session_->newDocument(newDocumentFormat());
    saveDialogHasAllFiles_ = true;
    sessionApproved_ = false;
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
    if (!Save1->isEnabled() || !mayOverwrite())
        return;
    if (overwriteBySaveAs_)
        saveAs();
    else
        sayIfNotSaved(session_->save(), session_->fileName());
}

bool TForm1::mayOverwrite() {
    overwriteBySaveAs_ = false;
    if (session_->diskChange() != session::DiskChange::Changed) return true;
    const QStringList buttons{QStringLiteral("上書き保存(&O)"), QStringLiteral("名前を付けて保存(&A)"),
                              QStringLiteral("キャンセル")};
    switch (platform::answerer().choose(
        this, QStringLiteral("上書きの確認"),
        QStringLiteral("ファイル %1 は、読み込んだ後にほかのプログラムによって変更されています。"
                       "上書きすると、その変更は失われます。")
            .arg(session_->fileName()),
        buttons)) {
    case 0: return true;
    case 1: overwriteBySaveAs_ = true; return true;
    default: return false;
    }
}

void TForm1::checkDisk() {
    if (checkingDisk_) return;  // a box of ours took the focus and gave it back
    const session::DiskChange change = session_->diskChange();
    if (change == session::DiskChange::None || session_->diskStateAcknowledged()) return;
    checkingDisk_ = true;
    const QString path = session_->fileName();
    if (change == session::DiskChange::Vanished) {
        session_->acknowledgeDiskState();
        session_->markModified();
        platform::answerer().inform(this, QStringLiteral("ファイルの変更"),
                                    QStringLiteral("ファイル %1 が見つかりません。削除されたか、移動されたようです。"
                                                   "文章は保存されていない文書として残ります。")
                                        .arg(path));
        UpdateCaption();
    } else {
        const QString text = session_->modified()
                                 ? QStringLiteral("ファイル %1 が、ほかのプログラムによって変更されました。"
                                                  "編集中の文章とファイルの内容は異なります。\n\n"
                                                  "ファイルを読み込み直しますか？ 編集中の文章は ファイル › 破棄した文章 に残ります。")
                                 : QStringLiteral("ファイル %1 が、ほかのプログラムによって変更されました。"
                                                  "読み込み直しますか？");
        const int chosen = platform::answerer().choose(this, QStringLiteral("ファイルの変更"), text.arg(path),
                                                       {QStringLiteral("再読み込み(&R)"), QStringLiteral("このまま(&K)")});
        if (chosen == 0 && (!session_->modified() || session_->keepDiscarded()))
            loadFile(path, session_->fileEncoding());
        else
            session_->acknowledgeDiskState();
    }
    checkingDisk_ = false;
}

void TForm1::restoreDiscarded(const std::string& name) {
    if (!ConfirmSave())
        return;
    if (const std::optional<recovery::RecoveryCopy> copy = session_->discardedTexts().take(name))
        restoreRecovered(*copy);
    else
        platform::showError(this, QStringLiteral("破棄した文章を読み取れません"));
}

bool TForm1::saveAs() {
    platform::FileDialogRequest request;
    request.title = QStringLiteral("名前を付けて保存");
    request.filters = {kTextFiles, kTexFiles};
    if (saveDialogHasAllFiles_)
        request.filters << kAllFiles;
    request.selectedFilter = 0;
    request.defaultSuffix = kDefaultSuffix;
    request.proposedPath = session_->fileName();
    const std::optional<QString> path = platform::answerer().saveFile(this, request);
    return path && sayIfNotSaved(session_->saveAs(*path), *path);
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
    session_->settle();  // saved, or given up when the prompt was answered No
    return true;
}

void TForm1::openRecent(const QString& path) {
    if (!ConfirmSave())
        return;
    if (!loadFile(path) && !QFileInfo::exists(path))
        recentFiles_->remove(path);
}

void TForm1::keepPlace() {
    if (session_->titled())
        keptPlaces_->keep(session_->fileName(), {memo2->anchorPos(), memo2->caretPos(), memo2->topPosition()});
}

files::TextFormat TForm1::newDocumentFormat() const {
    files::TextFormat format;
    format.encoding = files::encodingFromId(settings.Encoding).value_or(files::Encoding::ShiftJis);
    format.lineBreak = files::lineBreakFromId(settings.LineBreak).value_or(files::LineBreak::CrLf);
    return format;
}

void TForm1::refusedCharacters(const QString& characters, bool tableFull) {
    if (tableFull)
        platform::showError(this, QStringLiteral("この文書にはこれ以上の種類の特殊な文字を入れられないため入力しませんでした (%1)")
                                      .arg(characters));
    else
        platform::showError(this, QStringLiteral("%1 で表せない文字のため入力しませんでした。文字コードを UTF-8 にすると入力できます (%2)")
                                      .arg(files::encodingCaption(session_->format().encoding), characters));
}

void TForm1::refusedJoiningLoneByte() {
    platform::showError(this, QStringLiteral("Shift-JIS として不正なバイト (記号で表示) が隣の文字と組になって別の文字に"
                                             "変わるため、変更しませんでした。先にその記号を削除してください"));
}

}  // namespace verlo::app
