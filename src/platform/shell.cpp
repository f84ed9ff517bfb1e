#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace verlo::platform {

bool openWithDesktop(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

}  // namespace verlo::platform
