// Pages on paper: each page painted by the page typesetter on a QPainter (the printer's),
// the same lines, grid and page numbers as the PDF file.
#pragma once

#include <QFont>
#include <QString>
#include <optional>
#include <string_view>

#include "print/page_layout.h"
#include "print/page_setup.h"

class QPainter;
class QPrinter;

namespace verlo::print {

// Paints one page; the painter's units are points from the page's top left.
void paintPage(QPainter& painter, const PageTypesetting& typesetting, const Page& page);

// Prints `text` (CP932 bytes) on the printer as set up, the pages in the printer's page
// range when it has one; ruby: groups of the ruby notation set as base and ruby. Returns
// the message to show when it could not.
std::optional<QString> printText(QPrinter& printer, const PageSetup& setup, const QFont& editorFont,
                                 const QString& title, std::string_view text,
                                 const text::StandIns* standIns = nullptr, bool ruby = false);

// The printer's paper, orientation and margins set to what the setup asks for.
void preparePrinter(QPrinter& printer, const PageSetup& setup, const QString& title);

}  // namespace verlo::print
