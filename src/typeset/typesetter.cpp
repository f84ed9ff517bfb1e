#include "typeset/typesetter.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QString>
#include <QTransform>
#include <cmath>

#include "typeset/glyph_cache.h"
#include "typeset/glyph_marks.h"
#include "typeset/line_break.h"

namespace verlo::typeset {
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

// ！ or ？ (CP932 81 49, 81 48) at p, with `available` bytes left.
bool isExclamationOrQuestion(const std::uint8_t* p, std::size_t available) {
    return available >= 2 && p[0] == 0x81 && (p[1] == 0x49 || p[1] == 0x48);
}

// True when the character at i is the first of exactly two of ！？ in a row (！！ ！？ ？！ ？？),
// which stand upright side by side in one vertical cell; a longer run is set one by one.
bool startsPair(const std::uint8_t* p, std::size_t n, std::size_t prevStart, std::size_t i) {
    return isExclamationOrQuestion(p + i, n - i) && i + 4 <= n && isExclamationOrQuestion(p + i + 2, n - i - 2) &&
           !isExclamationOrQuestion(p + i + 4, n - i - 4) &&
           (prevStart == kNone || !isExclamationOrQuestion(p + prevStart, n - prevStart));
}

// A horizontal bar ― or a box-drawing line ─ (CP932 81 5C, 84 9F): a run of the same one is
// drawn as one continuous rule, without the gaps the font leaves at the ends of each glyph.
bool isRule(const std::uint8_t* c, std::uint32_t length) {
    return length == 2 && ((c[0] == 0x81 && c[1] == 0x5C) || (c[0] == 0x84 && c[1] == 0x9F));
}

}  // namespace

struct Typesetter::Impl {
    Impl(const QFont& f, Writing w, const text::StandIns* standIns)
        : font(f), writing(w), metrics(f), em(QFontInfo(f).pixelSize()), cache(f, w, standIns),
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
    // Runs of the same rule character in the line: the union of their glyphs' ink, on the screen.
    struct Rule {
        std::uint8_t trail = 0;  // which rule (the second byte tells them apart)
        std::size_t lastCell = 0;
        std::size_t count = 0;
        QRectF ink;
    };
    std::vector<Rule> rules;
    void noteRule(const std::uint8_t* c, std::size_t cell, const GlyphEntry& e, const QTransform& toScreen,
                  QPointF origin);
    void drawRules(QPainter& painter, const QColor& color) const;

    // Where a line is painted: its baseline (horizontal writing), the centre of its
    // column (vertical writing), and the corner the inline axis starts from.
    struct Frame {
        float baseline;
        float centre;
        float top;
        float left;
    };
    Frame frameAt(QPointF lineOrigin) const;
    // The steps of painting one line: its glyphs placed into the runs (and the marks noted)
    // with the pen's end returned, the runs drawn, the marks drawn, underline and
    // strike-out along the pen's way.
    float place(std::string_view paragraph, const std::vector<Cell>& cells, std::size_t first, std::size_t last,
                const Frame& at);
    // Narrow characters (digits, ! and ?) upright side by side, centred in one vertical cell.
    void placeSideBySide(std::string_view narrow, const Cell& cell, float pen, const Frame& at);
    void drawRuns(QPainter& painter, const Frame& at);
    // The frame turned glyphs are placed in: x runs down the column, y = 0 on its centre.
    static QTransform turnedFrame(const Frame& at) {
        return QTransform().translate(at.centre, at.top).rotate(90);
    }
    void drawMarks(QPainter& painter, std::string_view paragraph, const std::vector<Cell>& cells, const Frame& at,
                   const QColor& color);
    // The box a mark is drawn in.
    QRectF markBox(const Frame& at, const MarkAt& mark, const Cell& cell) const;
    void decorate(QPainter& painter, const Frame& at, float pen, const QColor& color) const;

    Run& runOf(std::vector<Run>& runs, std::size_t face) {
        if (runs.size() <= face) runs.resize(face + 1);
        return runs[face];
    }
    void draw(QPainter& painter, std::size_t face, Run& run) {
        if (run.glyphs.empty()) return;
        QGlyphRun glyphRun;
        glyphRun.setRawFont(cache.fonts().face(static_cast<int>(face)).raw);
        glyphRun.setRawData(run.glyphs.data(), run.positions.data(), static_cast<int>(run.glyphs.size()));
        painter.drawGlyphRun(QPointF(0, 0), glyphRun);
    }
};

