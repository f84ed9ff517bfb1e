// Setting one paragraph of CP932 text in one font, in horizontal or vertical writing.
//
// The code page holds no combining marks and no complex scripts, so a paragraph is a row
// of cells, one per character (or one per pair of ASCII digits, or of ！ and ？, standing
// side by side in a vertical column), each with an advance along the inline axis taken from a per-font glyph
// cache filled once per distinct character. Wrapping reads only advances; shaping never
// runs per keystroke.
//
// Axes: the inline axis runs along a line (left to right in horizontal writing, top to
// bottom in vertical writing); the block axis runs from line to line (top to bottom in
// horizontal writing, right to left in vertical writing). The edit control maps them to
// the screen; everything here is measured in inline/block units (pixels).
#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "text/stand_ins.h"

class QPainter;
class QRawFont;
struct hb_face_t;

namespace verlo::typeset {

enum class Writing { Horizontal, Vertical };

struct Cell {
    std::uint32_t offset = 0;  // byte offset of the cell's first character in the paragraph
    std::uint32_t length = 0;  // bytes covered (1 to 4: a character, or two digits or ！？ in one cell)
    float advance = 0;         // extent along the inline axis, pixels
};

class Typesetter {
public:
    // standIns: the document's table (user-defined-area codes are drawn as what they stand for).
    Typesetter(const QFont& font, Writing writing, const text::StandIns* standIns = nullptr);
    // The document's table was replaced.
    void forgetStandIns();
    ~Typesetter();
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    Writing writing() const;
    const QFont& font() const;

    // Pitch from one line to the next along the block axis (line height in horizontal
    // writing, column width in vertical writing), whole pixels.
    int linePitch() const;
    // Inline advance of a full-width character, whole pixels: the advance of "１" (or "一"), one em
    // in both directions (Japanese is set solid). What the window-fitting commands measure.
    int fullWidthAdvance() const;

    // The cells of a paragraph (its bytes without the line break), appended to out after
    // clearing it. Fast: cached per distinct character.
    void cells(std::string_view paragraph, std::vector<Cell>& out) const;

    // Where each laid-out line of the paragraph starts, as indexes into cells (the first is
    // always 0; an empty paragraph has one line), for lines of at most `width` pixels along
    // the inline axis. Applies the Japanese line-breaking rules (no 、。」』）ー or small
    // kana at a line start, no 「『（ at a line end) and wraps Latin words at spaces when the
    // word fits on a line. A line always holds at least one cell.
    void wrap(std::string_view paragraph, const std::vector<Cell>& cells, float width,
              std::vector<std::uint32_t>& lineStarts) const;

    // Paints cells [first, last) of a paragraph as one line. lineOrigin is the corner of
    // the line's box where the inline and block axes start on the screen: its top-left in
    // horizontal writing, its top-right in vertical writing (the column extends linePitch()
    // to the left of it). Bytes that are not valid text show as a visible replacement mark.
    void paintLine(QPainter& painter, std::string_view paragraph, const std::vector<Cell>& cells,
                   std::size_t first, std::size_t last, QPointF lineOrigin, const QColor& color) const;

    // One glyph of a line as paintLine draws it, for drawing the line elsewhere than on a
    // QPainter (a page of a PDF file).
    struct PlacedGlyph {
        int face = 0;              // which of the typesetter's faces draws it (faceFont())
        std::uint16_t glyph = 0;
        QPointF origin;            // where the glyph's horizontal origin (on its baseline) goes
        bool turned = false;       // drawn turned 90° clockwise about its origin
        std::uint32_t cell = 0;    // index of the cell it draws
    };
    // The mark of bytes that are not text (or of a control character), as paintLine draws
    // it: the box it is centred in, and the cell.
    struct PlacedMark {
        QRectF box;
        std::uint32_t cell = 0;
    };
    // The glyphs of cells [first, last) placed as paintLine places them from lineOrigin,
    // appended to out in the order of the cells. Cells that draw no glyph (a tab, a mark
    // for bytes that are not text) add nothing. When rules is given, the continuous rules
    // paintLine draws over runs of ― or ─ are appended to it; when marks is given, the
    // marks of the line.
    void placeLine(std::string_view paragraph, const std::vector<Cell>& cells, std::size_t first,
                   std::size_t last, QPointF lineOrigin, std::vector<PlacedGlyph>& out,
                   std::vector<QRectF>* rules = nullptr, std::vector<PlacedMark>* marks = nullptr) const;
    // The faces the glyphs come from: the font asked for and its fallbacks, as raw fonts and
    // as HarfBuzz faces over their tables.
    const QRawFont& faceFont(int face) const;
    hb_face_t* faceTables(int face) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace verlo::typeset
