#include "session/document_session.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

#include "files/text_file.h"
#include "files/text_stream.h"
#include "recovery/discarded_texts.h"
#include "recovery/recovery_keeper.h"
#include "recovery/recovery_store.h"
#include "session/file_loading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verlo::session {

DocumentSession::DocumentSession(const std::string& recoveryFolder, const std::string& discardedFolder,
                                 QObject* parent)
    : QObject(parent),
      store_(std::make_unique<recovery::RecoveryStore>(recoveryFolder)),
      keeper_(std::make_unique<recovery::RecoveryKeeper>(*store_, doc_, [this] { return describe(); })),
      discarded_(std::make_unique<recovery::DiscardedTexts>(discardedFolder)) {
    doc_.addListener(this);
    doc_.standIns().setAccepting(files::holdsAnyCharacter(format_.encoding));
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        stampFile(false);
        if (diskChange() != DiskChange::None && !diskStateAcknowledged()) emit fileChangedOnDisk();
    });
}

DocumentSession::~DocumentSession() {
    fileLoading_.reset();
    doc_.removeListener(this);
}

void DocumentSession::watch(Watcher* watcher) { watchers_.push_back(watcher); }

void DocumentSession::unwatch(Watcher* watcher) { std::erase(watchers_, watcher); }

// ---------------------------------------------------------------- changes

void DocumentSession::documentChanged(const text::Change& change) {
    if (change.whole) piecesPending_ = false;  // the rest of an earlier file is dropped
    if (doc_.loading() && !change.whole) {
        // Appended at the end: together they replace the lines the first one touched.
        if (!piecesPending_) {
            loadedRest_ = change;
            piecesPending_ = true;
        } else {
            loadedRest_.inserted += change.inserted;
            loadedRest_.linesAdded = loadedRest_.linesAdded + change.linesAdded - change.linesRemoved;
        }
        return;
    }
    tell(change);
}

void DocumentSession::documentLoaded() {
    if (piecesPending_) {
        piecesPending_ = false;
        tell(loadedRest_);
    }
    emit loaded();
}

void DocumentSession::tell(const text::Change& change) {
    const std::uint64_t revision = doc_.revision();
    const std::vector<Watcher*> told = watchers_;  // a watcher may leave while told
    for (Watcher* w : told) w->documentChanged(change, revision);
    keeper_->documentChanged();
    noteModified();
}

void DocumentSession::noteModified() {
    if (modified() == modifiedTold_) return;
    modifiedTold_ = modified();
    emit modifiedChanged(modifiedTold_);
}

// ---------------------------------------------------------------- the file on disk

DiskChange DocumentSession::diskChange() const {
    if (!titled()) return DiskChange::None;
    const files::FileStamp now = files::stampOf(fileName_);
    if (now == stamp_) return DiskChange::None;
    return now.exists ? DiskChange::Changed : DiskChange::Vanished;
}

void DocumentSession::acknowledgeDiskState() { acknowledged_ = files::stampOf(fileName_); }

bool DocumentSession::diskStateAcknowledged() const { return files::stampOf(fileName_) == acknowledged_; }

void DocumentSession::stampFile(bool stamp) {
    if (stamp) stamp_ = acknowledged_ = files::stampOf(fileName_);
    // A file replaced by a rename leaves the watcher: it is watched anew.
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (titled() && files::stampOf(fileName_).exists) watcher_.addPath(fileName_);
}

// ---------------------------------------------------------------- format

std::u32string DocumentSession::setEncoding(files::Encoding encoding) {
    if (encoding == format_.encoding) return {};
    files::TextFormat wanted = format_;
    wanted.encoding = encoding;
    // Made whole first, so that what the encoding cannot hold is known before anything changes.
    const files::WrittenText trial = files::writeText(doc_.text(), doc_.standIns(), wanted);
    if (!trial.ok()) return trial.refused;
    format_ = wanted;
    doc_.standIns().setAccepting(files::holdsAnyCharacter(encoding));
    emit formatChanged();
    noteModified();
    return {};
}

void DocumentSession::setLineBreak(files::LineBreak lineBreak) {
    format_.lineBreak = lineBreak;
    doc_.setLineBreak(files::lineBreakBytes(lineBreak));
    emit formatChanged();
    noteModified();
}

// ---------------------------------------------------------------- a document's life

void DocumentSession::bind(const QString& path, const files::TextFormat& format) {
    fileName_ = path;
    format_ = savedFormat_ = format;
    doc_.standIns().setAccepting(files::holdsAnyCharacter(format.encoding));
    doc_.setLineBreak(files::lineBreakBytes(format.lineBreak));
}

