// The preview page, byte for byte, and where it is written.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QTemporaryDir>
#include <unistd.h>

#include "preview/preview_page.h"
#include "preview/page_file.h"
#include "support/test_text.h"

using verlo::preview::PreviewFontSize;
using verlo::preview::PreviewPage;
using verlo::preview::PreviewPagePath;

namespace {

const QString kGothic = QStringLiteral("ＭＳ ゴシック");
const std::string kGothicBytes = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
const std::string kTwoLines = "\x82\xA0\x82\xA2\x82\xA4\r\n\x82\xA6\x82\xA8";               // あいう CR LF えお
const std::string kHead = "<HTML>\r\n<BODY>\r\n<DIV style=\"";
const std::string kTail = "</DIV></Body></html>";

std::string horizontalHead(int size, const std::string& fontBytes) {
    return kHead + "font-size:" + std::to_string(size) + "pt;font-family:'" + fontBytes + "';\">\r\n";
}

// The page after its head.
std::string body(std::string_view text) {
    return PreviewPage(text, QStringLiteral("F"), 10, 0, 20).substr(horizontalHead(10, "F").size());
}

}  // namespace

TEST(PreviewPage, WorkedExampleInBothDirections) {
    EXPECT_EQ(PreviewPage(kTwoLines, kGothic, 12, 1, 20),
              kHead + "direction:ltr;writing-mode:tb-rl;Height:240pt;font-size:12pt;font-family:'" + kGothicBytes +
                  "';\">\r\n" + "\x82\xA0\x82\xA2\x82\xA4<BR>\x82\xA6\x82\xA8" + kTail);
    EXPECT_EQ(PreviewPage(kTwoLines, kGothic, 12, 0, 20),
              horizontalHead(12, kGothicBytes) + "\x82\xA0\x82\xA2\x82\xA4<BR>\x82\xA6\x82\xA8" + kTail);
    // Only 1 is vertical.
    EXPECT_EQ(PreviewPage(kTwoLines, kGothic, 12, 2, 20), PreviewPage(kTwoLines, kGothic, 12, 0, 20));
    EXPECT_EQ(PreviewPage(kTwoLines, kGothic, 12, -1, 20), PreviewPage(kTwoLines, kGothic, 12, 0, 20));
}

