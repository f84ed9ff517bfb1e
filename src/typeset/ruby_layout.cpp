#include "typeset/ruby_layout.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace verlo::typeset {
namespace {

QFont sized(const QFont& font, int pixels) {
    QFont f = font;
    f.setPixelSize(std::max(1, pixels));
    return f;
}

QFont halfSize(const QFont& font) {
    return sized(font, static_cast<int>(std::lround(QFontInfo(font).pixelSize() / 2.0)));
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
    : RubyLayout(font, writing, main, Options{}) {}

RubyLayout::RubyLayout(const QFont& font, Writing writing, const Typesetter& main, const Options& options)
    : writing_(writing),
      mainPitch_(main.linePitch()),
      em_(static_cast<float>(QFontInfo(font).pixelSize())),
      emAscent_(emAscentOf(QFontMetricsF(font), em_)),
      baseline_(baselineOf(font, main.linePitch())),
      small_(options.rubyPixels > 0 ? sized(font, options.rubyPixels) : halfSize(font)),
      smallMetrics_(small_),
      smallEm_(static_cast<float>(QFontInfo(small_).pixelSize())),
      rubySetter_(small_, writing, options.standIns),
      options_(options) {
    // The ruby and the gap on either side must fit between the em boxes of two lines.
    const float room = static_cast<float>(mainPitch_) - em_;
    extra_ = std::max(0, static_cast<int>(std::ceil(smallEm_ + 2 * options.gap - room)));
    // How far pieces() draws beyond the line's box (whose edge lies extra_ beyond the
    // text's origin, on the ruby's side): the ruby's glyphs reach their ascent above their
    // baseline, the dots half their line height beyond the middle of their small em box;
    // in a column both are centred half a small em right of the gap, at most half their
    // height or a small em wide. A pixel more for antialiasing.
    const float smallHeight = static_cast<float>(smallMetrics_.height());
    float far = 0;
    if (writing == Writing::Horizontal) {
        const float smallEmDescent = smallEm_ - emAscentOf(smallMetrics_, smallEm_);
        const float rubyAbove = options.gap + smallEmDescent + static_cast<float>(smallMetrics_.ascent());
        const float dotsAbove = options.gap + smallEm_ / 2 + smallHeight / 2;
        far = std::max(rubyAbove, dotsAbove) - (static_cast<float>(extra_) + baseline_ - emAscent_);
    } else {
        const float emRight = em_ / 2 - static_cast<float>(mainPitch_ / 2) - static_cast<float>(extra_);
        far = emRight + options.gap + smallEm_ / 2 + std::max(smallEm_, smallHeight) / 2;
    }
    beyond_ = std::max(0, static_cast<int>(std::ceil(far))) + 1;
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

std::size_t RubyLayout::changeReach(std::string_view paragraph, std::size_t from, std::size_t to) {
    text::ruby::parse(paragraph, groups_);
    for (const text::ruby::Group& g : groups_) {
        if (g.begin > to) break;
        if (g.end >= from) return std::min<std::size_t>(from, g.begin);
    }
    return from;
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
        if (options_.baseCells) advance = base;
        cells[out++] = {g.begin, g.end - g.begin, advance};
        r = end;
    }
    while (r < n) cells[out++] = cells[r++];
    cells.resize(out);
}

// A group of the line being drawn: its cell, where the cell starts along the line, the group
// as parsed from the cell's bytes, and the stretch its ruby takes along the line.
struct RubyLayout::Placed {
    std::size_t cell = 0;
    float u = 0;
    text::ruby::Group group;
    float rubyStart = 0;
    float rubyExtent = 0;
    bool parsed = false;  // false: the cell's bytes hold no single group, and nothing is drawn
};

namespace {

float extentOf(const std::vector<Cell>& cells) {
    float extent = 0;
    for (const Cell& c : cells) extent += c.advance;
    return extent;
}

}  // namespace

void RubyLayout::paintLine(QPainter& painter, const Typesetter& main, std::string_view paragraph,
                           const std::vector<Cell>& cells, std::size_t first, std::size_t last, QPointF lineOrigin,
                           const QColor& color) {
    pieces(main, paragraph, cells, first, last, lineOrigin, [&](const Piece& piece) {
        if (piece.kind != Piece::Kind::Dot) {
            piece.setter->paintLine(painter, piece.text, *piece.cells, piece.first, piece.last, piece.origin, color);
            return;
        }
        painter.save();
        painter.setFont(small_);
        painter.setPen(color);
        painter.drawText(piece.box, Qt::AlignCenter, QString(QChar(kDot)));
        painter.restore();
    });
}

void RubyLayout::pieces(const Typesetter& main, std::string_view paragraph, const std::vector<Cell>& cells,
                        std::size_t first, std::size_t last, QPointF lineOrigin,
                        const std::function<void(const Piece&)>& take) {
    last = std::min(last, cells.size());
    // The groups of the line, their ruby centred on their cells ...
    placed_.clear();
    float u = 0;
    for (std::size_t k = first; k < last; ++k) {
        if (isGroup(cells[k])) {
            const std::string_view group = paragraph.substr(cells[k].offset, cells[k].length);
            text::ruby::parse(group, groups_);
            Placed p{k, u, {}, 0, 0, groups_.size() == 1};
            if (p.parsed && groups_.front().kind == text::ruby::Kind::Ruby) {
                p.group = groups_.front();
                rubySetter_.cells(group.substr(p.group.rubyBegin, p.group.rubyEnd - p.group.rubyBegin), scratch_);
                p.rubyExtent = extentOf(scratch_);
            } else if (p.parsed) {
                p.group = groups_.front();
            }
            p.rubyStart = u + (cells[k].advance - p.rubyExtent) / 2;
            // On the screen ruby reaching over the kana beside its base is held back at the
            // line's start and end, where that kana stands on another line.
            if (!options_.baseCells && k + 1 == last)
                p.rubyStart = std::min(p.rubyStart, u + cells[k].advance - p.rubyExtent);
            if (!options_.baseCells && k == first) p.rubyStart = std::max(p.rubyStart, u);
            placed_.push_back(p);
        }
        u += cells[k].advance;
    }
    // ... then moved apart where neighbours would overlap, and into the line: forwards past
    // the ruby before, backwards clear of the ruby after, and forwards again should the two
    // not both hold (more ruby than the line has room for overlaps at its end).
    const float lineEnd = options_.lineLength > 0 ? options_.lineLength : std::numeric_limits<float>::max();
    const float lineStart = options_.lineLength > 0 ? 0 : std::numeric_limits<float>::lowest();
    float reach = lineStart;
    for (Placed& p : placed_) {
        if (p.rubyExtent <= 0) continue;
        p.rubyStart = std::max(p.rubyStart, reach);
        reach = p.rubyStart + p.rubyExtent;
    }
    float limit = lineEnd;
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
        if (it->rubyExtent <= 0) continue;
        it->rubyStart = std::min(it->rubyStart, limit - it->rubyExtent);
        limit = it->rubyStart;
    }
    reach = lineStart;
    for (Placed& p : placed_) {
        if (p.rubyExtent <= 0) continue;
        p.rubyStart = std::max(p.rubyStart, reach);
        reach = p.rubyStart + p.rubyExtent;
    }

    // The side line the ruby or the dots stand on: the top of the text's em box, or the
    // right edge of the column's.
    const bool horizontal = writing_ == Writing::Horizontal;
    const float emTop = static_cast<float>(lineOrigin.y()) + baseline_ - emAscent_;
    const float emRight = static_cast<float>(lineOrigin.x()) - static_cast<float>(mainPitch_ / 2) + em_ / 2;
    const float gap = options_.gap;
    const int rubyPitch = rubySetter_.linePitch();
    // The ruby's line origin across the line: its em box a gap above the text's or right of it.
    const QPointF rubyOrigin = horizontal
        ? QPointF(lineOrigin.x(), emTop - gap - (smallEm_ - emAscentOf(smallMetrics_, smallEm_)) -
                                      baselineOf(small_, rubyPitch))
        : QPointF(emRight + gap + smallEm_ / 2 + static_cast<float>(rubyPitch / 2), lineOrigin.y());

    Piece piece;
    std::size_t run = first;
    float runU = 0;
    for (const Placed& p : placed_) {
        if (run < p.cell) take({Piece::Kind::Text, &main, paragraph, &cells, run, p.cell, along(lineOrigin, runU), {}});
        runU = p.u + cells[p.cell].advance;
        run = p.cell + 1;
        if (!p.parsed) continue;
        const Cell& cell = cells[p.cell];
        const std::string_view group = paragraph.substr(cell.offset, cell.length);
        const text::ruby::Group& g = p.group;
        main.cells(group.substr(g.baseBegin, g.baseEnd - g.baseBegin), scratch_);
        const float baseU = p.u + (cell.advance - extentOf(scratch_)) / 2;
        take({Piece::Kind::Base, &main, group.substr(g.baseBegin, g.baseEnd - g.baseBegin), &scratch_, 0,
              scratch_.size(), along(lineOrigin, baseU), {}});
        if (g.kind == text::ruby::Kind::Emphasis) {
            float du = baseU;
            for (const Cell& c : scratch_) {
                const QPointF at = along(lineOrigin, du);
                piece = {Piece::Kind::Dot, &rubySetter_, {}, nullptr, 0, 0, at, {}};
                piece.box = horizontal ? QRectF(at.x(), emTop - gap - smallEm_, c.advance, smallEm_)
                                       : QRectF(emRight + gap, at.y(), smallEm_, c.advance);
                take(piece);
                du += c.advance;
            }
        } else {
            const std::string_view ruby = group.substr(g.rubyBegin, g.rubyEnd - g.rubyBegin);
            rubySetter_.cells(ruby, rubyScratch_);
            take({Piece::Kind::Ruby, &rubySetter_, ruby, &rubyScratch_, 0, rubyScratch_.size(),
                  along(rubyOrigin, p.rubyStart), {}});
        }
    }
    if (run < last) take({Piece::Kind::Text, &main, paragraph, &cells, run, last, along(lineOrigin, runU), {}});
}

}  // namespace verlo::typeset
