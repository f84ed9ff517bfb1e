// Pages written as PDF, checked by tools that did not write them: qpdf for the structure of
// every file written, pdfinfo and pdffonts for the pages and fonts, pdftotext for the text
// in reading order, pdftoppm for where the ink falls.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "print/page_layout.h"
#include "print/pdf_export.h"
#include "support/pdf_tools.h"
#include "support/qt_helpers.h"
#include "support/test_text.h"

using namespace verlo::print;
using verlo::test::commandOutput;
using verlo::test::passesQpdfCheck;
using verlo::test::repeat;
using verlo::test::sjis;
using verlo::test::withoutBlanks;

namespace {

// A rendered page in grey, one byte a pixel.
struct Picture {
    int width = 0, height = 0;
    std::string pixels;
    bool inked(int x, int y) const { return static_cast<unsigned char>(pixels[y * width + x]) < 248; }  // any mark, the light grid too
    // Any ink in the rectangle of points [x0, x1) × [y0, y1) at `dpi`.
    bool inkIn(QRectF points, double dpi) const {
        const double s = dpi / 72;
        const int bottom = std::min(height, int(std::ceil(points.bottom() * s)));
        const int right = std::min(width, int(std::ceil(points.right() * s)));
        for (int y = std::max(0, int(points.top() * s)); y < bottom; ++y)
            for (int x = std::max(0, int(points.left() * s)); x < right; ++x)
                if (inked(x, y)) return true;
        return false;
    }
};

Picture render(const QString& pdf, int page, int dpi) {
    const std::string pgm = commandOutput("pdftoppm -gray -r " + std::to_string(dpi) + " -f " + std::to_string(page) +
                                          " -l " + std::to_string(page) + " '" + pdf.toStdString() + "'");
    Picture p;
    int maxval = 0, consumed = 0;
    if (std::sscanf(pgm.c_str(), "P5 %d %d %d%n", &p.width, &p.height, &maxval, &consumed) != 3) return p;
    p.pixels = pgm.substr(static_cast<std::size_t>(consumed) + 1);
    if (p.pixels.size() < static_cast<std::size_t>(p.width * p.height)) p.width = p.height = 0;
    return p;
}

class PdfExport : public ::testing::Test {
protected:
    void SetUp() override {
        if (commandOutput("for t in pdftotext pdfinfo pdftoppm pdffonts; do command -v $t; done | wc -l") != "4\n")
            GTEST_FAIL() << "poppler-utils are needed (scripts/install-deps.sh installs them)";
        path = dir.filePath(QStringLiteral("out.pdf"));
    }
    ExportResult write(const PageSetup& setup, const std::string& text, const QString& title = QStringLiteral("t.txt"),
                       bool ruby = false) {
        ExportResult r = exportPdf(path, setup, verlo::test::ipaGothic(16), title, text, nullptr, ruby);
        if (!r.error) {
            EXPECT_TRUE(passesQpdfCheck(path.toStdString()));
        }
        return r;
    }
    std::string tool(const char* name) { return commandOutput(std::string(name) + " '" + path.toStdString() + "' 2>/dev/null"); }
    std::string pdfText() { return verlo::test::pdfText(path.toStdString()); }
    QTemporaryDir dir;
    QString path;
};

PageSetup noNumbers(PageSetup s) {
    s.numbers = NumberPlace::None;
    return s;
}

// A paragraph of n distinct kanji and kana, none of which the line-breaking rules hold back.
std::string paragraph(int n, int seed) {
    static const std::u16string kChars = u"吾輩猫名前何薄暗所泣事記憶人間見書生種族話時考別段恐思彼掌載顔";
    std::u16string s;
    for (int i = 0; i < n; ++i) s += kChars[(seed * 7 + i) % kChars.size()];
    return sjis(s);
}

}  // namespace