TEST(PreviewPage, RubyAndEmphasisWhenShown) {
    using verlo::test::sjis;
    const std::string style =
        "<HEAD><STYLE>em.bouten{font-style:normal;text-emphasis:sesame;-webkit-text-emphasis:sesame}</STYLE></HEAD>\r\n";
    const auto shown = [&](std::u16string_view text) {
        const std::string page = PreviewPage(sjis(text), QStringLiteral("F"), 10, 0, 20, true);
        const std::string head = "<HTML>\r\n" + style + horizontalHead(10, "F").substr(std::string("<HTML>\r\n").size());
        EXPECT_EQ(page.substr(0, head.size()), head);
        return page.substr(head.size(), page.size() - head.size() - kTail.size());
    };
    const struct {
        std::u16string text, page;
    } cases[] = {
        {u"私は｜東京都《とうきょうと》へ", u"私は<ruby>東京都<rt>とうきょうと</rt></ruby>へ"},
        {u"《《強調》》と漢字《かんじ》", u"<em class=\"bouten\">強調</em>と<ruby>漢字<rt>かんじ</rt></ruby>"},
        // Escaped inside a group as outside, line breaks kept, groups on every line.
        {u"｜A<&>《a&b》\r\n字《じ》\r\r字《じ》\n", u"<ruby>A&lt;&amp;&gt;<rt>a&amp;b</rt></ruby><BR><ruby>字<rt>じ</rt></ruby>\r\r<ruby>字<rt>じ</rt></ruby>\n"},
        // What forms no group, and a group across a line break, is shown as written.
        {u"漢字《かん\r\nじ》《》｜", u"漢字《かん<BR>じ》《》｜"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown(c.text), sjis(c.page));
    // Without the option the notation is plain text.
    EXPECT_EQ(body(sjis(u"漢字《かんじ》")), sjis(u"漢字《かんじ》") + kTail);
}

TEST(PreviewPage, EmptyDocumentIsHeadAndTail) {
    EXPECT_EQ(PreviewPage("", kGothic, 14, 0, 20), horizontalHead(14, kGothicBytes) + kTail);
}

TEST(PreviewPage, LineBreaks) {
    EXPECT_EQ(body("a\r\n"), "a<BR>" + kTail);
    EXPECT_EQ(body("\r\n\r\n"), "<BR><BR>" + kTail);
    // Pairs are taken from the start: CR CR LF keeps its first CR.
    EXPECT_EQ(body("a\r\r\nb"), "a\r<BR>b" + kTail);
    // A lone LF, a lone CR and LF CR are no pair.
    EXPECT_EQ(body("a\nb\rc\n\rd\r"), "a\nb\rc\n\rd\r" + kTail);
}

TEST(PreviewPage, MarkupInTheTextIsShownNotRun) {
    EXPECT_EQ(body("<script>alert(1)</script>"), "&lt;script&gt;alert(1)&lt;/script&gt;" + kTail);
    EXPECT_EQ(body("a&b &amp; \"q\""), "a&amp;b &amp;amp; \"q\"" + kTail);
    // Double-byte characters pass whole, also those whose second byte is a backslash or
    // in the letters' range (ソ 83 5C, 表 95 5C, ＜ 81 83).
    EXPECT_EQ(body("\x83\x5C\x95\x5C<\x81\x83"), "\x83\x5C\x95\x5C&lt;\x81\x83" + kTail);
}

TEST(PreviewPage, FontNameIsEscapedForItsAttribute) {
    const std::string page = PreviewPage("x", QStringLiteral("A\"B\" <&>"), 10, 0, 20);
    EXPECT_EQ(page, horizontalHead(10, "A&quot;B&quot; &lt;&amp;&gt;") + "x" + kTail);
    // A character the code page cannot hold is a numeric reference, not a lost or changed byte.
    EXPECT_EQ(PreviewPage("", QString::fromUtf8("Ab\xF0\x9F\x98\x80"), 9, 0, 1),
              horizontalHead(9, "Ab&#128512;") + kTail);
}

TEST(PreviewPage, FontNameIsOneCssStringThatAddsNoDeclarations) {
    const struct {
        const char* name;
        std::string written;
    } cases[] = {
        {"X'; background:url(http://h/x)", "X\\27 ; background:url(http://h/x)"},
        {"A\\'B", "A\\5C \\27 B"},
        {"a\nb\tc\x7F", "a\\A b\\9 c\\7F "},
        {"x\";color:red", "x&quot;;color:red"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreviewPage("", QString::fromUtf8(c.name), 9, 0, 1), horizontalHead(9, c.written) + kTail) << c.name;
}

TEST(PreviewPage, ColumnHeightAsComputed) {
    auto height = [](int size, int retsu) {
        const std::string page = PreviewPage("", kGothic, size, 1, retsu);
        const auto from = page.find("Height:");
        return page.substr(from, page.find(';', from) - from + 1);
    };
    EXPECT_EQ(height(12, 0), "Height:0pt;");
    EXPECT_EQ(height(12, -3), "Height:-36pt;");
    EXPECT_EQ(height(10, 2147483647), "Height:21474836470pt;");
}

TEST(PreviewPage, FontSizeInWholePoints) {
    QFont f(kGothic);
    f.setPointSize(12);
    EXPECT_EQ(PreviewFontSize(f), 12);
    f.setPointSizeF(10.5);
    EXPECT_EQ(PreviewFontSize(f), 11);
    f.setPixelSize(16);
    EXPECT_EQ(PreviewFontSize(f), 12);
}

TEST(PreviewPagePath, ProgramFolderWhenWritableElseTheCache) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString program = tmp.filePath("bin");
    ASSERT_TRUE(QDir().mkpath(program));
    EXPECT_EQ(PreviewPagePath(program, "/xdg/cache", "/home/u"), program + "/print.html");

    // A missing folder, or a file where the folder should be, is not writable.
    EXPECT_EQ(PreviewPagePath(tmp.filePath("missing"), "/xdg/cache", "/home/u"), "/xdg/cache/Verlo/print.html");
    QFile file(tmp.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(PreviewPagePath(file.fileName(), "/xdg/cache/", "/home/u"), "/xdg/cache/Verlo/print.html");
    // $XDG_CACHE_HOME counts only as an absolute path.
    EXPECT_EQ(PreviewPagePath(QString(), "", "/home/u"), "/home/u/.cache/Verlo/print.html");
    EXPECT_EQ(PreviewPagePath(QString(), "relative/cache", "/home/u"), "/home/u/.cache/Verlo/print.html");

    // A folder without write permission (the superuser writes everywhere, so only as another user).
    if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        EXPECT_EQ(PreviewPagePath(program, "/xdg/cache", "/home/u"), "/xdg/cache/Verlo/print.html");
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

TEST(PreviewPagePath, ThisProgramsFolderInABuildTree) {
    // The test program's folder is writable, so the page goes there.
    EXPECT_EQ(PreviewPagePath(), QCoreApplication::applicationDirPath() + "/print.html");
}
