// A PDF file written as it goes (into a temporary file that replaces the target when
// finished, so a failed run leaves no half file): each page's content is compressed and written when the
// page ends, so a file of any number of pages holds one page in memory. The fonts are
// embedded at the end as subsets of the glyphs used (Type 0 fonts over TrueType outlines
// with CID = glyph index, or over OpenType CFF outlines with the CFF's own CIDs), each with a map from its glyphs back to the characters they draw,
// so that the text can be selected, searched and copied. Upright glyphs of vertical
// writing use the font's vertical writing mode, which readers take as text running down
// the page.
#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "files/replacing_file.h"

class QRawFont;
struct hb_face_t;

namespace verlo::print {

class PdfFile {
public:
    explicit PdfFile(const QString& path);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // Opens the file for writing (replacing it); false when it cannot be created.
    bool open();

    // A font to draw with: the raw font and its tables, which must stay valid until
    // finish(). The same face asked for again (by family and style) gives the same font.
    int addFont(const QRawFont& raw, hb_face_t* tables);
    // Notes that the glyph of a font is drawn, and the character it stands for; gives the
    // code a content stream draws it by (its CID).
    std::uint16_t useGlyph(int font, std::uint16_t glyph, char32_t character);
    // The glyph's advance in thousandths of the em (what the file declares for it).
    int glyphWidth(int font, std::uint16_t glyph);
    // The height of a glyph's origin in the vertical writing mode above its horizontal
    // origin, thousandths of the em (the file's default; it lies half the advance to the right).
    static constexpr int kVerticalOriginY = 880;
    // The resource name a content stream selects the font by: horizontal or vertical mode.
    QByteArray fontName(int font, bool vertical);

    // A page of the given size, points; its content stream in the page's own coordinates
    // (origin at the bottom left, y upwards) is appended to content() until endPage().
    void beginPage(QSizeF size);
    QByteArray& content() { return content_; }
    bool endPage();

    // The fonts, the page tree, the document's title and the cross-reference table. False
    // when anything failed; error() says what.
    bool finish(const QString& title, bool rightToLeft);
    const QString& error() const { return error_; }
    int pageCount() const { return static_cast<int>(pageIds_.size()); }

private:
    struct Font;
    int reserve();
    void startObject(int id);
    void write(const QByteArray& bytes);
    void writeStream(int id, const QByteArray& dictionary, const QByteArray& data, bool compress = true);
    bool writeFont(Font& font);

    files::ReplacingFile file_;  // the file appears whole, or the old one stays
    QString path_;
    std::uint64_t written_ = 0;
    std::vector<std::uint64_t> offsets_{0};  // by object number
    std::vector<int> pageIds_;
    std::vector<std::unique_ptr<Font>> fonts_;
    QByteArray content_;
    QSizeF pageSize_;
    int pagesId_ = 0;
    int resourcesId_ = 0;
    QString error_;
    bool failed_ = false;
};

}  // namespace verlo::print
