// Matching rules and the one-pass replace-all, checked against a literal model of the
// replace loop (search, replace, go on after the inserted text) on fixed and random texts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/document.h"
#include "text/search.h"
#include "commands/find_replace_all.h"

using namespace verlo::commands;

namespace {

constexpr auto npos = std::string_view::npos;

// ---- the model: character starts parsed from the beginning of the text every time

bool lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool trail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// The text cut into its characters, each as its start position.
std::vector<std::size_t> charStarts(const std::string& s) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size();) {
        starts.push_back(i);
        i += (lead(s[i]) && i + 1 < s.size() && trail(s[i + 1])) ? 2 : 1;
    }
    return starts;
}

std::string lowerOneByte(std::string c) {
    if (c.size() == 1 && c[0] >= 'A' && c[0] <= 'Z') c[0] = static_cast<char>(c[0] - 'A' + 'a');
    return c;
}

std::size_t modelFind(const std::string& s, std::size_t from, const std::string& needle, bool matchCase) {
    if (needle.empty()) return npos;
    const auto starts = charStarts(s);
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t p = starts[k];
        if (p < from) continue;
        // Compare character by character until the needle's length is covered exactly.
        std::size_t covered = 0;
        std::size_t j = k;
        bool ok = true;
        while (ok && covered < needle.size()) {
            if (j == starts.size()) { ok = false; break; }
            const std::size_t next = j + 1 < starts.size() ? starts[j + 1] : s.size();
            std::string textChar = s.substr(starts[j], next - starts[j]);
            if (covered + textChar.size() > needle.size()) { ok = false; break; }
            std::string needleBytes = needle.substr(covered, textChar.size());
            if (!matchCase) {
                textChar = lowerOneByte(textChar);
                needleBytes = lowerOneByte(needleBytes);
            }
            ok = textChar == needleBytes;
            covered += textChar.size();
            ++j;
        }
        if (ok) return p;
    }
    return npos;
}

struct LoopResult {
    std::string text;
    std::size_t count = 0;
    std::size_t caret = 0;  // after the last replacement; 0 when none
};

LoopResult modelReplaceAll(std::string s, const std::string& needle, const std::string& replacement) {
    LoopResult r;
    std::size_t start = 0;
    for (std::size_t p; (p = modelFind(s, start, needle, false)) != npos;) {
        s.replace(p, needle.size(), replacement);
        start = p + replacement.size();
        r.caret = start;
        ++r.count;
    }
    r.text = std::move(s);
    return r;
}

LoopResult onePass(const std::string& s, const std::string& needle, const std::string& replacement) {
    const ReplaceAllResult r = replaceAll(s, needle, replacement);
    LoopResult out;
    out.count = r.count;
    if (r.count == 0) {
        out.text = s;
        return out;
    }
    EXPECT_LE(r.begin, r.end);
    out.text = s.substr(0, r.begin) + r.bytes + s.substr(r.end);
    out.caret = r.begin + r.bytes.size();
    return out;
}

const std::string kHyo = "\x95\x5C";          // 表: its trail byte is a backslash
const std::string kFullA = "\x82\x60";        // Ａ
const std::string kFullSmallA = "\x82\x81";   // ａ
const std::string kKatakanaA = "\x83\x41";    // ア: its trail byte is "A"
const std::string kKatakanaDi = "\x83\x61";   // ヂ: its trail byte is "a"
const std::string kHalfKana = "\xB1";         // ｱ

}  // namespace

TEST(ReplaceAll, BackslashReplacesOnlyARealBackslash) {
    const LoopResult r = onePass(kHyo + "x\\" + kHyo, "\\", "/");
    EXPECT_EQ(r.text, kHyo + "x/" + kHyo);
    EXPECT_EQ(r.count, 1u);
    // The lead byte alone is not the character either: a match covers whole characters.
    EXPECT_EQ(onePass(kHyo, "\x95", "z").count, 0u);
}

TEST(ReplaceAll, LatinLettersFoldOnlyInOneByteCharacters) {
    EXPECT_EQ(onePass("Word word WORD", "wOrD", "x").text, "x x x");
    // Only A-Z/a-z fold: "[" and "{" differ by the same bit but are not letters.
    EXPECT_EQ(onePass("x[ x@", "X{", "-").count, 0u);
    EXPECT_EQ(onePass("x@", "x`", "-").count, 0u);
    // Full-width letters are not folded.
    EXPECT_EQ(onePass(kFullA + kFullSmallA, kFullSmallA, "z").text, kFullA + "z");
    // A trail byte that reads as a letter belongs to its character: neither matched alone nor folded.
    EXPECT_EQ(onePass(kKatakanaA, "a", "z").count, 0u);
    EXPECT_EQ(onePass(kKatakanaDi, kKatakanaA, "z").count, 0u);
    EXPECT_EQ(onePass(kKatakanaDi + "a", "A", "z").text, kKatakanaDi + "z");
}

