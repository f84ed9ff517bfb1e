#include "print/pdf_file.h"

#include <hb-subset.h>
#include <hb.h>

#include <QRawFont>
#include <QtEndian>
#include <algorithm>
#include <span>
#include <string_view>

#include "print/cff_charset.h"

namespace verlo::print {

struct PdfFile::Font {
    QRawFont raw;
    hb_face_t* tables = nullptr;
    hb_font_t* metrics = nullptr;
    unsigned upem = 1000;
    QString key;
    int index = 0;
    int horizontalId = 0;  // the Type 0 fonts, reserved when first selected
    int verticalId = 0;
    std::map<std::uint16_t, char32_t> glyphs;  // used glyph -> the character it draws
    std::vector<bool> used = std::vector<bool>(0x10000);  // the glyphs already in `glyphs`
    std::vector<std::int16_t> widths = std::vector<std::int16_t>(0x10000, -1);  // thousandths of the em, -1: not known yet
    bool cff = false;                          // PostScript outlines rather than TrueType
    std::vector<std::uint16_t> cids;           // glyph -> CID of a CID-keyed CFF; empty: the glyph index
    std::uint16_t code(std::uint16_t glyph) const {
        if (cids.empty()) return glyph;
        return glyph < cids.size() ? cids[glyph] : 0;
    }
    ~Font() {
        if (metrics) hb_font_destroy(metrics);
    }
};

namespace {

QByteArray ref(int id) { return QByteArray::number(id) + " 0 R"; }

QByteArray hex4(unsigned v) { return QByteArray::number(v, 16).rightJustified(4, '0').toUpper(); }

// A character as UTF-16 code units in hex (a surrogate pair past the basic plane).
QByteArray utf16Hex(char32_t c) {
    if (c < 0x10000) return hex4(c);
    const char32_t v = c - 0x10000;
    return hex4(0xD800 + (v >> 10)) + hex4(0xDC00 + (v & 0x3FF));
}

// A PDF name made of the letters and digits of text.
QByteArray nameOf(const QString& text) {
    QByteArray out;
    for (const QChar c : text)
        if (c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'-')) out += static_cast<char>(c.unicode());
    return out;
}

// A text string of the document information: UTF-16 with its byte-order mark, in hex.
QByteArray textString(const QString& text) {
    QByteArray out = "<FEFF";
    for (const QChar c : text) out += hex4(c.unicode());
    return out + ">";
}

// The tables of a TrueType font that drawing and embedding it need.
constexpr hb_tag_t kTrueTypeTables[] = {
    HB_TAG('h', 'e', 'a', 'd'), HB_TAG('h', 'h', 'e', 'a'), HB_TAG('h', 'm', 't', 'x'), HB_TAG('m', 'a', 'x', 'p'),
    HB_TAG('l', 'o', 'c', 'a'), HB_TAG('g', 'l', 'y', 'f'), HB_TAG('c', 'm', 'a', 'p'), HB_TAG('n', 'a', 'm', 'e'),
    HB_TAG('O', 'S', '/', '2'), HB_TAG('p', 'o', 's', 't'), HB_TAG('c', 'v', 't', ' '), HB_TAG('f', 'p', 'g', 'm'),
    HB_TAG('p', 'r', 'e', 'p'), HB_TAG('g', 'a', 's', 'p'), HB_TAG('v', 'h', 'e', 'a'), HB_TAG('v', 'm', 't', 'x')};
// The same for a font with PostScript (CFF) outlines.
constexpr hb_tag_t kCffTables[] = {
    HB_TAG('h', 'e', 'a', 'd'), HB_TAG('h', 'h', 'e', 'a'), HB_TAG('h', 'm', 't', 'x'), HB_TAG('m', 'a', 'x', 'p'),
    HB_TAG('C', 'F', 'F', ' '), HB_TAG('c', 'm', 'a', 'p'), HB_TAG('n', 'a', 'm', 'e'), HB_TAG('O', 'S', '/', '2'),
    HB_TAG('p', 'o', 's', 't'), HB_TAG('v', 'h', 'e', 'a'), HB_TAG('v', 'm', 't', 'x'), HB_TAG('V', 'O', 'R', 'G')};

std::int16_t int16At(const QByteArray& table, int offset) {
    if (table.size() < offset + 2) return 0;
    return qFromBigEndian<std::int16_t>(table.constData() + offset);
}

}  // namespace

PdfFile::PdfFile(const QString& path) : file_(path), path_(path) {}
PdfFile::~PdfFile() = default;

