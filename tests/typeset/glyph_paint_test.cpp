// What the typesetter paints, judged on the pixels: where the ink of a character falls in
// its cell, in both writing directions, with IPA Gothic. The pictures of tests/data/neko.txt
// in both directions are written to the build folder (typeset_horizontal.png,
// typeset_vertical.png) for looking at.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <string>

#include "support/qt_helpers.h"
#include "support/test_text.h"
#include "text/codec.h"
#include "typeset/typesetter.h"

using verlo::typeset::Cell;
using verlo::typeset::Typesetter;
using verlo::typeset::Writing;

namespace {

using verlo::test::sjis;

using verlo::test::ipaGothic;

// One line painted alone: black on white, the line's box starting at the image's edge
// (top-left in horizontal writing, top-right in vertical writing).
struct Painted {
    QImage image;
    std::vector<Cell> cells;
    int pitch = 0;
    bool vertical = false;

    // The cell's box: inline extent of the cell, block extent of the whole line.
    QRect cellBox(std::size_t k) const {
        float pen = 0;
        for (std::size_t i = 0; i < k; ++i) pen += cells[i].advance;
        const int a = static_cast<int>(pen);
        const int b = static_cast<int>(pen + cells[k].advance);
        return vertical ? QRect(0, a, pitch, b - a) : QRect(a, 0, b - a, pitch);
    }
    // Bounding box of the dark pixels inside a rectangle (null when there are none).
    QRect ink(const QRect& area) const {
        QRect box;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(image.pixel(x, y)) < 140) box |= QRect(x, y, 1, 1);
        return box;
    }
};

Painted paint(Writing writing, const std::string& p, int px = 32) {
    Typesetter t(ipaGothic(px), writing);
    Painted out;
    out.vertical = writing == Writing::Vertical;
    t.cells(p, out.cells);
    out.pitch = t.linePitch();
    float extent = 0;
    for (const Cell& c : out.cells) extent += c.advance;
    const int length = static_cast<int>(extent) + 1;
    out.image = out.vertical ? QImage(out.pitch, length, QImage::Format_RGB32)
                             : QImage(length, out.pitch, QImage::Format_RGB32);
    out.image.fill(Qt::white);
    QPainter painter(&out.image);
    t.paintLine(painter, p, out.cells, 0, out.cells.size(),
                out.vertical ? QPointF(out.pitch, 0) : QPointF(0, 0), Qt::black);
    return out;
}

}  // namespace

TEST(GlyphPaint, CommaAndFullStopSitTopRightInVerticalWriting) {
    const Painted v = paint(Writing::Vertical, sjis(u"あ、い。"));
    for (std::size_t k : {1u, 3u}) {
        const QRect cell = v.cellBox(k);
        const QRect ink = v.ink(cell);
        ASSERT_FALSE(ink.isNull());
        EXPECT_GT(ink.left(), cell.center().x()) << k;  // right half of the column
        EXPECT_LT(ink.bottom(), cell.center().y()) << k;  // upper half of the cell
    }
    // In horizontal writing they sit bottom-left.
    const Painted h = paint(Writing::Horizontal, sjis(u"あ、い。"));
    for (std::size_t k : {1u, 3u}) {
        const QRect cell = h.cellBox(k);
        const QRect ink = h.ink(cell);
        ASSERT_FALSE(ink.isNull());
        EXPECT_LT(ink.right(), cell.center().x()) << k;
        EXPECT_GT(ink.top(), cell.center().y()) << k;
    }
}

TEST(GlyphPaint, ProlongedSoundMarkAndDashesRunAlongTheColumn) {
    const Painted v = paint(Writing::Vertical, sjis(u"あーい―〜"));
    for (std::size_t k : {1u, 3u, 4u}) {
        const QRect ink = v.ink(v.cellBox(k));
        ASSERT_FALSE(ink.isNull());
        EXPECT_GT(ink.height(), 2 * ink.width()) << k;
    }
    const Painted h = paint(Writing::Horizontal, sjis(u"あーい"));
    const QRect ink = h.ink(h.cellBox(1));
    EXPECT_GT(ink.width(), 2 * ink.height());
}

