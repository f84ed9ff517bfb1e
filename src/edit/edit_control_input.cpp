// Input to the edit control: keys, mouse and wheel, the input method, and the clipboard.
// A key becomes an action through the table in key_map.h, which reads it along the axes,
// so that vertical writing only turns the arrow keys; perform() then does the action.
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <optional>

#include "edit/document_mime_data.h"
#include "edit/document_text.h"
#include "edit/edit_control_impl.h"
#include "edit/key_map.h"
#include "edit/preedit_layout.h"
#include "text/cp932.h"

namespace verlo::edit {

namespace {

// Bytes of surrounding text offered to the input method on each side of the caret.
constexpr std::size_t kSurroundingReach = 4096;
// How far left of a vertical pre-edit the input method's window is asked to open, in lines
// of the interface's font (which the input method's window is written in): about the width
// of a candidate list with its notes.
constexpr int kCandidateReach = 20;

bool isTextChar(QChar c) { return c.isPrint() || c == QLatin1Char('\t'); }

}  // namespace

// ---------------------------------------------------------------- moving

void EditControl::Impl::moveTo(std::size_t pos, bool extend, bool up, bool keepGoal) {
    sel.moveTo(pos, extend, up, keepGoal);
    doc.breakTyping();
    caretMoved();
    ensureCaretVisible();
}

std::size_t EditControl::Impl::lineMove(std::ptrdiff_t lines, bool* up) {
    std::size_t line = caretLine();
    if (!sel.hasGoal()) sel.setGoal(layout.line(line).inlineOf(sel.caret()));
    std::size_t target = 0;
    // The lines in between are laid out exactly first (in the background their counts
    // may still be estimates, and laying one out renumbers the lines after it).
    for (;;) {
        const auto count = static_cast<std::ptrdiff_t>(layout.lineCount());
        target = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(line) + lines, 0, count - 1));
        layout.settleLines(std::min(line, target), (std::max(line, target) - std::min(line, target)) + 1);
        const std::size_t again = caretLine();
        if (again == line) break;
        line = again;
    }
    Layout::Line l = layout.line(target);
    return l.hit(sel.goal(), up);
}

// ---------------------------------------------------------------- keys

bool EditControl::Impl::handleKey(QKeyEvent* e) {
    const KeyCommand command = keyCommand(e->key(), e->modifiers(), vertical);
    if (command.action != KeyAction::Text) return perform(command);
    const QString t = e->text();
    if (t.isEmpty() || !std::all_of(t.begin(), t.end(), isTextChar)) return false;
    std::string bytes;
    if (encode(t, &bytes)) insertTyped(bytes);
    return true;
}

bool EditControl::Impl::perform(KeyCommand command) {
    const bool extend = command.extend;
    switch (command.action) {
    case KeyAction::None:
    case KeyAction::Text: return false;
    case KeyAction::StepBack: moveTo(sel.stepTarget(false, false, extend), extend); break;
    case KeyAction::StepOn: moveTo(sel.stepTarget(true, false, extend), extend); break;
    case KeyAction::WordBack: moveTo(sel.stepTarget(false, true, extend), extend); break;
    case KeyAction::WordOn: moveTo(sel.stepTarget(true, true, extend), extend); break;
    case KeyAction::LineBack: moveLines(-1, extend, false); break;
    case KeyAction::LineOn: moveLines(1, extend, false); break;
    case KeyAction::ScrollBack: scrollBy(-1); break;
    case KeyAction::ScrollOn: scrollBy(1); break;
    case KeyAction::PageBack: moveLines(-geo.linesPerPage(), extend, true); break;
    case KeyAction::PageOn: moveLines(geo.linesPerPage(), extend, true); break;
    case KeyAction::LineStart: moveTo(layout.lineStart(caretLine()), extend); break;
    case KeyAction::LineEnd: {
        const Layout::Line l = layout.line(caretLine());
        moveTo(l.endPos(), extend, !l.lastOfParagraph);
        break;
    }
    case KeyAction::TextStart: moveTo(0, extend); break;
    case KeyAction::TextEnd: moveTo(doc.length(), extend); break;
    case KeyAction::DeleteBack: deleteStep(false); break;
    case KeyAction::DeleteOn: deleteStep(true); break;
    case KeyAction::NewLine: insertTyped(doc.lineBreak()); break;
    case KeyAction::Tab: insertTyped("\t"); break;
    case KeyAction::Cut: q->cut(); break;
    case KeyAction::Copy: q->copy(); break;
    case KeyAction::Paste: q->paste(); break;
    case KeyAction::SelectAll: q->selectAll(); break;
    case KeyAction::Undo: q->undo(); break;
    case KeyAction::Redo: q->redo(); break;
    }
    return true;
}

