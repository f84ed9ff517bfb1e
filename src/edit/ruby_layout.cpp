#include "edit/ruby_layout.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace verlo::edit {
namespace {

QFont halfSize(const QFont& font) {
    QFont f = font;
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(QFontInfo(font).pixelSize() / 2.0))));
    return f;
}

// Baseline to the top of the ideographic em box: the em split as the font splits its height.
float emAscentOf(const QFontMetricsF& m, float em) {
    const double height = m.ascent() + m.descent();
    return height > 0 ? static_cast<float>(em * m.ascent() / height) : em;
}

// From the top of a line box to the baseline, as the typesetter places it.
float baselineOf(const QFont& font, int pitch) {
    const QFontMetrics m(font);
    return static_cast<float>((pitch - m.height()) / 2 + m.ascent());
}

}  // namespace

RubyLayout::RubyLayout(const QFont& font, Writing writing, const Typesetter& main)
    : writing_(writing),
      mainPitch_(main.linePitch()),
      em_(static_cast<float>(QFontInfo(font).pixelSize())),
      emAscent_(emAscentOf(QFontMetricsF(font), em_)),
      baseline_(baselineOf(font, main.linePitch())),
      small_(halfSize(font)),
      smallMetrics_(small_),
      smallEm_(static_cast<float>(QFontInfo(small_).pixelSize())),
      rubySetter_(small_, writing) {
    // The ruby and a pixel on either side must fit between the em boxes of two lines.
    const float room = static_cast<float>(mainPitch_) - em_;
    extra_ = std::max(0, static_cast<int>(std::ceil(smallEm_ + 2 - room)));
}

RubyLayout::~RubyLayout() = default;

QPointF RubyLayout::textShift() const {
    // The added room goes on the ruby's side: above the text, right of the column.
    return writing_ == Writing::Horizontal ? QPointF(0, extra_) : QPointF(-extra_, 0);
}

QPointF RubyLayout::along(QPointF p, float u) const {
    return writing_ == Writing::Horizontal ? QPointF(p.x() + u, p.y()) : QPointF(p.x(), p.y() + u);
}

namespace {

bool touches(const text::ruby::Group& g, std::size_t paraStart, std::size_t from, std::size_t to) {
    return from <= paraStart + g.end && to >= paraStart + g.begin;
}

}  // namespace

bool RubyLayout::rawDiffers(std::string_view paragraph, std::size_t paraStart, std::size_t fromA, std::size_t toA,
                            std::size_t fromB, std::size_t toB) {
    text::ruby::parse(paragraph, groups_);
    return std::any_of(groups_.begin(), groups_.end(), [&](const text::ruby::Group& g) {
        return touches(g, paraStart, fromA, toA) != touches(g, paraStart, fromB, toB);
    });
}

void RubyLayout::fold(std::string_view paragraph, std::size_t paraStart, std::size_t rawFrom, std::size_t rawTo,
                      float width, std::vector<Cell>& cells) {
    text::ruby::parse(paragraph, groups_);
    if (groups_.empty()) return;
    // The cells before the first group stay where they are.
    const std::size_t n = cells.size();
    std::size_t r = static_cast<std::size_t>(
        std::partition_point(cells.begin(), cells.end(),
                             [&](const Cell& c) { return c.offset < groups_.front().begin; }) -
        cells.begin());
    std::size_t out = r;
    for (std::size_t k = 0; k < groups_.size(); ++k) {
        const text::ruby::Group& g = groups_[k];
        while (r < n && cells[r].offset < g.begin) cells[out++] = cells[r++];
        if (r == n || cells[r].offset != g.begin) continue;  // not on a cell boundary: left as written
        float base = 0;
        float ruby = 0;
        std::size_t end = r;
        for (; end < n && cells[end].offset < g.end; ++end) {
            const std::uint32_t o = cells[end].offset;
            if (o >= g.baseBegin && o < g.baseEnd) base += cells[end].advance;
            if (o >= g.rubyBegin && o < g.rubyEnd) ruby += cells[end].advance;
        }
        const float rubyAdvance = ruby * smallEm_ / std::max(em_, 1.0f);
        float advance = std::max(base, rubyAdvance);
        // Ruby longer than its base reaches over the kana on either side by up to half a
        // ruby character, when both sides are kana without ruby of their own.
        const auto kanaAt = [&](std::size_t cell) {
            const std::uint32_t o = cells[cell].offset;
            const bool nextGroup = k + 1 < groups_.size() && o >= groups_[k + 1].begin;
            return !isGroup(cells[cell]) && !nextGroup && text::ruby::isKana(paragraph, o);
        };
        if (rubyAdvance > base && out > 0 && end < n && kanaAt(out - 1) && kanaAt(end))
            advance = std::max(base, rubyAdvance - smallEm_);
        const bool raw = touches(g, paraStart, rawFrom, rawTo);
        if (raw || advance > width || (end < n && cells[end].offset != g.end)) continue;  // copied below
        cells[out++] = {g.begin, g.end - g.begin, advance};
        r = end;
    }
    while (r < n) cells[out++] = cells[r++];
    cells.resize(out);
}

