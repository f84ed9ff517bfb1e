// The private state of EditControl, shared by its source files (the contract and the
// geometry, painting, input). The caret and the selection are a Selection of their own
// (selection.h); what is here is the widget's: view, font, pre-edit, mouse and timers.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QInputMethodEvent>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edit/accessible_edit.h"
#include "edit/edit_control.h"
#include "edit/key_map.h"
#include "edit/layout.h"
#include "edit/preedit_layout.h"
#include "edit/selection.h"
#include "text/document.h"

namespace verlo::edit {

// Where things are on the viewport. Lines are laid out along the inline axis u and follow
// each other along the block axis; rel is a line's number counted from the first one shown.
// Horizontal writing: x = inlineStart + u, y = blockStart + rel * pitch.
// Vertical writing: y = inlineStart + u, and line rel is the column whose right edge is
// at x = viewport width - blockStart - rel * pitch.
struct ViewGeometry {
    bool vertical = false;
    int width = 0;   // viewport
    int height = 0;
    int inlineStart = 0;  // margin before the text along the inline axis
    int inlineEnd = 0;    // margin after it
    int blockStart = 0;   // margin before the first line along the block axis
    int pitch = 1;        // from line to line
    float wrap = 0;       // extent a line may fill
    QPointF textShift;    // where the text sits in its line box when ruby needs room beside it

    int inlineExtent() const { return vertical ? height : width; }
    int blockExtent() const { return vertical ? width : height; }
    // Lines wholly visible (at least one).
    int linesPerPage() const;
    // The box of line rel from inline offset u0 to u1.
    QRectF box(double rel, double u0, double u1) const;
    // The corner where a line starting at inline u begins (top-left, or top-right in
    // vertical writing), as the typesetter paints from it.
    QPointF origin(double rel, double u) const;
    // A viewport point as (u, block offset from the first line shown).
    void toAxes(QPointF p, double* u, double* v) const;
};

struct EditControl::Impl : text::DocumentListener {
    Impl(EditControl* owner, text::Document& doc);
    ~Impl() override;

    EditControl* q;
    text::Document& doc;  // the session's
    Layout layout{doc};

    Selection sel{doc};

    QFont font;
    QColor textColor{Qt::black};
    QColor background{Qt::white};
    bool vertical = false;
    bool readOnly = false;
    ViewGeometry geo;
    // The scroll bar's thickness: asking the bar builds a style option, and the geometry is
    // synced at every query. Asked again after a change of style, font, size or direction.
    int barExtent = -1;
    bool barVertical = false;  // the direction it was asked in

    // The text at the top of the view, kept there when everything is laid out again.
    std::size_t topPos = 0;
    bool restoreTop = false;

    QTimer blink;
    bool caretShown = true;

    // The input method's pre-edit (never in the document).
    QString preedit;
    int preeditCursor = 0;
    bool preeditCursorVisible = true;
    QList<QInputMethodEvent::Attribute> preeditFormats;

    // Mouse.
    bool dragging = false;
    QPointF dragPoint;
    QTimer autoScroll;
    double wheelRest = 0;

    // changed() is emitted once an operation of ours has finished and placed the caret.
    int editDepth = 0;
    bool changePending = false;

    // ---- document listener
    void documentChanged(const text::Change& change) override;
    void documentWillChange(std::size_t pos, std::size_t len) override;

    // A text being loaded is all in: its line figures may be exact now.
    void documentLoaded() override;

    // ---- the background layout (edit_control_background.cpp)
    // Takes the workers' results in, keeping the text at the top of the view where it is.
    void layoutResults();
    // While more results are coming they are put in at most every so often (each time the
    // lines, the view and the scroll bar move); the timer puts in what waits meanwhile.
    QTimer resultsLater;
    QElapsedTimer resultsTaken;
    // Explicitly hidden (the scratch control): nothing is laid out until it is shown.
    bool shelved() const;

    // Full-width advances measured in the direction not shown.
    struct Measured {
        QFont font;
        int advance = -1;
    };
    Measured measured[2];
    int fullWidthAdvance(typeset::Writing writing);