void EditControl::Impl::moveLines(std::ptrdiff_t lines, bool extend, bool scroll) {
    bool up = false;
    const std::size_t pos = lineMove(lines, &up);
    if (scroll) scrollBy(lines);
    moveTo(pos, extend, up, true);
}

void EditControl::Impl::deleteStep(bool forward) {
    doc.breakTyping();
    if (!sel.empty()) {
        replaceSelected({}, text::EditKind::Edit);
        return;
    }
    const std::size_t to = sel.stepTarget(forward, false, true);
    const std::size_t from = std::min(to, sel.caret());
    const std::size_t end = std::max(to, sel.caret());
    if (end > from) replace(from, end - from, {}, text::EditKind::Edit);
}

void EditControl::keyPressEvent(QKeyEvent* e) {
    emit keyDown();
    if (d->handleKey(e))
        e->accept();
    else
        e->ignore();
}

void EditControl::keyReleaseEvent(QKeyEvent* e) {
    // A held key repeats its press; the owner hears of the release once, at the end.
    if (!e->isAutoRepeat()) emit keyUp();
    e->ignore();
}

// ---------------------------------------------------------------- mouse and wheel

Layout::Line EditControl::Impl::lineAt(QPointF point, float* u) {
    syncGeometry();
    double inl = 0;
    double v = 0;
    geo.toAxes(point, &inl, &v);
    *u = static_cast<float>(inl);
    const std::size_t count = layout.lineCount();
    const double rel = std::floor(v / geo.pitch);
    const double line = std::clamp(static_cast<double>(firstLine()) + rel, 0.0, static_cast<double>(count - 1));
    return layout.line(static_cast<std::size_t>(line));
}

std::size_t EditControl::Impl::hitTest(QPointF point, bool* up) {
    float u = 0;
    const Layout::Line l = lineAt(point, &u);
    return l.hit(u, up);
}

void EditControl::Impl::dragTo(QPointF point) {
    dragPoint = point;
    double u = 0;
    double v = 0;
    geo.toAxes(point, &u, &v);
    // Outside the view along the block axis the view follows the mouse, a line at a time.
    const bool before = v < 0;
    const bool after = v > geo.blockExtent() - geo.blockStart;
    if (before) scrollBy(-1);
    if (after) scrollBy(1);
    if (before || after) autoScroll.start();
    else autoScroll.stop();
    bool up = false;
    const std::size_t pos = hitTest(point, &up);
    if (pos != sel.caret() || up != sel.upstream()) {
        sel.setGoal(-1);
        select(sel.anchor(), pos, up);
    }
}

void EditControl::Impl::scrollBy(std::ptrdiff_t lines) {
    const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(firstLine()) + lines;
    setFirstLine(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, first)));
}

void EditControl::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (!d->preedit.isEmpty()) QGuiApplication::inputMethod()->commit();
        bool up = false;
        const std::size_t pos = d->hitTest(e->position(), &up);
        const bool extend = e->modifiers() & Qt::ShiftModifier;
        d->sel.setGoal(-1);
        d->select(extend ? d->sel.anchor() : pos, pos, up);
        d->dragging = true;
        d->dragPoint = e->position();
    }
    emit mouseDown();
}

void EditControl::mouseMoveEvent(QMouseEvent* e) {
    if (d->dragging && (e->buttons() & Qt::LeftButton)) d->dragTo(e->position());
}

void EditControl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        d->dragging = false;
        d->autoScroll.stop();
    }
    emit mouseUp();
}

void EditControl::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        // The word of the character under the mouse.
        float u = 0;
        const std::size_t pos = d->lineAt(e->position(), &u).charAt(u);
        std::size_t from = 0;
        std::size_t to = 0;
        wordAround(d->doc, pos, &from, &to);
        d->sel.setGoal(-1);
        d->select(from, to);
        d->dragging = false;
    }
    emit mouseDown();
}

