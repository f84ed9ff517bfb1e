#include "print/page_printer.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace verlo::print {

void paintPage(QPainter& painter, const PageTypesetting& t, const Page& page) {
    painter.save();
    if (t.setup().grid) {
        painter.setPen(QPen(QColor(153, 199, 153), 0.5));
        painter.setBrush(Qt::NoBrush);
        for (int j = 0; j < t.setup().lines; ++j)
            for (int k = 0; k < t.setup().chars; ++k) painter.drawRect(t.cellBox(j, k));
    }
    painter.scale(1 / kPixelsPerPoint, 1 / kPixelsPerPoint);
    for (std::size_t j = 0; j < page.lines.size(); ++j) {
        const PageLine& l = page.lines[j];
        const QPointF origin = t.lineOrigin(static_cast<int>(j));
        if (typeset::RubyLayout* ruby = t.ruby())
            ruby->paintLine(painter, t.text(), l.paragraph->bytes, l.paragraph->cells, l.first, l.last, origin, Qt::black);
        else
            t.text().paintLine(painter, l.paragraph->bytes, l.paragraph->cells, l.first, l.last, origin, Qt::black);
    }
    if (const auto number = t.numberLine(page.number))
        t.numbers().paintLine(painter, number->bytes, number->cells, 0, number->cells.size(), number->origin, Qt::black);
    painter.restore();
}

void preparePrinter(QPrinter& printer, const PageSetup& setup, const QString& title) {
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(setup.paper),
                                      setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    printer.setDocName(title);
}

std::optional<QString> printText(QPrinter& printer, const PageSetup& setup, const QFont& editorFont,
                                 const QString& title, std::string_view text, const text::StandIns* standIns,
                                 bool ruby) {
    const PageTypesetting typesetting(setup, editorFont, standIns, ruby);
    if (typesetting.problem()) return typesetting.problem();
    preparePrinter(printer, setup, title);
    QPainter painter;
    if (!painter.begin(&printer)) return QStringLiteral("印刷を始められません");
    const double scale = printer.resolution() / 72.0;
    const int from = printer.fromPage();
    const int to = printer.toPage();
    bool first = true;
    Paginator paginator(typesetting, [&](const Page& page) {
        if (from > 0 && (page.number < from || page.number > to)) return true;
        if (!first && !printer.newPage()) return false;
        first = false;
        painter.save();
        painter.scale(scale, scale);
        paintPage(painter, typesetting, page);
        painter.restore();
        return true;
    });
    const bool done = paginateText(paginator, typesetting, title, text);
    painter.end();
    if (!done) return QStringLiteral("印刷できませんでした");
    return std::nullopt;
}

}  // namespace verlo::print
