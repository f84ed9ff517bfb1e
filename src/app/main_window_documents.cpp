// The commands that bind the document to a file or write it out: New, Open, Save,
// Save As, dropped files, the save prompt and the close query.
#include <QAction>
#include <QFileInfo>
#include <algorithm>
#include <QFile>
#include <QTimer>

#include "app/document_recovery.h"
#include "app/file_loading.h"
#include "app/main_window.h"
#include "app/kept_places.h"
#include "app/recent_files.h"
#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "platform/error.h"
#include "files/file_io.h"
#include "files/text_file.h"
#include "files/text_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    files::removeLeftoverTemporaries(path);  // of a save killed on the way
    const files::TextFormat defaults = newDocumentFormat();
    files::ReadText read;
    std::optional<std::string> bytes;
    // A Shift-JIS or UTF-8 file goes into the document a piece at a time, never held whole twice.
    bool incomplete = false;
    const std::optional<files::TextFormat> streamed =
        !encoding || files::TextFileReader::reads(*encoding) ? loadInPieces(path, encoding, defaults, &incomplete, &bytes)
                                                             : std::nullopt;
    if (incomplete) {
        keepWhatWasRead(path);
        return false;
    }
    if (streamed) {
        read.format = *streamed;
        read.tooManyCharacters = bytes.has_value();
    } else {
        bytes = files::readWholeFile(path);
        if (!bytes) {
            platform::showError(this, QStringLiteral("ファイル %1 は開けません").arg(path));
            return false;
        }
        keepPlace();
        read = encoding ? files::readText(*bytes, *encoding, defaults.lineBreak) : files::openText(*bytes, defaults);
        memo2->loadText(read.bytes, std::move(read.standIns), files::lineBreakBytes(read.format.lineBreak));
        std::string().swap(read.bytes);
    }
    format_ = read.format;
    // More distinct characters than the document can stand for: shown, never changed, and
    // written elsewhere only as the file's own bytes.
    memo2->setReadOnly(read.tooManyCharacters);
    readOnlyFile_ = read.tooManyCharacters ? std::move(*bytes) : std::string();
    Save1->setEnabled(!read.tooManyCharacters);
    memo2->emptyUndoBuffer();
    currentFileName = path;
    captionBase = QStringLiteral("Verlo - ") + fileNamePart(path);
    memo2->setModified(false);
    sessionApproved_ = false;
    savedFormat_ = format_;
    showFormat();
    if (const std::optional<Place> place = keptPlaces_->find(path)) {
        // A place past the part read so far: read up to it, and a screen more.
        const std::size_t far = std::max({place->anchor, place->caret, place->top}) + (64 << 10);
        if (memo2->loading() && far > memo2->textLength()) memo2->loadMore(far - memo2->textLength());
        memo2->setSelection(std::min(place->anchor, memo2->textLength()), std::min(place->caret, memo2->textLength()));
        memo2->setTopPosition(place->top);
    }
    recentFiles_->add(path);
    recovery_->settled();
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

std::optional<files::TextFormat> TForm1::loadInPieces(const QString& path, std::optional<files::Encoding> encoding,
                                                      const files::TextFormat& defaults, bool* incomplete,
                                                      std::optional<std::string>* readOnlyFile) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;  // read whole, which says what is wrong
    struct stat st{};
    std::optional<files::Encoding> found = encoding;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (!found && !(found = files::detectFileEncoding(fd, defaults.encoding))) ||
        !files::TextFileReader::reads(*found)) {
        ::close(fd);
        return std::nullopt;
    }
    keepPlace();
    // The first piece now, the rest between events; a small file is all in at once.
    fileLoading_.reset();
    fileLoading_ = std::make_unique<FileLoading>(fd, *found, *memo2);
    const files::TextFileReader& reader = fileLoading_->reader();
    if (static_cast<std::size_t>(st.st_size) <= FileLoading::kWholeBytes || reader.atEnd()) memo2->finishLoading();
    files::TextFormat format;
    format.encoding = reader.encoding();
    format.lineBreak = reader.lineBreak(defaults.lineBreak);  // of the part read (fileLoaded)
    memo2->document().setLineBreak(files::lineBreakBytes(format.lineBreak));
    *incomplete = reader.failed();
    if (!memo2->loading() && reader.tooManyCharacters() && !*incomplete) {
        *readOnlyFile = reader.wholeFile();
        *incomplete = !*readOnlyFile;
    }
    if (memo2->loading())
        fileLoading_->goOn([this, path] { fileLoaded(path); });
    else
        fileLoading_.reset();
    return format;
}

