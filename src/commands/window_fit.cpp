#include "commands/window_fit.h"

#include <QFontMetrics>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace verlo::commands {

namespace {

constexpr Qt::WindowStates kNotNormal = Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;

// A window is never made larger than the desktop it is on (as the window system would
// refuse anyway), nor smaller than nothing.
int boundedExtent(long long extent, int desktopExtent) {
    return static_cast<int>(std::clamp<long long>(extent, 0, desktopExtent));
}

}  // namespace

WindowFit::WindowFit(QWidget& window, edit::EditControl& memo2, const settings::Settings& settings,
                     std::function<QRect()> normalGeometry)
    : window_(window), memo2_(memo2), settings_(settings), normalGeometry_(std::move(normalGeometry)) {
    client().setMinimumSize(kMargin, kMargin);
}

int WindowFit::clientExtent(int measure, std::int32_t count) {
    const long long extent = static_cast<long long>(measure) * count + kMargin;
    return static_cast<int>(std::clamp<long long>(extent, kMargin, QWIDGETSIZE_MAX));
}

int WindowFit::lineMeasure(const QFont& font) {
    return QFontMetrics(font).horizontalAdvance(QStringLiteral("１"));
}

int WindowFit::columnMeasure(const QFont& font) {
    return QFontMetrics(font).horizontalAdvance(QStringLiteral("０"));
}

void WindowFit::fitWidth() { fit(Qt::Horizontal); }

void WindowFit::fitHeight() { fit(Qt::Vertical); }

QWidget& WindowFit::client() const {
    if (auto* main = qobject_cast<QMainWindow*>(&window_); main && main->centralWidget())
        return *main->centralWidget();
    return memo2_;
}

void WindowFit::fit(Qt::Orientation along) {
    // A hidden window has not laid its children out since its last resize.
    if (!window_.isVisible() && window_.layout()) {
        window_.layout()->invalidate();
        window_.layout()->activate();
    }
    // What the window adds to its client (the menu bar) is the same in every state.
    const QSize overhead = window_.size() - client().size();

    // The restored geometry arrives from the window system later; take the bounds the
    // window will return to now.
    const Qt::WindowStates state = window_.windowState();
    QRect normal = window_.geometry();
    if (state & kNotNormal) {
        normal = normalGeometry_();
        window_.showNormal();
    }

    const QFont font = memo2_.textFont();
    const QSize desktop = window_.screen() ? window_.screen()->virtualSize() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QSize size = normal.size();
    if (along == Qt::Horizontal) {
        const long long width = static_cast<long long>(clientExtent(lineMeasure(font), settings_.Gyou)) + overhead.width();
        size.setWidth(boundedExtent(width, desktop.width()));
    } else {
        const long long height = static_cast<long long>(clientExtent(columnMeasure(font), settings_.Retsu)) + overhead.height();
        size.setHeight(boundedExtent(height, desktop.height()));
    }

    if (state & kNotNormal)
        window_.setGeometry(QRect(normal.topLeft(), size));
    else
        window_.resize(size);
}

}  // namespace verlo::commands
