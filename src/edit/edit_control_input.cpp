// Input to the edit control: keys, mouse and wheel, the input method, and the clipboard.
// Moves are expressed along the axes, so that vertical writing only maps the arrow keys.
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "edit/edit_control_impl.h"
#include "edit/preedit_layout.h"
#include "text/codec.h"

namespace verlo::edit {

namespace {

// Bytes of surrounding text offered to the input method on each side of the caret.
constexpr std::size_t kSurroundingReach = 4096;

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
    const std::size_t line = caretLine();
    if (!sel.hasGoal()) sel.setGoal(layout.line(line).inlineOf(sel.caret()));
    const std::size_t count = layout.lineCount();
    std::ptrdiff_t target = static_cast<std::ptrdiff_t>(line) + lines;
    target = std::clamp<std::ptrdiff_t>(target, 0, static_cast<std::ptrdiff_t>(count) - 1);
    Layout::Line l = layout.line(static_cast<std::size_t>(target));
    return l.hit(sel.goal(), up);
}

// ---------------------------------------------------------------- keys

bool EditControl::Impl::handleKey(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & (Qt::AltModifier | Qt::MetaModifier);
    const bool hasSel = !sel.empty();
    int key = e->key();
    if (alt) return false;

    // In vertical writing the arrows turn with the text: up and down run along the
    // column, left goes on to the next column and right back to the previous one.
    if (vertical) {
        switch (key) {
        case Qt::Key_Up: key = Qt::Key_Left; break;
        case Qt::Key_Down: key = Qt::Key_Right; break;
        case Qt::Key_Left: key = Qt::Key_Down; break;
        case Qt::Key_Right: key = Qt::Key_Up; break;
        default: break;
        }
    }

    bool up = false;
    switch (key) {
    case Qt::Key_Left:
        moveTo(sel.stepTarget(false, ctrl, shift), shift);
        return true;
    case Qt::Key_Right:
        moveTo(sel.stepTarget(true, ctrl, shift), shift);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (ctrl) {
            scrollBy(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
        const std::size_t pos = lineMove(key == Qt::Key_Up ? -1 : 1, &up);
        moveTo(pos, shift, up, true);
        return true;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const std::ptrdiff_t page = geo.linesPerPage();
        const std::ptrdiff_t lines = key == Qt::Key_PageUp ? -page : page;
        const std::size_t pos = lineMove(lines, &up);
        scrollBy(lines);
        moveTo(pos, shift, up, true);
        return true;
    }
    case Qt::Key_Home:
        if (ctrl) moveTo(0, shift);
        else moveTo(layout.lineStart(caretLine()), shift);
        return true;
    case Qt::Key_End:
        if (ctrl) {
            moveTo(doc.length(), shift);
        } else {
            Layout::Line l = layout.line(caretLine());
            moveTo(l.endPos(), shift, !l.lastOfParagraph);
        }
        return true;
    case Qt::Key_Backspace:
        if (ctrl) return false;
        doc.breakTyping();
        if (hasSel) replaceSelected({}, text::EditKind::Edit);
        else if (sel.caret() > 0) {
            const std::size_t prev = doc.prevCaretPos(sel.caret());
            replace(prev, sel.caret() - prev, {}, text::EditKind::Edit);
        }
        return true;
    case Qt::Key_Delete:
        if (ctrl) return false;
        if (shift) {
            q->cut();
            return true;
        }
        doc.breakTyping();
        if (hasSel) replaceSelected({}, text::EditKind::Edit);
        else if (sel.caret() < doc.length()) replace(sel.caret(), doc.nextCaretPos(sel.caret()) - sel.caret(), {}, text::EditKind::Edit);
        return true;
    case Qt::Key_Insert:
        if (shift && !ctrl) q->paste();
        else if (ctrl && !shift) q->copy();
        else return false;
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl) return false;
        insertTyped("\r\n");
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (ctrl) return false;
        insertTyped("\t");
        return true;
    default:
        break;
    }
    if (ctrl) {
        switch (key) {
        case Qt::Key_A: q->selectAll(); return true;
        case Qt::Key_C: q->copy(); return true;
        case Qt::Key_X: q->cut(); return true;
        case Qt::Key_V: q->paste(); return true;
        case Qt::Key_Z: q->undo(); return true;
        default: return false;
        }
    }
    const QString t = e->text();
    if (t.isEmpty() || !std::all_of(t.begin(), t.end(), isTextChar)) return false;
    std::string bytes;
    if (encode(t, &bytes)) insertTyped(bytes);
    return true;
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
    return text::codec::decodeUtf16(doc.slice(from, to - from)).size();
}

std::size_t EditControl::Impl::posFromUtf16(std::size_t from, std::size_t to, std::ptrdiff_t units) const {
    const std::string bytes = doc.slice(from, to - from);
    std::size_t pos = 0;
    while (units > 0 && pos < bytes.size()) {
        std::size_t n = 0;
        const char32_t c = text::codec::decodeChar(bytes, pos, &n);
        units -= c > 0xFFFF ? 2 : 1;
        pos += n;
    }
    return from + pos;
}

QVariant EditControl::Impl::query(Qt::InputMethodQuery what) {
    switch (what) {
    case Qt::ImEnabled: return true;
    case Qt::ImHints: return static_cast<int>(Qt::ImhMultiLine);
    case Qt::ImFont: return font;
    case Qt::ImCursorRectangle: {
        syncGeometry();
        const std::size_t line = caretLine();
        const std::size_t first = firstLine();
        const double rel = static_cast<double>(line) - static_cast<double>(first);
        double u = layout.line(line).inlineOf(sel.caret());
        double r = rel;
        if (!preedit.isEmpty()) {
            PreeditLayout pl(preedit, layout.typesetter(), font);
            pl.place(rel, u, geo.wrap);
            PreeditLayout::Spot spot = pl.spotOf(preeditCursor);
            r = spot.rel;
            u = spot.u;
        }
        QRectF box = geo.box(r, u, u);
        if (!geo.vertical) {
            box.setWidth(1);  // the caret: the candidates open below the line
        } else {
            // Flat, at the column's right edge where the clause begins: the candidates
            // open beside the clause rather than over it.
            box = QRectF(box.right(), box.top(), geo.pitch, 1);
        }
        return box.toAlignedRect().translated(q->viewport()->pos());
    }
    case Qt::ImAnchorRectangle: return query(Qt::ImCursorRectangle);
    case Qt::ImSurroundingText: {
        std::size_t from = 0;
        std::size_t to = 0;
        surrounding(&from, &to);
        const std::u16string s = text::codec::decodeUtf16(doc.slice(from, to - from));
        return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
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
        const std::u16string s = text::codec::decodeUtf16(doc.slice(sel.start(), sel.end() - sel.start()));
        return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
    }
    case Qt::ImTextBeforeCursor:
    case Qt::ImTextAfterCursor: {
        std::size_t from = 0;
        std::size_t to = 0;
        surrounding(&from, &to);
        const std::size_t caret = sel.caret();
        const std::u16string s = what == Qt::ImTextBeforeCursor ? text::codec::decodeUtf16(doc.slice(from, caret - from))
                                                               : text::codec::decodeUtf16(doc.slice(caret, to - caret));
        return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
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
    e->accept();
}

void EditControl::inputMethodEvent(QInputMethodEvent* e) { d->inputMethod(e); }

QVariant EditControl::inputMethodQuery(Qt::InputMethodQuery query) const { return d->query(query); }

// ---------------------------------------------------------------- clipboard

void EditControl::copy() {
    if (d->sel.empty()) return;
    const std::u16string s = text::codec::decodeUtf16(selectedText());
    auto* mime = new QMimeData;
    mime->setText(QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
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
    d->replaceSelected(text::toCrLf(bytes), text::EditKind::Edit);
}

}  // namespace verlo::edit
