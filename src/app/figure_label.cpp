#include "app/figure_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace verlo::app {

namespace {

// What a screen reader is told of a figure: static text whose name is the figure.
class FigureAccessible : public QAccessibleWidget {
public:
    explicit FigureAccessible(FigureLabel* figure) : QAccessibleWidget(figure, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const FigureLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* figureAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(FigureLabel::staticMetaObject.className()))
        return new FigureAccessible(static_cast<FigureLabel*>(object));
    return nullptr;
}

}  // namespace

FigureLabel::FigureLabel(QWidget* parent) : QWidget(parent) {
    static const bool installed = (QAccessible::installFactory(figureAccessible), true);
    (void)installed;
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void FigureLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
    if (QAccessible::isActive() && accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

QSize FigureLabel::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QMargins m = contentsMargins();
    return {metrics.horizontalAdvance(text_) + m.left() + m.right(), metrics.height() + m.top() + m.bottom()};
}

void FigureLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), text_,
                          foregroundRole());
}

void FigureLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) updateGeometry();
    QWidget::changeEvent(event);
}

}  // namespace verlo::app
