// The count of the selection: line break pairs removed the way repeated deletion of the
// first CR LF removes them, then characters counted by the code page's rules.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "counts/char_count.h"

using namespace verlo::counts;

namespace {

std::string deleteFirstPairRepeatedly(std::string s) {
    for (std::size_t at; (at = s.find("\r\n")) != std::string::npos;) s.erase(at, 2);
    return s;
}

}  // namespace

TEST(CharCount, LineBreakPairsGoEvenWhenADeletionBringsThemTogether) {
    EXPECT_EQ(removeCrLfPairs("\r\r\n\n"), "");
    EXPECT_EQ(removeCrLfPairs("a\r\nb"), "ab");
    EXPECT_EQ(removeCrLfPairs("\n\r"), "\n\r");
    EXPECT_EQ(removeCrLfPairs("\r\r\n"), "\r");
    EXPECT_EQ(removeCrLfPairs("x\r\r\r\n\n\ny"), "xy");
    EXPECT_EQ(removeCrLfPairs("x\r\r\n\n\ny"), "x\ny");
}

TEST(CharCount, OnePassEqualsRepeatedDeletion) {
    std::mt19937 rng(7);
    const char alphabet[] = {'\r', '\n', 'x'};
    for (int round = 0; round < 5000; ++round) {
        std::string s;
        const int n = std::uniform_int_distribution<int>(0, 24)(rng);
        for (int i = 0; i < n; ++i) s += alphabet[std::uniform_int_distribution<int>(0, 2)(rng)];
        ASSERT_EQ(removeCrLfPairs(s), deleteFirstPairRepeatedly(s)) << round;
    }
}

TEST(CharCount, CountsCharactersNotBytesAndNotLineBreaks) {
    EXPECT_EQ(countSelectionChars(""), 0u);
    EXPECT_EQ(countSelectionChars("ab\r\ncd"), 4u);
    EXPECT_EQ(countSelectionChars("\x82\xA0\x82\xA2\x82\xA4"), 3u);  // あいう
    EXPECT_EQ(countSelectionChars("\xB1"), 1u);                      // ｱ, half-width katakana
    EXPECT_EQ(countSelectionChars("\t "), 2u);
    // Mixed: 漢字 + ｶﾅ + "A1" + tab, over two lines, with a lone CR and a lone LF counted.
    EXPECT_EQ(countSelectionChars("\x8A\xBF\x8E\x9A\xB6\xC5\r\nA1\t\r\n\r" "b\n"), 10u);
    // 表 keeps its backslash trail byte: one character.
    EXPECT_EQ(countSelectionChars("\x95\x5C\\"), 2u);
    // A lead byte and a trail byte that a removed line break brings together count once.
    EXPECT_EQ(countSelectionChars("\x81\r\n\x41"), 1u);
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
