// The count of the selection: no line break counts (CR LF, a lone CR, a lone LF), then
// characters counted by the code page's rules; the live counts of a whole document agree.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "counts/char_count.h"
#include "counts/live_counts.h"
#include "support/test_text.h"
#include "text/document.h"

using namespace verlo::counts;
using verlo::test::sjis;

namespace {

// text with every "\n" written as brk.
std::string withBreaks(std::string_view text, std::string_view brk) {
    std::string out;
    for (char c : text) c == '\n' ? out.append(brk) : out.append(1, c);
    return out;
}

}  // namespace

TEST(CharCount, CountsCharactersNotBytesAndNotLineBreaks) {
    EXPECT_EQ(countSelectionChars(""), 0u);
    EXPECT_EQ(countSelectionChars("\x82\xA0\x82\xA2\x82\xA4"), 3u);  // あいう
    EXPECT_EQ(countSelectionChars("\xB1"), 1u);                      // ｱ, half-width katakana
    EXPECT_EQ(countSelectionChars("\t "), 2u);
    // 表 keeps its backslash trail byte: one character.
    EXPECT_EQ(countSelectionChars("\x95\x5C\\"), 2u);
    // Breaks of every kind in one text: CR CR LF LF is a CR, a CR LF and an LF.
    EXPECT_EQ(countSelectionChars("a\r\nb\nc\rd\r\r\n\ne\n\r"), 5u);
}

TEST(CharCount, EveryKindOfLineBreakGivesTheSameFigures) {
    const struct {
        std::string text;  // "\n" stands for the line break
        std::size_t chars;
    } cases[] = {
        {"ab\ncd", 4},
        {"\n\n\n", 0},
        {sjis(u"吾輩は猫である。\n名前はまだ無い。\n\n　どこで生れたか"), 24},
        // A lead byte and a trail byte that a removed break brings together count once.
        {"\x81\n\x41", 1},
        {verlo::text::convertLineBreaks(verlo::test::sampleText(), "\n"), 503},
    };
    for (const auto& c : cases) {
        std::size_t lines = 0;
        for (const char* brk : {"\r\n", "\n", "\r"}) {
            const std::string text = withBreaks(c.text, brk);
            SCOPED_TRACE(testing::PrintToString(text.substr(0, 40)));
            EXPECT_EQ(countSelectionChars(text), c.chars);
            verlo::text::Document doc;
            doc.setText(text);
            LiveCounts live;
            live.recount(doc);
            EXPECT_EQ(live.chars(), c.chars);
            EXPECT_EQ(live.charsIn(doc, 0, doc.length()), c.chars);
            if (lines == 0) lines = live.manuscriptLines();
            EXPECT_EQ(live.manuscriptLines(), lines);
        }
    }
}

TEST(CharCount, ATallyFedInPiecesCountsAsTheWholeText) {
    std::mt19937 rng(11);
    const char alphabet[] = {'\r', '\n', 'x', '\x82', '\xA0', '\x41'};
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        for (int n = std::uniform_int_distribution<int>(0, 24)(rng); n > 0; --n)
            s += alphabet[std::uniform_int_distribution<int>(0, 5)(rng)];
        CharTally tally;
        for (std::size_t at = 0; at < s.size();) {
            const std::size_t piece = std::uniform_int_distribution<std::size_t>(0, 5)(rng);
            tally.feed(std::string_view(s).substr(at, piece));
            at += piece;
        }
        ASSERT_EQ(tally.count, static_cast<std::int64_t>(countSelectionChars(s))) << round;
    }
}
