#include "session/file_loading.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimerEvent>
#include <unistd.h>

#include "session/document_session.h"

namespace verlo::session {

struct FileLoading::Source {
    Source(int fd, files::Encoding encoding) : file(fd), reader(fd, encoding) {}
    // Closed once the reader is gone: its thread may be reading the file until then.
    struct File {
        explicit File(int fd) : fd(fd) {}
        File(const File&) = delete;
        File& operator=(const File&) = delete;
        ~File() { ::close(fd); }
        int fd;
    } file;
    files::TextFileReader reader;
};

FileLoading::FileLoading(int fd, files::Encoding encoding, DocumentSession& session)
    : source_(std::make_shared<Source>(fd, encoding)), session_(session) {
    text::Document& doc = session_.document();
    doc.standIns() = text::StandIns();
    doc.startLoading([source = source_](text::StandIns& table) { return source->reader.next(table); });
}

FileLoading::~FileLoading() { stop(); }

const files::TextFileReader& FileLoading::reader() const { return source_->reader; }

void FileLoading::goOn(std::function<void()> done) {
    done_ = std::move(done);
    connect(&session_, &DocumentSession::loaded, this, [this] {
        stop();
        if (done_) done_();
    });
    turns_.start(0, this);
    QCoreApplication::instance()->installEventFilter(this);
    filtering_ = true;
}

void FileLoading::stop() {
    turns_.stop();
    if (filtering_) QCoreApplication::instance()->removeEventFilter(this);
    filtering_ = false;
}

void FileLoading::timerEvent(QTimerEvent* event) {
    if (event->timerId() != turns_.timerId()) return QObject::timerEvent(event);
    session_.loadMore(kTurnBytes);
    if (!session_.loading()) stop();  // all in, or the document was replaced
}

bool FileLoading::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::ContextMenu:
        session_.finishLoading();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click in the text or on its scroll bars only looks.
        if (!session_.looksOnly(watched)) session_.finishLoading();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace verlo::session
