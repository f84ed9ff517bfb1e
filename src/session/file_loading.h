// A Shift-JIS or UTF-8 file read into the document with its first piece shown at once: the rest
// follows a few megabytes at a time in later turns of the event loop, so that the window
// shows and answers meanwhile. Anything the user does besides looking at the text (a key,
// a shortcut, the input method, a drop, a click outside what only looks at the text) takes
// the rest in first, so that no command meets a part of the file; so does any change of the
// text (text::Document::startLoading).
#pragma once

#include <QBasicTimer>
#include <QObject>
#include <functional>
#include <memory>

#include "files/text_stream.h"

namespace verlo::session {

class DocumentSession;

class FileLoading : public QObject {
public:
    // Reads the first piece of the file open at fd, in encoding (files::TextFileReader), into
    // the session's document (fd is closed once the document no longer needs it).
    FileLoading(int fd, files::Encoding encoding, DocumentSession& session);
    ~FileLoading() override;
    FileLoading(const FileLoading&) = delete;
    FileLoading& operator=(const FileLoading&) = delete;

    const files::TextFileReader& reader() const;
    // Reads the rest between events; done is called once all is in (never when the
    // document was replaced meanwhile).
    void goOn(std::function<void()> done);

    // Bytes taken in per turn of the event loop: a few milliseconds of work.
    static constexpr std::size_t kTurnBytes = 4 << 20;
    // A file up to this size is read at once.
    static constexpr std::size_t kWholeBytes = 2 << 20;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void stop();

    struct Source;
    std::shared_ptr<Source> source_;
    DocumentSession& session_;
    std::function<void()> done_;
    QBasicTimer turns_;
    bool filtering_ = false;
};

}  // namespace verlo::session
