// The status bar of a writer's counts, under the text when 表示 › ステータスバー is checked:
// the characters of the text (as the count box counts them), 未保存 while the text is not
// saved, those of the selection when there is one, the manuscript pages (400-character sheets) to one decimal with the lines
// of the last sheet in its tooltip, and the file's encoding and line breaks.
//
// While it is shown it follows every change of the text, one paragraph at a time; a change
// too large for that (a file opened, a large paste) is counted on a thread of its own, the
// bar keeping its figures until the new ones are exact. While it is hidden it counts nothing.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "counts/background_counts.h"
#include "counts/live_counts.h"
#include "files/text_format.h"
#include "session/document_session.h"

class QAction;
class QLabel;
class QMainWindow;
class QStatusBar;

namespace verlo::edit {
class EditControl;
}

namespace verlo::app {

class FigureLabel;

class WritingStatus : public QObject, private session::Watcher {
    Q_OBJECT
public:
    // toggle is the checkable menu item that shows and hides the bar; memo2 is the view of
    // the session's text whose selection is counted.
    WritingStatus(QMainWindow& window, session::DocumentSession& session, edit::EditControl& memo2, QAction& toggle);
    ~WritingStatus() override;

    void setShown(bool shown);
    bool shown() const;
    // How the document is kept in its file, as the bar shows it.
    void showFormat(const files::TextFormat& format);

    // Whether the figures shown are those of the text as it is (false while a large
    // change is being counted in the background).
    bool exact() const { return !background_.running(); }
    // Changes of more bytes than this are counted in the background (tests lower it).
    void setBackgroundFrom(std::size_t bytes) { backgroundFrom_ = bytes; }

    // What the bar shows (empty while it is hidden; the selection's text is empty without one).
    QString charsText() const;
    QString selectionText() const;
    QString pagesText() const;
    QString pagesToolTip() const;
    QString encodingText() const;
    QString unsavedText() const;

private:
    void build();
    void refresh();
    void refreshSelection();
    void documentChanged(const text::Change& change, std::uint64_t revision) override;
    void countAll();
    void collect();
    // Shows the figures that fit the bar's width, by priority.
    void fitFigures();
    void showModified(bool modified);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QMainWindow& window_;
    session::DocumentSession& session_;
    edit::EditControl& memo2_;
    QAction& toggle_;
    QStatusBar* bar_ = nullptr;
    FigureLabel* chars_ = nullptr;
    FigureLabel* selection_ = nullptr;
    FigureLabel* pages_ = nullptr;
    QLabel* encoding_ = nullptr;
    QLabel* unsaved_ = nullptr;
    bool modified_ = false;  // unsaved_ is wanted
    counts::LiveCounts counts_;
    counts::BackgroundCounts background_;
    std::size_t backgroundFrom_ = 256 * 1024;
    std::size_t shownChars_ = 0;  // what the labels show
    std::size_t shownLines_ = 0;
    bool selecting_ = false;  // a selection's count is to be shown
    files::TextFormat format_;
    QList<QMetaObject::Connection> following_;
};

// The texts of the bar: "12,345字", "選択 56字", "12.3枚", "最終ページ 6行（全246行）".
QString charsLabel(std::size_t chars);
QString selectionLabel(std::size_t chars);
QString pagesLabel(std::size_t manuscriptLines);
QString pagesToolTip(std::size_t manuscriptLines);

}  // namespace verlo::app
