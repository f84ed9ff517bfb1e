// Line breaking on cells of known advances (no fonts involved): full-width characters are
// 10 pixels, ASCII 5, so widths are easy to count by hand.
#include "typeset/line_break.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/codec.h"
#include "text/cp932.h"
#include "support/test_text.h"

using verlo::typeset::Cell;
namespace lb = verlo::typeset::line_break;
namespace codec = verlo::text::codec;
namespace cp932 = verlo::text::cp932;

namespace {

using verlo::test::sjis;

std::vector<Cell> cellsOf(const std::string& p) {
    std::vector<Cell> cells;
    for (std::size_t i = 0; i < p.size();) {
        const std::size_t len = cp932::charLength(p, i);
        cells.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(len), len == 2 ? 10.f : 5.f});
        i += len;
    }
    return cells;
}

std::vector<std::uint32_t> wrap(const std::string& p, float width) {
    std::vector<std::uint32_t> starts;
    lb::wrap(p, cellsOf(p), width, starts);
    return starts;
}

using Starts = std::vector<std::uint32_t>;

}  // namespace

TEST(LineBreak, EmptyParagraphHasOneLine) {
    EXPECT_EQ(wrap("", 100), Starts{0});
    EXPECT_EQ(wrap(sjis(u"あいう"), 30), Starts{0});
}

TEST(LineBreak, FullWidthCharactersFillLinesExactly) {
    EXPECT_EQ(wrap(sjis(u"あいうえおかきく"), 30), (Starts{0, 3, 6}));
    EXPECT_EQ(wrap(sjis(u"あいうえおか"), 30), (Starts{0, 3}));
}

TEST(LineBreak, NoForbiddenCharacterStartsALine) {
    // Each would be the first character of the second line: its predecessor moves down with it.
    for (char16_t c : std::u16string_view(u"、。，．」』）］｝〕〉》】ー・：；？！ゝゞヽヾ々ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ")) {
        const std::u16string text = std::u16string(u"あいう") + c + u"え";
        EXPECT_EQ(wrap(sjis(text), 30), (Starts{0, 2})) << "U+" << std::hex << unsigned(c);
    }
    for (char16_t c : std::u16string_view(u"ｧｨｩｪｫｬｭｮｯｰ｡｣､")) {  // half-width: 5 pixels
        const std::u16string text = std::u16string(u"あいう") + c + u"え";
        EXPECT_EQ(wrap(sjis(text), 30), (Starts{0, 2})) << "U+" << std::hex << unsigned(c);
    }
    // ASCII closing punctuation after Japanese text.
    EXPECT_EQ(wrap(sjis(u"あいう)え"), 30), (Starts{0, 2}));
}

TEST(LineBreak, NoOpeningBracketEndsALine) {
    for (char16_t c : std::u16string_view(u"「『（［｛〔〈《【")) {
        const std::u16string text = std::u16string(u"あい") + c + u"うえ";
        EXPECT_EQ(wrap(sjis(text), 30), (Starts{0, 2})) << "U+" << std::hex << unsigned(c);
    }
    EXPECT_EQ(wrap(sjis(u"あい(う"), 25), (Starts{0, 2}));
}

TEST(LineBreak, RunsOfForbiddenCharactersMoveTogether) {
    // 」。 cannot start the line: う goes down with both.
    EXPECT_EQ(wrap(sjis(u"あいう」。えお"), 30), (Starts{0, 2, 5}));
    // 「「 cannot end it either: both go down with う.
    EXPECT_EQ(wrap(sjis(u"あ「「うえ"), 30), (Starts{0, 1, 4}));
}

