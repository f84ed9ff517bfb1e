#include "edit/typesetter.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QString>
#include <cmath>

#include "edit/glyph_cache.h"
#include "edit/glyph_marks.h"
#include "edit/line_break.h"

namespace verlo::edit {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool isDigit(std::uint8_t b) { return b >= '0' && b <= '9'; }
bool isAsciiAlnum(std::uint8_t b) { return isDigit(b) || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z'); }
bool isNumberSeparator(std::uint8_t b) { return b == '.' || b == ',' || b == ':'; }

// True when the ASCII digits [start, end) of p stand upright side by side in one vertical
// cell: one or two digits on their own, not part of a Latin word or of a longer number
// such as 2026, 3.14 or 12:30. prevStart is where the character before them starts.
bool standsUpright(std::string_view p, std::size_t prevStart, std::size_t start, std::size_t end) {
    const std::size_t length = end - start;
    if (length < 1 || length > 2) return false;
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(p[i]); };
    if (end < p.size()) {
        const std::uint8_t next = at(end);
        if (isAsciiAlnum(next)) return false;
        if (isNumberSeparator(next) && end + 1 < p.size() && isDigit(at(end + 1))) return false;
    }
    if (prevStart != kNone) {
        const std::uint8_t prev = at(prevStart);
        if (isAsciiAlnum(prev)) return false;
        // A digit byte is never part of a two-byte character, so p[prevStart - 1] is one.
        if (isNumberSeparator(prev) && prevStart > 0 && isDigit(at(prevStart - 1))) return false;
    }
    return true;
}

}  // namespace

struct Typesetter::Impl {
    Impl(const QFont& f, Writing w)
        : font(f), writing(w), metrics(f), em(QFontInfo(f).pixelSize()), cache(f, w),
          fullWidth(cache.fullWidthAdvance()),
          // Japanese text wants air between lines: 0.4 em between horizontal lines, 0.6 em
          // between vertical columns (which also holds turned Latin and paired digits).
          linePitch(metrics.height() + static_cast<int>(std::lround(em * (w == Writing::Horizontal ? 0.4 : 0.6)))),
          marks(f) {}

    QFont font;
    Writing writing;
    QFontMetrics metrics;
    int em;
    GlyphCache cache;
    int fullWidth;
    int linePitch;
    GlyphMarks marks;

    // Scratch of paintLine, one pair of runs (upright, turned) per face.
    struct Run {
        std::vector<quint32> glyphs;
        std::vector<QPointF> positions;
        void clear() {
            glyphs.clear();
            positions.clear();
        }
        void add(quint32 g, QPointF p) {
            glyphs.push_back(g);
            positions.push_back(p);
        }
    };
    std::vector<Run> upright;
    std::vector<Run> turned;
    struct MarkAt {
        std::size_t cell;
        float pen;
    };
    std::vector<MarkAt> pendingMarks;

    void draw(QPainter& painter, std::size_t face, Run& run) {
        if (run.glyphs.empty()) return;
        QGlyphRun glyphRun;
        glyphRun.setRawFont(cache.fonts().face(static_cast<int>(face)).raw);
        glyphRun.setRawData(run.glyphs.data(), run.positions.data(), static_cast<int>(run.glyphs.size()));
        painter.drawGlyphRun(QPointF(0, 0), glyphRun);
    }
};

Typesetter::Typesetter(const QFont& font, Writing writing) : d(std::make_unique<Impl>(font, writing)) {}
Typesetter::~Typesetter() = default;

Writing Typesetter::writing() const { return d->writing; }
const QFont& Typesetter::font() const { return d->font; }
int Typesetter::linePitch() const { return d->linePitch; }
int Typesetter::fullWidthAdvance() const { return d->fullWidth; }

void Typesetter::cells(std::string_view paragraph, std::vector<Cell>& out) const {
    out.clear();
    const std::size_t n = paragraph.size();
    if (out.capacity() < n) out.reserve(n);
    const auto* p = reinterpret_cast<const std::uint8_t*>(paragraph.data());
    const bool vertical = d->writing == Writing::Vertical;
    GlyphCache& cache = d->cache;
    std::size_t prevStart = kNone;
    std::size_t i = 0;
    while (i < n) {
        if (vertical && isDigit(p[i])) {
            std::size_t end = i + 1;
            while (end < n && end - i < 3 && isDigit(p[end])) ++end;
            if (standsUpright(paragraph, prevStart, i, end)) {
                out.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(end - i),
                               static_cast<float>(d->fullWidth)});
                prevStart = i;
                i = end;
                continue;
            }
        }
        const GlyphEntry& e = cache.at(p + i, n - i);
        out.push_back({static_cast<std::uint32_t>(i), e.length, static_cast<float>(e.advance)});
        prevStart = i;
        i += e.length;
    }
}

void Typesetter::wrap(std::string_view paragraph, const std::vector<Cell>& cells, float width,
                      std::vector<std::uint32_t>& lineStarts) const {
    line_break::wrap(paragraph, cells, width, lineStarts);
}