Typesetter::Typesetter(const QFont& font, Writing writing, const text::StandIns* standIns)
    : d(std::make_unique<Impl>(font, writing, standIns)) {}

void Typesetter::forgetStandIns() { d->cache.forgetStandIns(); }
Typesetter::~Typesetter() = default;

Writing Typesetter::writing() const { return d->writing; }
const QFont& Typesetter::font() const { return d->font; }
int Typesetter::linePitch() const { return d->linePitch; }
int Typesetter::fullWidthAdvance() const { return d->fullWidth; }

void Typesetter::cells(std::string_view paragraph, std::vector<Cell>& out) const {
    // Written in place (a paragraph has at most one cell per byte), the size set at the end:
    // growing the vector cell by cell cost as much as finding the cells.
    const std::size_t n = paragraph.size();
    out.clear();
    if (out.capacity() < n) out.reserve(n);
    const auto* p = reinterpret_cast<const std::uint8_t*>(paragraph.data());
    const bool vertical = d->writing == Writing::Vertical;
    GlyphCache& cache = d->cache;
    const std::uint8_t* quick = cache.quickAdvances();
    const auto fullWidth = static_cast<float>(d->fullWidth);
    std::size_t prevStart = kNone;
    std::size_t i = 0;
    while (i < n) {
        // Most characters were met before: their advance comes from the small table, unless
        // in vertical writing they may share a cell (digits, ！ and ？).
        const std::uint8_t b0 = p[i];
        const bool two = i + 1 < n && text::cp932::isLeadByte(b0) && text::cp932::isTrailByte(p[i + 1]);
        const std::uint8_t advance = quick[two ? (b0 << 8 | p[i + 1]) : b0];
        if (advance && !(vertical && (isDigit(b0) || isExclamationOrQuestion(p + i, n - i)))) {
            const std::uint32_t length = two ? 2 : 1;
            out.push_back({static_cast<std::uint32_t>(i), length, static_cast<float>(advance)});
            prevStart = i;
            i += length;
            continue;
        }
        if (vertical && startsPair(p, n, prevStart, i)) {
            out.push_back({static_cast<std::uint32_t>(i), 4, fullWidth});
            prevStart = i;
            i += 4;
            continue;
        }
        if (vertical && isDigit(p[i])) {
            std::size_t end = i + 1;
            while (end < n && end - i < 3 && isDigit(p[end])) ++end;
            if (standsUpright(paragraph, prevStart, i, end)) {
                out.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(end - i), fullWidth});
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
    const Impl::Frame at = m.frameAt(lineOrigin);
    const float pen = m.place(paragraph, cells, first, last, at);
    painter.save();
    painter.setPen(color);
    m.drawRuns(painter, at);
    m.drawRules(painter, color);
    m.drawMarks(painter, paragraph, cells, at, color);
    m.decorate(painter, at, pen, color);
    painter.restore();
}

void Typesetter::placeLine(std::string_view paragraph, const std::vector<Cell>& cells, std::size_t first,
                           std::size_t last, QPointF lineOrigin, std::vector<PlacedGlyph>& out,
                           std::vector<QRectF>* rules, std::vector<PlacedMark>* marks) const {
    last = std::min(last, cells.size());
    Impl& m = *d;
    const bool vertical = m.writing == Writing::Vertical;
    float pen = 0;
    std::vector<Impl::Rule> runs;  // the rules of the line, joined across the cells
    // One cell at a time, so that every glyph knows its cell; the frame moves with the pen.
    for (std::size_t k = first; k < last; ++k) {
        const QPointF origin = vertical ? lineOrigin + QPointF(0, pen) : lineOrigin + QPointF(pen, 0);
        const Impl::Frame at = m.frameAt(origin);
        m.place(paragraph, cells, k, k + 1, at);
        const auto cell = static_cast<std::uint32_t>(k);
        for (std::size_t f = 0; f < m.upright.size(); ++f)
            for (std::size_t g = 0; g < m.upright[f].glyphs.size(); ++g)
                out.push_back({static_cast<int>(f), static_cast<std::uint16_t>(m.upright[f].glyphs[g]),
                               m.upright[f].positions[g], false, cell});
        // The turned frame is translated to the column's centre and top, then rotated by
        // 90°: (x, y) there is (centre - y, top + x) here.
        for (std::size_t f = 0; f < m.turned.size(); ++f)
            for (std::size_t g = 0; g < m.turned[f].glyphs.size(); ++g) {
                const QPointF p = m.turned[f].positions[g];
                out.push_back({static_cast<int>(f), static_cast<std::uint16_t>(m.turned[f].glyphs[g]),
                               QPointF(at.centre - p.y(), at.top + p.x()), true, cell});
            }
        if (marks)
            for (const Impl::MarkAt& mark : m.pendingMarks)
                marks->push_back({m.markBox(at, mark, cells[mark.cell]), static_cast<std::uint32_t>(mark.cell)});
        for (const Impl::Rule& r : m.rules) {
            if (!runs.empty() && runs.back().trail == r.trail && runs.back().lastCell + 1 == r.lastCell) {
                runs.back().ink |= r.ink;
                runs.back().lastCell = r.lastCell;
                ++runs.back().count;
            } else {
                runs.push_back(r);
            }
        }
        pen += cells[k].advance;
    }
    if (rules)
        for (const Impl::Rule& r : runs)
            if (r.count >= 2 && !r.ink.isEmpty()) rules->push_back(r.ink);
}

const QRawFont& Typesetter::faceFont(int face) const { return d->cache.fonts().face(face).raw; }
hb_face_t* Typesetter::faceTables(int face) const { return d->cache.fonts().face(face).hbFace; }

Typesetter::Impl::Frame Typesetter::Impl::frameAt(QPointF lineOrigin) const {
    Frame at{};
    // Horizontal: the baseline, with the leading split above and below the text.
    at.baseline = static_cast<float>(lineOrigin.y()) + static_cast<float>((linePitch - metrics.height()) / 2) +
                  static_cast<float>(metrics.ascent());
    // Vertical: the column's centre.
    at.centre = static_cast<float>(lineOrigin.x()) - static_cast<float>(linePitch / 2);
    at.top = static_cast<float>(lineOrigin.y());
    at.left = static_cast<float>(lineOrigin.x());
    return at;
}

float Typesetter::Impl::place(std::string_view paragraph, const std::vector<Cell>& cells, std::size_t first,
                              std::size_t last, const Frame& at) {
    for (auto& r : upright) r.clear();
    for (auto& r : turned) r.clear();
    pendingMarks.clear();
    rules.clear();
    const auto* p = reinterpret_cast<const std::uint8_t*>(paragraph.data());
    const bool vertical = writing == Writing::Vertical;
    float pen = 0;
    for (std::size_t k = first; k < last; ++k) {
        const Cell& cell = cells[k];
        const std::uint8_t* c = p + cell.offset;
        if (vertical && cell.length == 4) {  // a pair of ！？
            const char pair[2] = {c[1] == 0x49 ? '!' : '?', c[3] == 0x49 ? '!' : '?'};
            placeSideBySide(std::string_view(pair, 2), cell, pen, at);
            pen += cell.advance;
            continue;
        }
        if (vertical && isDigit(c[0]) &&
            standsUpright(paragraph, k > 0 ? cells[k - 1].offset : kNone, cell.offset, cell.offset + cell.length)) {
            placeSideBySide(paragraph.substr(cell.offset, cell.length), cell, pen, at);
            pen += cell.advance;
            continue;
        }
        const GlyphEntry& e = cache.at(c, paragraph.size() - cell.offset);
        switch (e.kind) {
            case GlyphKind::Upright: {
                const QPointF origin = vertical ? QPointF(at.centre + e.dx, at.top + pen + e.dy)
                                                : QPointF(at.left + pen + e.dx, at.baseline + e.dy);
                runOf(upright, e.face).add(e.glyph, origin);
                if (isRule(c, cell.length)) noteRule(c, k, e, QTransform(), origin);
                break;
            }
            case GlyphKind::Turned: {
                const QPointF origin(pen + e.dx, e.dy);
                runOf(turned, e.face).add(e.glyph, origin);
                if (isRule(c, cell.length)) noteRule(c, k, e, turnedFrame(at), origin);
                break;
            }
            case GlyphKind::Mark:
                pendingMarks.push_back({k, pen});
                break;
            case GlyphKind::Blank:
            case GlyphKind::Unfilled:
                break;
        }
        pen += cell.advance;
    }
    return pen;
}

void Typesetter::Impl::placeSideBySide(std::string_view narrow, const Cell& cell, float pen, const Frame& at) {
    float width = 0;
    for (char c : narrow) width += cache.narrow(c).advance;
    float x = at.centre - width / 2;
    for (char c : narrow) {
        const GlyphCache::Narrow& glyph = cache.narrow(c);
        const float y = at.top + pen + cell.advance / 2 + cache.fonts().face(glyph.face).emCentre;
        runOf(upright, glyph.face).add(glyph.glyph, QPointF(std::round(x), std::round(y)));
        x += glyph.advance;
    }
}

void Typesetter::Impl::drawRuns(QPainter& painter, const Frame& at) {
    for (std::size_t f = 0; f < upright.size(); ++f) draw(painter, f, upright[f]);
    bool anyTurned = false;
    for (const auto& r : turned) anyTurned = anyTurned || !r.glyphs.empty();
    if (!anyTurned) return;
    painter.save();
    painter.setTransform(turnedFrame(at), true);
    for (std::size_t f = 0; f < turned.size(); ++f) draw(painter, f, turned[f]);
    painter.restore();
}

void Typesetter::Impl::noteRule(const std::uint8_t* c, std::size_t cell, const GlyphEntry& e,
                                const QTransform& toScreen, QPointF origin) {
    const QRectF ink = toScreen.mapRect(cache.fonts().face(e.face).raw.boundingRect(e.glyph).translated(origin));
    if (!rules.empty() && rules.back().trail == c[1] && rules.back().lastCell + 1 == cell) {
        Rule& rule = rules.back();
        rule.ink |= ink;
        rule.lastCell = cell;
        ++rule.count;
        return;
    }
    rules.push_back({c[1], cell, 1, ink});
}

void Typesetter::Impl::drawRules(QPainter& painter, const QColor& color) const {
    // Over the glyphs, filling the gaps between them: one rule from the first one's ink to the last one's.
    for (const Rule& rule : rules) {
        if (rule.count < 2 || rule.ink.isEmpty()) continue;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rule.ink, color);
        painter.restore();
    }
}

