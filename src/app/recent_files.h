// ファイル › 最近使ったファイル: the last files opened or saved, newest first, as numbered
// items (access keys 1 to 9 and 0, the file's name in the item, with its folder where two
// files share a name, and its full path in the tooltip). Choosing one asks the window to open it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QMenu;

namespace verlo::app {

// The list itself: newest first, each file once (by its absolute path), at most `limit`.
QStringList withNewest(QStringList list, const QString& path, int limit);

class RecentFiles : public QObject {
    Q_OBJECT
public:
    // menu is the submenu the items live in (the window's File menu holds it).
    explicit RecentFiles(QMenu& menu, QObject* parent = nullptr);

    void setFiles(const QStringList& files);  // from the settings file, cut to the limit
    const QStringList& files() const { return files_; }
    void add(const QString& path);  // opened or saved
    void remove(const QString& path);

signals:
    void openRequested(const QString& path);

private:
    void rebuild();

    QMenu& menu_;
    QStringList files_;
};

}  // namespace verlo::app