TEST(LineBreak, StopsHangPastAFullLineWhenAsked) {
    auto hung = [](const std::u16string& text, float width) {
        std::vector<std::uint32_t> starts;
        const std::string p = sjis(text);
        lb::wrap(p, cellsOf(p), width, starts, lb::Hanging::Stops);
        return starts;
    };
    struct Case {
        std::u16string text;
        Starts plain, hanging;
    };
    const Case cases[] = {
        {u"あいう。え", {0, 2}, {0, 4}},          // 。 hangs instead of taking う along
        {u"あいう、え", {0, 2}, {0, 4}},
        {u"あいう｡え", {0, 2}, {0, 4}},           // the half-width stop too
        {u"あいう。」え", {0, 2, 5}, {0, 5}},     // a closer after a hung stop hangs with it
        {u"あい。」え", {0, 1, 4}, {0, 4}},       // ... and after a stop in the last cell
        {u"あいう。」」え", {0, 2, 5}, {0, 2, 5}}, // never more than two cells: kinsoku as usual
        {u"あい。」」え", {0, 1, 4}, {0, 1, 4}},
        {u"あいう」え", {0, 2}, {0, 2}},          // a closer alone does not hang
        {u"あいう。。え", {0, 2, 5}, {0, 2, 5}},  // nor a second stop
        {u"あいうえおかき", {0, 3, 6}, {0, 3, 6}},
        {u"あいう。", {0, 2}, {0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wrap(sjis(c.text), 30), c.plain) << sjis(c.text);
        EXPECT_EQ(hung(c.text, 30), c.hanging) << sjis(c.text);
    }
}

TEST(LineBreak, ALineOfOnlyForbiddenCharactersStillWraps) {
    EXPECT_EQ(wrap(sjis(u"」」」」」」」"), 30), (Starts{0, 3, 6}));
    EXPECT_EQ(wrap(sjis(u"「「「「「「「"), 30), (Starts{0, 3, 6}));
    EXPECT_EQ(wrap(sjis(u"ーーーー"), 10), (Starts{0, 1, 2, 3}));
    // A run of them longer than what is left of the line breaks where the width ends.
    const Starts starts = wrap(sjis(u"あいう」」」」え"), 30);
    ASSERT_GE(starts.size(), 3u);
    EXPECT_EQ(starts[1], 2u);
}

TEST(LineBreak, LatinWordsWrapAtSpaces) {
    EXPECT_EQ(wrap("abc def ghi", 30), (Starts{0, 4, 8}));
    // The space after a full line hangs instead of starting the next one.
    EXPECT_EQ(wrap("abcdef ghi", 30), (Starts{0, 7}));
    // Only one space hangs; the others start the next line.
    EXPECT_EQ(wrap("abcdef   ghi", 30), (Starts{0, 7}));
    const Starts many = wrap("abcdef" + std::string(8, ' ') + "x", 30);
    EXPECT_EQ(many[1], 7u);
    // A word after Japanese text moves down whole when it fits on a line.
    EXPECT_EQ(wrap(sjis(u"あいHarf"), 30), (Starts{0, 2}));
}

TEST(LineBreak, WordsLongerThanALineBreakInside) {
    EXPECT_EQ(wrap("abcdefghijklmnop", 30), (Starts{0, 6, 12}));
    EXPECT_EQ(wrap(sjis(u"あいabcdefghij"), 30), (Starts{0, 2, 8}));
    // Inside a word the kinsoku rules still hold: ")" does not begin a line.
    EXPECT_EQ(wrap("abcde)fgh", 25), (Starts{0, 4}));
}

TEST(LineBreak, LooserRulesKeepALatinWordWholeBeforeARunOfSmallKana) {
    // "Harf、ぁぃぅ": no break the full rules allow (、 and the small kana may not begin a
    // line), but a small kana may begin one under the looser rules: the word stays whole.
    EXPECT_EQ(wrap(sjis(u"Harf、ぁぃぅ"), 40), (Starts{0, 6}));
    EXPECT_EQ(wrap(sjis(u"Harf、ーーー"), 40), (Starts{0, 6}));
    // The looser rules let a small kana begin a line even after a closing bracket ...
    EXPECT_EQ(wrap(sjis(u"Harf」ぁ"), 30), (Starts{0, 5}));
    // ... but never 、: it keeps the word's last letter with it.
    EXPECT_EQ(wrap(sjis(u"Harf、"), 20), (Starts{0, 3}));
    // Where the full rules find a break, the looser ones are not used.
    EXPECT_EQ(wrap(sjis(u"あいうぁえ"), 30), (Starts{0, 2}));
}

// A run of the same dash or ellipsis is never split; between two different ones a line may end.
TEST(LineBreak, DashesAndEllipsesStayTogetherWithTheirOwnKind) {
    const struct {
        std::u16string_view text;
        Starts starts;
    } cases[] = {
        {u"あいう……", {0, 3}},        // …… at a line end goes down whole
        {u"あいう――え", {0, 3}},      // ―― is not split across lines
        {u"あいう‥‥", {0, 3}},
        {u"あいう…‥え", {0, 4}},      // …‥ may be parted
        {u"あいう―…", {0, 4}},
        {u"あ――――――", {0, 1, 5}},  // a run longer than a line still breaks
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(wrap(sjis(cases[i].text), 40), cases[i].starts) << i;
}

TEST(LineBreak, ACellWiderThanTheLineStandsAlone) {
    EXPECT_EQ(wrap(sjis(u"あいう"), 4), (Starts{0, 1, 2}));
    EXPECT_EQ(wrap(sjis(u"「」「」"), 0), (Starts{0, 1, 2, 3}));
    EXPECT_EQ(wrap("ab", -5), (Starts{0, 1}));
}

TEST(LineBreak, PairedDigitsAreOneWordPiece) {
    // A vertical cell holding two digits (length 2, ASCII bytes) joins the Latin word after it.
    const std::string p = "12ab";
    const std::vector<Cell> cells = {{0, 2, 10}, {2, 1, 5}, {3, 1, 5}};
    std::vector<std::uint32_t> starts;
    lb::wrap(p, cells, 15, starts);
    EXPECT_EQ(starts, (Starts{0, 2}));
    EXPECT_EQ(lb::propertiesOf(p, cells[0]), lb::kWord);
}

// Random paragraphs of ordinary, forbidden and Latin characters: every line holds at least
// one cell, fits the width (but for one hanging space or a lone wide cell), and wrapping ends.
TEST(LineBreak, RandomParagraphsKeepTheInvariants) {
    const std::u16string alphabet = u"あいう漢字「」『』（）、。ーっャ…― abcXYZ12.,)(";
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::u16string text;
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        const std::string p = sjis(text);
        const std::vector<Cell> cells = cellsOf(p);
        const float width = static_cast<float>(random() % 80);
        std::vector<std::uint32_t> starts;
        lb::wrap(p, cells, width, starts);
        ASSERT_FALSE(starts.empty());
        ASSERT_EQ(starts[0], 0u);
        for (std::size_t l = 0; l < starts.size(); ++l) {
            const std::size_t end = l + 1 < starts.size() ? starts[l + 1] : cells.size();
            if (cells.empty()) break;
            ASSERT_LT(starts[l], end) << "empty line";
            std::size_t last = end;  // one space at the end may hang
            if (end - starts[l] > 1 && p[cells[end - 1].offset] == ' ') --last;
            float extent = 0;
            for (std::size_t k = starts[l]; k < last; ++k) extent += cells[k].advance;
            if (last - starts[l] > 1) {
                EXPECT_LE(extent, width);
            }
        }
    }
}