void DocumentSession::newDocument(const files::TextFormat& format) {
    emit aboutToReplace();
    fileLoading_.reset();
    doc_.standIns() = text::StandIns();
    doc_.setText({});
    readOnly_ = false;
    readOnlyFile_.clear();
    bind(QString(), format);
    doc_.emptyUndo();
    doc_.setModified(false);
    settle();
    stampFile();
    emit bindingChanged();
    emit formatChanged();
    noteModified();
}

LoadResult DocumentSession::load(const QString& path, std::optional<files::Encoding> encoding,
                                 const files::TextFormat& defaults) {
    files::removeLeftoverTemporaries(path);  // of a save killed on the way
    defaults_ = defaults;
    LoadResult result;
    // A Shift-JIS or UTF-8 file goes into the document a piece at a time, never held whole twice.
    bool incomplete = false;
    std::optional<files::TextFormat> format;
    if (!encoding || files::TextFileReader::reads(*encoding)) format = loadInPieces(path, encoding, defaults, &incomplete);
    if (incomplete) {
        emit readFailed(path);
        keepAsUntitled(defaults);
        result.outcome = LoadOutcome::Incomplete;
        return result;
    }
    if (!format) {
        std::optional<std::string> bytes = files::readWholeFile(path);
        if (!bytes) return result;  // Unreadable: nothing changed
        emit aboutToReplace();
        fileLoading_.reset();
        files::ReadText read = encoding ? files::readText(*bytes, *encoding, defaults.lineBreak)
                                        : files::openText(*bytes, defaults);
        doc_.standIns() = std::move(read.standIns);
        doc_.setLineBreak(files::lineBreakBytes(read.format.lineBreak));
        doc_.setText(read.bytes);
        std::string().swap(read.bytes);
        format = read.format;
        readOnly_ = read.tooManyCharacters;
        readOnlyFile_ = readOnly_ ? std::move(*bytes) : std::string();
    }
    fileName_ = path;
    format_ = savedFormat_ = *format;
    doc_.emptyUndo();
    doc_.setModified(false);
    settle();
    stampFile();
    result.outcome = LoadOutcome::Loaded;
    result.tooManyCharacters = readOnly_;
    emit bindingChanged();
    emit formatChanged();
    noteModified();
    return result;
}

std::optional<files::TextFormat> DocumentSession::loadInPieces(const QString& path,
                                                               std::optional<files::Encoding> encoding,
                                                               const files::TextFormat& defaults, bool* incomplete) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;  // read whole, which says what is wrong
    struct stat st{};
    std::optional<files::Encoding> found = encoding;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (!found && !(found = files::detectFileEncoding(fd, defaults.encoding))) ||
        !files::TextFileReader::reads(*found)) {
        ::close(fd);
        return std::nullopt;
    }
    emit aboutToReplace();
    // The first piece now, the rest between events; a small file is all in at once.
    fileLoading_.reset();
    fileLoading_ = std::make_unique<FileLoading>(fd, *found, *this);
    const files::TextFileReader& reader = fileLoading_->reader();
    if (static_cast<std::size_t>(st.st_size) <= FileLoading::kWholeBytes || reader.atEnd()) doc_.finishLoading();
    files::TextFormat format;
    format.encoding = reader.encoding();
    format.lineBreak = reader.lineBreak(defaults.lineBreak);  // of the part read (fileLoaded)
    doc_.setLineBreak(files::lineBreakBytes(format.lineBreak));
    doc_.standIns().setAccepting(files::holdsAnyCharacter(format.encoding));
    *incomplete = reader.failed();
    readOnly_ = false;
    readOnlyFile_.clear();
    if (!doc_.loading() && reader.tooManyCharacters() && !*incomplete) {
        std::optional<std::string> file = reader.wholeFile();
        *incomplete = !file;
        readOnly_ = file.has_value();
        if (file) readOnlyFile_ = std::move(*file);
    }
    if (doc_.loading())
        fileLoading_->goOn([this, path] { fileLoaded(path); });
    else
        fileLoading_.reset();
    return format;
}

