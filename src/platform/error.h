// A failing file or settings operation raises platform::Error: it abandons the command or
// event that was running and is shown once, in the standard error box, where the command
// is entered (guarded below). There are no error codes and no log.
#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace verlo::platform {

class Error : public std::exception {
public:
    explicit Error(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Runs a command; an Error it raises is shown in the standard error box (owned by `owner`)
// and the command ends there. Returns false when the command was abandoned that way.
bool guarded(QWidget* owner, const std::function<void()>& command);

}  // namespace verlo::platform
