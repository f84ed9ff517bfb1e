// The input method's pre-edit text laid out at the caret: it runs along the caret's line
// from the caret and goes on at the start of the following lines when it does not fit, as
// an overlay over the text (it never enters the document). Characters of the code page are
// set by the typesetter like the text; a pre-edit holding others is drawn with the font.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string>
#include <vector>

#include "edit/typesetter.h"

class QPainter;

namespace verlo::edit {

struct ViewGeometry;

class PreeditLayout {
public:
    PreeditLayout(const QString& text, const Typesetter& typesetter, const QFont& font);

    // Places the text from inline offset startU of line rel (counted from the first line
    // shown) in lines of `wrap` pixels.
    void place(double rel, double startU, double wrap);

    struct Segment {
        double rel = 0;
        double u0 = 0;
        double u1 = 0;
    };
    const std::vector<Segment>& segments() const { return segments_; }

    struct Spot {
        double rel = 0;
        double u = 0;
    };
    // Where the character at UTF-16 index i starts (the end of the text for i == size),
    // and where it ends.
    Spot spotOf(int i) const;
    Spot spotAfter(int i) const;

    // colors holds one colour per UTF-16 unit.
    void paint(QPainter& p, const ViewGeometry& geo, const std::vector<QColor>& colors) const;

private:
    struct Piece {  // used when the text holds characters outside the code page
        QString text;
        double advance = 0;
        bool wide = false;
    };
    std::size_t cellCount() const { return coded_ ? cells_.size() : pieces_.size(); }
    double advance(std::size_t cell) const;
    std::size_t cellOfUnit(int i) const;

    QString text_;
    const Typesetter& typesetter_;
    QFont font_;
    bool coded_ = true;
    std::string bytes_;
    std::vector<Cell> cells_;
    std::vector<Piece> pieces_;
    std::vector<std::size_t> unitCell_;  // cell of each UTF-16 unit
    std::vector<Spot> spots_;            // where each cell starts
    std::vector<Segment> segments_;
    Spot start_;
};

}  // namespace verlo::edit
