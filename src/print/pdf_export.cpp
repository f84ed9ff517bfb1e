#include "print/pdf_export.h"

#include <QPainterPath>
#include <QRawFont>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "print/pdf_file.h"
#include "text/codec.h"
#include "typeset/glyph_marks.h"

namespace verlo::print {
namespace {

// A number with at most two decimals, then a blank.
void put(QByteArray& out, double v) {
    const long long hundredths = std::llround(v * 100);
    char buffer[32];
    char* p = buffer;
    long long whole = hundredths / 100;
    long long fraction = std::llabs(hundredths % 100);
    if (hundredths < 0 && whole == 0) *p++ = '-';
    p = std::to_chars(p, buffer + sizeof buffer, whole).ptr;
    if (fraction) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + fraction / 10);
        if (fraction % 10) *p++ = static_cast<char>('0' + fraction % 10);
    }
    *p++ = ' ';
    out.append(buffer, p - buffer);
}

// A rectangle of the page (points, y downwards) as the operands of "re", then op.
void putRect(QByteArray& out, const QRectF& r, double pageHeight, const char* op) {
    put(out, r.left());
    put(out, pageHeight - r.bottom());
    put(out, r.width());
    put(out, r.height());
    out += op;
}

// The character the index-th glyph of a cell draws (a cell of two digits draws two); a
// stand-in draws the first character of what it stands for.
char32_t characterOf(std::string_view paragraph, const typeset::Cell& cell, int index, const text::StandIns* standIns) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(paragraph.data()) + cell.offset;
    if (standIns && cell.length == 2 && text::isUserAreaLead(bytes[0]))
        if (const text::StandIns::Entry* standIn = standIns->find(bytes[0], bytes[1]); standIn && !standIn->chars.empty())
            return standIn->chars.front();
    std::size_t pos = cell.offset;
    const std::size_t end = cell.offset + cell.length;
    std::size_t length = 0;
    char32_t c = text::codec::decodeChar(paragraph, pos, &length);
    for (int i = 0; i < index && pos + length < end; ++i) {
        pos += length;
        c = text::codec::decodeChar(paragraph, pos, &length);
    }
    return text::codec::standsFor(c);
}

}  // namespace

PdfPages::PdfPages(PdfFile& file, const PageTypesetting& typesetting) : file_(file), typesetting_(typesetting) {}

int PdfPages::fontOf(const typeset::Typesetter& typesetter, int face) {
    const auto key = std::pair{&typesetter, face};
    const auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    const int font = file_.addFont(typesetter.faceFont(face), typesetter.faceTables(face));
    fonts_.emplace(key, font);
    return font;
}

bool PdfPages::write(const Page& page) {
    file_.beginPage(typesetting_.pageSize());
    if (typesetting_.setup().grid) grid();
    file_.content() += "BT\n";
    selected_ = Selection{};
    const typeset::Typesetter& text = typesetting_.text();
    for (std::size_t j = 0; j < page.lines.size(); ++j) {
        const PageLine& l = page.lines[j];
        const QPointF origin = typesetting_.lineOrigin(static_cast<int>(j));
        if (typeset::RubyLayout* ruby = typesetting_.ruby())
            rubyLine(*ruby, l.paragraph->bytes, l.paragraph->cells, l.first, l.last, origin);
        else
            line(text, l.paragraph->bytes, l.paragraph->cells, l.first, l.last, origin);
    }
    if (const auto number = typesetting_.numberLine(page.number))
        line(typesetting_.numbers(), number->bytes, number->cells, 0, number->cells.size(), number->origin);
    file_.content() += "ET\n";
    if (!dots_.empty()) dots();
    return file_.endPage();
}

void PdfPages::grid() {
    QByteArray& c = file_.content();
    const double height = typesetting_.pageSize().height();
    c += "q 0.6 0.78 0.6 RG 0.5 w\n";
    for (int j = 0; j < typesetting_.setup().lines; ++j)
        for (int k = 0; k < typesetting_.setup().chars; ++k) {
            putRect(c, typesetting_.cellBox(j, k), height, "re\n");
        }
    c += "S Q\n";
}

void PdfPages::rubyLine(typeset::RubyLayout& ruby, std::string_view paragraph, const std::vector<typeset::Cell>& cells,
                        std::size_t first, std::size_t last, QPointF origin) {
    ruby.pieces(typesetting_.text(), paragraph, cells, first, last, origin, [&](const typeset::RubyLayout::Piece& piece) {
        if (piece.kind == typeset::RubyLayout::Piece::Kind::Dot)
            dots_.push_back(piece.box);
        else
            line(*piece.setter, piece.text, *piece.cells, piece.first, piece.last, piece.origin,
                 piece.kind == typeset::RubyLayout::Piece::Kind::Ruby);
    });
}

