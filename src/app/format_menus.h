// The file menu's choices of how the document is kept in its file: ファイル › 文字コード and
// ファイル › 改行コード (radio items showing the current choice, changing it for the next
// save), and ファイル › 文字コードを指定して開き直す (read the file again in a chosen encoding).
// The window decides what a choice does; these only show and report.
#pragma once

#include <QObject>

#include "files/text_format.h"

class QAction;
class QActionGroup;
class QMenu;

namespace verlo::app {

class FormatMenus : public QObject {
    Q_OBJECT
public:
    // Inserts the three submenus into fileMenu before `before`, with a separator after them.
    FormatMenus(QMenu* fileMenu, QAction* before, QObject* parent);

    QMenu* encodingMenu;   // 文字コード
    QMenu* lineBreakMenu;  // 改行コード
    QMenu* reopenMenu;     // 文字コードを指定して開き直す

    // Checks the items of the format; reopening needs a file, choosing needs a writable text.
    void show(const files::TextFormat& format, bool hasFile, bool readOnly);

    QAction* encodingAction(files::Encoding encoding) const;
    QAction* lineBreakAction(files::LineBreak lineBreak) const;
    QAction* reopenAction(files::Encoding encoding) const;

signals:
    void encodingChosen(files::Encoding encoding);
    void lineBreakChosen(files::LineBreak lineBreak);
    void reopenChosen(files::Encoding encoding);

private:
    QActionGroup* encodings_;
    QActionGroup* lineBreaks_;
};

}  // namespace verlo::app
