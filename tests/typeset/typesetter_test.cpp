// The typesetter with the installed IPA Gothic: cells, advances, fitting, tate-chu-yoko,
// marks for bytes that are not text, and lines wrapped by real advances.
#include "typeset/typesetter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <string>

#include "text/codec.h"
#include "text/cp932.h"
#include "text/stand_ins.h"
#include "support/qt_helpers.h"
#include "support/test_text.h"

using verlo::typeset::Cell;
using verlo::typeset::Typesetter;
using verlo::typeset::Writing;
namespace codec = verlo::text::codec;

namespace {

using verlo::test::sjis;

using verlo::test::ipaGothic;

std::vector<Cell> cellsOf(const Typesetter& t, const std::string& p) {
    std::vector<Cell> cells;
    t.cells(p, cells);
    return cells;
}


std::vector<std::string> paragraphsOf(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

}  // namespace

TEST(Typesetter, CellsFollowCharacterBoundaries) {
    Typesetter t(ipaGothic(16), Writing::Horizontal);
    const std::string p = sjis(u"表a漢\t ｶ");
    const std::vector<Cell> cells = cellsOf(t, p);
    ASSERT_EQ(cells.size(), 6u);
    const std::uint32_t offsets[] = {0, 2, 3, 5, 6, 7};
    const std::uint32_t lengths[] = {2, 1, 2, 1, 1, 1};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(cells[i].offset, offsets[i]) << i;
        EXPECT_EQ(cells[i].length, lengths[i]) << i;
    }
    EXPECT_TRUE(cellsOf(t, "").empty());
}

// Set solid: one em per full-width character along a line and down a column alike.
TEST(Typesetter, FullWidthAdvanceIsOneEmInBothDirections) {
    for (const QFont& font : {ipaGothic(13), ipaGothic(16), ipaGothic(21), verlo::test::ipaMincho(24),
                              verlo::test::ipaMincho(40)}) {
        const QFontMetrics metrics(font);
        Typesetter h(font, Writing::Horizontal);
        Typesetter v(font, Writing::Vertical);
        const std::string what = font.family().toStdString() + " " + std::to_string(font.pixelSize());
        EXPECT_EQ(h.fullWidthAdvance(), font.pixelSize()) << what;
        EXPECT_EQ(h.fullWidthAdvance(), metrics.horizontalAdvance(QString::fromUtf8("１"))) << what;
        EXPECT_EQ(v.fullWidthAdvance(), h.fullWidthAdvance()) << what;
        // Every full-width character takes exactly that cell, in both directions.
        for (Typesetter* t : {&h, &v}) {
            for (const Cell& c : cellsOf(*t, sjis(u"１０あ漢「」、。ー　ぁ―…")))
                EXPECT_EQ(c.advance, static_cast<float>(t->fullWidthAdvance())) << what << " " << c.offset;
        }
        EXPECT_GT(h.linePitch(), metrics.height());
        EXPECT_GT(v.linePitch(), metrics.height());
    }
    // Also when the full-width characters come from a fallback face.
    QFont latin(QStringLiteral("DejaVu Sans"));
    latin.setPixelSize(16);
    for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
        Typesetter t(latin, w);
        for (const Cell& c : cellsOf(t, sjis(u"１あ漢")))
            EXPECT_EQ(c.advance, static_cast<float>(t.fullWidthAdvance()));
    }
}

TEST(Typesetter, AdvancesAreWholePixels) {
    const std::string text = verlo::test::sampleText();
    for (int px : {13, 15}) {
        for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
            Typesetter t(ipaGothic(px), w);
            for (const std::string& p : paragraphsOf(text)) {
                for (const Cell& c : cellsOf(t, p)) {
                    EXPECT_EQ(c.advance, std::round(c.advance));
                    EXPECT_GE(c.advance, 1.f);
                }
            }
        }
    }
}

TEST(Typesetter, ALineOfNFullWidthCharactersHoldsExactlyN) {
    for (int px : {14, 20}) {
        for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
            Typesetter t(ipaGothic(px), w);
            const int n = 40;
            std::u16string line(n + 1, u'猫');
            const std::string p = sjis(line);
            std::vector<std::uint32_t> starts;
            t.wrap(p, cellsOf(t, p), static_cast<float>(t.fullWidthAdvance() * n), starts);
            EXPECT_EQ(starts, (std::vector<std::uint32_t>{0, static_cast<std::uint32_t>(n)})) << px;
            const std::string exact = sjis(std::u16string(n, u'猫'));
            t.wrap(exact, cellsOf(t, exact), static_cast<float>(t.fullWidthAdvance() * n), starts);
            EXPECT_EQ(starts.size(), 1u) << px;
        }
    }
}

