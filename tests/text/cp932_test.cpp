#include "text/cp932.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace cp932 = verlo::text::cp932;

namespace {

// Character starts of s by parsing from the beginning: the definition the walking-back
// functions must agree with.
std::vector<std::size_t> starts(std::string_view s) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < s.size();) {
        out.push_back(i);
        const auto b = static_cast<std::uint8_t>(s[i]);
        i += (cp932::isLeadByte(b) && i + 1 < s.size() && cp932::isTrailByte(static_cast<std::uint8_t>(s[i + 1]))) ? 2 : 1;
    }
    return out;
}

struct LengthCase {
    const char* what;
    std::string bytes;
    std::vector<std::size_t> expectedStarts;
};

}  // namespace

TEST(Cp932Rules, CharacterStartsOfAnnotatedStrings) {
    const std::vector<LengthCase> cases = {
        {"ASCII", "ab", {0, 1}},
        {"表 = 95 5C: the trail byte is a backslash", "\x95\x5C", {0}},
        {"ソ = 83 5C then 'A'", "\x83\x5C" "A", {0, 2}},
        {"lead 81 at the end stands alone", "a\x81", {0, 1}},
        {"lead 81 + 20 (not a trail): two one-byte characters", "\x81 ", {0, 1}},
        {"lead 81 + 7F (not a trail)", "\x81\x7F", {0, 1}},
        {"lead 81 + FD (not a trail)", "\x81\xFD", {0, 1}},
        {"half-width katakana A1-DF are one byte", "\xB1\xB2", {0, 1}},
        {"80, A0, FD-FF are one byte", "\x80\xA0\xFD\xFE\xFF", {0, 1, 2, 3, 4}},
        {"run of lead-class bytes pairs up: 88 88 | 88 88", "\x88\x88\x88\x88", {0, 2}},
        {"odd run: 88 88 | 88 then 'A'... 88 41 is a pair", "\x88\x88\x88" "A", {0, 2}},
        {"odd run at the end: 88 88 | 88", "\x88\x88\x88", {0, 2}},
        {"E0 9F | 40", "\xE0\x9F\x40", {0, 2}},
        {"CR LF are two characters", "\r\n", {0, 1}},
        {"lead before CR: 82 0D is not a pair", "\x82\r\n", {0, 1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(starts(c.bytes), c.expectedStarts);
        std::vector<std::size_t> walked;
        for (std::size_t i = 0; i < c.bytes.size(); i = cp932::nextBoundary(c.bytes, i)) walked.push_back(i);
        EXPECT_EQ(walked, c.expectedStarts);
        EXPECT_EQ(cp932::countChars(c.bytes), c.expectedStarts.size());
        std::vector<std::size_t> back;
        for (std::size_t i = c.bytes.size(); i > 0;) {
            i = cp932::prevBoundary(c.bytes, i);
            back.insert(back.begin(), i);
        }
        EXPECT_EQ(back, c.expectedStarts);
    }
}

TEST(Cp932Rules, LengthAndBoundariesAtTheEdges) {
    EXPECT_EQ(cp932::charLength("", 0), 0u);
    EXPECT_EQ(cp932::charLength("a", 1), 0u);
    EXPECT_EQ(cp932::charLength("\x95\x5C", 0), 2u);
    EXPECT_EQ(cp932::charLength("\x95\x5C", 1), 1u);  // asked in the middle: the trail read alone
    EXPECT_EQ(cp932::nextBoundary("ab", 2), 2u);
    EXPECT_EQ(cp932::nextBoundary("ab", 7), 2u);
    EXPECT_EQ(cp932::prevBoundary("ab", 0), 0u);
    EXPECT_EQ(cp932::prevBoundary("ab", 9), 1u);  // clamped to the end first
    EXPECT_EQ(cp932::snapBack("ab", 9), 2u);
    EXPECT_EQ(cp932::countChars(""), 0u);
}

TEST(Cp932Rules, SnapBackLeavesTheMiddleOfADoubleByteCharacter) {
    // 'a' | 88 9F (亜) | 88 88 | 88 41
    const std::string s = "a\x88\x9F\x88\x88\x88" "A";
    ASSERT_EQ(starts(s), (std::vector<std::size_t>{0, 1, 3, 5}));
    EXPECT_EQ(cp932::snapBack(s, 0), 0u);
    EXPECT_EQ(cp932::snapBack(s, 1), 1u);
    EXPECT_EQ(cp932::snapBack(s, 2), 1u);
    EXPECT_EQ(cp932::snapBack(s, 3), 3u);
    EXPECT_EQ(cp932::snapBack(s, 4), 3u);
    EXPECT_EQ(cp932::snapBack(s, 5), 5u);
    EXPECT_EQ(cp932::snapBack(s, 6), 5u);
    EXPECT_EQ(cp932::snapBack(s, 7), 7u);
}

TEST(Cp932Rules, WalkingBackAgreesWithParsingFromTheStart) {
    // Random strings drawn mostly from lead-class bytes, so long ambiguous runs occur.
    std::mt19937 rng(7);
    const std::uint8_t pool[] = {0x81, 0x88, 0x9F, 0xE0, 0xFC, 0x40, 0x5C, 0x7E, 0x7F, 0xA0, 0xB1, 0xFD, 0x0D, 0x0A, 'a'};
    for (int round = 0; round < 3000; ++round) {
        std::string s(rng() % 24, '\0');
        for (char& ch : s) ch = static_cast<char>(rng() % 3 == 0 ? pool[rng() % sizeof pool] : pool[rng() % 5]);
        const auto st = starts(s);
        std::vector<bool> isStart(s.size() + 1, false);
        for (auto p : st) isStart[p] = true;
        isStart[s.size()] = true;
        std::size_t lastStart = 0;
        for (std::size_t p = 0; p <= s.size(); ++p) {
            if (isStart[p]) {
                ASSERT_EQ(cp932::snapBack(s, p), p) << "at " << p;
                if (p > 0) {
                    ASSERT_EQ(cp932::prevBoundary(s, p), lastStart) << "at " << p;
                }
                lastStart = p;
            } else {
                ASSERT_EQ(cp932::snapBack(s, p), lastStart) << "at " << p;
            }
        }
    }
}
