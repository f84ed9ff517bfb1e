#include "preview/page_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "files/file_io.h"

namespace verlo::preview {

namespace {
const QString kPageName = QStringLiteral("print.html");
}

QString PreviewPagePath(const QString& programDir, const QString& xdgCacheHome, const QString& homeDir) {
    // An installed program's folder is not writable on Linux; a build tree's is.
    const QFileInfo folder(programDir);
    if (!programDir.isEmpty() && folder.isDir() && folder.isWritable())
        return QDir(folder.absoluteFilePath()).filePath(kPageName);
    const QString cache = (!xdgCacheHome.isEmpty() && QDir::isAbsolutePath(xdgCacheHome))
                              ? xdgCacheHome
                              : QDir(homeDir).filePath(QStringLiteral(".cache"));
    return QDir::cleanPath(cache + QStringLiteral("/Verlo/") + kPageName);
}

QString PreviewPagePath() {
    return PreviewPagePath(QCoreApplication::applicationDirPath(), qEnvironmentVariable("XDG_CACHE_HOME"),
                           QDir::homePath());
}

bool WritePreviewPage(const QString& path, std::string_view bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    return files::writeFileReplacing(path, bytes);
}

}  // namespace verlo::preview