void RubyLayout::paintLine(QPainter& painter, const Typesetter& main, std::string_view paragraph,
                           const std::vector<Cell>& cells, std::size_t first, std::size_t last, QPointF lineOrigin,
                           const QColor& color) {
    last = std::min(last, cells.size());
    float u = 0;
    float runU = 0;
    std::size_t run = first;
    for (std::size_t k = first; k < last; ++k) {
        if (!isGroup(cells[k])) {
            u += cells[k].advance;
            continue;
        }
        if (run < k) main.paintLine(painter, paragraph, cells, run, k, along(lineOrigin, runU), color);
        paintGroup(painter, main, paragraph.substr(cells[k].offset, cells[k].length), cells[k].advance,
                   along(lineOrigin, u), color);
        u += cells[k].advance;
        run = k + 1;
        runU = u;
    }
    if (run < last) main.paintLine(painter, paragraph, cells, run, last, along(lineOrigin, runU), color);
}

void RubyLayout::paintGroup(QPainter& painter, const Typesetter& main, std::string_view group, float cellAdvance,
                            QPointF at, const QColor& color) {
    text::ruby::parse(group, groups_);
    if (groups_.size() != 1) return;
    const text::ruby::Group g = groups_.front();
    const std::string_view base = group.substr(g.baseBegin, g.baseEnd - g.baseBegin);
    main.cells(base, scratch_);
    float baseExtent = 0;
    for (const Cell& c : scratch_) baseExtent += c.advance;
    const float baseU = (cellAdvance - baseExtent) / 2;
    main.paintLine(painter, base, scratch_, 0, scratch_.size(), along(at, baseU), color);

    // The side line the ruby or the dots stand on: the top of the text's em box, or the
    // right edge of the column's.
    const bool horizontal = writing_ == Writing::Horizontal;
    const float emTop = static_cast<float>(at.y()) + baseline_ - emAscent_;
    const float emRight = static_cast<float>(at.x()) - static_cast<float>(mainPitch_ / 2) + em_ / 2;
    if (g.kind == text::ruby::Kind::Emphasis) {
        painter.save();
        painter.setFont(small_);
        painter.setPen(color);
        float u = baseU;
        for (const Cell& c : scratch_) {
            const QPointF p = along(at, u);
            const QRectF box = horizontal ? QRectF(p.x(), emTop - 1 - smallEm_, c.advance, smallEm_)
                                          : QRectF(emRight + 1, p.y(), smallEm_, c.advance);
            painter.drawText(box, Qt::AlignCenter, QStringLiteral("\uFE45"));
            u += c.advance;
        }
        painter.restore();
        return;
    }
    const std::string_view ruby = group.substr(g.rubyBegin, g.rubyEnd - g.rubyBegin);
    rubySetter_.cells(ruby, scratch_);
    float rubyExtent = 0;
    for (const Cell& c : scratch_) rubyExtent += c.advance;
    const QPointF r = along(at, (cellAdvance - rubyExtent) / 2);
    const int pitch = rubySetter_.linePitch();
    QPointF origin;
    if (horizontal) {
        // The ruby's em box ends a pixel above the text's.
        const float smallEmDescent = smallEm_ - emAscentOf(smallMetrics_, smallEm_);
        origin = QPointF(r.x(), emTop - 1 - smallEmDescent - baselineOf(small_, pitch));
    } else {
        const float centre = emRight + 1 + smallEm_ / 2;
        origin = QPointF(centre + static_cast<float>(pitch / 2), r.y());
    }
    rubySetter_.paintLine(painter, ruby, scratch_, 0, scratch_.size(), origin, color);
}

}  // namespace verlo::edit