TEST_F(PdfExport, PagesHoldExactlyTheirLinesAndCharacters) {
    // 40 × 30 a page: 30 full paragraphs fill one page, one more begins another; a
    // paragraph of 41 characters takes two lines.
    struct Case {
        int paragraphs, length, pages;
    };
    for (const Case c : {Case{30, 40, 1}, Case{31, 40, 2}, Case{15, 41, 1}, Case{16, 41, 2}, Case{0, 0, 1}}) {
        std::string text;
        for (int i = 0; i < c.paragraphs; ++i) text += paragraph(c.length, i) + "\r\n";
        const ExportResult r = write(PageSetup{}, text);
        ASSERT_FALSE(r.error) << r.error->toStdString();
        EXPECT_EQ(r.pages, c.pages) << c.paragraphs << " × " << c.length;
        EXPECT_NE(tool("pdfinfo").find("Pages:           " + std::to_string(c.pages) + "\n"), std::string::npos);
    }
}

TEST_F(PdfExport, InfoFontsAndTextInReadingOrder) {
    std::string text;
    for (int i = 0; i < 70; ++i) text += paragraph(30 + i % 25, i) + (i % 3 ? "\r\n" : "\n");
    // Turned Latin, upright digit pairs and ！？ side by side read in their places too.
    text += sjis(u"「吾輩は猫である。」、名前はまだ無い。Hello worldと12月の！？とHTML、2026年に10");
    for (const auto& [setup, size] : {std::pair{noNumbers(PageSetup{}), "842 x 595 pts (A4)"},
                                      std::pair{noNumbers(presets()[2].setup), "595 x 842 pts (A4)"}}) {
        ASSERT_FALSE(write(setup, text, QStringLiteral("吾輩.txt")).error);
        const std::string info = tool("pdfinfo");
        EXPECT_NE(info.find("Title:           吾輩.txt"), std::string::npos) << info;
        EXPECT_NE(info.find("Page size:       " + std::string(size)), std::string::npos) << info;
        // Every font embedded as a subset with a map back to the characters.
        const std::string fonts = tool("pdffonts");
        EXPECT_NE(fonts.find("CID TrueType"), std::string::npos) << fonts;
        EXPECT_EQ(fonts.find(" no "), std::string::npos) << fonts;
        const std::string expected = withoutBlanks(verlo::test::fromCp932(text).toStdString());
        EXPECT_EQ(pdfText(), expected) << (setup.vertical ? "vertical" : "horizontal");
    }
}

