#include "edit/caret_color.h"

#include <algorithm>
#include <cmath>

namespace verlo::edit {

namespace {

// A caret two pixels wide still stands out at this contrast (as thin graphics need).
constexpr double kEnough = 3.0;

double luminance(const QColor& c) {
    auto channel = [](float v) {
        const double x = v;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor caretColor(const QPalette& palette, const QColor& background, const QColor& text) {
    const QColor themed = palette.color(QPalette::Active, QPalette::Text);
    if (contrastRatio(themed, background) >= kEnough) return themed;
    if (contrastRatio(text, background) >= kEnough) return text;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

}  // namespace verlo::edit
