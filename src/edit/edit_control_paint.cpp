// Painting the edit control: the visible lines with the selection, the input method's
// pre-edit as an overlay at the caret, and the caret. Written once for both directions
// through ViewGeometry.
#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <QRegion>
#include <QTextCharFormat>
#include <algorithm>
#include <utility>
#include <vector>

#include "edit/caret_color.h"
#include "edit/edit_control_impl.h"
#include "edit/paragraph_wrap.h"
#include "edit/preedit_layout.h"
#include "text/codec.h"

namespace verlo::edit {

namespace {

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

}  // namespace

Layout::Line EditControl::Impl::Composed::line(std::size_t i) const {
    Layout::Line l = base;
    l.index = firstLine + i;
    l.text = text;
    l.cells = &cells;
    l.first = starts[i];
    l.lastOfParagraph = i + 1 == starts.size();
    l.last = l.lastOfParagraph ? cells.size() : starts[i + 1];
    return l;
}

std::size_t EditControl::Impl::Composed::laidOut(std::size_t shown) const {
    if (shown < firstLine) return shown;
    if (shown < firstLine + lines()) return text::npos;
    return shown - lines() + oldLines;
}

std::optional<EditControl::Impl::Composed> EditControl::Impl::composed() {
    if (preedit.isEmpty()) return std::nullopt;
    const text::codec::EncodeResult encoded =
        text::codec::encode(std::u16string_view(reinterpret_cast<const char16_t*>(preedit.utf16()),
                                                static_cast<std::size_t>(preedit.size())));
    const std::size_t caret = sel.caret();
    const std::size_t paragraph = doc.lineOfPos(caret);
    const std::size_t start = doc.lineStart(paragraph);
    const std::size_t end = doc.lineEnd(paragraph);
    if (!encoded.ok() || end - start + encoded.bytes.size() > paragraph_wrap::kLongParagraph) return std::nullopt;
    Composed c;
    c.firstLine = layout.lineFromChar(start);
    c.oldLines = layout.lineFromChar(end) - c.firstLine + 1;
    c.at = caret - start;
    c.length = encoded.bytes.size();
    c.text = doc.slice(start, c.at) + encoded.bytes + doc.slice(caret, end - caret);
    // The groups at the caret stay as written, the pre-edit among them.
    const auto [rawFrom, rawTo] = layout.rawRange();
    paragraph_wrap::layOut(layout.typesetter(), layout.wrapWidth(), c.text, c.cells, c.starts,
                           {layout.ruby(), start, std::min(rawFrom, caret), std::max(rawTo, caret) + c.length});
    c.base.paragraph = paragraph;
    c.base.paraStart = start;
    c.base.paragraphHasBreak = doc.lineBreakLength(paragraph) > 0;
    return c;
}

void EditControl::Impl::placePreedit(PreeditLayout& pl, const Composed* c) {
    const std::size_t first = firstLine();
    if (c && pl.coded()) {
        pl.placeIn(c->cells, c->starts, c->at, static_cast<double>(c->firstLine) - static_cast<double>(first));
        return;
    }
    const std::size_t line = caretLine();
    pl.place(static_cast<double>(line) - static_cast<double>(first), layout.line(line).inlineOf(sel.caret()), geo.wrap);
}

void EditControl::Impl::paint(QPainter& p, const QRegion& region) {
    wholePending = false;
    const QRect exposed = region.boundingRect();
    for (const QRect& r : region) p.fillRect(r, background);
    layout.trimCache();
    const std::optional<Composed> c = composed();
    const std::size_t first = firstLine();
    const QRectF view(0, 0, geo.width, geo.height);
    // Laying a line out may make an estimated count exact: the count is read each time.
    for (std::size_t shown = first;; ++shown) {
        const std::size_t line = c ? c->laidOut(shown) : shown;
        if (line != text::npos && line >= layout.lineCount()) break;
        const double rel = static_cast<double>(shown - first);
        const QRectF full = withRuby(geo.box(rel, -geo.inlineStart, geo.inlineExtent()));
        if (!full.intersects(view)) break;
        if (!full.intersects(exposed)) continue;
        const QRegion part = region.intersected(full.toAlignedRect());
        if (line == text::npos)
            paintParts(p, [&] { return c->line(shown - c->firstLine); }, rel, part, &*c);
        else
            paintParts(p, [&] { return layout.line(line); }, rel, part, nullptr);
    }
    if (!preedit.isEmpty()) {
        paintPreedit(p, c ? &*c : nullptr);
    } else if (q->hasFocus() && caretShown) {
        const QRectF caretBox = caretRect();
        if (!caretBox.isEmpty()) p.fillRect(caretBox, caretColor(q->palette(), background, textColor));
        if (!caretBox.isEmpty() && caretBox.intersects(exposed)) shownCaretBox = repaintRect(caretBox);
    }
}

void EditControl::Impl::paintParts(QPainter& p, const std::function<Layout::Line()>& line, double rel,
                                   const QRegion& part, const Composed* c) {
    // A key repaints a line in part, or two ends of a line whose pixels were moved: each
    // stretch of it is painted on its own (those less than a few ems apart as one), each
    // within its own bounds, so that the selection drawn for one does not cover the other.
    // A line is never painted beyond its box: ink reaching past it would be left behind, or
    // wiped, by a repaint of the line beside it alone.
    if (part.isEmpty()) return;
    const Layout::Line l = line();
    const auto within = [&](const QRect& stretch) {
        p.save();
        p.setClipRect(stretch, Qt::IntersectClip);
        paintLine(p, l, rel, stretch, c);
        p.restore();
    };
    if (part.rectCount() == 1 || layout.ruby()) return within(part.boundingRect());  // ruby: whole lines
    std::vector<std::pair<double, double>> spans;
    for (const QRect& r : part) {
        double u0 = 0, u1 = 0, v = 0;
        geo.toAxes(r.topLeft(), &u0, &v);
        geo.toAxes(QPointF(r.x() + r.width(), r.y() + r.height()), &u1, &v);
        spans.emplace_back(std::min(u0, u1), std::max(u0, u1));
    }
    std::sort(spans.begin(), spans.end());
    const double gap = 4.0 * layout.typesetter().fullWidthAdvance();
    std::size_t kept = 0;
    for (std::size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].first - spans[kept].second < gap)
            spans[kept].second = std::max(spans[kept].second, spans[i].second);
        else
            spans[++kept] = spans[i];
    }
    spans.resize(kept + 1);
    if (spans.size() == 1) return within(part.boundingRect());
    for (const auto& [u0, u1] : spans) within(geo.box(rel, u0, u1).toAlignedRect().intersected(part.boundingRect()));
}