TEST(Typesetter, WrapAppliesTheJapaneseRules) {
    Typesetter t(ipaGothic(16), Writing::Horizontal);
    const float width = static_cast<float>(t.fullWidthAdvance() * 4);
    std::vector<std::uint32_t> starts;
    const std::string p = sjis(u"吾輩は猫。名前");
    t.wrap(p, cellsOf(t, p), width, starts);
    EXPECT_EQ(starts, (std::vector<std::uint32_t>{0, 3}));  // 猫 goes down with 。
}

TEST(Typesetter, TwoDigitsStandSideBySideInVerticalWriting) {
    Typesetter v(ipaGothic(16), Writing::Vertical);
    const float full = static_cast<float>(v.fullWidthAdvance());
    {
        const std::vector<Cell> cells = cellsOf(v, sjis(u"12月7日"));
        ASSERT_EQ(cells.size(), 4u);
        EXPECT_EQ(cells[0].length, 2u);
        EXPECT_EQ(cells[0].advance, full);
        EXPECT_EQ(cells[2].length, 1u);
        EXPECT_EQ(cells[2].advance, full);  // one digit alone stands upright too
    }
    {
        // Three digits turn, each its own cell of a half-width advance.
        const std::vector<Cell> cells = cellsOf(v, sjis(u"第123回"));
        ASSERT_EQ(cells.size(), 5u);
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(cells[i].length, 1u);
            EXPECT_LT(cells[i].advance, full);
        }
    }
    EXPECT_EQ(cellsOf(v, "1").size(), 1u);
    EXPECT_EQ(cellsOf(v, "12").size(), 1u);
    // Digits inside a Latin word or a longer number turn with it.
    for (const char* s : {"Qt5", "3.14", "12:30", "A1", "1,000"}) {
        const std::vector<Cell> cells = cellsOf(v, s);
        EXPECT_EQ(cells.size(), std::string(s).size()) << s;
    }
    // Horizontal writing keeps one cell per digit.
    Typesetter h(ipaGothic(16), Writing::Horizontal);
    EXPECT_EQ(cellsOf(h, "12").size(), 2u);
}

// Two of ！？ in a row share one upright cell in vertical writing; one alone or three stay
// one to a cell, and the pair, like ！ itself, never begins a column.
TEST(Typesetter, ExclamationAndQuestionPairsShareACellInVerticalWriting) {
    Typesetter v(ipaGothic(16), Writing::Vertical);
    Typesetter h(ipaGothic(16), Writing::Horizontal);
    const struct {
        std::u16string_view text;
        std::size_t vertical;  // cells
    } cases[] = {{u"な！！", 2}, {u"な！？", 2}, {u"な？！", 2}, {u"な？？", 2}, {u"な！", 2},
                 {u"な！！！", 4}, {u"！？な！", 3}, {u"!?", 2}, {u"！？！？", 4}};
    for (const auto& c : cases) {
        const std::string p = sjis(c.text);
        const std::string what = std::to_string(c.vertical) + " of " + std::to_string(p.size());
        const std::vector<Cell> cells = cellsOf(v, p);
        EXPECT_EQ(cells.size(), c.vertical) << what;
        for (const Cell& cell : cells) {
            if (cell.length > 1) {
                EXPECT_EQ(cell.advance, static_cast<float>(v.fullWidthAdvance())) << what;
            }
        }
        EXPECT_EQ(cellsOf(h, p).size(), verlo::text::cp932::countChars(p)) << what;
    }
    const std::string p = sjis(u"あいうえ！？");
    std::vector<std::uint32_t> starts;
    v.wrap(p, cellsOf(v, p), static_cast<float>(v.fullWidthAdvance() * 4), starts);
    EXPECT_EQ(starts, (std::vector<std::uint32_t>{0, 3}));
}

