#include "text/search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/cp932.h"
#include "text/document.h"

using namespace verlo::text;
namespace cp932 = verlo::text::cp932;

namespace {

// The definition, the slow way: character starts parsed from the beginning.
std::size_t naiveFind(const std::string& s, const std::string& needle, std::size_t from, std::size_t to,
                      unsigned flags) {
    to = std::min(to, s.size());
    if (needle.empty()) return npos;
    std::vector<bool> start(s.size() + 1, false);
    for (std::size_t i = 0; i < s.size(); i += cp932::charLength(s, i)) start[i] = true;
    start[s.size()] = true;
    std::vector<bool> fold(needle.size(), false);
    for (std::size_t i = 0; i < needle.size(); i += cp932::charLength(needle, i))
        fold[i] = !(flags & FindMatchCase) && cp932::charLength(needle, i) == 1 && std::isalpha(static_cast<unsigned char>(needle[i]));
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    const auto wordAt = [&](std::size_t charStart) {
        return cp932::charLength(s, charStart) == 1 && isWordByte(static_cast<std::uint8_t>(s[charStart]));
    };
    for (std::size_t p = from; p + needle.size() <= to; ++p) {
        if (!start[p] || !start[p + needle.size()]) continue;
        bool eq = true;
        for (std::size_t i = 0; i < needle.size() && eq; ++i)
            eq = fold[i] ? lower(s[p + i]) == lower(needle[i]) : s[p + i] == needle[i];
        if (!eq) continue;
        if (flags & FindWholeWord) {
            if (p > 0 && wordAt(cp932::prevBoundary(s, p))) continue;
            if (p + needle.size() < s.size() && wordAt(p + needle.size())) continue;
        }
        return p;
    }
    return npos;
}

// Fills doc with text in two pieces so that its gap sits at gapAt.
void fill(Document& doc, const std::string& text, std::size_t gapAt) {
    doc.setText(text.substr(0, gapAt) + text.substr(gapAt + 1 <= text.size() ? gapAt + 1 : text.size()));
    if (gapAt < text.size()) doc.replace(gapAt, 0, text.substr(gapAt, 1), EditKind::Edit);
}

}  // namespace

TEST(Find, MatchesOnlyAtCharacterStarts) {
    struct Case {
        const char* what;
        std::string text, needle;
        std::size_t expected;
    };
    const Case cases[] = {
        {"backslash after 表 (95 5C), not its trail byte", "\x95\x5C\\", "\\", 2},
        {"ソ (83 5C) alone: no backslash in it", "\x83\x5C", "\\", npos},
        {"'A' after ァ (83 41), not its trail byte", "\x83\x41" "A", "A", 2},
        {"a double-byte needle straddling two characters", "\x88\x88\x88\x88", "\x88\x88", 0},
        {"... found only at the pair boundary", "a\x88\x88\x88\x88", "\x88\x88", 1},
        {"odd run: 88 | 88 88 is not there", "\x88\x9F\x88\x88", "\x9F\x88", npos},
        {"a lone lead needle does not match the lead of a pair", "\x95\x5C", "\x95", npos},
        {"... but matches a lead standing alone", "\x95 ", "\x95", 0},
        {"CR LF", "ab\r\ncd", "\r\n", 2},
        {"Japanese word", "\x82\xA0\x95\x5C\x8C\xBB", "\x95\x5C\x8C\xBB", 2},
        {"empty needle finds nothing", "abc", "", npos},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::size_t gap = 0; gap <= c.text.size(); ++gap) {
            Document doc;
            fill(doc, c.text, gap);
            ASSERT_EQ(doc.text(), c.text);
            EXPECT_EQ(doc.find(c.needle, 0, doc.length(), FindMatchCase), c.expected) << "gap " << gap;
        }
    }
}