    // ---- geometry and view (edit_control.cpp)
    void syncGeometry();      // margins and wrap width from the control's size and font
    void applyDirection();    // scroll bars and typesetter for the current direction
    void layoutWillChange();  // remembers the text at the top of the view
    QScrollBar* blockBar() const;
    std::size_t firstLine() const;
    void setFirstLine(std::size_t line);
    void updateScrollBars();
    std::size_t caretLine();
    QRectF caretRect();        // viewport coordinates; empty when the caret is off view
    void ensureCaretVisible();
    void scrollToLine(std::size_t line);  // the least scrolling that shows the laid-out line
    void caretMoved();         // repaint, restart the blink, tell the input method
    void showRawAtCaret();     // the ruby group at the caret or the selection laid out as written
    void restartBlink();
    // The caret's paragraph laid out as it would be with the pre-edit committed at the caret,
    // so that the text after the caret makes room for the pre-edit while it is composed.
    // Lines from firstLine on show its lines, and the lines after it come that many lines
    // later than they are laid out.
    struct Composed {
        std::size_t firstLine = 0;  // the laid-out line where the paragraph starts
        std::size_t oldLines = 0;   // its laid-out lines without the pre-edit
        std::size_t at = 0;         // where the pre-edit's bytes start in text
        std::size_t length = 0;     // and how many they are
        std::string text;
        std::vector<typeset::Cell> cells;
        std::vector<std::uint32_t> starts;
        Layout::Line base;          // the paragraph's place in the document
        std::size_t lines() const { return starts.size(); }
        Layout::Line line(std::size_t i) const;
        // The laid-out line shown as line `shown` (counted as the view counts them, from 0), or
        // npos for one of the paragraph's own.
        std::size_t laidOut(std::size_t shown) const;
    };
    // None without a pre-edit, for one with characters outside the code page, and in a
    // paragraph laid out a line at a time: the pre-edit is then drawn over the text.
    std::optional<Composed> composed();
    // Places the pre-edit where c has it, or over the text from the caret on without c.
    void placePreedit(PreeditLayout& pl, const Composed* c);
    void paint(QPainter& p, const QRegion& exposed);
    // What `part` (within the box of line l, shown as line rel) asks of that line; c when
    // it is a line of the composed paragraph.
    void paintParts(QPainter& p, const std::function<Layout::Line()>& l, double rel, const QRegion& part,
                    const Composed* c);
    void paintLine(QPainter& p, const Layout::Line& line, double rel, const QRect& exposed, const Composed* c);
    // The cells [first, last) of a line that paintLine draws for a repaint of `exposed`.
    std::pair<std::size_t, std::size_t> cellsNear(const Layout::Line& line, const QRect& exposed) const;
    void paintPreedit(QPainter& p, const Composed* c);

    // ---- selection and editing (edit_control.cpp)
    // Selection changes as the user sees them: the typing step ends, the caret repaints.
    void select(std::size_t newAnchor, std::size_t newCaret, bool up = false);
    // Replaces [pos, pos + len) and puts the caret after the new text.
    // Every change of the text from the control: an undoable one is refused
    // (refusedJoiningLoneByte, false) when it would pair a lone lead byte with a byte next
    // to it (text::Document::joinsLoneLead).
    bool replace(std::size_t pos, std::size_t len, std::string_view bytes, text::EditKind kind);
    bool replaceSelected(std::string_view bytes, text::EditKind kind) {
        return replace(sel.start(), sel.end() - sel.start(), bytes, kind);
    }
    // Encodes text for the document (stand_ins.h); on characters it cannot hold emits
    // refusedCharacters and returns false;
    // when the bytes would read back as other characters (the mark of a lone lead byte
    // before a byte it would pair with) emits refusedJoiningLoneByte and returns false.
    bool encode(const QString& text, std::string* bytes);
    void insertTyped(std::string_view bytes);

