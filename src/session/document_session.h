// A document's life in one place: the text::Document and its stand-in table, the file it
// is bound to and how it is kept there (encoding, line breaks), reading a file in (a piece
// at a time where it can, paced between events), saving, reading again in another
// encoding, the modified flag, and the recovery copy kept while the text is unsaved.
//
// Views (edit controls) listen to the document itself, change by change. Everything else
// that follows the text watches the session: each change is told once it is done, with
// the document's revision (which only grows); the pieces of a file being read are told as
// one change once they are all in.
//
// The session shows nothing: it answers what happened and the window says it.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/file_io.h"
#include "files/file_stamp.h"
#include "files/text_format.h"
#include "recovery/recovery_copy.h"
#include "text/document.h"

namespace verlo::recovery {
class DiscardedTexts;
class RecoveryKeeper;
class RecoveryStore;
}  // namespace verlo::recovery

namespace verlo::session {

class FileLoading;

// Follows the text: told of each change once it is done (a loaded file's pieces as one).
class Watcher {
public:
    virtual ~Watcher() = default;
    virtual void documentChanged(const text::Change& change, std::uint64_t revision) = 0;
};

enum class LoadOutcome {
    Loaded,      // the file is the document (perhaps read-only: tooManyCharacters)
    Unreadable,  // nothing was read; the document is as it was
    Incomplete,  // a read failed on the way: what was read stays as an untitled text
};

struct LoadResult {
    LoadOutcome outcome = LoadOutcome::Unreadable;
    // More distinct characters than the document can stand for: shown read-only, and
    // written elsewhere only as the file's own bytes.
    bool tooManyCharacters = false;
};

// What became of the bound file on disk since it was last read or written.
enum class DiskChange {
    None,
    Changed,   // another program wrote it (its size, time or inode differ)
    Vanished,  // it is gone
};

struct SaveResult {
    bool ok = false;
    std::u32string refused;  // characters the encoding cannot hold (nothing was written)
    files::WriteFailure failure = files::WriteFailure::None;
};

class DocumentSession : public QObject, private text::DocumentListener {
    Q_OBJECT
public:
    // recoveryFolder: where the recovery copies of this and every other instance are kept;
    // discardedFolder: where texts given up at the save prompt are kept for a while.
    DocumentSession(const std::string& recoveryFolder, const std::string& discardedFolder, QObject* parent = nullptr);
    ~DocumentSession() override;

    text::Document& document() { return doc_; }
    const text::Document& document() const { return doc_; }
    std::uint64_t revision() const { return doc_.revision(); }
    void watch(Watcher* watcher);
    void unwatch(Watcher* watcher);

    // ---- the file
    const QString& fileName() const { return fileName_; }  // as given; empty while untitled
    bool titled() const { return !fileName_.isEmpty(); }
    // A file holding more distinct characters than the document can stand for is shown and
    // never changed; Save As copies its bytes.
    bool readOnly() const { return readOnly_; }
    const files::TextFormat& format() const { return format_; }
    // The text, or how it is to be kept in its file, changed since it was last read or written.
    bool modified() const { return doc_.modified() || format_ != savedFormat_; }

    // How the next save keeps the text. An encoding that cannot hold every character is
    // refused: those characters are answered and nothing changes.
    std::u32string setEncoding(files::Encoding encoding);
    // The line break that Enter and paste insert and the format shows (the text's own breaks
    // are the caller's to convert, as an edit the writer can undo).
    void setLineBreak(files::LineBreak lineBreak);

    // ---- the file on disk, as another program may change it
    // Since it was last read or written (saving over a changed file asks first).
    DiskChange diskChange() const;
    // The writer was asked about the file as it is now and kept the text: not asked again
    // until it changes once more (saving over it still asks).
    void acknowledgeDiskState();
    bool diskStateAcknowledged() const;
    // The encoding the file was last read or written in (for reading it again).
    files::Encoding fileEncoding() const { return savedFormat_.encoding; }
    // The text counts as unsaved (its file vanished).
    void markModified() {
        doc_.setModified(true);
        noteModified();
    }

