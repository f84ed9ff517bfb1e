// Ruby groups in the layout: the cells a group takes, where lines break around it, the
// group at the caret laid out as written, and where the ruby is painted in both directions.
#include "typeset/ruby_layout.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "edit/layout.h"
#include "support/qt_helpers.h"
#include "support/test_text.h"
#include "text/document.h"

using namespace verlo::edit;
using namespace verlo::typeset;
using verlo::test::ipaGothic;
using verlo::test::sjis;

namespace {

constexpr int kEm = 20;

struct Laid {
    verlo::text::Document doc;
    Layout layout{doc};
    Laid(std::u16string_view text, float widthInEm, Writing writing = Writing::Horizontal) {
        doc.setText(sjis(text));
        layout.setFont(ipaGothic(kEm), writing);
        layout.setRubyShown(true);
        layout.setRawRange(doc.length() + 1, doc.length() + 1);  // nothing at the caret
        layout.setWrapWidth(widthInEm * kEm);
    }
    // The advances of the paragraph's cells in em, a group's marked with a leading +.
    std::string cells() {
        std::string out;
        for (std::size_t i = 0; i < layout.lineCount(); ++i) {
            const Layout::Line l = layout.line(i);
            for (std::size_t k = l.first; k < l.last; ++k) {
                const Cell& c = (*l.cells)[k];
                out += (RubyLayout::isGroup(c) ? "+" : "") + std::to_string(c.advance / kEm).substr(0, 4) + " ";
            }
            out += "| ";
        }
        return out;
    }
};

TEST(RubyLayout, CellsAGroupTakes) {
    const struct {
        std::u16string text;
        std::string cells;
    } cases[] = {
        // The base's length; marks and ruby take nothing.
        {u"あ漢字《かんじ》い", "1.00 +2.00 1.00 | "},
        // Ruby longer than its base: the ruby's length at half size, less the half ruby
        // character it may reach over each neighbour when both are kana without ruby.
        {u"「字《かんじ》」", "1.00 +1.50 1.00 | "},
        {u"あ字《かんじ》い", "1.00 +1.00 1.00 | "},
        {u"あ字《かんじょう》い", "1.00 +2.00 1.00 | "},
        {u"あ字《かんじ》かな《かな》", "1.00 +1.50 +2.00 | "},
        {u"漢字《かんじ》あ", "+2.00 1.00 | "},
        {u"《《強調》》", "+2.00 | "},
        // What forms no group takes its cells as written.
        {u"字《》", "1.00 1.00 1.00 | "},
        // Ten base characters in groups fill a line of ten.
        {u"漢字《かんじ》漢字《かんじ》漢字《かんじ》漢字《かんじ》漢字《かんじ》", "+2.00 +2.00 +2.00 +2.00 +2.00 | "},
    };
    for (const auto& c : cases) {
        Laid h(c.text, 10);
        EXPECT_EQ(h.cells(), c.cells) << sjis(c.text);
        Laid v(c.text, 10, Writing::Vertical);
        EXPECT_EQ(v.cells(), c.cells) << sjis(c.text);
    }
}

TEST(RubyLayout, BasesAreNotSplitAcrossLines) {
    Laid l(u"あい漢字《かんじ》う", 3);
    EXPECT_EQ(l.cells(), "1.00 1.00 | +2.00 1.00 | ");
    // A group longer than a line is laid out as written, so it wraps as text does.
    Laid longer(u"漢字《かんじ》", 1.5);
    EXPECT_EQ(longer.layout.line(0).last - longer.layout.line(0).first, 1u);
    EXPECT_EQ(longer.layout.lineCount(), 7u);  // one character a line
    // So is a group whose ruby alone is longer than a line: very long ruby stays as written.
    Laid longRuby(u"字《" + std::u16string(24, u'あ') + u"》", 10);
    EXPECT_EQ(longRuby.cells().find('+'), std::string::npos) << longRuby.cells();
    EXPECT_EQ(longRuby.layout.lineCount(), 3u);
}

TEST(RubyLayout, TheGroupAtTheCaretOrSelectionIsAsWritten) {
    Laid l(u"あ漢字《かんじ》い《《強調》》う", 20);
    const std::string folded = "1.00 +2.00 1.00 +2.00 1.00 | ";
    const std::string firstRaw = "1.00 1.00 1.00 1.00 1.00 1.00 1.00 1.00 1.00 +2.00 1.00 | ";
    const std::size_t groupBegin = 2, groupEnd = 16, farAway = l.doc.length();
    const struct {
        std::size_t from, to;
        std::string cells;
    } cases[] = {
        {groupBegin, groupBegin, firstRaw}, {groupEnd, groupEnd, firstRaw}, {groupBegin + 4, groupBegin + 4, firstRaw},
        {0, 0, folded},                     {0, groupBegin, firstRaw},     {farAway, farAway, folded},
        {groupEnd + 1, groupEnd + 1, folded},
    };
    for (const auto& c : cases) {
        l.layout.setRawRange(c.from, c.to);
        EXPECT_EQ(l.cells(), c.cells) << c.from << "-" << c.to;
    }
    // Typing moves the range along with the text.
    l.layout.setRawRange(groupBegin, groupBegin);
    struct Listener : verlo::text::DocumentListener {
        Layout* layout = nullptr;
        void documentChanged(const verlo::text::Change& c) override { layout->documentChanged(c); }
    } listener;
    listener.layout = &l.layout;
    l.doc.addListener(&listener);
    l.doc.replace(0, 0, sjis(u"ん"), verlo::text::EditKind::Typing);
    EXPECT_EQ(l.cells(), "1.00 " + firstRaw);
    l.doc.removeListener(&listener);
}

// The bounding box of what was painted.
QRect inked(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
    return box;
}

// Line `index` painted with its origin at (40, 60), or (140, 40) for a column.
QRect paintedGroup(std::u16string_view group, Writing writing, bool rubyOnly, std::size_t index = 0,
                   float widthInEm = 10) {
    Laid l(group, widthInEm, writing);
    const Layout::Line line = l.layout.line(index);
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    const QPointF origin = (writing == Writing::Horizontal ? QPointF(40, 60) : QPointF(140, 40)) +
                           l.layout.ruby()->textShift();
    if (rubyOnly)
        l.layout.ruby()->paintLine(p, l.layout.typesetter(), line.text, *line.cells, line.first, line.last, origin,
                                   Qt::black);
    else
        l.layout.typesetter().paintLine(p, line.text, *line.cells, line.first, line.last, origin, Qt::black);
    return inked(image);
}

TEST(RubyLayout, RubyStandsAboveTheLineOrRightOfTheColumn) {
    const QRect base = paintedGroup(u"字", Writing::Horizontal, false);
    const QRect withRuby = paintedGroup(u"字《じ》", Writing::Horizontal, true);
    EXPECT_LT(withRuby.top(), base.top() - kEm / 4);  // the ruby above
    EXPECT_EQ(withRuby.bottom(), base.bottom());
    EXPECT_GE(withRuby.left(), base.left() - 1);  // within the base's extent
    EXPECT_LE(withRuby.right(), base.right() + 1);

    const QRect column = paintedGroup(u"字", Writing::Vertical, false);
    const QRect columnRuby = paintedGroup(u"字《じ》", Writing::Vertical, true);
    EXPECT_GT(columnRuby.right(), column.right() + kEm / 4);  // the ruby on the right
    EXPECT_EQ(columnRuby.left(), column.left());
    EXPECT_GE(columnRuby.top(), column.top() - 1);
    EXPECT_LE(columnRuby.bottom(), column.bottom() + 1);
    // The ruby fits in the pitch between columns.
    Laid l(u"字", 10, Writing::Vertical);
    EXPECT_LE(columnRuby.right() - columnRuby.left() + 1, l.layout.linePitch());
}

TEST(RubyLayout, NeighbouringRubyDoesNotOverlap) {
    for (Writing writing : {Writing::Horizontal, Writing::Vertical}) {
        // Each group is as long as its ruby, so two long ruby side by side stay apart.
        const QRect one = paintedGroup(u"字《かんじ》", writing, true);
        const QRect two = paintedGroup(u"字《かんじ》字《かんじ》", writing, true);
        if (writing == Writing::Horizontal)
            EXPECT_GE(two.width(), 2 * one.width());
        else
            EXPECT_GE(two.height(), 2 * one.height());
    }
}

TEST(RubyLayout, RubyReachesNoFurtherThanItsLine) {
    // Ruby reaching over the kana beside its base is held back at the start and the end of
    // a line, where that kana stands on another line.
    const struct {
        std::u16string text;
        std::size_t line;
    } cases[] = {
        {u"あいう字《かんじ》え", 1},  // the group starts the second line
        {u"あい字《かんじ》えお", 0},  // the group ends the first
    };
    for (Writing writing : {Writing::Horizontal, Writing::Vertical})
        for (const auto& c : cases) {
            const QRect box = paintedGroup(c.text, writing, true, c.line, 3);
            const int start = writing == Writing::Horizontal ? box.left() - 40 : box.top() - 40;
            const int end = writing == Writing::Horizontal ? box.right() - 40 : box.bottom() - 40;
            EXPECT_GE(start, 0) << sjis(c.text);
            EXPECT_LT(end, 3 * kEm) << sjis(c.text);
        }
}

}  // namespace