void EditControl::wheelEvent(QWheelEvent* e) {
    // One notch moves three lines (columns in vertical writing) along the block axis:
    // down, or in vertical writing to the left, goes on in the text.
    QPoint delta = e->angleDelta();
    double notches = -delta.y() / 120.0;
    if (d->vertical && delta.y() == 0) notches = delta.x() / 120.0;
    d->wheelRest += notches * QApplication::wheelScrollLines();
    const auto lines = static_cast<std::ptrdiff_t>(d->wheelRest);
    d->wheelRest -= static_cast<double>(lines);
    if (lines != 0) d->scrollBy(lines);
    e->accept();
}

// ---------------------------------------------------------------- input method

void EditControl::Impl::surrounding(std::size_t* from, std::size_t* to) {
    const std::size_t caret = sel.caret();
    const std::size_t paragraph = doc.lineOfPos(caret);
    const std::size_t start = doc.lineStart(paragraph);
    const std::size_t end = doc.lineEnd(paragraph);
    *from = caret - start > kSurroundingReach ? doc.snapCaretPos(caret - kSurroundingReach) : start;
    *to = end - caret > kSurroundingReach ? doc.snapCaretPos(caret + kSurroundingReach) : end;
}

std::size_t EditControl::Impl::utf16Length(std::size_t from, std::size_t to) const {
    return doc.standIns().decodeUtf16(doc.slice(from, to - from)).size();
}

std::size_t EditControl::Impl::posFromUtf16(std::size_t from, std::size_t to, std::ptrdiff_t units) const {
    const std::string bytes = doc.slice(from, to - from);
    std::size_t pos = 0;
    const text::StandIns& standIns = doc.standIns();
    while (units > 0 && pos < bytes.size()) {
        const std::size_t n = text::cp932::charLength(bytes, pos);
        units -= static_cast<std::ptrdiff_t>(n == 2 && text::isUserAreaLead(static_cast<std::uint8_t>(bytes[pos]))
                                                 ? standIns.decodeUtf16(bytes.substr(pos, 2)).size()
                                                 : 1);
        pos += n;
    }
    return from + pos;
}

QRectF EditControl::Impl::inputRectangle() {
    syncGeometry();
    const std::size_t line = caretLine();
    const double rel = static_cast<double>(line) - static_cast<double>(firstLine());
    const double u = layout.line(line).inlineOf(sel.caret());
    std::optional<PreeditLayout> pl;
    if (!preedit.isEmpty()) {
        pl.emplace(preedit, layout.typesetter(), font);
        const std::optional<Composed> c = composed();
        placePreedit(*pl, c ? &*c : nullptr);
    }
    if (!geo.vertical) {
        // The caret (in the pre-edit, its cursor): the candidates open below the line.
        const PreeditLayout::Spot spot = pl ? pl->spotOf(preeditCursor) : PreeditLayout::Spot{rel, u};
        QRectF box = geo.box(spot.rel, spot.u, spot.u);
        box.setWidth(1);
        return box;
    }
    // Vertical writing: input methods open their window below the rectangle (above it when
    // there is no room below), reaching right from its left edge. The rectangle spans the
    // clause being converted (or the caret's cell) down its column, so that the window
    // follows the clause as it does along a line, and lies left of every column of the
    // pre-edit, on the side not yet written: the window opens beside the pre-edit on that
    // side and, reaching past it or not, never over it.
    QRectF covered = geo.box(rel, u, u + layout.typesetter().fullWidthAdvance());
    QRectF clause = covered;
    if (pl) {
        covered = QRectF();
        for (const PreeditLayout::Segment& seg : pl->segments()) covered |= geo.box(seg.rel, seg.u0, seg.u1);
        const int n = static_cast<int>(preedit.size());
        const PreeditLayout::Clause current =
            PreeditLayout::current(PreeditLayout::clauses(preeditFormats, n), preeditCursor);
        clause = QRectF();
        for (const PreeditLayout::Underline& piece : pl->underlines({current}, 0))
            clause |= geo.box(piece.rel, piece.u0, piece.u1);
    }
    const double reach = kCandidateReach * QFontMetrics(QGuiApplication::font()).height();
    return QRectF(covered.left() - reach, clause.top(), reach, clause.height());
}

QString EditControl::Impl::unicode(std::size_t from, std::size_t to) const {
    return documentText(doc, from, to);
}