TEST_F(PdfExport, FontsWithPostScriptOutlinesAreEmbeddedByTheirCids) {
    // Noto Serif CJK is CID-keyed CFF (scripts/install-deps.sh installs it): its glyphs are
    // named by CID, which a reader maps through the embedded font's own charset.
    PageSetup setup = noNumbers(PageSetup{});
    setup.fontFamily = QStringLiteral("Noto Serif CJK JP");
    const std::string text = paragraph(40, 3) + "\r\n" + sjis(u"「吾輩は猫である。」、名前はまだ無い。Hello world、2026年");
    ASSERT_FALSE(write(setup, text).error);
    const std::string fonts = tool("pdffonts");
    EXPECT_NE(fonts.find("NotoSerifCJKJP"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("CID Type 0C (OT)"), std::string::npos) << fonts;
    EXPECT_EQ(pdfText(), withoutBlanks(verlo::test::fromCp932(text).toStdString()));
    // Drawn where the typesetter put it: the first column full, the second one begun.
    const PageTypesetting t(setup, verlo::test::ipaGothic(16));
    const Picture page = render(path, 1, 40);
    for (int k : {0, 20, 39}) EXPECT_TRUE(page.inkIn(t.cellBox(0, k).adjusted(1, 1, -1, -1), 40)) << k;
    EXPECT_TRUE(page.inkIn(t.cellBox(1, 0).adjusted(1, 1, -1, -1), 40));
    EXPECT_FALSE(page.inkIn(t.cellBox(2, 0), 40));
}

TEST_F(PdfExport, ProportionalFacesSetIdeographsInFullCells) {
    // IPA P fonts set full-width digits and kana narrower than the em: the cell is still an
    // em, so glyphs do not overlap and text tools read the columns in order.
    PageSetup setup = noNumbers(PageSetup{});
    setup.fontFamily = QStringLiteral("IPAPGothic");
    const PageTypesetting t(setup, verlo::test::ipaGothic(16));
    EXPECT_NEAR(t.cell(), t.fontPoints(), 0.15);
    const std::string text = paragraph(40, 3) + "\r\n" + sjis(u"「吾輩は猫である。」Hello worldと12月の！？とHTML、2026年に１０");
    ASSERT_FALSE(write(setup, text).error);
    EXPECT_EQ(pdfText(), withoutBlanks(verlo::test::fromCp932(text).toStdString()));
}

TEST_F(PdfExport, ColumnsRunFromRightToLeftWithTheCharactersPerColumn) {
    // 40 characters and a 。, then a paragraph of 5. With hanging the 。 stays in the margin
    // below the first column (the cell after its 40th); without, kinsoku takes the 40th
    // character along to the second column. Columns from the right, cells from the top.
    struct Case {
        bool hang;
        int cells[3];  // inked cells of the first three columns
    };
    for (const Case c : {Case{true, {40, 5, 0}}, Case{false, {39, 2, 5}}}) {
        PageSetup setup = noNumbers(PageSetup{});
        setup.hang = c.hang;
        ASSERT_FALSE(write(setup, paragraph(40, 1) + sjis(u"。") + "\r\n" + paragraph(5, 2)).error);
        const PageTypesetting t(setup, verlo::test::ipaGothic(16));
        const Picture page = render(path, 1, 40);
        ASSERT_GT(page.width, page.height) << "landscape";
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 40; ++k)
                EXPECT_EQ(page.inkIn(t.cellBox(j, k).adjusted(1, 1, -1, -1), 40), k < c.cells[j]) << c.hang << ": column " << j << ", cell " << k;
        EXPECT_EQ(page.inkIn(t.cellBox(0, 40), 40), c.hang) << "the hanging stop below the first column";
        EXPECT_GT(t.cellBox(0, 0).left(), t.cellBox(1, 0).right()) << "the first column is the rightmost";
    }
}

TEST_F(PdfExport, BytesThatAreNotTextShowTheirMarksAndTheTextGoesOnAfterThem) {
    // A byte and a pair that are no characters: each shows as the screen's boxed mark in its
    // cell, and the characters after them stand in theirs (placed past the gaps), in both
    // directions; text tools read only the characters.
    const std::string text = sjis(u"あ") + "\xFD" + sjis(u"い") + "\x85\x40" + sjis(u"う");
    for (const PageSetup& setup : {noNumbers(PageSetup{}), noNumbers(presets()[2].setup)}) {
        ASSERT_FALSE(write(setup, text).error);
        EXPECT_EQ(pdfText(), "あいう");
        const PageTypesetting t(setup, verlo::test::ipaGothic(16));
        const Picture page = render(path, 1, 72);
        for (int k = 0; k < 7; ++k)
            EXPECT_EQ(page.inkIn(t.cellBox(0, k).adjusted(1, 1, -1, -1), 72), k < 5) << setup.vertical << ", cell " << k;
    }
}