void PdfPages::dots() {
    // The dot of the ruby's font centred in each box, or a round dot when the font has none.
    const QRawFont& raw = typesetting_.ruby()->ruby().faceFont(0);
    const QList<quint32> glyph = raw.glyphIndexesForString(QString(QChar(typeset::RubyLayout::kDot)));
    QPainterPath dot;
    if (!glyph.isEmpty() && glyph.front() != 0) dot = raw.pathForGlyph(glyph.front());
    if (dot.isEmpty()) {
        const double r = raw.pixelSize() / 6.0;
        dot.addEllipse(QPointF(), r, r);
    }
    QByteArray& c = file_.content();
    c += "q\n";
    for (const QRectF& box : dots_) outline(dot, box.center() - dot.boundingRect().center(), 1);
    c += "Q\n";
    dots_.clear();
}

void PdfPages::line(const typeset::Typesetter& typesetter, std::string_view paragraph,
                    const std::vector<typeset::Cell>& cells, std::size_t first, std::size_t last, QPointF origin,
                    bool hidden) {
    glyphs_.clear();
    rules_.clear();
    marks_.clear();
    typesetter.placeLine(paragraph, cells, first, last, origin, glyphs_, &rules_, &marks_);
    QByteArray& c = file_.content();
    const double k = kPixelsPerPoint;
    const double height = typesetting_.pageSize().height();
    // Runs of ― as one continuous rule, outside the text object.
    if (!rules_.empty()) {
        c += "ET\n";
        for (const QRectF& r : rules_) putRect(c, QRectF(r.topLeft() / k, r.size() / k), height, "re f\n");
        c += "BT\n";
        selected_ = Selection{};
    }
    const bool vertical = typesetter.writing() == typeset::Writing::Vertical;
    const text::StandIns* standIns = &typesetter == &typesetting_.numbers() ? nullptr : typesetting_.standIns();
    if (hidden) {
        if (glyphs_.empty()) return;
        c += "/Span<</ActualText()>>BDC\n";
    }
    // Glyphs that follow one another along the line in the same font and mode share one TJ
    // array, each placed by its offset from where the glyph before leaves the pen.
    struct Run {
        bool open = false;
        bool turned = false;
        double across = 0;  // where the run lies across the line, points
        double pen = 0;     // where the next glyph would go along the line, points
    } run;
    auto closeRun = [&] {
        if (run.open) c += "]TJ\n";
        run.open = false;
    };
    auto hundredths = [](double v) { return static_cast<double>(std::llround(v * 100)) / 100; };
    std::uint32_t previousCell = static_cast<std::uint32_t>(-1);
    int indexInCell = 0;
    for (std::size_t i = 0; i < glyphs_.size(); ++i) {
        const typeset::Typesetter::PlacedGlyph& g = glyphs_[i];
        indexInCell = g.cell == previousCell ? indexInCell + 1 : 0;
        previousCell = g.cell;
        const bool sharesCell = !hidden && i + 1 < glyphs_.size() && glyphs_[i + 1].cell == g.cell;
        if (indexInCell == 0 && sharesCell) {
            // Two characters side by side in a column (digits, ！？): readers take their text
            // from the span, as one piece of the column, rather than from the glyphs.
            closeRun();
            const typeset::Cell& cell = cells[g.cell];
            c += "/Span<</ActualText<FEFF";
            std::size_t pos = cell.offset;
            std::size_t length = 0;
            while (pos < cell.offset + cell.length) {
                const char32_t ch = text::codec::decodeChar(paragraph, pos, &length);
                char hex[5];
                std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(text::codec::standsFor(ch)) & 0xFFFF);
                c.append(hex, 4);
                pos += std::max<std::size_t>(1, length);
            }
            c += ">>>BDC\n";
        }
        const int font = fontOf(typesetter, g.face);
        const std::uint16_t code =
            file_.useGlyph(font, g.glyph, characterOf(paragraph, cells[g.cell], indexInCell, standIns));
        const double size = typesetter.faceFont(g.face).pixelSize() / k;
        // Upright glyphs of vertical writing go in the vertical writing mode, whose glyph
        // origin lies half the advance to the right of and 0.88 em above the horizontal one.
        const bool verticalMode = vertical && !g.turned;
        const Selection selection{font, verticalMode, size};
        if (!(selection == selected_)) {
            closeRun();
            c += file_.fontName(font, verticalMode) + ' ';
            put(c, size);
            c += "Tf\n";
            selected_ = selection;
        }
        double x = g.origin.x() / k;
        double y = height - g.origin.y() / k;
        if (verticalMode) {
            x += file_.glyphWidth(font, g.glyph) / 2000.0 * size;
            y += PdfFile::kVerticalOriginY / 1000.0 * size;
        }
        x = hundredths(x);
        y = hundredths(y);
        // Columns and turned glyphs run down the page, horizontal lines to the right.
        const bool down = verticalMode || g.turned;
        const double along = down ? -y : x;
        const double across = down ? x : y;
        if (run.open && run.turned == g.turned && std::abs(across - run.across) < 0.005) {
            // TJ moves the pen by the number in thousandths of the em: back along a
            // horizontal line (and a turned run), down a column in the vertical mode.
            const double sign = verticalMode ? 1 : -1;
            const double move = hundredths(sign * (along - run.pen) * 1000 / size);
            if (move != 0) put(c, move);
            run.pen += sign * move * size / 1000;
        } else {
            closeRun();
            c += g.turned ? "0 -1 1 0 " : "1 0 0 1 ";
            put(c, x);
            put(c, y);
            c += "Tm[";
            run = Run{true, g.turned, across, along};
        }
        char hex[6] = {'<', 0, 0, 0, 0, '>'};
        for (int h = 0; h < 4; ++h) hex[1 + h] = "0123456789ABCDEF"[(code >> (12 - 4 * h)) & 15];
        c.append(hex, 6);
        run.pen += verticalMode ? size : file_.glyphWidth(font, g.glyph) / 1000.0 * size;
        if (indexInCell > 0 && !sharesCell) {
            closeRun();
            c += "EMC\n";
        }
    }
    closeRun();
    if (hidden) c += "EMC\n";
    if (!marks_.empty()) marks(typesetter, paragraph, cells);
}