QVariant EditControl::Impl::query(Qt::InputMethodQuery what) {
    switch (what) {
    case Qt::ImEnabled: return true;
    case Qt::ImHints: return static_cast<int>(Qt::ImhMultiLine);
    case Qt::ImFont: return font;
    case Qt::ImCursorRectangle: return inputRectangle().toAlignedRect().translated(q->viewport()->pos());
    case Qt::ImAnchorRectangle: return query(Qt::ImCursorRectangle);
    case Qt::ImSurroundingText: {
        std::size_t from = 0;
        std::size_t to = 0;
        surrounding(&from, &to);
        return unicode(from, to);
    }
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: {
        std::size_t from = 0;
        std::size_t to = 0;
        surrounding(&from, &to);
        const std::size_t pos = std::clamp(what == Qt::ImCursorPosition ? sel.caret() : sel.anchor(), from, to);
        return static_cast<int>(utf16Length(from, pos));
    }
    case Qt::ImCurrentSelection: {
        return unicode(sel.start(), sel.end());
    }
    case Qt::ImTextBeforeCursor:
    case Qt::ImTextAfterCursor: {
        std::size_t from = 0;
        std::size_t to = 0;
        surrounding(&from, &to);
        const std::size_t caret = sel.caret();
        return what == Qt::ImTextBeforeCursor ? unicode(from, caret) : unicode(caret, to);
    }
    case Qt::ImMaximumTextLength: return QVariant();
    default: return QVariant();
    }
}

void EditControl::Impl::inputMethod(QInputMethodEvent* e) {
    const QString commit = e->commitString();
    if (!commit.isEmpty() || e->replacementLength() > 0) {
        std::string bytes;
        if (encode(commit, &bytes)) {
            std::size_t from = sel.start();
            std::size_t to = sel.end();
            if (e->replacementLength() > 0 || e->replacementStart() != 0) {
                // Replaces text around the caret, given in UTF-16 units from it.
                std::size_t lo = 0;
                std::size_t hi = 0;
                surrounding(&lo, &hi);
                const auto cursor = static_cast<std::ptrdiff_t>(utf16Length(lo, sel.caret()));
                const std::ptrdiff_t start = std::max<std::ptrdiff_t>(0, cursor + e->replacementStart());
                from = posFromUtf16(lo, hi, start);
                to = posFromUtf16(lo, hi, start + e->replacementLength());
                if (e->replacementLength() == 0) to = from;
            }
            if (!bytes.empty() || to > from) {
                doc.breakTyping();
                replace(from, to - from, bytes, text::EditKind::Edit);
                doc.breakTyping();
            }
        }
    }
    preedit = e->preeditString();
    preeditCursor = static_cast<int>(preedit.size());
    preeditCursorVisible = true;
    preeditFormats.clear();
    for (const QInputMethodEvent::Attribute& a : e->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            preeditCursor = std::clamp(a.start, 0, static_cast<int>(preedit.size()));
            preeditCursorVisible = a.length != 0;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            preeditFormats.push_back(a);
        }
    }
    if (!preedit.isEmpty()) ensureCaretVisible();
    restartBlink();
    q->viewport()->update();
    // The clause being converted may have moved: the input method's window follows it.
    if (q->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
    e->accept();
}

void EditControl::inputMethodEvent(QInputMethodEvent* e) { d->inputMethod(e); }

QVariant EditControl::inputMethodQuery(Qt::InputMethodQuery query) const { return d->query(query); }

// ---------------------------------------------------------------- clipboard

void EditControl::copy() {
    if (d->sel.empty()) return;
    QGuiApplication::clipboard()->setMimeData(DocumentMimeData::make(d->doc, d->sel.start(), d->sel.end()));
}

void EditControl::cut() {
    if (d->sel.empty()) return;
    copy();
    d->doc.breakTyping();
    d->replaceSelected({}, text::EditKind::Edit);
}

void EditControl::paste() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText()) return;
    const QString t = mime->text();
    if (t.isEmpty()) return;
    std::string bytes;
    if (!d->encode(t, &bytes)) return;
    d->doc.breakTyping();
    d->replaceSelected(text::convertLineBreaks(bytes, d->doc.lineBreak()), text::EditKind::Edit);
}

}  // namespace verlo::edit
