// The outline follows every change exactly: after seeded random edits its headings and the
// counts of their sections equal those read afresh from the whole text, paragraph by paragraph.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "counts/char_count.h"
#include "counts/manuscript.h"
#include "outline/outline.h"
#include "support/test_text.h"
#include "text/document.h"

using namespace verlo::outline;
using verlo::test::sjis;
using verlo::text::Change;
using verlo::text::Document;

namespace {

struct Section {
    OutlineEntry heading;
    std::size_t chars = 0;
    std::size_t lines = 0;
    bool operator==(const Section&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Section& s) {
    return out << "{paragraph " << s.heading.paragraph << " level " << s.heading.level << " chars " << s.chars
               << " lines " << s.lines << "}";
}

// The sections read the plain way: the text cut into paragraphs, each section's bytes
// counted as the count box counts a selection of them.
std::vector<Section> freshSections(const std::string& text) {
    std::vector<std::size_t> starts{0};
    std::vector<std::string_view> paragraphs;
    for (std::size_t i = 0;; ++i) {
        if (i == text.size()) {
            paragraphs.push_back(std::string_view(text).substr(starts.back()));
            break;
        }
        if (text[i] != '\r' && text[i] != '\n') continue;
        paragraphs.push_back(std::string_view(text).substr(starts.back(), i - starts.back()));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        starts.push_back(i + 1);
    }
    std::vector<OutlineEntry> headings;
    for (std::size_t p = 0; p < paragraphs.size(); ++p)
        if (const int level = readHeading(paragraphs[p], HeadingRules{}).level) headings.push_back({p, level});
    std::vector<Section> sections;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        std::size_t end = paragraphs.size();
        for (std::size_t j = i + 1; j < headings.size(); ++j)
            if (headings[j].level <= headings[i].level) {
                end = headings[j].paragraph;
                break;
            }
        Section s{headings[i]};
        const std::size_t to = end < paragraphs.size() ? starts[end] : text.size();
        s.chars = verlo::counts::countSelectionChars(text.substr(starts[headings[i].paragraph], to - starts[headings[i].paragraph]));
        for (std::size_t p = headings[i].paragraph; p < end; ++p)
            if (p + 1 < paragraphs.size() || !paragraphs[p].empty()) s.lines += verlo::counts::manuscriptLines(paragraphs[p]);
        sections.push_back(s);
    }
    return sections;
}

std::vector<Section> keptSections(Outline& outline, Document& doc) {
    const std::vector<std::size_t> ends = sectionEnds(outline.headings());
    std::vector<Section> sections;
    for (std::size_t i = 0; i < outline.headings().size(); ++i)
        sections.push_back({outline.headings()[i], outline.sectionChars(doc, i, ends),
                            outline.sectionManuscriptLines(doc, i, ends)});
    return sections;
}

struct Follower : verlo::text::DocumentListener {
    Document* doc = nullptr;
    Outline outline;
    void documentChanged(const Change& change) override { outline.apply(*doc, change); }
};

}  // namespace

namespace {

// Pieces that make and unmake headings of every convention and level, and line breaks and
// lone lead bytes that join and part paragraphs under them.
const std::string kPieces[] = {
        "\r", "\n", "\r\n", "\r\n", "\x82", "# ", "## ", "#", " ", sjis(u"第一章"), sjis(u"第３節　"), sjis(u"第"),
        sjis(u"部"), sjis(u"の"), sjis(u"プロローグ"), sjis(u"［＃「雨」は大見出し］"), sjis(u"雨"),
        sjis(u"［＃中見出し］"), sjis(u"［＃中見出し終わり］"), sjis(u"、。」"), sjis(u"あいうえおかきくけこさしすせそ"),
};

// A random edit of the document from the pieces.
void randomEdit(Document& doc, std::mt19937& rng, bool large) {
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
    const std::size_t pos = pick(doc.length());
    const std::size_t cut = std::min(pick(large ? 200 : 8), doc.length() - pos);
    std::string insert;
    for (std::size_t n = pick(5); n > 0; --n) insert += kPieces[pick(std::size(kPieces) - 1)];
    doc.replace(pos, cut, insert, verlo::text::EditKind::Edit);
}

}  // namespace

TEST(Outline, RandomEditsKeepTheSectionsOfAFreshReading) {
    Document doc({16, 4});
    Follower follower;
    follower.doc = &doc;
    doc.addListener(&follower);
    std::mt19937 rng(32);
    for (int step = 0; step < 3000; ++step) {
        randomEdit(doc, rng, step % 50 == 0);
        if (step % 9 == 0 && doc.canUndo()) doc.undo();
        const std::vector<Section> fresh = freshSections(doc.text());
        ASSERT_EQ(keptSections(follower.outline, doc), fresh) << "step " << step;
        if (step % 500 == 0) {
            Outline rebuilt;
            rebuilt.rebuild(doc);
            ASSERT_EQ(keptSections(rebuilt, doc), fresh) << "step " << step;
        }
    }
    EXPECT_GT(follower.outline.headings().size(), 3u);
}

TEST(Outline, ReadAPieceAtATimeWithEditsMeanwhile) {
    Document doc({16, 4});
    std::mt19937 rng(7);
    for (int n = 0; n < 400; ++n) randomEdit(doc, rng, false);
    struct Reader : verlo::text::DocumentListener {
        Document* doc = nullptr;
        Outline outline;
        void documentChanged(const Change& change) override { outline.applyToHeadings(*doc, change); }
    } reader;
    reader.doc = &doc;
    doc.addListener(&reader);
    for (int round = 0; round < 20; ++round) {
        reader.outline.startReading();
        while (reader.outline.readMore(doc, 40)) randomEdit(doc, rng, round % 4 == 0);
        std::vector<OutlineEntry> fresh;
        for (const Section& s : freshSections(doc.text())) fresh.push_back(s.heading);
        ASSERT_EQ(reader.outline.headings(), fresh) << "round " << round;
    }
    doc.removeListener(&reader);
}

TEST(Outline, SectionsNestByLevelAndTheCaretFindsItsHeading) {
    Document doc;
    doc.setText(sjis(u"前書き\r\n# 一部\r\n## 一章\r\n本文\r\n### 一節\r\n## 二章\r\n# 二部\r\n本文"));
    Outline outline;
    outline.rebuild(doc);
    const std::vector<std::size_t> ends = sectionEnds(outline.headings());
    EXPECT_EQ(ends, (std::vector<std::size_t>{4, 3, 3, 4, 5}));
    EXPECT_EQ(outline.headingOf(0), verlo::text::npos);
    EXPECT_EQ(outline.headingOf(3), 1u);
    EXPECT_EQ(outline.headingOf(7), 4u);
    EXPECT_EQ(outline.text(doc, 2), sjis(u"一節"));
    EXPECT_EQ(outline.sectionChars(doc, 0, ends), 22u);  // # 一部, ## 一章, 本文, ### 一節, ## 二章
}
