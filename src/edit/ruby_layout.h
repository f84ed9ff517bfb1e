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
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <memory>
#include <string_view>
#include <vector>

#include "edit/typesetter.h"
#include "text/ruby_notation.h"

namespace verlo::edit {

class RubyLayout {
public:
    RubyLayout(const QFont& font, Writing writing, const Typesetter& main);
    ~RubyLayout();

    // A cell that holds a whole group (a character or a pair of digits is at most 4 bytes,
    // a group at least 6).
    static bool isGroup(const Cell& cell) { return cell.length > 4; }

    // Room added between lines (columns) so the ruby fits, and where the text moves in its
    // line box to leave that room on the ruby's side.
    int extraPitch() const { return extra_; }
    QPointF textShift() const;

    // Folds the groups of a paragraph (its cells from the main typesetter) into one cell
    // each, except the ones that [rawFrom, rawTo] (document positions) touches and the ones
    // longer than width. paraStart is the paragraph's document position.
    void fold(std::string_view paragraph, std::size_t paraStart, std::size_t rawFrom, std::size_t rawTo, float width,
              std::vector<Cell>& cells);

    // True when a group of the paragraph is touched by one range and not by the other, so
    // that moving the raw range from one to the other changes how it is laid out.
    bool rawDiffers(std::string_view paragraph, std::size_t paraStart, std::size_t fromA, std::size_t toA,
                    std::size_t fromB, std::size_t toB);

    // Paints cells [first, last) as Typesetter::paintLine does, drawing the group cells.
    void paintLine(QPainter& painter, const Typesetter& main, std::string_view paragraph,
                   const std::vector<Cell>& cells, std::size_t first, std::size_t last, QPointF lineOrigin,
                   const QColor& color);

private:
    void paintGroup(QPainter& painter, const Typesetter& main, std::string_view group, float cellAdvance,
                    QPointF at, const QColor& color);
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
    int extra_ = 0;
    std::vector<text::ruby::Group> groups_;
    std::vector<Cell> scratch_;
};

}  // namespace verlo::edit