void TForm1::fileLoaded(const QString& path) {
    const files::TextFileReader& reader = fileLoading_->reader();
    const files::LineBreak lineBreak = reader.lineBreak(format_.lineBreak);
    memo2->document().setLineBreak(files::lineBreakBytes(lineBreak));
    if (lineBreak != format_.lineBreak) {
        format_.lineBreak = savedFormat_.lineBreak = lineBreak;
        showFormat();
    }
    bool failed = reader.failed();
    if (!failed && reader.tooManyCharacters()) {
        // Read-only at once (this may be within a key press); said between events.
        std::optional<std::string> file = reader.wholeFile();
        failed = !file;
        if (file) {
            memo2->setReadOnly(true);
            readOnlyFile_ = std::move(*file);
            Save1->setEnabled(false);
            QTimer::singleShot(0, this, [this, path] { sayTooManyCharacters(path); });
        }
    }
    // Told between events: this may be within a key press or a change of the text.
    if (failed) QTimer::singleShot(0, this, [this, path] { keepWhatWasRead(path); });
}

void TForm1::keepWhatWasRead(const QString& path) {
    // What was read stays, as a new document that was never saved: no file is bound to
    // only a part of it.
    platform::showError(this, QStringLiteral("ファイル %1 を最後まで読めませんでした").arg(path));
    takeNewDocumentFormat();
    memo2->setReadOnly(false);
    readOnlyFile_.clear();
    currentFileName.clear();
    Save1->setEnabled(false);
    captionBase = QStringLiteral("Verlo");
    memo2->setModified(true);
    UpdateCaption();
}

void TForm1::bindTo(const QString& path) {
    currentFileName = path;
    showFormat();
    memo2->setModified(false);
    captionBase = QStringLiteral("Verlo - ") + fileNamePart(path);
    Save1->setEnabled(true);
    UpdateCaption();
}

bool TForm1::saveTo(const QString& path) {
    memo2->finishLoading();  // the whole file, and its line breaks as counted
    if (memo2->isReadOnly())
        return writeOrSay(path, [this](const auto& put) { return put(readOnlyFile_); });
    // Read from the document a stretch at a time as it is written, never copied whole.
    const text::Document& doc = memo2->document();
    const files::TextPieces written = files::writeTextInPieces(files::DocumentBytes(doc), doc.standIns(), format_);
    if (!written.ok()) {
        platform::showError(this, QStringLiteral("%1 で表せない文字があるため保存できません (%2)")
                                      .arg(files::encodingCaption(format_.encoding),
                                           QString::fromUcs4(written.refused.data(),
                                                             static_cast<qsizetype>(written.refused.size()))));
        return false;
    }
    return writeOrSay(path, written.pieces);
}

bool TForm1::writeOrSay(const QString& path, const files::BytePieces& bytes) {
    // A file written in place (hard links, a folder we cannot write) gets the text's
    // recovery copy first, so that a failure on the way loses nothing.
    files::WriteFailure failure = files::WriteFailure::None;
    if (!files::writeFileReplacing(path, bytes, [this] { return recovery_->keepNow(); }, &failure)) {
        if (failure == files::WriteFailure::PartlyWritten)
            platform::showError(this, QStringLiteral("ファイル %1 の書き込みが途中で失敗しました。文章の控えは %2 にあります")
                                          .arg(path, QFile::decodeName(QByteArray::fromStdString(recovery_->copyPath()))));
        else
            platform::showError(this, QStringLiteral("ファイル %1 を作成できません").arg(path));
        return false;
    }
    recentFiles_->add(path);
    recovery_->settled();
    savedFormat_ = format_;
    return true;
}

