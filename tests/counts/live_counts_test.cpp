// The live counts follow every change exactly: after seeded random edits they equal a
// count of the whole text made afresh, for the text and for any range of it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "counts/char_count.h"
#include "counts/live_counts.h"
#include "counts/manuscript.h"
#include "text/document.h"

using namespace verlo::counts;
using verlo::text::Change;
using verlo::text::Document;
using verlo::text::DocumentListener;

namespace {

// The manuscript lines counted the plain way: split into paragraphs, count each.
std::size_t freshManuscriptLines(const std::string& text) {
    std::size_t lines = 0, start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size()) {
            if (i > start) lines += manuscriptLines(std::string_view(text).substr(start, i - start));
            break;
        }
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines += manuscriptLines(std::string_view(text).substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines;
}

struct Follower : DocumentListener {
    Document* doc = nullptr;
    LiveCounts counts;
    void documentChanged(const Change& change) override { counts.apply(*doc, change); }
};

class LiveCountsTest : public ::testing::Test {
protected:
    LiveCountsTest() : doc({16, 4}) {
        follower.doc = &doc;
        doc.addListener(&follower);
    }
    void expectFresh(std::mt19937& rng, int step) {
        SCOPED_TRACE(step);
        const std::string text = doc.text();
        ASSERT_EQ(follower.counts.chars(), countSelectionChars(text)) << step;
        ASSERT_EQ(follower.counts.manuscriptLines(), freshManuscriptLines(text)) << step;
        for (int k = 0; k < 3; ++k) {
            std::size_t a = std::uniform_int_distribution<std::size_t>(0, text.size())(rng);
            std::size_t b = std::uniform_int_distribution<std::size_t>(0, text.size())(rng);
            if (a > b) std::swap(a, b);
            ASSERT_EQ(follower.counts.charsIn(doc, a, b), countSelectionChars(text.substr(a, b - a)))
                << step << " [" << a << ", " << b << ")";
        }
    }
    Document doc;
    Follower follower;
};

}  // namespace

TEST_F(LiveCountsTest, RandomEditsCountAsAFreshCount) {
    // Pieces that meet each other in every way that changes a count: CRs and LFs that
    // pair up across edits, lead bytes waiting for a trail byte, stops and closers; then,
    // without line breaks, one long paragraph typed into and cut here and there (the walk of
    // a paragraph goes on from the manuscript line before the change).
    const std::vector<std::string> pieceSets[] = {
        {"\r", "\n", "\r\n", "a", "1", "\x82", "\xA0", "\x82\xA0", "\x81\x42", "\x81\x76",
         "\x81\x41\x81\x41\x81\x41\x81\x41\x81\x41\x81\x41\x81\x41"},
        {"\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0", "a", "12", "3", "\x82", "\xA0",
         "\x81\x42", "\x81\x41\x81\x76", "\x81\x76", ")"},
    };
    std::mt19937 rng(19);
    for (const auto& pieces : pieceSets) {
        doc.setText("");
        for (int step = 0; step < 2000; ++step) {
            const std::size_t len = doc.length();
            const std::size_t pos = std::uniform_int_distribution<std::size_t>(0, len)(rng);
            const std::size_t cut =
                std::min<std::size_t>(std::uniform_int_distribution<std::size_t>(0, 6)(rng), len - pos);
            std::string insert;
            for (int n = std::uniform_int_distribution<int>(0, 4)(rng); n > 0; --n)
                insert += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(rng)];
            doc.replace(pos, cut, insert, verlo::text::EditKind::Edit);
            if (step % 7 == 0 && doc.canUndo()) doc.undo();
            expectFresh(rng, step);
        }
    }
}

TEST_F(LiveCountsTest, ManyParagraphsAcrossBlocks) {
    // Thousands of paragraphs, then whole runs of them removed and put back.
    std::string text;
    for (int i = 0; i < 1500; ++i) text += (i % 5 == 0 ? "\x82" : "ab") + std::string(i % 3 == 0 ? "\r" : "\r\n");
    doc.setText(text);
    std::mt19937 rng(3);
    expectFresh(rng, -1);
    for (int step = 0; step < 30; ++step) {
        const std::size_t len = doc.length();
        const std::size_t pos = std::uniform_int_distribution<std::size_t>(0, len)(rng);
        const std::size_t cut = std::min<std::size_t>(std::uniform_int_distribution<std::size_t>(0, 3000)(rng), len - pos);
        const std::string moved = doc.slice(pos, cut);
        doc.replace(pos, cut, {}, verlo::text::EditKind::Edit);
        expectFresh(rng, step);
        doc.replace(std::uniform_int_distribution<std::size_t>(0, doc.length())(rng), 0, moved + moved,
                    verlo::text::EditKind::Edit);
        expectFresh(rng, step);
    }
}

TEST(LiveCounts, RecountOfALoadedText) {
    Document doc;
    doc.setText("\x82\xA0\x82\xA2\r\n\r\n12\r\n");
    LiveCounts counts;
    counts.recount(doc);
    EXPECT_EQ(counts.chars(), 4u);
    EXPECT_EQ(counts.manuscriptLines(), 3u);  // あい, the empty line, 12; nothing after the last break
    EXPECT_EQ(counts.charsIn(doc, 2, 10), 3u);
}
