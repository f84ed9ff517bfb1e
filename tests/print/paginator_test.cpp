// The paginator: how a text's paragraphs are cut into lines and the lines into pages, at the
// edges where it can go wrong: a page exactly full, stops hanging past a page's last cell, a
// paragraph that begins on a page's last line, a ruby group at a line's end, empty
// paragraphs, the line-breaking rules where one page ends and the next begins, and the title
// lines. The same in both writing directions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print/page_layout.h"
#include "support/qt_helpers.h"
#include "support/test_text.h"

using namespace verlo::print;

namespace {

using Pages = std::vector<std::vector<std::string>>;  // the lines of each page, UTF-8

// The lines of each page the paginator hands on, as text.
Pages paginate(const PageSetup& setup, bool ruby, const QString& title, const std::string& text) {
    const PageTypesetting typesetting(setup, verlo::test::ipaGothic(16), nullptr, ruby);
    Pages pages;
    Paginator paginator(typesetting, [&](const Page& page) {
        EXPECT_EQ(page.number, static_cast<int>(pages.size()) + 1);
        EXPECT_LE(static_cast<int>(page.lines.size()), setup.lines);
        std::vector<std::string>& lines = pages.emplace_back();
        for (const PageLine& l : page.lines) {
            const std::vector<verlo::typeset::Cell>& cells = l.paragraph->cells;
            const std::size_t from = l.first < l.last ? cells[l.first].offset : 0;
            const std::size_t to = l.first < l.last ? cells[l.last - 1].offset + cells[l.last - 1].length : 0;
            lines.push_back(verlo::test::fromCp932(l.paragraph->bytes.substr(from, to - from)).toStdString());
        }
        return true;
    });
    EXPECT_TRUE(paginateText(paginator, typesetting, title, text));
    EXPECT_EQ(paginator.pages(), static_cast<int>(pages.size()));
    return pages;
}

}  // namespace

TEST(Paginator, PagesEndWhereTheLinesAndTheRulesSay) {
    struct Case {
        const char* what;
        int chars, lines;  // the format
        bool hang, ruby;
        const char* text;  // UTF-8, paragraphs ended by \n
        Pages pages;
        bool title = false;  // the title 猫 and the author 漱石 on the first lines
    };
    const Case cases[] = {
        {"a page exactly full", 5, 3, true, false, "一二三四五六七八九十一二三四五",
         {{"一二三四五", "六七八九十", "一二三四五"}}},
        {"one character more begins a page", 5, 3, true, false, "一二三四五六七八九十一二三四五六",
         {{"一二三四五", "六七八九十", "一二三四五"}, {"六"}}},
        {"full paragraphs fill the page", 5, 2, true, false, "一二三四五\n六七八九十\n一",
         {{"一二三四五", "六七八九十"}, {"一"}}},
        {"。 hangs past the last cell of the page", 5, 2, true, false, "一二三四五六七八九十。",
         {{"一二三四五", "六七八九十。"}}},
        {"、 hangs there and the text goes on on the next page", 5, 2, true, false, "一二三四五六七八九十、一",
         {{"一二三四五", "六七八九十、"}, {"一"}}},
        {"a stop and a closer hang together", 5, 2, true, false, "一二三四五六七八九十。」",
         {{"一二三四五", "六七八九十。」"}}},
        {"a closer after a stop in the last cell hangs", 5, 1, true, false, "一二三四。」", {{"一二三四。」"}}},
        {"without hanging the stop takes the last character to the next page", 5, 2, false, false,
         "一二三四五六七八九十。", {{"一二三四五", "六七八九"}, {"十。"}}},
        {"a closer without a stop does not hang", 5, 1, true, false, "一二三四五」", {{"一二三四"}, {"五」"}}},
        {"ー may not begin the next page", 5, 1, true, false, "アイウエオー", {{"アイウエ"}, {"オー"}}},
        {"「 may not end a page", 5, 1, true, false, "一二三四「五」", {{"一二三四"}, {"「五」"}}},
        {"a paragraph begins on the page's last line", 5, 3, true, false, "一二三四五六七八九十\n一二三四五六七八",
         {{"一二三四五", "六七八九十", "一二三四五"}, {"六七八"}}},
        {"an empty paragraph is a line", 5, 2, true, false, "一二三四五\n\n六", {{"一二三四五", ""}, {"六"}}},
        {"an empty last paragraph begins a page", 5, 1, true, false, "一\n\n", {{"一"}, {""}}},
        {"a line break alone is one empty line", 5, 2, true, false, "\n", {{""}}},
        {"an empty text is one empty page", 5, 2, true, false, "", {{}}},
        {"a ruby group fills the page's last cells", 5, 2, true, true, "一二三四五六七八｜青空《あおぞら》",
         {{"一二三四五", "六七八｜青空《あおぞら》"}}},
        {"a ruby group goes to the next page whole", 5, 2, true, true, "一二三四五六七八九｜青空《あおぞら》",
         {{"一二三四五", "六七八九"}, {"｜青空《あおぞら》"}}},
        {"the title lines open the first page", 5, 3, true, false, "一二", {{"　　猫", "　　漱石", ""}, {"一二"}}, true},
    };
    for (const bool vertical : {false, true})
        for (const Case& c : cases) {
            PageSetup setup;
            setup.vertical = vertical;
            setup.chars = c.chars;
            setup.lines = c.lines;
            setup.hang = c.hang;
            setup.titleLines = c.title;
            setup.author = QStringLiteral("漱石");
            const std::string text = verlo::test::sjis(QString::fromUtf8(c.text).toStdU16String());
            EXPECT_EQ(paginate(setup, c.ruby, QStringLiteral("猫"), text), c.pages) << c.what << (vertical ? " (vertical)" : "");
        }
}

TEST(PageTitle, TheFilesNameWithoutItsExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/a/novel.txt", "novel"}, {"novel", "novel"}, {"第一部.下書き.txt", "第一部.下書き"}, {"", "無題"}};
    for (const auto& [path, title] : cases)
        EXPECT_EQ(verlo::print::documentTitle(QString::fromUtf8(path)), QString::fromUtf8(title)) << path;
}