// ―― and ── are one continuous rule from the first one's ink to the last one's, in both
// directions; the ends keep the font's margins.
TEST(GlyphPaint, RunsOfDashesAreOneContinuousRule) {
    for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
        for (std::u16string_view text : {u"あ――い", u"あ───い"}) {
            const Painted line = paint(w, sjis(text), 40);
            const std::size_t last = line.cells.size() - 2;
            const QRect first = line.ink(line.cellBox(1));
            const QRect end = line.ink(line.cellBox(last));
            ASSERT_FALSE(first.isNull());
            ASSERT_FALSE(end.isNull());
            const bool vertical = line.vertical;
            // Along the middle of the rule, from its start to its end, every pixel is ink.
            const int across = vertical ? first.center().x() : first.center().y();
            const int from = vertical ? first.top() : first.left();
            const int to = vertical ? end.bottom() : end.right();
            int gaps = 0;
            for (int along = from; along <= to; ++along) {
                const QRgb pixel = vertical ? line.image.pixel(across, along) : line.image.pixel(along, across);
                if (qGray(pixel) >= 140) ++gaps;
            }
            EXPECT_EQ(gaps, 0) << (vertical ? "vertical " : "horizontal ") << text.size();
            if (text[1] == u'―') {
                EXPECT_GT(vertical ? first.top() : first.left(), vertical ? line.cellBox(1).top() : line.cellBox(1).left());
            }
        }
    }
}

TEST(GlyphPaint, LatinTurnsClockwiseCentredOnTheColumn) {
    // "l" is tall and thin: turned, it lies across... along the column, and its top faces right.
    const Painted v = paint(Writing::Vertical, sjis(u"あlい"));
    const QRect cell = v.cellBox(1);
    const QRect ink = v.ink(cell);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GT(ink.height(), 0);
    EXPECT_LT(ink.height(), cell.height() + 1);
    EXPECT_GT(ink.width(), 2 * ink.height());
    // The turned em box is centred on the column: "l" runs from the baseline to the
    // ascender, so it lies around the centre, reaching into the right half.
    EXPECT_GT(ink.right(), v.pitch / 2);
    // "g" has a descender: turned clockwise it reaches further left than "l" does.
    const Painted g = paint(Writing::Vertical, sjis(u"あgい"));
    const QRect gInk = g.ink(g.cellBox(1));
    EXPECT_LT(gInk.left(), ink.left());
}

TEST(GlyphPaint, OpeningBracketTurnsInVerticalWriting) {
    // 「 in horizontal writing has its ink in the upper left; its vertical form (﹁) lies
    // in the upper right and is wider than tall at the top.
    const Painted v = paint(Writing::Vertical, sjis(u"「あ」"));
    const QRect open = v.ink(v.cellBox(0));
    const QRect close = v.ink(v.cellBox(2));
    ASSERT_FALSE(open.isNull());
    ASSERT_FALSE(close.isNull());
    EXPECT_GT(open.bottom(), v.cellBox(0).center().y());    // the opening one sits low in its cell
    EXPECT_LT(close.top(), v.cellBox(2).center().y());      // the closing one high
    EXPECT_GT(open.right(), v.pitch / 2);
    EXPECT_LT(close.left(), v.pitch / 2);
}

TEST(GlyphPaint, PairedDigitsAndExclamationsStandUprightSideBySide) {
    for (std::u16string_view text : {u"月12日", u"な！？と", u"な！！と", u"な？？と"}) {
        const std::string what(text.begin(), text.end());
        const Painted v = paint(Writing::Vertical, sjis(text));
        ASSERT_EQ(v.cells.size(), 3u) << what.size();
        const QRect cell = v.cellBox(1);
        const QRect ink = v.ink(cell);
        ASSERT_FALSE(ink.isNull());
        // Upright, each taller than wide; two of them side by side no narrower than half
        // their height, centred on the column.
        EXPECT_GT(ink.width(), ink.height() / 2) << what.size();
        EXPECT_NEAR(ink.center().x(), v.pitch / 2, 3) << what.size();
        // Two separate ink runs across the cell, a little below its middle row.
        int runs = 0;
        bool inInk = false;
        const int y = ink.center().y() + ink.height() / 8;
        for (int x = 0; x < v.pitch; ++x) {
            const bool dark = qGray(v.image.pixel(x, y)) < 140;
            if (dark && !inInk) ++runs;
            inInk = dark;
        }
        EXPECT_GE(runs, 2) << what.size();
    }
}