void PdfPages::outline(const QPainterPath& path, QPointF pen, double scale) {
    QByteArray& c = file_.content();
    const double k = kPixelsPerPoint;
    const double height = typesetting_.pageSize().height();
    auto point = [&](const QPainterPath::Element& el) {
        put(c, (pen.x() + el.x * scale) / k);
        put(c, height - (pen.y() + el.y * scale) / k);
    };
    for (int e = 0; e < path.elementCount(); ++e) {
        const QPainterPath::Element el = path.elementAt(e);
        if (el.type == QPainterPath::MoveToElement) {
            if (e > 0) c += "h\n";
            point(el);
            c += "m\n";
        } else if (el.type == QPainterPath::LineToElement) {
            point(el);
            c += "l\n";
        } else if (el.type == QPainterPath::CurveToElement && e + 2 < path.elementCount()) {
            point(el);
            point(path.elementAt(e + 1));
            point(path.elementAt(e + 2));
            c += "c\n";
            e += 2;
        }
    }
    if (path.elementCount() > 0) c += "h f\n";
}

void PdfPages::marks(const typeset::Typesetter& typesetter, std::string_view paragraph,
                     const std::vector<typeset::Cell>& cells) {
    QByteArray& c = file_.content();
    const double k = kPixelsPerPoint;
    const double height = typesetting_.pageSize().height();
    // The label in the text's own font at two fifths of its size, one row per byte, upright,
    // as outlines: the bytes are no characters for text tools to read.
    const QRawFont& raw = typesetter.faceFont(0);
    const double em = raw.pixelSize();
    const double labelEm = std::max(5.0, std::floor(em * 2 / 5));
    const double scale = labelEm / em;
    c += "ET\nq\n";
    for (const typeset::Typesetter::PlacedMark& mark : marks_) {
        const typeset::Cell& cell = cells[mark.cell];
        const QStringList rows = typeset::GlyphMarks::label(paragraph.substr(cell.offset, cell.length)).split(u'\n');
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const QList<quint32> glyphs = raw.glyphIndexesForString(rows[r]);
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
            double width = 0;
            for (const QPointF& a : advances) width += a.x() * scale;
            QPointF pen(mark.box.center().x() - width / 2,
                        mark.box.center().y() + (r - rows.size() / 2.0) * labelEm + 0.8 * labelEm);
            for (qsizetype i = 0; i < glyphs.size(); ++i) {
                outline(raw.pathForGlyph(glyphs[i]), pen, scale);
                pen.rx() += advances[i].x() * scale;
            }
        }
    }
    c += "0.1 w\n";
    for (const typeset::Typesetter::PlacedMark& mark : marks_) {
        const QRectF box = mark.box.adjusted(1.5, 1.5, -1.5, -1.5);
        putRect(c, QRectF(box.topLeft() / k, box.size() / k), height, "re\n");
    }
    c += "S Q\nBT\n";
    selected_ = Selection{};
}

ExportResult exportPdf(const QString& path, const PageSetup& setup, const QFont& editorFont, const QString& title,
                       std::string_view text, const text::StandIns* standIns, bool ruby) {
    ExportResult result;
    const PageTypesetting typesetting(setup, editorFont, standIns, ruby);
    if (typesetting.problem()) {
        result.error = *typesetting.problem();
        return result;
    }
    PdfFile file(path);
    if (!file.open()) {
        result.error = file.error();
        return result;
    }
    PdfPages pages(file, typesetting);
    Paginator paginator(typesetting, [&pages](const Page& page) { return pages.write(page); });
    if (!paginateText(paginator, typesetting, title, text) || !file.finish(title, setup.vertical)) {
        result.error = file.error();
        return result;
    }
    result.pages = file.pageCount();
    return result;
}

}  // namespace verlo::print