void EditControl::Impl::paintLine(QPainter& p, const Layout::Line& l, double rel, const QRect& exposed,
                                  const Composed* c) {
    const std::vector<typeset::Cell>& cells = *l.cells;
    const std::size_t lineStart = l.startPos();
    const std::size_t lineEnd = l.endPos();
    const std::size_t s = sel.start();
    const std::size_t e = sel.end();
    const bool focused = q->hasFocus();
    const QPalette& pal = q->palette();
    const QColor highlight = focused ? pal.color(QPalette::Active, QPalette::Highlight)
                                     : mix(pal.color(QPalette::Active, QPalette::Highlight), background, 0.6);
    const QColor highlighted = focused ? pal.color(QPalette::Active, QPalette::HighlightedText) : textColor;

    // Cells [a, b) are selected. In the composed paragraph they are the pre-edit's instead,
    // which paintPreedit draws; nothing there shows as selected.
    std::size_t a = l.last;
    std::size_t b = l.last;
    if (c) {
        a = l.first;
        while (a < l.last && cells[a].offset + cells[a].length <= c->at) ++a;
        b = a;
        while (b < l.last && cells[b].offset < c->at + c->length) ++b;
    } else if (s < e) {
        const bool breakSelected = l.lastOfParagraph && l.paragraphHasBreak && s <= lineEnd && e > lineEnd;
        if ((s < lineEnd && e > lineStart) || breakSelected) {
            const std::size_t from = std::max(s, lineStart);
            const std::size_t to = std::min(e, lineEnd);
            double u0 = l.inlineOf(std::min(from, lineEnd));
            double u1 = l.inlineOf(to);
            if (breakSelected) u1 += geo.pitch / 3.0;  // the line break shows as a narrow box
            p.fillRect(geo.box(rel, u0, u1), highlight);
            a = l.first;
            while (a < l.last && l.paraStart + cells[a].offset < s) ++a;
            b = a;
            while (b < l.last && l.paraStart + cells[b].offset < e) ++b;
        }
    }
    // The text in up to three runs: before, inside and after the selection; of a line
    // repainted in part, only the cells near what is repainted (a key repaints the line from
    // a little before the caret on).
    const auto [shownFrom, shownTo] = cellsNear(l, exposed);
    std::size_t at = l.first;
    double u = 0;
    auto run = [&](std::size_t from, std::size_t to, const QColor& color) {
        from = std::max(from, shownFrom);
        to = std::min(to, shownTo);
        if (from >= to) return;
        for (; at < from; ++at) u += cells[at].advance;
        if (typeset::RubyLayout* ruby = layout.ruby())
            ruby->paintLine(p, layout.typesetter(), l.text, cells, from, to, geo.origin(rel, u), color);
        else
            layout.typesetter().paintLine(p, l.text, cells, from, to, geo.origin(rel, u), color);
    };
    run(l.first, a, textColor);
    if (!c) run(a, b, highlighted);
    run(b, l.last, textColor);
}

