// ファイル › 破棄した文章: the texts given up at the save prompt in the last days, newest first,
// each as the time it was given up, its file's name and its first line. The list is read
// when the menu opens; choosing one asks the window to open it.
#pragma once

#include <QObject>
#include <QString>
#include <string>

class QMenu;

namespace verlo::recovery {
class DiscardedTexts;
}

namespace verlo::app {

class DiscardedMenu : public QObject {
    Q_OBJECT
public:
    DiscardedMenu(QMenu& menu, recovery::DiscardedTexts& texts, QObject* parent = nullptr);

    // The items as they are now (the menu builds them as it opens).
    void rebuild();

signals:
    void restoreRequested(const std::string& name);

private:
    QMenu& menu_;
    recovery::DiscardedTexts& texts_;
};

}  // namespace verlo::app
