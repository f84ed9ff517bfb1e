// The outline beside the text (表示 › アウトライン): a dock on the left or the right of the
// window, hidden until asked for, listing the headings nested by level, each with its
// section's characters (as the count box counts them) and manuscript pages. The heading
// whose section holds the caret is the list's current item; choosing a heading (a click, or
// Enter on it) puts the caret at its start and shows it there. goToNext and goToPrevious
// (次の見出し, 前の見出し) move the caret from heading to heading also while it is hidden.
//
// While it is shown it follows the text change by change, one paragraph at a time (the
// outline, outline/outline.h); a change too large for that (a file opened, a large paste) is
// counted on a thread of its own, and its headings read a few megabytes between two events,
// the list keeping its figures until the new ones are exact.
// While it is hidden it keeps nothing.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "counts/background_counts.h"
#include "outline/outline.h"
#include "session/document_session.h"

class QAction;
class QDockWidget;
class QMainWindow;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace verlo::edit {
class EditControl;
}

namespace verlo::app {

class OutlinePanel : public QObject, private session::Watcher {
    Q_OBJECT
public:
    // toggle is the checkable menu item that shows and hides the panel.
    OutlinePanel(QMainWindow& window, session::DocumentSession& session, edit::EditControl& memo2, QAction& toggle);
    ~OutlinePanel() override;

    void setShown(bool shown);
    bool shown() const;

    // The side it lies on ("left" or "right") and its width (0: as wide as it asks), as the
    // settings file keeps them.
    QString side() const;
    void setSide(const QString& side);
    int width() const;
    void setWidth(int width);
    const outline::HeadingRules& rules() const { return outline_.rules(); }
    void setRules(const outline::HeadingRules& rules);

    // Whether the figures shown are those of the text as it is.
    bool exact() const { return !background_.running() && !outline_.reading(); }
    // Changes of more bytes than this are counted in the background (tests lower it).
    void setBackgroundFrom(std::size_t bytes) { backgroundFrom_ = bytes; }

    QTreeWidget& tree() const { return *tree_; }
    QDockWidget& dock() const { return *dock_; }
    // Moves the caret to a heading's start and shows it (index into the outline's headings).
    void goTo(std::size_t heading);
    void goToNext();
    void goToPrevious();
    // From the text to the list (showing the panel first when it is hidden) and back.
    void switchFocus();

signals:
    // The caret was put at a heading (the title follows it).
    void moved();

private:
    void build();
    void documentChanged(const text::Change& change, std::uint64_t revision) override;
    void readAll();
    void collect();
    void readMore();
    void refresh();
    void rebuildTree();
    void updateFigures(QTreeWidgetItem& item, std::size_t heading, const std::vector<std::size_t>& ends);
    void markCaret();
    void goNear(bool forward);

    QMainWindow& window_;
    session::DocumentSession& session_;
    edit::EditControl& memo2_;
    QAction& toggle_;
    QDockWidget* dock_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QTimer* readTimer_ = nullptr;  // reads the headings of a large text a piece at a time
    outline::Outline outline_;
    counts::BackgroundCounts background_;
    std::size_t backgroundFrom_ = 256 * 1024;
    std::uint64_t shownShape_ = static_cast<std::uint64_t>(-1);
    // The paragraphs changed since the last refresh, while no change added or removed one
    // (typing): only the sections holding them are counted again.
    bool touchedAll_ = true;
    std::size_t touchedFirst_ = 0;
    std::size_t touchedLast_ = 0;
    std::vector<QTreeWidgetItem*> items_;  // one per heading, in order
    QTreeWidgetItem* marked_ = nullptr;
    Qt::DockWidgetArea area_ = Qt::RightDockWidgetArea;
    int width_ = 0;
    bool following_ = false;
    QList<QMetaObject::Connection> connections_;
};

}  // namespace verlo::app
