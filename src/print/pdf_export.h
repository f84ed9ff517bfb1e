// A text set on pages and written as a PDF file: every glyph where the page typesetter puts
// it, as text in the file's fonts, in reading order; the manuscript grid as thin lines.
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QString>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "print/page_layout.h"
#include "print/page_setup.h"

namespace verlo::print {

class PdfFile;

// Writes the pages of one typesetting into a PDF file, one page at a time.
class PdfPages {
public:
    PdfPages(PdfFile& file, const PageTypesetting& typesetting);
    bool write(const Page& page);

private:
    void grid();
    // A line's glyphs as text; hidden: readers take no text from them (the ruby, which
    // would break the text it stands beside).
    void line(const typeset::Typesetter& typesetter, std::string_view paragraph, const std::vector<typeset::Cell>& cells,
              std::size_t first, std::size_t last, QPointF origin, bool hidden = false);
    // A line holding groups of the ruby notation: bases and ruby as text, the emphasis dots
    // kept for dots().
    void rubyLine(typeset::RubyLayout& ruby, std::string_view paragraph, const std::vector<typeset::Cell>& cells,
                  std::size_t first, std::size_t last, QPointF origin);
    // The emphasis dots of the page, as outlines (outside the text object).
    void dots();
    // A glyph's outline at pen (pixels), scaled, as a filled path.
    void outline(const QPainterPath& path, QPointF pen, double scale);
    int fontOf(const typeset::Typesetter& typesetter, int face);
    // The marks of bytes that are not text, as the screen shows them: a thin box around the
    // bytes in hexadecimal, drawn as outlines (outside the text object).
    void marks(const typeset::Typesetter& typesetter, std::string_view paragraph, const std::vector<typeset::Cell>& cells);

    PdfFile& file_;
    const PageTypesetting& typesetting_;
    std::map<std::pair<const typeset::Typesetter*, int>, int> fonts_;
    std::vector<typeset::Typesetter::PlacedGlyph> glyphs_;
    std::vector<QRectF> rules_;
    std::vector<typeset::Typesetter::PlacedMark> marks_;
    std::vector<QRectF> dots_;
    // The font, writing mode and size selected last in the page's text object.
    struct Selection {
        int font = -1;
        bool vertical = false;
        double size = 0;
        bool operator==(const Selection&) const = default;
    };
    Selection selected_;
};

struct ExportResult {
    int pages = 0;
    std::optional<QString> error;  // the message to show when it failed
};

// Sets `text` (CP932 bytes, lines ended by CR LF, CR or LF) on pages and writes them to a
// PDF file at path; title is the document's name (the file's title, and the title line
// when the setup asks for one).
// standIns: the document's table of what its user-defined-area codes stand for; ruby:
// groups of the ruby notation set as base and ruby.
ExportResult exportPdf(const QString& path, const PageSetup& setup, const QFont& editorFont, const QString& title,
                       std::string_view text, const text::StandIns* standIns = nullptr, bool ruby = false);

}  // namespace verlo::print