TEST(Find, CaseFoldingOnlyForLatinLetters) {
    Document doc;
    doc.setText("Hello HELLO hello");
    EXPECT_EQ(doc.find("hello", 0, doc.length(), FindMatchCase), 12u);
    EXPECT_EQ(doc.find("hello", 0, doc.length(), FindNone), 0u);
    EXPECT_EQ(doc.find("hELLo", 1, doc.length(), FindNone), 6u);
    EXPECT_EQ(doc.find("HELLO", 7, doc.length(), FindNone), 12u);

    // The trail byte 0x61 of 83 61 is no 'a', and ァ (83 41) is not ャ-like 83 61.
    doc.setText("\x83\x61");
    EXPECT_EQ(doc.find("A", 0, 2, FindNone), npos);
    EXPECT_EQ(doc.find("\x83\x41", 0, 2, FindNone), npos);
    // Full-width letters (82 60 Ａ, 82 81 ａ) are not folded.
    doc.setText("\x82\x60");
    EXPECT_EQ(doc.find("\x82\x81", 0, 2, FindNone), npos);
    // Only letters fold: '@' (40) and '`' (60) differ by the same bit.
    doc.setText("@");
    EXPECT_EQ(doc.find("`", 0, 1, FindNone), npos);
}

TEST(Find, WholeWords) {
    Document doc;
    //           0    5     11   16   21
    doc.setText("cats cat_ concat cat. \x94\x4C" "cat");
    const auto all = [&](unsigned flags) {
        std::vector<std::size_t> hits;
        for (std::size_t p = 0; (p = doc.find("cat", p, doc.length(), flags)) != npos; ++p) hits.push_back(p);
        return hits;
    };
    EXPECT_EQ(all(FindMatchCase), (std::vector<std::size_t>{0, 5, 13, 17, 24}));
    // 猫 (94 4C) before "cat" is not a word character, '_' and letters are.
    EXPECT_EQ(all(FindMatchCase | FindWholeWord), (std::vector<std::size_t>{17, 24}));
    // A trail byte that looks like a letter is not a word character either: ア is 83 41.
    doc.setText("\x83\x41" "cat\x83\x41");
    EXPECT_EQ(doc.find("cat", 0, doc.length(), FindWholeWord), 2u);
}

TEST(Find, StaysInsideTheRange) {
    Document doc;
    doc.setText("abcabc");
    EXPECT_EQ(doc.find("abc", 1, 5, FindMatchCase), npos);  // the second "abc" ends at 6
    EXPECT_EQ(doc.find("abc", 1, 6, FindMatchCase), 3u);
    EXPECT_EQ(doc.find("abc", 3, 100, FindMatchCase), 3u);
    EXPECT_EQ(doc.find("abc", 4, 6, FindMatchCase), npos);
    EXPECT_EQ(doc.find("abc", 7, 6, FindMatchCase), npos);
    EXPECT_EQ(doc.find("abc", 0, 0, FindMatchCase), npos);
}

// In the document's usual blocks and in tiny ones, where matches and the characters
// before them span block joins.
TEST(Find, RandomTextsAgreeWithTheDefinition) {
    for (const StorageShape shape : {StorageShape{}, StorageShape{.blockBytes = 5, .blockLines = 2},
                                     StorageShape{.blockBytes = 2, .blockLines = 2}}) {
        SCOPED_TRACE(testing::Message() << "blocks of " << shape.blockBytes);
        std::mt19937 rng(99);
        const char pool[] = {'a', 'A', 'b', '_', ' ', '\x88', '\x95', '\x5C', '\x41', '\x61', '\x9F', '\x82', '\r', '\n'};
        for (int round = 0; round < 400; ++round) {
            std::string text(rng() % 200, '\0');
            for (char& c : text) c = pool[rng() % sizeof pool];
            Document doc(shape);
            fill(doc, text, text.empty() ? 0 : rng() % text.size());
            for (int k = 0; k < 20; ++k) {
                std::string needle;
                if (!text.empty() && rng() % 4 != 0) {
                    const std::size_t at = rng() % text.size();
                    needle = text.substr(at, 1 + rng() % 4);
                } else {
                    needle.resize(1 + rng() % 3);
                    for (char& c : needle) c = pool[rng() % sizeof pool];
                }
                const unsigned flags = rng() % 4;
                // Walk every hit from increasing positions, as replace all does.
                std::size_t from = rng() % (text.size() + 1);
                const std::size_t to = from + rng() % (text.size() + 2);
                for (int hits = 0; hits < 50; ++hits) {
                    const std::size_t expected = naiveFind(text, needle, from, to, flags);
                    ASSERT_EQ(doc.find(needle, from, to, flags), expected)
                        << "round " << round << " flags " << flags << " from " << from;
                    if (expected == npos) break;
                    from = expected + 1;
                }
            }
        }
    }
}
