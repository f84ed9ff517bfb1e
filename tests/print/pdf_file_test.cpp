// The PDF writer on its own: small documents written straight through it, read back by qpdf
// (the file's structure and its pages) and pdftotext (the text of each page, through the
// maps from glyphs back to characters).
#include "print/pdf_file.h"

#include <gtest/gtest.h>

#include <QRawFont>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "support/pdf_tools.h"
#include "support/qt_helpers.h"
#include "typeset/typesetter.h"

using verlo::print::PdfFile;

namespace {

// A line of text in one face: 0 IPA Gothic (TrueType outlines), 1 Noto Serif CJK (CFF).
struct Line {
    int face = 0;
    bool vertical = false;
    const char* text = "";  // UTF-8
};

struct Document {
    const char* what;
    std::vector<std::vector<Line>> pages;
    bool rightToLeft = false;
};

// The lines of each page from the top, as one string of glyph codes each.
void write(PdfFile& file, const Document& doc, const verlo::typeset::Typesetter* faces[2]) {
    for (const std::vector<Line>& page : doc.pages) {
        file.beginPage(QSizeF(420, 595));
        double y = 560;
        for (const Line& line : page) {
            const QRawFont& raw = faces[line.face]->faceFont(0);
            const int font = file.addFont(raw, faces[line.face]->faceTables(0));
            const QString text = QString::fromUtf8(line.text);
            const QList<quint32> glyphs = raw.glyphIndexesForString(text);
            const QList<uint> characters = text.toUcs4();
            QByteArray codes;
            for (qsizetype i = 0; i < glyphs.size(); ++i) {
                const std::uint16_t code = file.useGlyph(font, static_cast<std::uint16_t>(glyphs[i]), characters[i]);
                codes += QByteArray::number(code, 16).rightJustified(4, '0');
            }
            file.content() += "BT " + file.fontName(font, line.vertical) + " 12 Tf 1 0 0 1 " +
                              QByteArray(line.vertical ? "380 " : "20 ") + QByteArray::number(y) + " Tm <" + codes +
                              "> Tj ET\n";
            y -= 20;
        }
        ASSERT_TRUE(file.endPage());
    }
}

}  // namespace

TEST(PdfFile, SmallDocumentsPassTheCheckAndReadBack) {
    if (verlo::test::commandOutput("command -v pdftotext").empty())
        GTEST_FAIL() << "poppler-utils are needed (scripts/install-deps.sh installs them)";
    const verlo::typeset::Typesetter gothic(verlo::test::ipaGothic(12), verlo::typeset::Writing::Horizontal);
    QFont serif(QStringLiteral("Noto Serif CJK JP"));
    serif.setPixelSize(12);
    const verlo::typeset::Typesetter notoSerif(serif, verlo::typeset::Writing::Horizontal);
    const verlo::typeset::Typesetter* faces[2] = {&gothic, &notoSerif};

    std::vector<Document> documents = {
        {"an empty page", {{}}},
        {"a line on a page", {{{0, false, "吾輩は猫である"}}}},
        {"a column in the vertical writing mode", {{{0, true, "名前はまだ無い"}}}, true},
        {"two faces on one page, the same face on the next", {{{0, false, "一二三"}, {1, false, "四五六"}}, {{1, false, "七八"}}}},
    };
    Document many{"more pages than a line of the page tree holds", {}};
    for (int i = 0; i < 23; ++i) many.pages.push_back({{i % 2, i % 3 == 0, i % 2 ? "頁" : "紙"}});
    documents.push_back(many);

    for (const Document& doc : documents) {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("out.pdf")).toStdString();
        PdfFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open()) << doc.what;
        write(file, doc, faces);
        ASSERT_TRUE(file.finish(QStringLiteral("題"), doc.rightToLeft)) << doc.what << ": " << file.error().toStdString();
        EXPECT_TRUE(verlo::test::passesQpdfCheck(path)) << doc.what;
        EXPECT_EQ(verlo::test::pdfPageCount(path), static_cast<int>(doc.pages.size())) << doc.what;
        for (std::size_t p = 0; p < doc.pages.size(); ++p) {
            std::string text;
            for (const Line& line : doc.pages[p]) text += line.text;
            EXPECT_EQ(verlo::test::pdfText(path, static_cast<int>(p) + 1), text) << doc.what << ", page " << p + 1;
        }
    }
}
