// The input method's pre-edit text laid out at the caret: it runs along the caret's line
// from the caret and goes on at the start of the following lines when it does not fit, as
// an overlay over the text (it never enters the document). Characters of the code page are
// set by the typesetter like the text; a pre-edit holding others is drawn with the font.
#pragma once

#include <QColor>
#include <QFont>
#include <QInputMethodEvent>
#include <QList>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "typeset/typesetter.h"

class QPainter;

namespace verlo::edit {

struct ViewGeometry;

class PreeditLayout {
public:
    PreeditLayout(const QString& text, const typeset::Typesetter& typesetter, const QFont& font);

    // Places the text from inline offset startU of line rel (counted from the first line
    // shown) in lines of `wrap` pixels.
    void place(double rel, double startU, double wrap);
    // True when all of the text is of the code page; bytes() is then its encoding.
    bool coded() const { return coded_; }
    const std::string& bytes() const { return bytes_; }
    // Places a coded text where a paragraph laid out with its bytes at offset `at` has them:
    // the paragraph's cells and line starts, its first line being line rel0.
    void placeIn(const std::vector<typeset::Cell>& cells, const std::vector<std::uint32_t>& starts, std::size_t at,
                 double rel0);

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

    // A clause of the pre-edit, in UTF-16 units [from, to); the target is the one being converted.
    struct Clause {
        int from = 0;
        int to = 0;
        bool target = false;
    };
    // The clauses of a pre-edit of `length` units from the input method's text formats: where
    // formats begin and end, a clause ends; one shown with a background or in bold is the
    // target. Text that no format covers is a clause too.
    static std::vector<Clause> clauses(const QList<QInputMethodEvent::Attribute>& formats, int length);
    // The clause being worked on: the target, else the one that holds the cursor (the last
    // one when the cursor is at the end). clauses is not empty.
    static Clause current(const std::vector<Clause>& clauses, int cursor);

    // The line under each clause (beside it on the right in vertical writing), one piece per
    // line the clause spans, each clause's line ending `inset` short of its ends so that
    // neighbouring clauses show apart.
    struct Underline {
        double rel = 0;
        double u0 = 0;
        double u1 = 0;
        bool target = false;
    };
    std::vector<Underline> underlines(const std::vector<Clause>& clauses, double inset) const;

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
    void segmentsFromSpots();

    QString text_;
    const typeset::Typesetter& typesetter_;
    QFont font_;
    bool coded_ = true;
    std::string bytes_;
    std::vector<typeset::Cell> cells_;
    std::vector<Piece> pieces_;
    std::vector<std::size_t> unitCell_;  // cell of each UTF-16 unit
    std::vector<Spot> spots_;            // where each cell starts
    std::vector<Segment> segments_;
    Spot start_;
};

}  // namespace verlo::edit
