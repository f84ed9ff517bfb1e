// How a document is set on pages: paper, direction, characters per line and lines per page,
// font, margins, page numbers, the title lines and the manuscript grid; the usual contest
// formats as presets; and the one-line text the settings file keeps it as.
#pragma once

#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

namespace verlo::print {

enum class NumberPlace { None, BottomCentre, BottomOutside, TopOutside };

struct PageSetup {
    QPageSize::PageSizeId paper = QPageSize::A4;
    bool landscape = true;
    bool vertical = true;
    int chars = 40;           // characters per line (per column in vertical writing)
    int lines = 30;           // lines (columns) per page
    QString fontFamily;       // empty: the editor's font
    double fontSize = 0;      // points; 0: as large as the line and the page allow
    double marginTop = 20;    // millimetres
    double marginBottom = 20;
    double marginLeft = 25;
    double marginRight = 25;
    NumberPlace numbers = NumberPlace::BottomCentre;
    QString numberFormat = QStringLiteral("- # -");  // "#" stands for the page number
    bool titleLines = false;  // the document's name and the author on the first lines
    QString author;
    bool grid = false;        // manuscript paper: every character in a cell of a light grid
    bool hang = true;         // a 、 or 。 that would begin a line hangs below the line before

    bool operator==(const PageSetup&) const = default;
    // The paper's size in points, turned for landscape.
    QSizeF paperPoints() const;
};

// The papers offered, in the order the page setup dialog lists them.
struct Paper {
    QPageSize::PageSizeId id;
    const char* name;  // as the text form and the dialog write it
};
const std::vector<Paper>& papers();

struct Preset {
    QString name;       // as the dialog lists it
    QString format;     // as --format names it ("40x30")
    PageSetup setup;
};
const std::vector<Preset>& presets();

// The text form kept in the settings file: "key:value" pairs separated by blanks, the
// values percent-encoded where they hold anything but letters, digits and "-/()" (so the
// settings file keeps the text as it is, with no quotes). Keys it does not know, and values that
// are not valid, leave the defaults; missing keys too, so older texts keep working.
QString toText(const PageSetup& setup);
PageSetup fromText(const QString& text);

// A --format value: the name of a preset ("40x30", "20x20", ...), which gives the whole
// preset, or "NxM", which sets only the characters and lines of `base`. Nothing for text
// that is neither.
std::optional<PageSetup> applyFormat(const PageSetup& base, const QString& format);

// The page number as the format writes it.
QString pageNumberText(const QString& format, int number);

// Limits the dialog and the text form keep to.
inline constexpr int kMaxChars = 200;
inline constexpr int kMaxLines = 200;

}  // namespace verlo::print