TEST(GlyphPaint, InvalidBytesShowAMark) {
    for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
        const Painted p = paint(w, std::string("\x80\xFF"));
        for (std::size_t k : {0u, 1u}) EXPECT_FALSE(p.ink(p.cellBox(k)).isNull()) << k;
    }
}

TEST(GlyphPaint, JapaneseComesFromAFallbackWhenTheFontLacksIt) {
    QFont latin(QStringLiteral("DejaVu Sans"));
    latin.setPixelSize(32);
    Typesetter t(latin, Writing::Horizontal);
    const std::string p = sjis(u"猫あ");
    std::vector<Cell> cells;
    t.cells(p, cells);
    QImage image(200, t.linePitch(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        t.paintLine(painter, p, cells, 0, cells.size(), QPointF(0, 0), Qt::black);
    }
    // 猫 has many strokes: far more ink than the outline of a missing-glyph box.
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < static_cast<int>(cells[0].advance); ++x) ink += qGray(image.pixel(x, y)) < 140;
    EXPECT_GT(ink, 150);
}

// The sample text in both directions, a page of lines of 30 full-width characters: the
// ink of every line stays inside its own line box (so nothing spills into the next line
// or column). The pictures are kept in the build folder for looking at.
TEST(GlyphPaint, EveryLineOfNekoStaysInItsBox) {
    const std::string text = verlo::test::sampleText();
    for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
        Typesetter t(ipaGothic(20), w);
        const bool vertical = w == Writing::Vertical;
        const int length = 30 * t.fullWidthAdvance();
        const int lines = 24;
        const QSize size(vertical ? lines * t.linePitch() + 20 : length + 20, vertical ? length + 20 : lines * t.linePitch() + 20);
        QImage page(size, QImage::Format_RGB32);
        page.fill(Qt::white);
        QImage one(size, QImage::Format_RGB32);
        int line = 0;
        std::vector<Cell> cells;
        std::vector<std::uint32_t> starts;
        std::size_t pos = 0;
        while (pos < text.size() && line < lines) {
            std::size_t end = text.find("\r\n", pos);
            if (end == std::string::npos) end = text.size();
            const std::string_view p(text.data() + pos, end - pos);
            t.cells(p, cells);
            t.wrap(p, cells, static_cast<float>(length), starts);
            for (std::size_t l = 0; l < starts.size() && line < lines; ++l, ++line) {
                const std::size_t last = l + 1 < starts.size() ? starts[l + 1] : cells.size();
                float extent = 0;
                for (std::size_t k = starts[l]; k < last; ++k) extent += cells[k].advance;
                const QPoint origin = vertical ? QPoint(size.width() - 10 - line * t.linePitch(), 10)
                                               : QPoint(10, 10 + line * t.linePitch());
                const QRect box = vertical ? QRect(origin.x() - t.linePitch(), origin.y(), t.linePitch(), static_cast<int>(extent))
                                           : QRect(origin.x(), origin.y(), static_cast<int>(extent), t.linePitch());
                for (QImage* image : {&one, &page}) {
                    if (image == &one) image->fill(Qt::white);
                    QPainter painter(image);
                    t.paintLine(painter, p, cells, starts[l], last, origin, Qt::black);
                }
                Painted painted;
                painted.image = one;
                const QRect ink = painted.ink(QRect(QPoint(0, 0), size));
                if (last > starts[l] && p[cells[starts[l]].offset] != '\t') {
                    EXPECT_FALSE(ink.isNull()) << line;
                }
                EXPECT_TRUE(box.adjusted(-2, -2, 2, 2).contains(ink)) << (vertical ? "vertical " : "horizontal ") << line;
            }
            pos = end + 2;
        }
        const QString name = QStringLiteral(VERLO_BINARY_DIR "/typeset_%1.png")
                                 .arg(vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal"));
        page.save(name);
    }
}
