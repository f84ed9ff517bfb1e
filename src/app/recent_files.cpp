#include "app/recent_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "settings/stored_settings.h"

namespace verlo::app {

QStringList withNewest(QStringList list, const QString& path, int limit) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    list.removeAll(absolute);
    list.prepend(absolute);
    while (list.size() > limit) list.removeLast();
    return list;
}

RecentFiles::RecentFiles(QMenu& menu, QObject* parent) : QObject(parent), menu_(menu) { rebuild(); }

void RecentFiles::setFiles(const QStringList& files) {
    files_ = files.mid(0, settings::kRecentFiles);
    rebuild();
}

void RecentFiles::add(const QString& path) {
    files_ = withNewest(files_, path, settings::kRecentFiles);
    rebuild();
}

void RecentFiles::remove(const QString& path) {
    files_.removeAll(QFileInfo(path).absoluteFilePath());
    rebuild();
}

void RecentFiles::rebuild() {
    menu_.clear();
    QStringList names;
    for (const QString& path : files_) names << QFileInfo(path).fileName();
    const QString home = QDir::homePath();
    for (int i = 0; i < files_.size(); ++i) {
        const QString path = files_[i];
        // "&1 name" to "&9 name", then "1&0 name".
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QString name = names[i];
        if (names.count(name) > 1) {  // two files of one name: their folders tell them apart
            QString folder = QFileInfo(path).absolutePath();
            if (folder == home || folder.startsWith(home + u'/')) folder.replace(0, home.size(), QStringLiteral("~"));
            name += QStringLiteral(" (") + folder + u')';
        }
        name.replace(u'&', QStringLiteral("&&"));
        QAction* item = menu_.addAction(number + u' ' + name);
        item->setToolTip(path);
        connect(item, &QAction::triggered, this, [this, path] { emit openRequested(path); });
    }
    menu_.setToolTipsVisible(true);
    menu_.menuAction()->setEnabled(!files_.isEmpty());
}

}  // namespace verlo::app