    // ---- input (edit_control_input.cpp)
    bool handleKey(QKeyEvent* e);
    bool perform(KeyCommand command);  // false when the key is not the control's
    // The caret lines back or on at the goal column; scroll takes the view along as far.
    void moveLines(std::ptrdiff_t lines, bool extend, bool scroll);
    void deleteStep(bool forward);  // the selection, or the character before or after the caret
    void moveTo(std::size_t pos, bool extend, bool up = false, bool keepGoal = false);
    std::size_t lineMove(std::ptrdiff_t lines, bool* up);
    std::size_t hitTest(QPointF viewportPoint, bool* up);
    // The laid-out line under a viewport point (the nearest one), and the point's inline offset.
    Layout::Line lineAt(QPointF viewportPoint, float* u);
    void dragTo(QPointF viewportPoint);
    void scrollBy(std::ptrdiff_t lines);
    QVariant query(Qt::InputMethodQuery query);
    // Where the input method is to open its window: below the caret in horizontal writing,
    // beside a vertical pre-edit on its left, covering none of it (viewport coordinates).
    QRectF inputRectangle();
    void inputMethod(QInputMethodEvent* e);
    // The paragraph around the caret that the input method sees: [*from, *to).
    void surrounding(std::size_t* from, std::size_t* to);
    std::size_t utf16Length(std::size_t from, std::size_t to) const;
    QString unicode(std::size_t from, std::size_t to) const;  // the text [from, to) as the user sees it
    std::size_t posFromUtf16(std::size_t from, std::size_t to, std::ptrdiff_t units) const;

    // ---- repainting what changed (edit_control_repaint.cpp)
    // An edit repaints the lines of the paragraphs it touched (down to the end of the view
    // when the number of lines changed), a move of the caret or the selection the caret's
    // old and new boxes and the lines whose selection changed; anything else the whole view.
    std::size_t linesBefore = 0;  // laid-out lines before the change under way (npos: unknown)
    std::size_t reachBefore = 0;  // where it may change what is drawn, in the text before it
    // Where the shown lines of the changed paragraph from startsLine on, and the line after
    // them, started before the change; changedLine held the change.
    std::size_t startsLine = 0;
    std::size_t changedLine = 0;
    // The first character of the changed line past the change and its context, and its
    // inline offset, before the change (npos: none).
    std::size_t tailPos = 0;
    double tailU = 0;
    std::vector<std::size_t> startsBefore;
    std::size_t shownAnchor = 0;  // the selection as last asked to be repainted
    std::size_t shownCaret = 0;
    QRect shownCaretBox;          // where paint() last drew the caret
    bool wholePending = false;    // the whole view waits to be painted
    void repaintAll();
    void repaintChange(const text::Change& c);
    // Of lines [from, to] after a change, those whose text only moved along them, from the
    // first on, have their pixels moved and their ends repainted; returns the first line
    // that is still to be repainted.
    std::size_t shiftMovedLines(const text::Change& c, const std::vector<std::size_t>& starts, std::size_t from,
                                std::size_t to);
    // The same for the text after the change on the changed line, repainted from fromU on;
    // false when it cannot.
    bool shiftTail(const text::Change& c, const std::vector<std::size_t>& starts, double fromU);
    // Moves the pixels of line's text drawn from uA to uB by du along the line, an em short of
    // each end, and repaints the rest of the line from fromU on; false when it cannot.
    bool shiftStretch(std::size_t line, double fromU, double uA, double uB, double du);
    void repaintSelection();
    void repaintLines(std::size_t from, std::size_t to);  // laid-out lines [from, to], clipped to the view
    bool repaintsInPart();
    // A line's box grown by what its ruby may draw beyond it, into the line before.
    QRectF withRuby(const QRectF& box) const;
    // What is repainted for a box within one line: its pixels and one more on each side along
    // the line (positions along a line are fractional). Not across the line's sides: a line
    // is painted within its box (paintParts), so its neighbours need no repainting.
    QRect repaintRect(const QRectF& box) const;

    // ---- assistive technology (accessible_edit.cpp)
    EditAccess access{*this};
    // The box of the character at pos (a line break's narrow box; an empty one at the end of
    // the text), viewport coordinates, also when it is off view.
    QRectF charBox(std::size_t pos);
};

// Counts the edit's nesting; the outermost end emits the pending changed().
class EditScope {
public:
    explicit EditScope(EditControl::Impl* d);
    ~EditScope();
    EditScope(const EditScope&) = delete;
    EditScope& operator=(const EditScope&) = delete;

private:
    EditControl::Impl* d_;
};

}  // namespace verlo::edit
