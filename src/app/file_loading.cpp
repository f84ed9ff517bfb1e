#include "app/file_loading.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimerEvent>
#include <QWidget>
#include <unistd.h>

#include "edit/edit_control.h"

namespace verlo::app {

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

FileLoading::FileLoading(int fd, files::Encoding encoding, edit::EditControl& edit)
    : source_(std::make_shared<Source>(fd, encoding)), edit_(edit) {
    edit_.startLoading([source = source_](text::StandIns& table) { return source->reader.next(table); });
}

FileLoading::~FileLoading() { stop(); }

const files::TextFileReader& FileLoading::reader() const { return source_->reader; }

void FileLoading::goOn(std::function<void()> done) {
    done_ = std::move(done);
    connect(&edit_, &edit::EditControl::loaded, this, [this] {
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
    if (!edit_.loadMore(kTurnBytes)) stop();  // all in, or the document was replaced
}

bool FileLoading::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::ContextMenu:
        edit_.finishLoading();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A click in the text or on its scroll bars only looks.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || (widget != &edit_ && !edit_.isAncestorOf(widget))) edit_.finishLoading();
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace verlo::app
