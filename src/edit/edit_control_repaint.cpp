// What the edit control repaints. A keystroke changes one paragraph and moves the caret:
// repainting the whole view for it cost more than everything else a key does, so an edit
// repaints the lines of the paragraphs it touched (on to the end of the view when the
// number of lines changed, as everything below moved), and a move of the caret or of the
// selection repaints the caret's old and new boxes and the lines whose highlight changed.
// What this does not follow (a scroll, a new layout, ruby groups laid out again as the caret
// reaches or leaves them, the input method's pre-edit) repaints the whole view.
#include <algorithm>
#include <cmath>
#include <utility>

#include "edit/edit_control_impl.h"

namespace verlo::edit {

namespace {

// How far the cells of a character may depend on the bytes after it (a lead byte pairing
// with the next byte, two narrow characters side by side, a run of digits standing upright).
constexpr std::size_t kCellContext = 8;
std::size_t contextBefore(std::size_t pos) { return pos > kCellContext ? pos - kCellContext : 0; }

// True when the advances of the line's cells are whole pixels: then a stretch of it drawn
// elsewhere on the line differs from its old pixels by a whole-pixel move.
bool wholeAdvances(const Layout::Line& l) {
    for (std::size_t k = l.first; k < l.last; ++k)
        if ((*l.cells)[k].advance != std::floor((*l.cells)[k].advance)) return false;
    return true;
}

// The start of the first character of the line at or after pos (its end when there is none).
std::size_t charStartFrom(const Layout::Line& l, std::size_t pos) {
    for (std::size_t k = l.first; k < l.last; ++k)
        if (l.paraStart + (*l.cells)[k].offset >= pos) return l.paraStart + (*l.cells)[k].offset;
    return l.endPos();
}

}  // namespace

void EditControl::Impl::documentWillChange(std::size_t pos, std::size_t len) {
    access.willChange(pos, len);
    linesBefore = text::npos;
    startsBefore.clear();
    tailPos = text::npos;
    if (!repaintsInPart()) return;
    linesBefore = layout.lineCount();
    reachBefore = layout.changeReach(contextBefore(pos), pos + len);
    // The shown lines of the changed paragraph before the change, and the one after it:
    // those that start and end where they did, well before the change, need no repainting,
    // nor those that start where they did after it, moved with the text.
    const std::size_t first = firstLine();
    const std::size_t last = first + static_cast<std::size_t>(geo.linesPerPage());
    const std::size_t paragraph = doc.lineOfPos(pos);
    startsLine = std::max(first, layout.lineFromChar(doc.lineStart(paragraph)));
    changedLine = layout.lineFromChar(pos);
    if (changedLine > last) return;
    const std::size_t end = std::max(changedLine, std::min(last, layout.lineFromChar(doc.lineEnd(paragraph)))) + 1;
    for (std::size_t line = startsLine; line <= end; ++line) startsBefore.push_back(layout.lineStart(line));
    // Where the text after the change, past its context, starts on the changed line: it may
    // only move along the line.
    if (layout.ruby() || changedLine < startsLine) return;
    const Layout::Line l = layout.line(changedLine);
    const std::size_t tail = charStartFrom(l, pos + len + kCellContext);
    if (tail >= l.endPos()) return;
    tailPos = tail;
    tailU = l.inlineOf(tail);
}

bool EditControl::Impl::repaintsInPart() {
    return q->isVisible() && !wholePending && layout.isValid() && preedit.isEmpty();
}

QRectF EditControl::Impl::withRuby(const QRectF& box) const {
    if (!layout.ruby()) return box;
    const double reach = layout.ruby()->beyondLine();
    return vertical ? box.adjusted(0, 0, reach, 0) : box.adjusted(0, -reach, 0, 0);
}

QRect EditControl::Impl::repaintRect(const QRectF& box) const {
    const QRect r = box.toAlignedRect();
    return vertical ? r.adjusted(0, -1, 0, 1) : r.adjusted(-1, 0, 1, 0);
}

void EditControl::Impl::repaintAll() {
    wholePending = true;
    q->viewport()->update();
}

void EditControl::Impl::repaintLines(std::size_t from, std::size_t to) {
    const std::size_t first = firstLine();
    const std::size_t last = first + static_cast<std::size_t>(geo.linesPerPage());  // a part of it may show
    from = std::max(from, first);
    to = std::min(to, last);
    if (from > to) return;
    const QRectF a = geo.box(static_cast<double>(from - first), -geo.inlineStart, geo.inlineExtent());
    const QRectF b = geo.box(static_cast<double>(to - first), -geo.inlineStart, geo.inlineExtent());
    q->viewport()->update(repaintRect(withRuby(a.united(b))));
}

void EditControl::Impl::repaintChange(const text::Change& c) {
    // The selection last shown moves with the text, so that its lines are found again.
    const auto moved = [&](std::size_t pos) {
        if (pos >= c.pos + c.removed) return pos - c.removed + c.inserted;
        return pos > c.pos ? c.pos + c.inserted : pos;
    };
    shownAnchor = moved(shownAnchor);
    shownCaret = moved(shownCaret);
    const std::size_t before = std::exchange(linesBefore, text::npos);
    std::vector<std::size_t> starts;
    starts.swap(startsBefore);
    if (before == text::npos || !repaintsInPart()) return repaintAll();
    syncGeometry();
    const std::size_t firstPara = std::min(c.firstLine, doc.lineOfPos(c.pos));
    const std::size_t lastPara = doc.lineOfPos(std::min(c.pos + c.inserted, doc.length()));
    std::size_t from = layout.lineFromChar(doc.lineStart(firstPara));
    std::size_t to = layout.lineCount() == before ? layout.lineFromChar(doc.lineEnd(lastPara)) : text::npos;
    // A line after the change that starts where it did, moved with the text, holds the same
    // cells as before, and so do the lines after it (a paragraph is wrapped on from each
    // line's start): the repainting stops before it. Not with ruby shown, where a group's
    // notation may reach across lines.
    if (to != text::npos && !starts.empty() && !layout.ruby() && c.linesAdded == 0 && c.linesRemoved == 0) {
        const std::size_t unchanged = c.pos + c.removed + kCellContext;  // from here on, old bytes with old neighbours
        for (std::size_t line = std::max(changedLine + 1, startsLine); line <= to && line - startsLine < starts.size(); ++line) {
            const std::size_t old = starts[line - startsLine];
            if (old >= unchanged && layout.lineStart(line) == old - c.removed + c.inserted) {
                to = line - 1;
                break;
            }
        }
    }
    // Lines of the paragraph before the change that kept their start and end are as they were;
    // of the first one that did not, only what may have moved, from a cell before the change on.
    double fromU = -geo.inlineStart;
    if (!starts.empty() && firstPara == doc.lineOfPos(c.pos) && startsLine >= from) {
        const std::size_t reach =
            std::min(reachBefore, layout.changeReach(contextBefore(c.pos), c.pos + c.inserted));
        std::size_t line = startsLine;
        for (std::size_t k = 0; k + 1 < starts.size() && layout.lineStart(line) == starts[k]; ++k, ++line) {
            const bool endMoved = layout.lineStart(line + 1) != starts[k + 1];
            if (starts[k + 1] > reach || endMoved) {
                // Ruby reaching over the kana at a line's end is held back at its end: a
                // group that comes to or leaves the end of the line is drawn anew.
                if (endMoved && layout.ruby()) break;
                const Layout::Line l = layout.line(line);
                fromU = l.inlineOf(std::min(std::max(starts[k], reach), l.endPos())) - geo.pitch;
                break;
            }
        }
        from = line;
    }
    const bool shifts = to != text::npos && !starts.empty() && !layout.ruby() && c.linesAdded == 0 &&
                        c.linesRemoved == 0 && shownAnchor == shownCaret;
    if (fromU > 0 && from <= to) {
        const std::size_t first = firstLine();
        if (from >= first && from <= first + static_cast<std::size_t>(geo.linesPerPage()) &&
            !(shifts && from == changedLine && shiftTail(c, starts, fromU))) {
            const QRectF box = geo.box(static_cast<double>(from - first), fromU, geo.inlineExtent());
            q->viewport()->update(repaintRect(withRuby(box)));
        }
        ++from;
    }
    if (shifts && from > changedLine) from = shiftMovedLines(c, starts, from, to);
    repaintLines(from, to);
}

std::size_t EditControl::Impl::shiftMovedLines(const text::Change& c, const std::vector<std::size_t>& starts,
                                               std::size_t from, std::size_t to) {
    const std::size_t first = firstLine();
    const std::size_t last = first + static_cast<std::size_t>(geo.linesPerPage());
    if (from < first || from < startsLine) return from;
    const std::size_t unchanged = c.pos + c.removed + kCellContext;  // as in repaintChange
    const auto moved = [&](std::size_t pos) { return pos - c.removed + c.inserted; };
    std::size_t line = from;
    for (; line <= to && line <= last && line + 1 - startsLine < starts.size(); ++line) {
        const std::size_t oldStart = starts[line - startsLine];
        if (oldStart < unchanged) break;
        // The text [a, b) was on this line before and is on it now, moved along it by du.
        Layout::Line l = layout.line(line);
        const std::size_t was = moved(oldStart);
        const std::size_t wasEnd = l.lastOfParagraph ? l.endPos() : moved(starts[line + 1 - startsLine]);
        const std::size_t a = std::max(was, l.startPos());
        const std::size_t b = std::min(wasEnd, l.endPos());
        if (a >= b || !wholeAdvances(l)) break;
        const double uA = l.inlineOf(a);
        const double uB = l.inlineOf(b);
        double du = uA;  // it started the line
        if (a != was) {  // [was, a) went to the end of the line before
            const Layout::Line before = layout.line(line - 1);
            if (!wholeAdvances(before)) break;
            du = -(before.inlineOf(a) - before.inlineOf(was));
            l = layout.line(line);  // asking for a line may drop the one held
        }
        if (!shiftStretch(line, -geo.inlineStart, uA, uB, du)) break;
    }
    return line;
}

bool EditControl::Impl::shiftTail(const text::Change& c, const std::vector<std::size_t>& starts, double fromU) {
    if (tailPos == text::npos || tailPos < c.pos + c.removed || changedLine + 1 - startsLine >= starts.size())
        return false;
    const Layout::Line l = layout.line(changedLine);
    const std::size_t a = tailPos - c.removed + c.inserted;
    const std::size_t was = starts[changedLine + 1 - startsLine];  // where the line after it started
    const std::size_t b = l.lastOfParagraph ? l.endPos() : std::min(l.endPos(), was - c.removed + c.inserted);
    if (a >= b || charStartFrom(l, a) != a || !wholeAdvances(l) || tailU != std::floor(tailU)) return false;
    const double uA = l.inlineOf(a);
    return shiftStretch(changedLine, fromU, uA, l.inlineOf(b), uA - tailU);
}

bool EditControl::Impl::shiftStretch(std::size_t line, double fromU, double uA, double uB, double du) {
    // The pixels are moved an em short of each end (where ink of the characters that came
    // or left may reach); the rest of the line from fromU on is painted anew. The caret is
    // never moved with them.
    const double em = layout.typesetter().fullWidthAdvance();
    const double keep0 = uA + em;
    const double keep1 = uB - em;
    if (keep1 - keep0 < em || du != std::floor(du)) return false;
    const double rel = static_cast<double>(line - firstLine());
    const QRect span = geo.box(rel, std::min(keep0, keep0 - du), std::max(keep1, keep1 - du)).toAlignedRect();
    if (shownCaretBox.intersects(span)) return false;
    const int shift = static_cast<int>(du);
    q->viewport()->scroll(vertical ? 0 : shift, vertical ? shift : 0, span);
    q->viewport()->update(repaintRect(geo.box(rel, fromU, keep0)));
    q->viewport()->update(repaintRect(geo.box(rel, keep1, geo.inlineExtent())));
    return true;
}

void EditControl::Impl::repaintSelection() {
    if (!repaintsInPart()) {
        repaintAll();
    } else {
        syncGeometry();
        const std::size_t s0 = std::min(shownAnchor, shownCaret), e0 = std::max(shownAnchor, shownCaret);
        const std::size_t s1 = sel.start(), e1 = sel.end();
        // The lines between an old and a new end of the selection changed their highlight.
        const auto lines = [&](std::size_t a, std::size_t b) {
            if (a == b) return;
            repaintLines(layout.lineFromChar(std::min(a, b)), layout.lineFromChar(std::max(a, b)));
        };
        if (s0 < e0 || s1 < e1) {
            lines(s0, s1);
            lines(e0, e1);
        }
        if (!shownCaretBox.isEmpty()) q->viewport()->update(shownCaretBox);
    }
    shownAnchor = sel.anchor();
    shownCaret = sel.caret();
    if (shelved()) return;  // hidden: laid out when shown, not for a caret nobody sees
    const QRectF caret = caretRect();
    if (!wholePending && !caret.isEmpty()) q->viewport()->update(repaintRect(caret));
}

}  // namespace verlo::edit
