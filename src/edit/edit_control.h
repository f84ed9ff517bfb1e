// The edit control: a Qt widget that views a text::Document it does not own (a document
// session's), showing it in one font and one colour, word-wrapped, in horizontal or
// vertical writing, and editing it. Positions are byte offsets into the CP932 text (a CR LF
// line break counting two), as everywhere in the program.
//
// The control knows nothing of menus, files or message boxes: it reports through signals
// and the window that owns it decides. Whoever gives the document its text (a file, a new
// text) does so on the document; the control follows (text::Change::whole starts it over
// at the top).
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "text/document.h"

namespace verlo::edit {

enum class OptionOp { Or, Xor };

class EditControl : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Views doc, which must outlive the control.
    explicit EditControl(text::Document& doc, QWidget* parent = nullptr);
    ~EditControl() override;

    text::Document& document();
    const text::Document& document() const;

    // ---- selection (the view owns it; positions are byte offsets)
    std::size_t selStart() const;   // the lower end, whichever way the selection was made
    std::size_t selLength() const;  // 0 for a bare caret
    std::size_t caretPos() const;   // the moving end
    std::size_t anchorPos() const;
    // Collapses the selection to a caret at pos (snapped to a caret position).
    void setSelStart(std::size_t pos);
    // Keeps the start, sets the end to start + len (snapped), and scrolls the caret into view.
    void setSelLength(std::size_t len);
    // Any selection, anchor and caret; scrolls the caret into view.
    void setSelection(std::size_t anchor, std::size_t caret);
    void selectAll();
    std::string selectedText() const;  // empty when nothing is selected

    // Replaces the selection; afterwards the caret stands after the new text with nothing
    // selected, and changed() is emitted. canUndo false empties the undo history.
    void replaceSelection(std::string_view bytes, bool canUndo);

    // ---- whole text
    std::string text() const;
    std::size_t textLength() const;
    // Replaces the whole text (not undoable: the history is emptied); caret at 0; changed().
    void setText(std::string_view bytes);
    // A read-only text is changed by nothing but setText (and by its owner's own loading).
    void setReadOnly(bool on);
    bool isReadOnly() const;

    // ---- lines as laid out (a wrapped line counts as several; an empty text has one line)
    std::size_t lineFromChar(std::size_t pos) const;
    std::size_t lineIndex(std::size_t line) const;  // first position of a laid-out line; npos past the last
    std::size_t lineCount() const;
    // True when the line figures are exact, with nothing left to the background layout
    // (the three functions above wait for nothing, they lay out what is left at once).
    bool linesExact() const;

    // ---- find: first match in [from, to) starting at a character boundary, or -1
    long long findText(std::size_t from, std::size_t to, std::string_view needle, bool matchCase,
                       bool wholeWord) const;

    // ---- undo and the clipboard (text/plain only, UTF-8 on the Linux clipboard): copy and
    // cut put the selection there with every line break as LF; paste makes each line break
    // it brings the document's own.
    void undo();
    // Puts back what undo took away (the caret after it); the modified flag follows the save
    // point both ways.
    void redo();
    void cut();
    void copy();
    void paste();
    void emptyUndoBuffer();
    bool modified() const;
    void setModified(bool modified);

    // ---- writing direction: the vertical option, set by Or, flipped by Xor
    void setVerticalOption(OptionOp op);
    bool isVertical() const;

    // ---- the view
    // The text position at the start of the first line shown, and showing the line that
    // holds a position first (as far as the scroll range allows).
    std::size_t topPosition() const;
    void setTopPosition(std::size_t pos);
    void pageUp();    // one view's worth back along the block axis; caret and selection unchanged
    void pageDown();
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;
    // One font and one colour for all text (face, size, style bits and pitch are in the QFont).
    void setTextFont(const QFont& font);
    QFont textFont() const;
    void setTextColor(const QColor& color);
    QColor textColor() const;
    // The input-method mode numbered as the settings store writes it (3: left alone).
    int imeMode() const { return 3; }
    // Ruby and emphasis drawn from their notation, the group at the caret or the selection
    // as written (typeset/ruby_layout.h). Off at first.
    void setRubyShown(bool on);
    bool rubyShown() const;

    // Layout measures for fitting the window: the client size that holds exactly
    // `chars` full-width characters along a line (horizontal) or a column (vertical)
    // is what the fitting commands compute; these give the control's own overhead.
    // Along the inline axis (the width in horizontal writing, the height in vertical
    // writing) the overhead is always 25 pixels, so that a line or column of a client
    // advance * n + 25 holds exactly n full-width characters (when the style's scroll bar
    // is no wider than 25 pixels). Across the block axis it is the frame, the scroll bar
    // where it stands, and the margin before the first line.
    int frameOverheadWidth() const;   // scroll bar, frame and margins across the width
    int frameOverheadHeight() const;  // scroll bar, frame and margins across the height
    // The advance of a full-width character as the control lays it out in its font: along
    // a horizontal line ("１") and down a vertical column ("０"), whole pixels.
    int fitCharacterWidth() const;
    int fitCharacterHeight() const;
    // Forty full-width characters per line by twenty per column.
    QSize sizeHint() const override;

signals:
    // In the order the owner relies on: keyDown before the control acts on a key, keyUp
    // after; mouseDown and mouseUp after the caret moved; changed after the text changed.
    void keyDown();
    void keyUp();
    void mouseDown();
    void mouseUp();
    void changed();
    // The caret or the selection moved (also by a change of the text).
    void selectionChanged();
    // The background layout finished, or a text being loaded is all in: line figures are
    // exact again.
    void linesCounted();
    // Characters typed, committed or pasted that the document cannot hold (the code page
    // cannot, and its file is Shift-JIS; or its table of stand-ins is full: tableFull);
    // nothing was inserted. The text lists each character once.
    void refusedCharacters(const QString& characters, bool tableFull);
    // A change that would pair a lead byte standing alone (shown as a mark) with a byte
    // next to it, so that bytes nobody touched would read as another character; nothing
    // was changed.
    void refusedJoiningLoneByte();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* e) override;

public:
    struct Impl;

private:
    friend class AccessibleEdit;
    std::unique_ptr<Impl> d;
};

}  // namespace verlo::edit