    // ---- a document's life
    // An empty untitled text in format.
    void newDocument(const files::TextFormat& format);
    // Reads the file at path, in encoding or the one it is found to be in (defaults: the
    // format of new documents, for a file without line breaks or of plain ASCII). A
    // Shift-JIS or UTF-8 file shows its first piece at once and the rest follows between
    // events (see loading()).
    LoadResult load(const QString& path, std::optional<files::Encoding> encoding,
                    const files::TextFormat& defaults);
    // Puts a recovered text in, bound to its file, modified (the file is untouched).
    void restore(const recovery::RecoveryCopy& copy);
    // The text becomes an untitled modified one in format (what was read of a file that
    // could not be read to its end).
    void keepAsUntitled(const files::TextFormat& format);
    // Writes the text to its file; on success it is no longer modified.
    SaveResult save();
    // Writes the text to path and binds the document to it.
    SaveResult saveAs(const QString& path);

    // ---- a file being read in
    bool loading() const { return doc_.loading(); }
    void loadMore(std::size_t bytes);  // at least this many more bytes, unless it ends
    void finishLoading();
    // Where a click only looks at the text (the view and its scroll bars): such a click does
    // not take the rest of a file in first; any other input does.
    void setLooksOnly(std::function<bool(QObject*)> looksOnly) { looksOnly_ = std::move(looksOnly); }
    bool looksOnly(QObject* target) const { return looksOnly_ && looksOnly_(target); }

    // ---- the recovery copy
    recovery::RecoveryKeeper& recoveryKeeper() { return *keeper_; }
    recovery::RecoveryStore& recoveryStore() { return *store_; }
    // The text now equals its file, or was given up: its copy goes.
    void settle();
    // The copy, whole, now (before a file is written in place); false when it could not be.
    bool keepCopyNow();
    std::string copyPath() const;
    // The text as it is, kept among the discarded texts before it is given up (at the save
    // prompt); false when it could not be kept.
    bool keepDiscarded();
    recovery::DiscardedTexts& discardedTexts() { return *discarded_; }
    // What a copy records beside the text; caret gives the caret's place.
    void setCaretSource(std::function<std::size_t()> caret) { caret_ = std::move(caret); }

signals:
    // Just before a load or a new text replaces the document (the window keeps its place).
    void aboutToReplace();
    // The file, its read-only state or the document's binding changed (title, Save).
    void bindingChanged();
    // The format changed (the menus and the status bar show it).
    void formatChanged();
    // A file being read in is all in.
    void loaded();
    // Found while the rest of a file came in, told between events: it could not be read to
    // its end (the text then becomes untitled), or it holds too many characters (the
    // document became read-only at once).
    void readFailed(const QString& path);
    void foundTooManyCharacters(const QString& path);
    // The bound file changed or vanished on disk (told by the file watcher, once per change).
    void fileChangedOnDisk();
    // modified() became true or false (by an edit, an undo to the save point, a save, ...).
    void modifiedChanged(bool modified);

private:
    void documentChanged(const text::Change& change) override;
    void documentLoaded() override;
    void tell(const text::Change& change);
    void noteModified();  // modifiedChanged when it did

    std::optional<files::TextFormat> loadInPieces(const QString& path, std::optional<files::Encoding> encoding,
                                                  const files::TextFormat& defaults, bool* incomplete);
    void fileLoaded(const QString& path);
    SaveResult writeTo(const QString& path);
    void bind(const QString& path, const files::TextFormat& format);
    recovery::RecoveryCopy describe() const;
    void stampFile(bool stamp = true);  // the file as read or written now (unless !stamp), watched anew

    text::Document doc_;
    std::vector<Watcher*> watchers_;
    // The pieces of a file appended after the first, told as one change once all are in.
    text::Change loadedRest_;
    bool piecesPending_ = false;

    QString fileName_;
    files::TextFormat format_;
    files::TextFormat savedFormat_;  // as the file was last read or written
    files::FileStamp stamp_;         // the file when last read or written
    files::FileStamp acknowledged_;  // the file as the writer last chose to keep the text against
    QFileSystemWatcher watcher_;
    bool readOnly_ = false;
    bool modifiedTold_ = false;
    std::string readOnlyFile_;  // the bytes of a file opened read-only, which Save As copies
    std::unique_ptr<FileLoading> fileLoading_;
    files::TextFormat defaults_;  // of the file being read in: an untitled text takes them
    std::function<bool(QObject*)> looksOnly_;
    std::function<std::size_t()> caret_;

    std::unique_ptr<recovery::RecoveryStore> store_;
    std::unique_ptr<recovery::RecoveryKeeper> keeper_;
    std::unique_ptr<recovery::DiscardedTexts> discarded_;
};

}  // namespace verlo::session