recovery::RecoveryCopy TForm1::recoveryDescription() const {
    recovery::RecoveryCopy copy;
    copy.path = QFile::encodeName(currentFileName).toStdString();
    copy.encoding = files::encodingId(format_.encoding);
    copy.lineBreaks = files::lineBreakId(format_.lineBreak);
    copy.caret = memo2->caretPos();
    copy.standIns = memo2->document().standIns().toText();
    return copy;
}

void TForm1::restoreRecovered(const recovery::RecoveryCopy& copy) {
    format_.encoding = files::encodingFromId(copy.encoding).value_or(files::Encoding::ShiftJis);
    format_.lineBreak = files::lineBreakFromId(copy.lineBreaks).value_or(files::LineBreak::CrLf);
    savedFormat_ = format_;
    // A table that does not read leaves the codes as the code page's own characters.
    text::StandIns standIns = text::StandIns::fromText(copy.standIns).value_or(text::StandIns());
    standIns.setAccepting(files::holdsAnyCharacter(format_.encoding));
    memo2->loadText(copy.text, std::move(standIns), files::lineBreakBytes(format_.lineBreak));
    memo2->setReadOnly(false);
    memo2->emptyUndoBuffer();
    memo2->setSelection(copy.caret, copy.caret);
    currentFileName = QFile::decodeName(QByteArray::fromStdString(copy.path));
    const bool titled = !currentFileName.isEmpty();
    captionBase = titled ? QStringLiteral("Verlo - ") + fileNamePart(currentFileName) : QStringLiteral("Verlo");
    Save1->setEnabled(titled);
    sessionApproved_ = false;
    showFormat();
    UpdateCaption();  // the text stays modified: the file is not touched until it is saved
}

void TForm1::offerRecovery() {
    recovery_->offer(this, [this](const recovery::RecoveryCopy& copy) { restoreRecovered(copy); });
}

bool TForm1::ConfirmSave() {
    if (!documentModified())
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
    memo2->loadText({}, text::StandIns(), "\r\n");
    takeNewDocumentFormat();
    memo2->setReadOnly(false);
    readOnlyFile_.clear();
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

files::TextFormat TForm1::newDocumentFormat() const {
    files::TextFormat format;
    format.encoding = files::encodingFromId(settings.Encoding).value_or(files::Encoding::ShiftJis);
    format.lineBreak = files::lineBreakFromId(settings.LineBreak).value_or(files::LineBreak::CrLf);
    return format;
}

void TForm1::takeNewDocumentFormat() {
    format_ = newDocumentFormat();
    memo2->document().standIns().setAccepting(files::holdsAnyCharacter(format_.encoding));
    memo2->document().setLineBreak(files::lineBreakBytes(format_.lineBreak));
    savedFormat_ = format_;
    showFormat();
}

void TForm1::refusedCharacters(const QString& characters, bool tableFull) {
    if (tableFull)
        platform::showError(this, QStringLiteral("この文書にはこれ以上の種類の特殊な文字を入れられないため入力しませんでした (%1)")
                                      .arg(characters));
    else
        platform::showError(this, QStringLiteral("Shift-JIS で表せない文字のため入力しませんでした (%1)").arg(characters));
}

void TForm1::refusedJoiningLoneByte() {
    platform::showError(this, QStringLiteral("Shift-JIS として不正なバイト (記号で表示) が隣の文字と組になって別の文字に"
                                             "変わるため、変更しませんでした。先にその記号を削除してください"));
}

}  // namespace verlo::app
