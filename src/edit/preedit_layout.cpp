#include "edit/preedit_layout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextCharFormat>
#include <algorithm>

#include "edit/edit_control_impl.h"
#include "text/codec.h"

namespace verlo::edit {

PreeditLayout::PreeditLayout(const QString& text, const typeset::Typesetter& typesetter, const QFont& font)
    : text_(text), typesetter_(typesetter), font_(font) {
    // Encode character by character to know which bytes each UTF-16 unit became.
    std::vector<std::size_t> unitByte;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        text::codec::EncodeResult r =
            text::codec::encode(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()) + i, static_cast<std::size_t>(n)));
        if (!r.ok()) {
            coded_ = false;
            break;
        }
        for (qsizetype k = 0; k < n; ++k) unitByte.push_back(bytes_.size());
        bytes_ += r.bytes;
        i += n;
    }
    if (coded_) {
        typesetter_.cells(bytes_, cells_);
        std::size_t c = 0;
        for (std::size_t b : unitByte) {
            while (c + 1 < cells_.size() && cells_[c].offset + cells_[c].length <= b) ++c;
            unitCell_.push_back(c);
        }
        return;
    }
    // Not all of it is text of the code page: one piece per character, measured by the font.
    QFontMetricsF fm(font_);
    const bool vertical = typesetter_.writing() == typeset::Writing::Vertical;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        Piece piece;
        piece.text = text.mid(i, n);
        piece.wide = piece.text.at(0).unicode() >= 0x2E80;
        piece.advance = vertical && piece.wide ? typesetter_.fullWidthAdvance() : fm.horizontalAdvance(piece.text);
        for (qsizetype k = 0; k < n; ++k) unitCell_.push_back(pieces_.size());
        pieces_.push_back(piece);
        i += n;
    }
}

double PreeditLayout::advance(std::size_t cell) const { return coded_ ? cells_[cell].advance : pieces_[cell].advance; }

std::size_t PreeditLayout::cellOfUnit(int i) const { return unitCell_[static_cast<std::size_t>(i)]; }

void PreeditLayout::place(double rel, double startU, double wrap) {
    start_ = Spot{rel, startU};
    spots_.clear();
    double u = startU;
    for (std::size_t c = 0; c < cellCount(); ++c) {
        const double a = advance(c);
        if (u > 0 && u + a > wrap + 1.0 / 64) {
            rel += 1;
            u = 0;
        }
        spots_.push_back(Spot{rel, u});
        u += a;
    }
    segmentsFromSpots();
}

void PreeditLayout::placeIn(const std::vector<typeset::Cell>& cells, const std::vector<std::uint32_t>& starts,
                            std::size_t at, double rel0) {
    spots_.clear();
    std::size_t line = 0;
    double u = 0;
    for (std::size_t j = 0; j < cells.size() && spots_.size() < cells_.size(); ++j) {
        while (line + 1 < starts.size() && j >= starts[line + 1]) {
            ++line;
            u = 0;
        }
        // Each of the pre-edit's cells whose first byte the paragraph's cell holds.
        const typeset::Cell& c = cells[j];
        while (spots_.size() < cells_.size() && at + cells_[spots_.size()].offset < c.offset + c.length)
            spots_.push_back(Spot{rel0 + static_cast<double>(line), u});
        u += c.advance;
    }
    while (spots_.size() < cells_.size()) spots_.push_back(spots_.empty() ? Spot{rel0, 0} : spots_.back());
    start_ = spots_.empty() ? Spot{rel0, 0} : spots_.front();
    segmentsFromSpots();
}

void PreeditLayout::segmentsFromSpots() {
    segments_.clear();
    for (std::size_t c = 0; c < spots_.size(); ++c) {
        const Spot s = spots_[c];
        if (segments_.empty() || segments_.back().rel != s.rel) segments_.push_back(Segment{s.rel, s.u, s.u});
        segments_.back().u1 = s.u + advance(c);
    }
}

PreeditLayout::Spot PreeditLayout::spotOf(int i) const {
    if (i < 0 || spots_.empty()) return start_;
    if (i >= static_cast<int>(unitCell_.size())) {
        const Spot last = spots_.back();
        return Spot{last.rel, last.u + advance(spots_.size() - 1)};
    }
    return spots_[cellOfUnit(i)];
}

