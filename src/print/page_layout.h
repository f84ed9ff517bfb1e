// Setting a text on pages: where the block of characters stands on the paper, the
// typesetters that set its lines and the page numbers (the editor's own, at a fine pixel
// size), and the paginator that cuts paragraphs into lines and lines into pages, handing
// each page on as soon as it is full so that no more than one page is ever held.
#pragma once

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "print/page_setup.h"
#include "typeset/ruby_layout.h"
#include "typeset/typesetter.h"

namespace verlo::print {

// Pages are set in pixels of this many to the point, so that whole-pixel advances stay
// exact to a tenth of a point; page coordinates are points, y downwards.
inline constexpr double kPixelsPerPoint = 10;

// The family the pages are set in: the setup's, or the editor's font's.
QString pageFontFamily(const PageSetup& setup, const QFont& editorFont);
// The face the system gives for it, as a font dialog would name it (what a PDF embeds).
QString pageFontFace(const PageSetup& setup, const QFont& editorFont);

// A document's name as its pages' title shows it: the file's name without its extension,
// 無題 for an untitled text.
QString documentTitle(const QString& path);

class PageTypesetting {
public:
    // editorFont gives the family when the setup names none; standIns is the document's
    // table of what its user-defined-area codes stand for (none: they are what they are);
    // with ruby, groups of the ruby notation are set as base and ruby (typeset/ruby_layout.h),
    // otherwise as written.
    PageTypesetting(const PageSetup& setup, const QFont& editorFont, const text::StandIns* standIns = nullptr,
                    bool ruby = false);
    ~PageTypesetting();

    // Why the setup leaves no room for its text (margins wider than the paper ...), or nothing.
    const std::optional<QString>& problem() const { return problem_; }

    const PageSetup& setup() const { return setup_; }
    QSizeF pageSize() const { return page_; }        // points
    QRectF block() const { return block_; }           // the chars × lines block, points
    double cell() const { return cell_; }             // a full-width cell along the line, points
    double pitch() const { return pitch_; }           // from one line to the next, points
    double fontPoints() const;                        // the text's em, points

    const typeset::Typesetter& text() const { return *text_; }
    const text::StandIns* standIns() const { return standIns_; }
    const typeset::Typesetter& numbers() const { return *numbers_; }
    // The ruby of the text, set in the room between its lines; null without ruby.
    typeset::RubyLayout* ruby() const { return ruby_.get(); }
    // The width lines wrap at, pixels: exactly setup().chars full-width cells.
    float lineWidth() const;
    // Where line `line` of a page (0 first) starts, as Typesetter::paintLine wants it, pixels.
    QPointF lineOrigin(int line) const;
    // The grid cell of character k of line `line`, points.
    QRectF cellBox(int line, int k) const;
    // Where a page number of the given width (pixels) starts, as paintLine wants it,
    // pixels; nothing when the setup draws no numbers.
    std::optional<QPointF> numberOrigin(int pageNumber, float width) const;

    // The page number of a page as the numbers typesetter sets it, and where it goes;
    // nothing when the setup draws no numbers.
    struct NumberLine {
        std::string bytes;
        std::vector<typeset::Cell> cells;
        QPointF origin;  // pixels
    };
    std::optional<NumberLine> numberLine(int pageNumber) const;

private:
    std::unique_ptr<typeset::RubyLayout> rubyLayout() const;

    PageSetup setup_;
    std::optional<QString> problem_;
    QSizeF page_;
    QRectF area_;
    QRectF block_;
    double cell_ = 0;
    double pitch_ = 0;
    std::unique_ptr<typeset::Typesetter> text_;
    std::unique_ptr<typeset::Typesetter> numbers_;
    std::unique_ptr<typeset::RubyLayout> ruby_;
    const text::StandIns* standIns_ = nullptr;
};

struct PageParagraph {
    std::string bytes;  // without its line break
    std::vector<typeset::Cell> cells;
};

struct PageLine {
    std::shared_ptr<const PageParagraph> paragraph;
    std::uint32_t first = 0;  // cells [first, last) of the paragraph
    std::uint32_t last = 0;
};

struct Page {
    int number = 1;
    std::vector<PageLine> lines;  // at most setup().lines
};

// Receives each page as it is finished; false stops the run (a write failed).
using PageSink = std::function<bool(const Page&)>;

class Paginator {
public:
    Paginator(const PageTypesetting& typesetting, PageSink sink);

    // One paragraph (its bytes without the line break). False once the sink has stopped.
    bool add(std::string_view paragraph);
    // Hands on the last page (an empty text still makes one page). False when the sink stopped.
    bool finish();
    int pages() const { return number_ - (page_.lines.empty() ? 1 : 0); }

private:
    bool flush();

    const PageTypesetting& typesetting_;
    PageSink sink_;
    Page page_;
    int number_ = 1;
    bool stopped_ = false;
    std::vector<std::uint32_t> starts_;
};

// The lines that open the first page when the setup asks for them: the title (the
// document's name), the author set to the end of the line, and an empty line.
std::vector<std::string> titleParagraphs(const PageTypesetting& typesetting, const QString& title);

// Feeds every paragraph of a text (lines ended by CR LF, CR or LF; a final line break
// opens no further paragraph) to the paginator, after the title lines. False when stopped.
bool paginateText(Paginator& paginator, const PageTypesetting& typesetting, const QString& title,
                  std::string_view text);

}  // namespace verlo::print
