#include "typeset/glyph_marks.h"

#include <QFontInfo>
#include <QPainter>
#include <algorithm>

namespace verlo::typeset {

GlyphMarks::GlyphMarks(const QFont& textFont) : font_(textFont) {
    font_.setUnderline(false);
    font_.setStrikeOut(false);
    font_.setItalic(false);
    font_.setFamilies({QStringLiteral("monospace")});
    font_.setPixelSize(std::max(5, QFontInfo(textFont).pixelSize() * 2 / 5));
}

QString GlyphMarks::label(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    QString text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (i) text += QLatin1Char('\n');
        text += QLatin1Char(kHex[b >> 4]);
        text += QLatin1Char(kHex[b & 15]);
    }
    return text;
}

void GlyphMarks::paint(QPainter& painter, std::string_view bytes, const QRectF& cell, const QColor& color) const {
    const QRectF box = cell.adjusted(1.5, 1.5, -1.5, -1.5);
    if (box.width() <= 0 || box.height() <= 0) return;
    painter.save();
    QPen pen(color);
    pen.setWidthF(1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    painter.setFont(font_);
    painter.drawText(box, Qt::AlignCenter, label(bytes));
    painter.restore();
}

}  // namespace verlo::typeset
