#include "text/unicode_offsets.h"

#include <gtest/gtest.h>

#include <random>

#include "support/test_text.h"

namespace verlo::text {
namespace {

using test::sjis;

TEST(ReaderText, OneUnitPerCharacterAndPerLineBreak) {
    struct Case {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {sjis(u"吾輩は猫"), u"吾輩は猫"},
        {"a\r\nb\rc\nd", u"a\nb\nc\nd"},
        {"\r\r\n\n", u"\n\n\n"},
        {"\x80" "a\xFD", u"\uFFFDa\uFFFD"},      // bytes that are not text
        {"\x82", u"\uFFFD"},                     // a lead byte at the end
        {"\x87\x90", u"\u2252"},                 // the round-trip block reads as what it stands for
        {"\xF0\x40", u"\uE000"},                 // the user-defined area stays private
        {sjis(u"ｱｲ〜"), u"ｱｲ～"},  // 81 60 reads as the decoder gives it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readerText(c.bytes), c.text);
        EXPECT_EQ(readerLength(c.bytes), c.text.size());
    }
}

// Brute force over the whole text, for comparison.
std::size_t offsetByScan(const Document& doc, std::size_t pos) {
    return readerLength(doc.slice(0, doc.snapCaretPos(pos)));
}

void expectMapsLikeScan(UnicodeOffsets& offsets, const Document& doc) {
    ASSERT_EQ(offsets.count(), readerLength(doc.text()));
    std::size_t expected = 0;
    for (std::size_t pos = 0;; pos = doc.nextCaretPos(pos), ++expected) {
        ASSERT_EQ(offsets.offsetOf(pos), expected) << "at byte " << pos;
        ASSERT_EQ(offsets.posOf(expected), pos) << "at offset " << expected;
        if (pos >= doc.length()) break;
    }
    EXPECT_EQ(offsets.posOf(expected + 5), doc.length());
}

TEST(UnicodeOffsets, MapsEveryCaretPositionAcrossChunks) {
    Document doc;
    doc.setText(sjis(u"吾輩は猫である。\r\n名前はまだ無い。\rabc\nどこで生れたかとんと見当がつかぬ。") + "\x88\x9F\x88\x9F\x80");
    for (std::size_t chunk : {2u, 5u, 64u, 4096u}) {
        UnicodeOffsets offsets(doc, chunk);
        expectMapsLikeScan(offsets, doc);
        // Between the CR and the LF of a break is the break's own offset.
        EXPECT_EQ(offsets.offsetOf(doc.lineEnd(0) + 1), offsets.offsetOf(doc.lineEnd(0)));
    }
    Document empty;
    UnicodeOffsets offsets(empty, 4);
    EXPECT_EQ(offsets.count(), 0u);
    EXPECT_EQ(offsets.posOf(3), 0u);
}

// Random edits with bytes that pair up differently with their neighbours (lead-class trail
// bytes, lone lead bytes, CR next to LF): the followed chunks always map as a fresh scan
// does, and the span a change reports is all the reader's text that changed.
TEST(UnicodeOffsets, FollowsRandomEditsAsAFreshCountWould) {
    const std::string pieces[] = {"a", "\r", "\n", "\r\n", "\x88\x9F", "\x88", "\x9F", "\x82\xA0",
                                  sjis(u"猫"), sjis(u"。"), "\x80", " "};
    std::mt19937 rng(7);
    auto randomBytes = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += pieces[rng() % std::size(pieces)];
        return s;
    };
    for (std::size_t chunk : {3u, 16u}) {
        Document doc;
        UnicodeOffsets offsets(doc, chunk);
        doc.setText(randomBytes(60));
        offsets.forget();
        offsets.count();
        for (int step = 0; step < 1000; ++step) {
            const std::size_t pos = rng() % (doc.length() + 1);
            const std::size_t len = std::min<std::size_t>(rng() % 6, doc.length() - pos);
            const std::string in = randomBytes(rng() % 4);
            std::size_t from = 0;
            std::size_t to = 0;
            offsets.changeSpan(pos, len, &from, &to);
            const std::string before = doc.text();
            Change change;
            change.pos = pos;
            change.removed = len;
            change.inserted = in.size();
            doc.replace(pos, len, in, EditKind::Edit);
            offsets.documentChanged(change);
            const std::string after = doc.text();
            // from and the span's end are where readers' characters start, before and after.
            auto splitsCleanly = [](std::string_view text, std::size_t a, std::size_t b) {
                return readerText(text) == readerText(text.substr(0, a)) + readerText(text.substr(a, b - a)) +
                                               readerText(text.substr(b));
            };
            const std::size_t newTo = to + in.size() - len;
            ASSERT_TRUE(splitsCleanly(before, from, to)) << "step " << step;
            ASSERT_TRUE(splitsCleanly(after, from, newTo)) << "step " << step;
            ASSERT_EQ(before.substr(0, from), after.substr(0, from));
            ASSERT_EQ(before.substr(to), after.substr(newTo));
            ASSERT_NO_FATAL_FAILURE(expectMapsLikeScan(offsets, doc)) << "step " << step;
        }
        ASSERT_EQ(offsetByScan(doc, doc.length()), offsets.count());
    }
}

}  // namespace
}  // namespace verlo::text