TEST(RubyLayout, OnPagesAGroupIsAsLongAsItsBaseAndItsRubyOverhangsClearOfItsNeighbours) {
    // Where each ruby starts along a line of 6 em, in em: centred on its base, reaching over
    // the cells beside it; moved only to stay clear of the ruby before and within the line.
    const struct {
        std::u16string text;
        std::string cells;
        std::string rubyStarts;
    } cases[] = {
        {u"あ字《じじ》あ", "1.00 +1.00 1.00 ", "1.00 "},
        {u"あ字《じじじじ》あ", "1.00 +1.00 1.00 ", "0.50 "},
        {u"字《じじじじ》字《じじじじ》", "+1.00 +1.00 ", "0.00 2.00 "},
        {u"あああ字《じじ》字《じじじじじじ》", "1.00 1.00 1.00 +1.00 +1.00 ", "2.00 3.00 "},
        {u"《《強調》》あ", "+2.00 1.00 ", ""},
    };
    for (const Writing w : {Writing::Horizontal, Writing::Vertical}) {
        const QFont font = ipaGothic(kEm);
        const Typesetter main(font, w);
        RubyLayout::Options options;
        options.baseCells = true;
        options.lineLength = 6 * kEm;
        RubyLayout ruby(font, w, main, options);
        for (const auto& c : cases) {
            const std::string text = sjis(c.text);
            std::vector<Cell> cells;
            main.cells(text, cells);
            ruby.fold(text, 0, static_cast<std::size_t>(-1), 0, options.lineLength, cells);
            std::string laid;
            for (const Cell& cell : cells)
                laid += (RubyLayout::isGroup(cell) ? "+" : "") + std::to_string(cell.advance / kEm).substr(0, 4) + " ";
            EXPECT_EQ(laid, c.cells) << text;
            std::string starts;
            ruby.pieces(main, text, cells, 0, cells.size(), QPointF(100, 100), [&](const RubyLayout::Piece& p) {
                if (p.kind != RubyLayout::Piece::Kind::Ruby) return;
                const double u = (w == Writing::Horizontal ? p.origin.x() : p.origin.y()) - 100;
                starts += std::to_string(u / kEm).substr(0, 4) + " ";
            });
            EXPECT_EQ(starts, c.rubyStarts) << text << (w == Writing::Horizontal ? " horizontal" : " vertical");
        }
    }
}