PreeditLayout::Spot PreeditLayout::spotAfter(int i) const {
    if (spots_.empty()) return start_;
    if (i < 0 || i >= static_cast<int>(unitCell_.size())) return spotOf(static_cast<int>(unitCell_.size()));
    const std::size_t c = cellOfUnit(i);
    return Spot{spots_[c].rel, spots_[c].u + advance(c)};
}

std::vector<PreeditLayout::Clause> PreeditLayout::clauses(const QList<QInputMethodEvent::Attribute>& formats,
                                                           int length) {
    std::vector<int> bounds{0, length};
    for (const QInputMethodEvent::Attribute& a : formats) {
        if (a.type != QInputMethodEvent::TextFormat || a.length <= 0) continue;
        bounds.push_back(std::clamp(a.start, 0, length));
        bounds.push_back(std::clamp(a.start + a.length, 0, length));
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    std::vector<Clause> out;
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        Clause clause{bounds[i], bounds[i + 1], false};
        for (const QInputMethodEvent::Attribute& a : formats) {
            if (a.type != QInputMethodEvent::TextFormat || a.start > clause.from || a.start + a.length < clause.to)
                continue;
            const QTextCharFormat format = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            clause.target = clause.target || format.background().style() != Qt::NoBrush ||
                            format.fontWeight() > QFont::Normal;
        }
        out.push_back(clause);
    }
    return out;
}

PreeditLayout::Clause PreeditLayout::current(const std::vector<Clause>& clauses, int cursor) {
    for (const Clause& c : clauses)
        if (c.target) return c;
    for (const Clause& c : clauses)
        if (cursor >= c.from && cursor < c.to) return c;
    return clauses.back();
}

std::vector<PreeditLayout::Underline> PreeditLayout::underlines(const std::vector<Clause>& clauses,
                                                                double inset) const {
    std::vector<Underline> out;
    const int units = static_cast<int>(unitCell_.size());
    for (const Clause& clause : clauses) {
        const std::size_t first = out.size();
        for (int i = std::max(0, clause.from); i < std::min(clause.to, units); ++i) {
            const Spot from = spotOf(i);
            const Spot to = spotAfter(i);
            if (out.size() > first && out.back().rel == from.rel)
                out.back().u1 = std::max(out.back().u1, to.u);
            else
                out.push_back(Underline{from.rel, from.u, to.u, clause.target});
        }
        if (out.size() == first) continue;
        out[first].u0 = std::min(out[first].u0 + inset, out[first].u1);
        out.back().u1 = std::max(out.back().u1 - inset, out.back().u0);
    }
    return out;
}

void PreeditLayout::paint(QPainter& p, const ViewGeometry& geo, const std::vector<QColor>& colors) const {
    // The colour of a cell is that of its first unit.
    std::vector<QColor> cellColor(cellCount());
    for (std::size_t i = unitCell_.size(); i-- > 0;) cellColor[unitCell_[i]] = colors[i];
    if (coded_) {
        std::size_t from = 0;
        for (std::size_t c = 1; c <= cells_.size(); ++c) {
            if (c < cells_.size() && spots_[c].rel == spots_[from].rel && cellColor[c] == cellColor[from]) continue;
            typesetter_.paintLine(p, bytes_, cells_, from, c, geo.origin(spots_[from].rel, spots_[from].u),
                                  cellColor[from]);
            from = c;
        }
        return;
    }
    QFontMetricsF fm(font_);
    p.setFont(font_);
    for (std::size_t c = 0; c < pieces_.size(); ++c) {
        p.setPen(cellColor[c]);
        const QRectF box = geo.box(spots_[c].rel, spots_[c].u, spots_[c].u + pieces_[c].advance);
        if (!geo.vertical) {
            p.drawText(QPointF(box.left(), box.top() + (box.height() - fm.height()) / 2 + fm.ascent()), pieces_[c].text);
        } else {
            const double w = fm.horizontalAdvance(pieces_[c].text);
            p.drawText(QPointF(box.center().x() - w / 2, box.top() + (box.height() - fm.height()) / 2 + fm.ascent()),
                       pieces_[c].text);
        }
    }
}

}  // namespace verlo::edit
