// Handing things to the desktop: opening a file with the program the desktop associates
// with its type (xdg-open behind QDesktopServices).
#pragma once

#include <QString>

namespace verlo::platform {

// True when the desktop accepted the request.
bool openWithDesktop(const QString& path);

}  // namespace verlo::platform