bool PdfFile::open() {
    if (!file_.open()) {
        error_ = QStringLiteral("ファイル %1 を作成できません").arg(path_);
        return false;
    }
    write("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
    pagesId_ = reserve();
    resourcesId_ = reserve();
    return true;
}

int PdfFile::reserve() {
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size()) - 1;
}

void PdfFile::write(const QByteArray& bytes) {
    if (failed_) return;
    if (!file_.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        failed_ = true;
        error_ = QStringLiteral("ファイル %1 に書き込めません").arg(path_);
        return;
    }
    written_ += static_cast<std::uint64_t>(bytes.size());
}

void PdfFile::startObject(int id) {
    offsets_[static_cast<std::size_t>(id)] = written_;
    write(QByteArray::number(id) + " 0 obj\n");
}

void PdfFile::writeStream(int id, const QByteArray& dictionary, const QByteArray& data, bool compress) {
    startObject(id);
    QByteArray body = data;
    QByteArray filter;
    if (compress) {
        // qCompress puts the length before the zlib stream. The fastest level: content
        // streams are runs of glyph codes, which it already shrinks about fivefold.
        body = qCompress(data, 1).mid(4);
        filter = " /Filter /FlateDecode";
    }
    write("<<" + dictionary + filter + " /Length " + QByteArray::number(body.size()) + ">>\nstream\n");
    write(body);
    write("\nendstream\nendobj\n");
}

int PdfFile::addFont(const QRawFont& raw, hb_face_t* tables) {
    const QString key = raw.familyName() + u'/' + raw.styleName();
    for (const auto& f : fonts_)
        if (f->key == key) return f->index;
    auto font = std::make_unique<Font>();
    font->raw = raw;
    font->tables = tables;
    font->upem = std::max(1u, hb_face_get_upem(tables));
    font->metrics = hb_font_create(tables);
    font->key = key;
    font->index = static_cast<int>(fonts_.size());
    hb_blob_t* cff = hb_face_reference_table(tables, HB_TAG('C', 'F', 'F', ' '));
    unsigned cffLength = 0;
    const char* cffData = hb_blob_get_data(cff, &cffLength);
    font->cff = cffLength > 0;
    if (font->cff) font->cids = cffGlyphCids(std::string_view(cffData, cffLength));
    hb_blob_destroy(cff);
    fonts_.push_back(std::move(font));
    return fonts_.back()->index;
}

std::uint16_t PdfFile::useGlyph(int font, std::uint16_t glyph, char32_t character) {
    Font& f = *fonts_[static_cast<std::size_t>(font)];
    if (!f.used[glyph]) {
        f.used[glyph] = true;
        f.glyphs.emplace(glyph, character);
    }
    return f.code(glyph);
}

int PdfFile::glyphWidth(int font, std::uint16_t glyph) {
    Font& f = *fonts_[static_cast<std::size_t>(font)];
    std::int16_t& width = f.widths[glyph];
    if (width < 0)
        width = static_cast<std::int16_t>(
            std::clamp<long>(std::lround(hb_font_get_glyph_h_advance(f.metrics, glyph) * 1000.0 / f.upem), 0, 32767));
    return width;
}

QByteArray PdfFile::fontName(int font, bool vertical) {
    Font& f = *fonts_[static_cast<std::size_t>(font)];
    int& id = vertical ? f.verticalId : f.horizontalId;
    if (id == 0) id = reserve();
    return "/F" + QByteArray::number(font) + (vertical ? "V" : "H");
}

void PdfFile::beginPage(QSizeF size) {
    pageSize_ = size;
    content_.clear();
}

bool PdfFile::endPage() {
    const int contentId = reserve();
    writeStream(contentId, QByteArray(), content_);
    const int pageId = reserve();
    startObject(pageId);
    write("<</Type /Page /Parent " + ref(pagesId_) + " /MediaBox [0 0 " + QByteArray::number(pageSize_.width(), 'f', 2) +
          " " + QByteArray::number(pageSize_.height(), 'f', 2) + "] /Resources " + ref(resourcesId_) +
          " /Contents " + ref(contentId) + ">>\nendobj\n");
    pageIds_.push_back(pageId);
    content_.clear();
    return !failed_;
}

