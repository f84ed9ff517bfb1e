// Where the print preview page lives and how it is written.
#pragma once

#include <QString>
#include <string_view>

namespace verlo::preview {

// Where the page goes: print.html in programDir when that is a writable folder; else
// <cache>/Verlo/print.html, <cache> being xdgCacheHome when it is an absolute path and
// homeDir/.cache otherwise.
QString PreviewPagePath(const QString& programDir, const QString& xdgCacheHome, const QString& homeDir);
// The same for this program: its own folder, $XDG_CACHE_HOME, the home folder.
QString PreviewPagePath();

// Writes the page's bytes to path, replacing any earlier page whole (never half written)
// and creating the folder when it is missing. False when the page could not be written.
bool WritePreviewPage(const QString& path, std::string_view bytes);

}  // namespace verlo::preview