std::pair<std::size_t, std::size_t> EditControl::Impl::cellsNear(const Layout::Line& l, const QRect& exposed) const {
    // Ruby is drawn by whole groups, and reaches no further than the cells it is given.
    if (layout.ruby()) return {l.first, l.last};
    double u0 = 0, u1 = 0, v = 0;
    geo.toAxes(exposed.topLeft(), &u0, &v);
    geo.toAxes(QPointF(exposed.x() + exposed.width(), exposed.y() + exposed.height()), &u1, &v);
    // A cell and an em to spare on each side, for ink that reaches beyond its cell.
    const double em = layout.typesetter().fullWidthAdvance();
    const double lo = std::min(u0, u1) - em;
    const double hi = std::max(u0, u1) + em;
    const std::vector<typeset::Cell>& cells = *l.cells;
    std::size_t from = l.first;
    double u = 0;  // where cell `from` starts
    while (from < l.last && u + cells[from].advance < lo) u += cells[from++].advance;
    if (from > l.first) u -= cells[--from].advance;
    std::size_t to = from;
    while (to < l.last && u < hi) u += cells[to++].advance;
    if (to < l.last) ++to;
    return {from, to};
}

void EditControl::Impl::paintPreedit(QPainter& p, const Composed* c) {
    if (caretLine() < firstLine()) return;
    PreeditLayout pl(preedit, layout.typesetter(), font);
    placePreedit(pl, c);

    // Background of the whole pre-edit, then the formats' own backgrounds.
    for (const PreeditLayout::Segment& seg : pl.segments())
        p.fillRect(geo.box(seg.rel, seg.u0, seg.u1), background);
    std::vector<QColor> colors(static_cast<std::size_t>(preedit.size()), textColor);
    for (const QInputMethodEvent::Attribute& attr : preeditFormats) {
        if (attr.type != QInputMethodEvent::TextFormat) continue;
        const QTextCharFormat format = qvariant_cast<QTextFormat>(attr.value).toCharFormat();
        const int from = std::clamp(attr.start, 0, static_cast<int>(preedit.size()));
        const int to = std::clamp(attr.start + attr.length, from, static_cast<int>(preedit.size()));
        if (format.background().style() != Qt::NoBrush) {
            for (int i = from; i < to; ++i) {
                PreeditLayout::Spot spot = pl.spotOf(i);
                PreeditLayout::Spot end = pl.spotAfter(i);
                if (spot.rel == end.rel) p.fillRect(geo.box(spot.rel, spot.u, end.u), format.background());
            }
        }
        if (format.foreground().style() != Qt::NoBrush)
            for (int i = from; i < to; ++i) colors[static_cast<std::size_t>(i)] = format.foreground().color();
    }
    pl.paint(p, geo, colors);

    // Each clause underlined on its own (a side line on the right of a vertical column), the
    // target clause with a heavier line.
    const int em = layout.typesetter().fullWidthAdvance();
    const double thin = std::max(1, em / 24);
    const double thick = std::max(2, em / 10);
    const auto clauses = PreeditLayout::clauses(preeditFormats, static_cast<int>(preedit.size()));
    for (const PreeditLayout::Underline& line : pl.underlines(clauses, std::max(2, em / 8))) {
        const QRectF box = geo.box(line.rel, line.u0, line.u1);
        const double width = line.target ? thick : thin;
        if (!geo.vertical)
            p.fillRect(QRectF(box.left(), box.bottom() - 1 - width, box.width(), width), textColor);
        else
            p.fillRect(QRectF(box.right() - 1 - width, box.top(), width, box.height()), textColor);
    }
    if (preeditCursorVisible && q->hasFocus() && caretShown) {
        PreeditLayout::Spot spot = pl.spotOf(preeditCursor);
        p.fillRect(geo.box(spot.rel, spot.u - 1, spot.u + 1), caretColor(q->palette(), background, textColor));
    }
}

}  // namespace verlo::edit