bool PdfFile::writeFont(Font& f) {
    if (f.horizontalId == 0 && f.verticalId == 0) return true;
    hb_blob_t* glyf = hb_face_reference_table(f.tables, HB_TAG('g', 'l', 'y', 'f'));
    const bool trueType = hb_blob_get_length(glyf) > 0;
    hb_blob_destroy(glyf);
    if (!trueType && !f.cff) {
        error_ = QStringLiteral("フォント %1 は埋め込めない形式です (TrueType か OpenType のフォントを選んでください)")
                     .arg(f.raw.familyName());
        failed_ = true;
        return false;
    }
    // The subset keeps every glyph's index (the content streams name glyphs by it).
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    hb_set_t* set = hb_subset_input_glyph_set(input);
    hb_set_add(set, 0);
    for (const auto& g : f.glyphs) hb_set_add(set, g.first);
    hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
    // The subsetter keeps pointers into the tables it reads, so it works on a whole font
    // file made of the face's tables rather than on tables copied out one read at a time.
    hb_face_t* builder = hb_face_builder_create();
    for (const hb_tag_t tag : f.cff ? std::span<const hb_tag_t>(kCffTables) : std::span<const hb_tag_t>(kTrueTypeTables)) {
        hb_blob_t* table = hb_face_reference_table(f.tables, tag);
        if (hb_blob_get_length(table) > 0) hb_face_builder_add_table(builder, tag, table);
        hb_blob_destroy(table);
    }
    hb_blob_t* whole = hb_face_reference_blob(builder);
    hb_face_destroy(builder);
    hb_face_t* font = hb_face_create(whole, 0);
    hb_blob_destroy(whole);
    hb_face_t* subset = hb_subset_or_fail(font, input);
    hb_face_destroy(font);
    hb_subset_input_destroy(input);
    if (!subset) {
        error_ = QStringLiteral("フォント %1 を埋め込めません").arg(f.raw.familyName());
        failed_ = true;
        return false;
    }
    hb_blob_t* blob = hb_face_reference_blob(subset);
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    const QByteArray program(data, static_cast<qsizetype>(length));
    hb_blob_destroy(blob);
    hb_face_destroy(subset);

    // A subset's name starts with six capital letters of its own.
    QByteArray tag;
    for (int i = 0, n = f.index; i < 6; ++i, n /= 26) tag += static_cast<char>('A' + n % 26);
    QByteArray base = nameOf(f.raw.familyName());
    if (f.raw.styleName() != QLatin1String("Regular")) base += "-" + nameOf(f.raw.styleName());
    if (base.isEmpty()) base = "Font" + QByteArray::number(f.index);
    const QByteArray fontName = "/" + tag + "+" + base;

    const QByteArray head = f.raw.fontTable("head");
    const double unit = 1000.0 / f.upem;
    auto scaled = [&](double v) { return QByteArray::number(std::lround(v * unit)); };
    const QByteArray bbox = "[" + scaled(int16At(head, 36)) + " " + scaled(int16At(head, 38)) + " " +
                            scaled(int16At(head, 40)) + " " + scaled(int16At(head, 42)) + "]";
    const double pixels = std::max(1.0, f.raw.pixelSize());
    const QByteArray ascent = QByteArray::number(std::lround(f.raw.ascent() / pixels * 1000));
    const QByteArray descent = QByteArray::number(-std::lround(f.raw.descent() / pixels * 1000));

    const int fileId = reserve();
    // TrueType outlines as they are; PostScript outlines in their OpenType wrapping.
    writeStream(fileId, f.cff ? QByteArray(" /Subtype /OpenType") : " /Length1 " + QByteArray::number(program.size()),
                program);
    const int descriptorId = reserve();
    startObject(descriptorId);
    write("<</Type /FontDescriptor /FontName " + fontName + " /Flags 4 /FontBBox " + bbox + " /ItalicAngle 0 /Ascent " +
          ascent + " /Descent " + descent + " /CapHeight " + ascent + " /StemV 80 " + QByteArray(f.cff ? "/FontFile3 " : "/FontFile2 ") + ref(fileId) +
          ">>\nendobj\n");

    QByteArray widths = "[";
    for (const auto& g : f.glyphs)
        widths += QByteArray::number(f.code(g.first)) + " [" + QByteArray::number(glyphWidth(f.index, g.first)) + "] ";
    widths += "]";
    const int cidId = reserve();
    startObject(cidId);
    // CIDs are glyph indexes for TrueType outlines and for CFF outlines that are not
    // CID-keyed; a CID-keyed CFF maps them to glyphs by its own charset.
    write(QByteArray("<</Type /Font /Subtype ") + (f.cff ? "/CIDFontType0" : "/CIDFontType2") + " /BaseFont " + fontName +
          " /CIDSystemInfo <</Registry (Adobe) /Ordering (Identity) /Supplement 0>> /FontDescriptor " +
          ref(descriptorId) + " /DW 1000 /W " + widths + " /DW2 [" + QByteArray::number(kVerticalOriginY) + " -1000]" + (f.cff ? "" : " /CIDToGIDMap /Identity") + ">>\nendobj\n");

    QByteArray cmap =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo <</Registry (Adobe) /Ordering (UCS) /Supplement 0>> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::map<std::uint16_t, char32_t> byCode;
    for (const auto& [glyph, character] : f.glyphs) byCode.emplace(f.code(glyph), character);
    std::vector<std::pair<std::uint16_t, char32_t>> pairs(byCode.begin(), byCode.end());
    for (std::size_t i = 0; i < pairs.size(); i += 100) {
        const std::size_t n = std::min<std::size_t>(100, pairs.size() - i);
        cmap += QByteArray::number(static_cast<qulonglong>(n)) + " beginbfchar\n";
        for (std::size_t j = i; j < i + n; ++j)
            cmap += "<" + hex4(pairs[j].first) + "> <" + utf16Hex(pairs[j].second) + ">\n";
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    const int unicodeId = reserve();
    writeStream(unicodeId, QByteArray(), cmap);

    for (const auto& [id, encoding] : {std::pair{f.horizontalId, "/Identity-H"}, std::pair{f.verticalId, "/Identity-V"}}) {
        if (id == 0) continue;
        startObject(id);
        write("<</Type /Font /Subtype /Type0 /BaseFont " + fontName + " /Encoding " + encoding +
              " /DescendantFonts [" + ref(cidId) + "] /ToUnicode " + ref(unicodeId) + ">>\nendobj\n");
    }
    return !failed_;
}

bool PdfFile::finish(const QString& title, bool rightToLeft) {
    QByteArray fontList;
    for (const auto& f : fonts_) {
        if (!writeFont(*f)) break;
        if (f->horizontalId) fontList += fontName(f->index, false) + " " + ref(f->horizontalId) + " ";
        if (f->verticalId) fontList += fontName(f->index, true) + " " + ref(f->verticalId) + " ";
    }
    startObject(resourcesId_);
    write("<</Font <<" + fontList + ">> /ProcSet [/PDF /Text]>>\nendobj\n");
    startObject(pagesId_);
    write("<</Type /Pages /Count " + QByteArray::number(static_cast<qulonglong>(pageIds_.size())) + " /Kids [");
    QByteArray kids;
    for (std::size_t i = 0; i < pageIds_.size(); ++i) {
        kids += ref(pageIds_[i]) + ((i % 10 == 9) ? "\n" : " ");
        if (kids.size() > 65536) {
            write(kids);
            kids.clear();
        }
    }
    write(kids + "]>>\nendobj\n");
    const int catalogId = reserve();
    startObject(catalogId);
    write("<</Type /Catalog /Pages " + ref(pagesId_) +
          (rightToLeft ? QByteArray(" /ViewerPreferences <</Direction /R2L>>") : QByteArray()) + ">>\nendobj\n");
    const int infoId = reserve();
    startObject(infoId);
    write("<</Title " + textString(title) + " /Creator (Verlo) /Producer (Verlo)>>\nendobj\n");

    const std::uint64_t xref = written_;
    QByteArray table = "xref\n0 " + QByteArray::number(static_cast<qulonglong>(offsets_.size())) +
                       "\n0000000000 65535 f \n";
    for (std::size_t id = 1; id < offsets_.size(); ++id) {
        table += QByteArray::number(static_cast<qulonglong>(offsets_[id])).rightJustified(10, '0') + " 00000 n \n";
        if (table.size() > 65536) {
            write(table);
            table.clear();
        }
    }
    write(table + "trailer\n<</Size " + QByteArray::number(static_cast<qulonglong>(offsets_.size())) + " /Root " +
          ref(catalogId) + " /Info " + ref(infoId) + ">>\nstartxref\n" +
          QByteArray::number(static_cast<qulonglong>(xref)) + "\n%%EOF\n");
    if (failed_) {
        file_.cancel();
        return false;
    }
    if (!file_.commit()) {
        failed_ = true;
        error_ = QStringLiteral("ファイル %1 に書き込めません").arg(path_);
    }
    return !failed_;
}

}  // namespace verlo::print