void Typesetter::paintLine(QPainter& painter, std::string_view paragraph, const std::vector<Cell>& cells,
                           std::size_t first, std::size_t last, QPointF lineOrigin, const QColor& color) const {
    last = std::min(last, cells.size());
    if (first >= last) return;
    Impl& m = *d;
    GlyphCache& cache = m.cache;
    const auto* p = reinterpret_cast<const std::uint8_t*>(paragraph.data());
    const bool vertical = m.writing == Writing::Vertical;

    // Horizontal: the baseline, with the leading split above and below the text.
    const float baseline = static_cast<float>(lineOrigin.y()) + static_cast<float>((m.linePitch - m.metrics.height()) / 2) +
                           static_cast<float>(m.metrics.ascent());
    // Vertical: the column's centre.
    const float centre = static_cast<float>(lineOrigin.x()) - static_cast<float>(m.linePitch / 2);
    const float top = static_cast<float>(lineOrigin.y());
    const float left = static_cast<float>(lineOrigin.x());

    for (auto& r : m.upright) r.clear();
    for (auto& r : m.turned) r.clear();
    m.pendingMarks.clear();
    auto runOf = [&](std::vector<Impl::Run>& runs, std::size_t face) -> Impl::Run& {
        if (runs.size() <= face) runs.resize(face + 1);
        return runs[face];
    };

    float pen = 0;
    for (std::size_t k = first; k < last; ++k) {
        const Cell& cell = cells[k];
        const std::uint8_t* c = p + cell.offset;
        if (vertical && isDigit(c[0]) &&
            standsUpright(paragraph, k > 0 ? cells[k - 1].offset : kNone, cell.offset, cell.offset + cell.length)) {
            // One or two digits side by side, upright and centred in the cell.
            float width = 0;
            for (std::uint32_t j = 0; j < cell.length; ++j) width += cache.digit(c[j] - '0').advance;
            float x = centre - width / 2;
            for (std::uint32_t j = 0; j < cell.length; ++j) {
                const GlyphCache::Digit& digit = cache.digit(c[j] - '0');
                const float y = top + pen + cell.advance / 2 + cache.fonts().face(digit.face).emCentre;
                runOf(m.upright, digit.face).add(digit.glyph, QPointF(std::round(x), std::round(y)));
                x += digit.advance;
            }
            pen += cell.advance;
            continue;
        }
        const GlyphEntry& e = cache.at(c, paragraph.size() - cell.offset);
        switch (e.kind) {
            case GlyphKind::Upright:
                if (vertical)
                    runOf(m.upright, e.face).add(e.glyph, QPointF(centre + e.dx, top + pen + e.dy));
                else
                    runOf(m.upright, e.face).add(e.glyph, QPointF(left + pen + e.dx, baseline + e.dy));
                break;
            case GlyphKind::Turned:
                runOf(m.turned, e.face).add(e.glyph, QPointF(pen + e.dx, e.dy));
                break;
            case GlyphKind::Mark:
                m.pendingMarks.push_back({k, pen});
                break;
            case GlyphKind::Blank:
            case GlyphKind::Unfilled:
                break;
        }
        pen += cell.advance;
    }

    painter.save();
    painter.setPen(color);
    for (std::size_t f = 0; f < m.upright.size(); ++f) m.draw(painter, f, m.upright[f]);
    bool anyTurned = false;
    for (const auto& r : m.turned) anyTurned = anyTurned || !r.glyphs.empty();
    if (anyTurned) {
        // The turned frame: x runs down the column, y = 0 on its centre.
        painter.save();
        painter.translate(centre, top);
        painter.rotate(90);
        for (std::size_t f = 0; f < m.turned.size(); ++f) m.draw(painter, f, m.turned[f]);
        painter.restore();
    }
    for (const Impl::MarkAt& mark : m.pendingMarks) {
        const Cell& cell = cells[mark.cell];
        const std::string_view bytes = paragraph.substr(cell.offset, cell.length);
        QRectF box;
        if (vertical)
            box = QRectF(centre - m.em / 2.0, top + mark.pen, m.em, cell.advance);
        else
            box = QRectF(left + mark.pen, baseline - m.metrics.ascent(), cell.advance, m.metrics.height());
        m.marks.paint(painter, bytes, box, color);
    }
    // Underline and strike-out along the line (in vertical writing on the right of the
    // column, and through its centre).
    if (m.font.underline() || m.font.strikeOut()) {
        QPen line(color);
        line.setWidthF(std::max(1.0, static_cast<double>(m.metrics.lineWidth())));
        painter.setPen(line);
        if (vertical) {
            const float x = centre + m.em / 2.0f + 1;
            if (m.font.underline()) painter.drawLine(QPointF(x, top), QPointF(x, top + pen));
            if (m.font.strikeOut()) painter.drawLine(QPointF(centre, top), QPointF(centre, top + pen));
        } else {
            if (m.font.underline()) {
                const float y = baseline + m.metrics.underlinePos();
                painter.drawLine(QPointF(left, y), QPointF(left + pen, y));
            }
            if (m.font.strikeOut()) {
                const float y = baseline - m.metrics.strikeOutPos();
                painter.drawLine(QPointF(left, y), QPointF(left + pen, y));
            }
        }
    }
    painter.restore();
}

}  // namespace verlo::edit