void DocumentSession::fileLoaded(const QString& path) {
    const files::TextFileReader& reader = fileLoading_->reader();
    const files::LineBreak lineBreak = reader.lineBreak(format_.lineBreak);
    doc_.setLineBreak(files::lineBreakBytes(lineBreak));
    if (lineBreak != format_.lineBreak) {
        format_.lineBreak = savedFormat_.lineBreak = lineBreak;
        emit formatChanged();
    }
    bool failed = reader.failed();
    if (!failed && reader.tooManyCharacters()) {
        // Read-only at once (this may be within a key press); said between events.
        std::optional<std::string> file = reader.wholeFile();
        failed = !file;
        if (file) {
            readOnly_ = true;
            readOnlyFile_ = std::move(*file);
            emit bindingChanged();
            QTimer::singleShot(0, this, [this, path] { emit foundTooManyCharacters(path); });
        }
    }
    // Told between events: this may be within a key press or a change of the text.
    if (failed)
        QTimer::singleShot(0, this, [this, path] {
            emit readFailed(path);
            keepAsUntitled(defaults_);
        });
}

void DocumentSession::keepAsUntitled(const files::TextFormat& format) {
    // What was read stays, as a text never saved: no file is bound to only a part of it.
    readOnly_ = false;
    readOnlyFile_.clear();
    bind(QString(), format);
    doc_.setModified(true);
    stampFile();
    emit bindingChanged();
    emit formatChanged();
    noteModified();
}

void DocumentSession::restore(const recovery::RecoveryCopy& copy) {
    files::TextFormat format;
    format.encoding = files::encodingFromId(copy.encoding).value_or(files::Encoding::ShiftJis);
    format.lineBreak = files::lineBreakFromId(copy.lineBreaks).value_or(files::LineBreak::CrLf);
    fileLoading_.reset();
    // A table that does not read leaves the codes as the code page's own characters.
    doc_.standIns() = text::StandIns::fromText(copy.standIns).value_or(text::StandIns());
    doc_.setText(copy.text);
    readOnly_ = false;
    readOnlyFile_.clear();
    bind(QFile::decodeName(QByteArray::fromStdString(copy.path)), format);
    doc_.emptyUndo();
    stampFile();
    emit bindingChanged();  // the text stays modified: the file is not touched until it is saved
    emit formatChanged();
    noteModified();
}

SaveResult DocumentSession::save() {
    SaveResult result = writeTo(fileName_);
    if (!result.ok) return result;
    doc_.setModified(false);
    stampFile();
    noteModified();
    return result;
}

SaveResult DocumentSession::saveAs(const QString& path) {
    SaveResult result = writeTo(path);
    if (!result.ok) return result;
    fileName_ = path;
    doc_.setModified(false);
    stampFile();
    emit bindingChanged();
    emit formatChanged();
    noteModified();
    return result;
}

SaveResult DocumentSession::writeTo(const QString& path) {
    doc_.finishLoading();  // the whole file, and its line breaks as counted
    SaveResult result;
    // A file written in place (hard links, a folder we cannot write) gets the text's
    // recovery copy first, so that a failure on the way loses nothing.
    const auto inPlace = [this] { return keepCopyNow(); };
    if (readOnly_) {
        result.ok = files::writeFileReplacing(path, readOnlyFile_, inPlace, &result.failure);
    } else {
        // Read from the document a stretch at a time as it is written, never copied whole.
        const files::TextPieces written = files::writeTextInPieces(files::DocumentBytes(doc_), doc_.standIns(), format_);
        if (!written.ok()) {
            result.refused = written.refused;
            return result;
        }
        result.ok = files::writeFileReplacing(path, written.pieces, inPlace, &result.failure);
    }
    if (result.ok) {
        settle();
        savedFormat_ = format_;
    }
    return result;
}

// ---------------------------------------------------------------- a file being read in

void DocumentSession::loadMore(std::size_t bytes) { doc_.loadMore(bytes); }

void DocumentSession::finishLoading() { doc_.finishLoading(); }

// ---------------------------------------------------------------- the recovery copy

void DocumentSession::settle() { keeper_->discard(); }

bool DocumentSession::keepCopyNow() { return keeper_->writeNow(); }

std::string DocumentSession::copyPath() const { return store_->copyPath(); }

bool DocumentSession::keepDiscarded() {
    doc_.finishLoading();
    recovery::RecoveryCopy copy = describe();
    copy.text = doc_.text();
    copy.written = QDateTime::currentSecsSinceEpoch();
    return discarded_->keep(copy);
}

recovery::RecoveryCopy DocumentSession::describe() const {
    recovery::RecoveryCopy copy;
    // Where the file is, whatever folder the next start runs in.
    if (titled()) copy.path = QFile::encodeName(QFileInfo(fileName_).absoluteFilePath()).toStdString();
    copy.encoding = files::encodingId(format_.encoding);
    copy.lineBreaks = files::lineBreakId(format_.lineBreak);
    copy.caret = caret_ ? caret_() : 0;
    copy.standIns = doc_.standIns().toText();
    return copy;
}

}  // namespace verlo::session