TEST(Typesetter, BytesThatAreNotTextTakeOneCellEach) {
    for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
        Typesetter t(ipaGothic(16), w);
        const std::string p = std::string("a\x80\xFD\xFE") + sjis(u"あ") + "\x81";
        const std::vector<Cell> cells = cellsOf(t, p);
        ASSERT_EQ(cells.size(), 6u);
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(cells[i].length, 1u);
            EXPECT_EQ(cells[i].advance, static_cast<float>(t.fullWidthAdvance()));
        }
        EXPECT_EQ(cells[5].offset, p.size() - 1);  // a lead byte at the end
        EXPECT_EQ(cells[5].length, 1u);
    }
}

// Characters met before are set from a table of their advances: the cells are the same as
// where each is met for the first time, also where they may share a cell in vertical writing.
TEST(Typesetter, CharactersMetBeforeGiveTheSameCells) {
    const std::string texts[] = {sjis(u"表a漢\t ｶ"), std::string("a\x80\xFD\xFE") + sjis(u"あ") + "\x81",
                                 sjis(u"第123回な！！！12月7日"), sjis(u"な！？1,000") + "\x81 \x85\x40"};
    for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
        Typesetter met(ipaGothic(16), w);
        for (const std::string& p : texts) cellsOf(met, p);
        for (const std::string& p : texts) {
            const std::vector<Cell> expected = cellsOf(Typesetter(ipaGothic(16), w), p);
            const std::vector<Cell> cells = cellsOf(met, p);
            ASSERT_EQ(cells.size(), expected.size()) << p;
            for (std::size_t i = 0; i < cells.size(); ++i) {
                EXPECT_EQ(cells[i].offset, expected[i].offset) << p << " " << i;
                EXPECT_EQ(cells[i].length, expected[i].length) << p << " " << i;
                EXPECT_EQ(cells[i].advance, expected[i].advance) << p << " " << i;
            }
        }
    }
}

// A code of the user-defined area is drawn as what the document's table says it stands for,
// as the table says after it was replaced.
TEST(Typesetter, AStandInIsSetAsTheTableSaysAfterItWasReplaced) {
    verlo::text::StandIns table;
    const unsigned code = table.codeFor(U"i");
    const std::string p{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    Typesetter t(ipaGothic(16), Writing::Horizontal, &table);
    EXPECT_LT(cellsOf(t, p).at(0).advance, static_cast<float>(t.fullWidthAdvance()));
    table = verlo::text::StandIns();
    ASSERT_EQ(table.codeForRaw("\xAB"), code);  // now bytes that were not text: a mark, one em
    t.forgetStandIns();
    EXPECT_EQ(cellsOf(t, p).at(0).advance, static_cast<float>(t.fullWidthAdvance()));
}

TEST(Typesetter, TabIsTwoFullWidthCells) {
    for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
        Typesetter t(ipaGothic(16), w);
        const std::vector<Cell> cells = cellsOf(t, "\t");
        ASSERT_EQ(cells.size(), 1u);
        EXPECT_EQ(cells[0].advance, static_cast<float>(2 * t.fullWidthAdvance()));
    }
}

TEST(Typesetter, LatinTurnsInVerticalWritingWithItsOwnAdvance) {
    Typesetter h(ipaGothic(16), Writing::Horizontal);
    Typesetter v(ipaGothic(16), Writing::Vertical);
    const std::vector<Cell> hc = cellsOf(h, "Abc");
    const std::vector<Cell> vc = cellsOf(v, "Abc");
    ASSERT_EQ(vc.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(vc[i].advance, hc[i].advance);
}

TEST(Typesetter, PaintsEveryNekoLineWithInk) {
    const std::string text = verlo::test::sampleText();
    for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
        Typesetter t(ipaGothic(16), w);
        for (const std::string& p : paragraphsOf(text)) {
            const std::vector<Cell> cells = cellsOf(t, p);
            const bool horizontal = w == Writing::Horizontal;
            QImage image(horizontal ? 1200 : t.linePitch(), horizontal ? t.linePitch() : 1200, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter painter(&image);
                const QPointF origin = horizontal ? QPointF(0, 0) : QPointF(image.width(), 0);
                t.paintLine(painter, p, cells, 0, std::min<std::size_t>(cells.size(), 60), origin, Qt::black);
            }
            int ink = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 128;
            EXPECT_GT(ink, 100) << p.substr(0, 20);
        }
    }
}
