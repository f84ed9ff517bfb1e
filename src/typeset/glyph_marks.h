// The visible mark of bytes that are not text (and of control characters): a thin box
// holding the bytes in hexadecimal, upright in either writing direction, so the bytes
// can be seen, selected and deleted while the document keeps them unchanged.
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <string_view>

class QPainter;

namespace verlo::typeset {

class GlyphMarks {
public:
    explicit GlyphMarks(const QFont& textFont);

    // Paints the mark of `bytes` (one or two) centred in `cell`.
    void paint(QPainter& painter, std::string_view bytes, const QRectF& cell, const QColor& color) const;

    // The text inside the mark: two hexadecimal digits per byte, one byte per row.
    static QString label(std::string_view bytes);

private:
    QFont font_;
};

}  // namespace verlo::typeset