void Typesetter::Impl::drawMarks(QPainter& painter, std::string_view paragraph, const std::vector<Cell>& cells,
                                 const Frame& at, const QColor& color) {
    for (const MarkAt& mark : pendingMarks) {
        const Cell& cell = cells[mark.cell];
        marks.paint(painter, paragraph.substr(cell.offset, cell.length), markBox(at, mark, cell), color);
    }
}

QRectF Typesetter::Impl::markBox(const Frame& at, const MarkAt& mark, const Cell& cell) const {
    if (writing == Writing::Vertical) return QRectF(at.centre - em / 2.0, at.top + mark.pen, em, cell.advance);
    return QRectF(at.left + mark.pen, at.baseline - metrics.ascent(), cell.advance, metrics.height());
}

void Typesetter::Impl::decorate(QPainter& painter, const Frame& at, float pen, const QColor& color) const {
    // Underline and strike-out along the line (in vertical writing on the right of the
    // column, and through its centre).
    if (!font.underline() && !font.strikeOut()) return;
    QPen line(color);
    line.setWidthF(std::max(1.0, static_cast<double>(metrics.lineWidth())));
    painter.setPen(line);
    if (writing == Writing::Vertical) {
        const float x = at.centre + em / 2.0f + 1;
        if (font.underline()) painter.drawLine(QPointF(x, at.top), QPointF(x, at.top + pen));
        if (font.strikeOut()) painter.drawLine(QPointF(at.centre, at.top), QPointF(at.centre, at.top + pen));
        return;
    }
    if (font.underline()) {
        const float y = at.baseline + metrics.underlinePos();
        painter.drawLine(QPointF(at.left, y), QPointF(at.left + pen, y));
    }
    if (font.strikeOut()) {
        const float y = at.baseline - metrics.strikeOutPos();
        painter.drawLine(QPointF(at.left, y), QPointF(at.left + pen, y));
    }
}

}  // namespace verlo::typeset