TEST_F(PdfExport, RubyStandsBesideItsBaseAndTakesNoCells) {
    // Lines of exactly N base characters: N - 2 and a group of two; N - 1 and a group of
    // three, which goes to the next line whole; five and two with emphasis dots. The ruby
    // and the dots stand in the room right of the column or above the line, on the side the
    // ruby takes, and text tools read the bases alone.
    for (PageSetup setup : {noNumbers(PageSetup{}), noNumbers(presets()[2].setup), presets()[1].setup}) {
        setup.numbers = NumberPlace::None;
        const int n = setup.chars;
        const std::string text = paragraph(n - 2, 1) + sjis(u"｜青空《あおぞら》\r\n") + paragraph(n - 1, 2) +
                                 sjis(u"｜十二単《じゅうにひとえ》\r\n") + paragraph(5, 3) + sjis(u"《《強調》》");
        ASSERT_FALSE(write(setup, text, {}, true).error);
        const std::string bases = paragraph(n - 2, 1) + sjis(u"青空") + paragraph(n - 1, 2) + sjis(u"十二単") +
                                  paragraph(5, 3) + sjis(u"強調");
        EXPECT_EQ(pdfText(), withoutBlanks(verlo::test::fromCp932(bases).toStdString())) << n;
        const PageTypesetting t(setup, verlo::test::ipaGothic(16));
        const Picture page = render(path, 1, 72);
        // Half the room between two lines, on the ruby's side of a cell or the other.
        const double half = (t.pitch() - t.cell()) / 2;
        auto beside = [&](int line, int k, bool rubySide) {
            const QRectF c = t.cellBox(line, k);
            if (setup.vertical) return rubySide ? QRectF(c.right() + 1, c.top() + 1, half - 1, c.height() - 2)
                                                : QRectF(c.left() - half, c.top() + 1, half - 1, c.height() - 2);
            return rubySide ? QRectF(c.left() + 1, c.top() - half, c.width() - 2, half - 1)
                            : QRectF(c.left() + 1, c.bottom() + 1, c.width() - 2, half - 1);
        };
        const int inkedCells[] = {n, n - 1, 3, 7};
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < n; ++k)
                EXPECT_EQ(page.inkIn(t.cellBox(j, k).adjusted(2, 2, -2, -2), 72), k < inkedCells[j])
                    << n << ": line " << j << ", cell " << k;
        // Where the groups are, and the cells before them without.
        for (const auto& [line, k, ruby] : {std::tuple{0, n - 2, true}, std::tuple{0, n - 3, false},
                                            std::tuple{2, 1, true}, std::tuple{3, 5, true}, std::tuple{3, 6, true},
                                            std::tuple{3, 4, false}, std::tuple{1, 5, false}}) {
            EXPECT_EQ(page.inkIn(beside(line, k, true), 72), ruby) << n << ": line " << line << ", cell " << k;
            EXPECT_FALSE(page.inkIn(beside(line, k, false), 72)) << n << ": line " << line << ", cell " << k;
        }
    }
    // Without ruby the notation is set as written.
    ASSERT_FALSE(write(noNumbers(PageSetup{}), sjis(u"｜青空《あおぞら》《《強調》》")).error);
    EXPECT_EQ(pdfText(), "｜青空《あおぞら》《《強調》》");
}

TEST_F(PdfExport, ManuscriptGridAndPageNumber) {
    PageSetup setup = presets()[1].setup;  // 20 × 20 manuscript paper
    ASSERT_TRUE(setup.grid);
    ASSERT_FALSE(write(setup, std::string()).error);
    const PageTypesetting t(setup, verlo::test::ipaGothic(16));
    const Picture page = render(path, 1, 72);
    for (int j : {0, 7, 19})
        for (int k : {0, 10, 19}) {
            const QRectF cell = t.cellBox(j, k);
            EXPECT_TRUE(page.inkIn(cell.adjusted(-1, -1, -cell.width() + 1, 1), 72)) << "left edge " << j << "," << k;
            EXPECT_FALSE(page.inkIn(cell.adjusted(2, 2, -2, -2), 72)) << "inside " << j << "," << k;
        }
    EXPECT_NE(pdfText().find("-1-"), std::string::npos) << "the page number";
}

TEST_F(PdfExport, ProblemsAreToldAndLeaveNoFile) {
    PageSetup tooWide;
    tooWide.marginLeft = tooWide.marginRight = 150;
    const ExportResult r = write(tooWide, "abc");
    ASSERT_TRUE(r.error);
    EXPECT_TRUE(r.error->contains(QStringLiteral("余白")));
    EXPECT_FALSE(QFile::exists(path));
    const ExportResult missingFolder =
        exportPdf(dir.filePath(QStringLiteral("no/such/out.pdf")), PageSetup{}, verlo::test::ipaGothic(16), {}, "abc");
    ASSERT_TRUE(missingFolder.error);
    EXPECT_TRUE(missingFolder.error->contains(QStringLiteral("作成できません")));
}
