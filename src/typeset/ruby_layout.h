// Ruby and emphasis drawn from their notation (text/ruby_notation.h) while the layout shows
// them. A group that is drawn becomes one cell: its base at full size, the ruby at half size
// above the line (horizontal writing) or to the right of the column (vertical writing), the
// marks and the ruby taking no room along the line. The cell is as long as the base, or as
// the ruby when that is longer (the base is then centred under it), so ruby overhangs its
// base evenly and never reaches the ruby of a neighbour; between two kana without ruby the
// longer ruby may reach over each of them by half a ruby character, and the cell is that
// much shorter. A group stays as written (one cell
// per character, as any text) when the caret or the selection touches it, so it can be
// edited, and when it would not fit on one line, so a base longer than a line still wraps.
//
// Pages set groups differently (Options): a group there is exactly as long as its base, so a
// line holds its chosen number of characters, and ruby longer than its base overhangs it
// evenly, moved along only as far as it must to stay clear of the neighbouring ruby and
// within the line.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QRectF>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "text/ruby_notation.h"
#include "typeset/typesetter.h"

namespace verlo::typeset {

class RubyLayout {
public:
    struct Options {
        int rubyPixels = 0;        // the ruby's em; 0: half the text's
        float gap = 1;             // between the text's em box and the ruby's, pixels
        bool baseCells = false;    // a group is as long as its base; its ruby overhangs it
        float lineLength = 0;      // when above 0, ruby stays within [0, lineLength] along the line
        const text::StandIns* standIns = nullptr;  // the document's table, for the ruby's characters
    };
    RubyLayout(const QFont& font, Writing writing, const Typesetter& main);
    RubyLayout(const QFont& font, Writing writing, const Typesetter& main, const Options& options);
    ~RubyLayout();

    // A cell that holds a whole group (a character or a pair of digits is at most 4 bytes,
    // a group at least 6).
    static bool isGroup(const Cell& cell) { return cell.length > 4; }

    // Room added between lines (columns) so the ruby fits, and where the text moves in its
    // line box to leave that room on the ruby's side.
    int extraPitch() const { return extra_; }
    QPointF textShift() const;
    // How far the ruby and the dots may draw beyond their line's box, into the line before
    // (above it, or right of the column), pixels.
    int beyondLine() const { return beyond_; }

    // Folds the groups of a paragraph (its cells from the main typesetter) into one cell
    // each, except the ones that [rawFrom, rawTo] (document positions) touches and the ones
    // longer than width. paraStart is the paragraph's document position.
    void fold(std::string_view paragraph, std::size_t paraStart, std::size_t rawFrom, std::size_t rawTo, float width,
              std::vector<Cell>& cells);

    // True when a group of the paragraph is touched by one range and not by the other, so
    // that moving the raw range from one to the other changes how it is laid out.
    bool rawDiffers(std::string_view paragraph, std::size_t paraStart, std::size_t fromA, std::size_t toA,
                    std::size_t fromB, std::size_t toB);

    // Where a change of [from, to] (offsets into the paragraph) may begin to change how it
    // is drawn: the start of the first group that it touches or that ends at or after from
    // (a group is one cell however long, and that cell depends on the character after it),
    // or from.
    std::size_t changeReach(std::string_view paragraph, std::size_t from, std::size_t to);

    // Paints cells [first, last) as Typesetter::paintLine does, drawing the group cells.
    // They are drawn as a line: on the screen, ruby that reaches over its neighbours reaches
    // no further than the first and the last cell (the kana is on another line).
    void paintLine(QPainter& painter, const Typesetter& main, std::string_view paragraph,
                   const std::vector<Cell>& cells, std::size_t first, std::size_t last, QPointF lineOrigin,
                   const QColor& color);

    // What cells [first, last) of a line are drawn as, in reading order: runs of plain cells
    // and group bases (set by `main`), the ruby of each group (set by ruby()) and the
    // emphasis dots, one box per dotted character (the dot centred in it, in dotFont()).
    // `text`, `cells` and `origin` are what the piece's typesetter paints or places.
    struct Piece {
        enum class Kind { Text, Base, Ruby, Dot } kind = Kind::Text;
        const Typesetter* setter = nullptr;
        std::string_view text;
        const std::vector<Cell>* cells = nullptr;
        std::size_t first = 0;
        std::size_t last = 0;
        QPointF origin;
        QRectF box;  // Dot
    };
    void pieces(const Typesetter& main, std::string_view paragraph, const std::vector<Cell>& cells, std::size_t first,
                std::size_t last, QPointF lineOrigin, const std::function<void(const Piece&)>& take);
    const Typesetter& ruby() const { return rubySetter_; }
    const QFont& dotFont() const { return small_; }
    // The emphasis dot's character.
    static constexpr char16_t kDot = u'\uFE45';

private:
    QPointF along(QPointF p, float u) const;

    Writing writing_;
    int mainPitch_;
    float em_;
    float emAscent_;   // baseline to the top of the ideographic em box (horizontal writing)
    float baseline_;   // from the top of a line box to the baseline
    QFont small_;
    QFontMetricsF smallMetrics_;
    float smallEm_;
    Typesetter rubySetter_;
    Options options_;
    int extra_ = 0;
    int beyond_ = 0;
    std::vector<text::ruby::Group> groups_;
    std::vector<Cell> scratch_;
    std::vector<Cell> rubyScratch_;
    struct Placed;  // a group of the line being drawn
    std::vector<Placed> placed_;
};

}  // namespace verlo::typeset