TEST(ReplaceAll, ReplacementHoldingTheSearchStringIsNotSearchedAgain) {
    const std::string text = "banana";
    const ReplaceAllResult r = replaceAll(text, "a", "aa");
    EXPECT_EQ(r.count, 3u);
    EXPECT_EQ(r.begin, 1u);
    EXPECT_EQ(r.end, 6u);
    EXPECT_EQ(r.bytes, "aanaanaa");
    const ReplaceAllResult twice = replaceAll("xAx", "a", "Aa");
    EXPECT_EQ(twice.count, 1u);
    EXPECT_EQ(twice.bytes, "Aa");
}

TEST(ReplaceAll, IgnoresLetterCaseAndDeletesWithAnEmptyReplacement) {
    const LoopResult r = onePass("Cat cat CAT dog", "cat", "");
    EXPECT_EQ(r.text, "   dog");
    EXPECT_EQ(r.count, 3u);
    EXPECT_EQ(r.caret, 2u);  // right after the last (empty) replacement
    const LoopResult none = onePass("dog", "cat", "x");
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.text, "dog");
    EXPECT_EQ(onePass("abc", "", "x").count, 0u);
}

TEST(ReplaceAll, DoubleByteTextAndTheSpanEndsWithTheLastReplacement) {
    const std::string text = kHyo + "\\" + kHyo + "\\z";
    const ReplaceAllResult r = replaceAll(text, "\\", "/");
    EXPECT_EQ(r.count, 2u);
    EXPECT_EQ(r.begin, 2u);
    EXPECT_EQ(r.end, 6u);
    EXPECT_EQ(r.bytes, "/" + kHyo + "/");
}

TEST(ReplaceAll, OverlappingOccurrencesAreTakenLeftToRight) {
    EXPECT_EQ(onePass("aaaa", "aa", "b").text, "bb");
    EXPECT_EQ(onePass("aaa", "aa", "b").text, "ba");
    EXPECT_EQ(onePass("aaa", "aa", "a").text, "aa");
}

TEST(ReplaceAll, LoneLeadBytesJoiningTheFollowingByteMoveTheNextCharacterStart) {
    // 0x81 before a space is a character of its own; deleting the space joins it with
    // "A" into one double-byte character, so the "A" is no longer a character start.
    EXPECT_EQ(onePass("\x81 A", " ", "").text, "\x81" "A");
    EXPECT_EQ(onePass("\x81 AA", " ", "").text, modelReplaceAll("\x81 AA", " ", "").text);
    EXPECT_EQ(onePass("\x81 A", " A", "").text, "\x81");
    // A replacement ending in a lead byte joins the byte after the match.
    const std::string text = " A A";
    const LoopResult r = onePass(text, " ", "\x95");
    const LoopResult m = modelReplaceAll(text, " ", "\x95");
    EXPECT_EQ(r.text, m.text);
    EXPECT_EQ(r.count, m.count);
}

TEST(ReplaceAll, AgreesWithTheLoopOnRandomTexts) {
    // Pieces chosen to meet every rule: letters of both cases, backslashes next to 表,
    // full-width letters, katakana with letter-like trail bytes, half-width katakana,
    // line breaks, lone lead bytes and a byte that is never text.
    const std::vector<std::string> pieces = {
        "a", "A", "b", "B", "ab", "\\", " ", "\r\n", "\n", "\r", kHyo, kFullA, kFullSmallA,
        kKatakanaA, kKatakanaDi, kHalfKana, "\x81", "\x95", "\xFD", "1"};
    std::mt19937 rng(20240611);
    auto pick = [&](int minCount, int maxCount) {
        std::string s;
        const int n = std::uniform_int_distribution<int>(minCount, maxCount)(rng);
        for (int i = 0; i < n; ++i) s += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(rng)];
        return s;
    };
    int withMatches = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string text = pick(0, 40);
        std::string needle = pick(1, 3);
        if (round % 2 == 0 && text.size() > 2) {
            // A piece of the text itself, so that matches are common.
            const std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(rng);
            needle = text.substr(at, std::uniform_int_distribution<std::size_t>(1, 4)(rng));
        }
        std::string replacement = pick(0, 3);
        if (round % 5 == 0) replacement += needle;
        const LoopResult expected = modelReplaceAll(text, needle, replacement);
        const LoopResult actual = onePass(text, needle, replacement);
        ASSERT_EQ(actual.text, expected.text) << "round " << round;
        ASSERT_EQ(actual.count, expected.count) << "round " << round;
        ASSERT_EQ(actual.caret, expected.caret) << "round " << round;
        // The document's search, which the replace loop uses, reads matches as the model does.
        const std::size_t from = text.size() / 2;
        const verlo::text::TextParts parts{reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), nullptr, 0};
        for (unsigned flags : {verlo::text::FindNone, verlo::text::FindMatchCase}) {
            ASSERT_EQ(verlo::text::findInText(parts, needle, from, text.size(), flags),
                      modelFind(text, from, needle, flags == verlo::text::FindMatchCase))
                << "round " << round;
        }
        if (expected.count > 0) ++withMatches;
    }
    EXPECT_GT(withMatches, 5000);
}
