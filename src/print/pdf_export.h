// A text set on pages and written as a PDF file: every glyph where the page typesetter puts
// it, as text in the file's fonts, in reading order; the manuscript grid as thin lines.
#pragma once

#include <QFont>
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
    void line(const edit::Typesetter& typesetter, std::string_view paragraph, const std::vector<edit::Cell>& cells,
              std::size_t first, std::size_t last, QPointF origin);
    int fontOf(const edit::Typesetter& typesetter, int face);
    // The marks of bytes that are not text, as the screen shows them: a thin box around the
    // bytes in hexadecimal, drawn as outlines (outside the text object).
    void marks(const edit::Typesetter& typesetter, std::string_view paragraph, const std::vector<edit::Cell>& cells);

    PdfFile& file_;
    const PageTypesetting& typesetting_;
    std::map<std::pair<const edit::Typesetter*, int>, int> fonts_;
    std::vector<edit::Typesetter::PlacedGlyph> glyphs_;
    std::vector<QRectF> rules_;
    std::vector<edit::Typesetter::PlacedMark> marks_;
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
// standIns: the document's table of what its user-defined-area codes stand for.
ExportResult exportPdf(const QString& path, const PageSetup& setup, const QFont& editorFont, const QString& title,
                       std::string_view text, const text::StandIns* standIns = nullptr);

}  // namespace verlo::print
