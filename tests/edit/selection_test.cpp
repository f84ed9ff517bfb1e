// The caret rules without a widget: snapping to caret places, steps over characters and
// words, extending and collapsing, the goal column, and following changes of the text.
#include "edit/selection.h"

#include <gtest/gtest.h>

#include <string>

#include "text/codec.h"
#include "support/test_text.h"

using verlo::edit::Selection;
using verlo::text::Change;
using verlo::text::Document;
using verlo::text::DocumentListener;
using verlo::text::EditKind;

namespace {

using verlo::test::sjis;

// A document whose changes reach a selection, as the control's listener passes them on.
struct Fixture : DocumentListener {
    explicit Fixture(std::string_view text) {
        doc.setText(text);
        doc.addListener(this);
    }
    ~Fixture() override { doc.removeListener(this); }
    void documentChanged(const Change& c) override { sel.documentChanged(c); }

    Document doc;
    Selection sel{doc};
};

TEST(Selection, EndsSnapToCaretPlaces) {
    struct Case {
        std::string text;
        std::size_t anchor, caret;      // asked for
        std::size_t wantAnchor, wantCaret;
    };
    const Case cases[] = {
        {sjis(u"あい"), 1, 3, 0, 2},            // inside two-byte characters: back to their starts
        {"a\r\nb", 2, 2, 1, 1},                 // never between CR and LF
        {"ab", 7, 1, 2, 1},                     // past the end: the end
        {sjis(u"ソ\\"), 2, 3, 2, 3},            // 0x5C after a two-byte character is its own
    };
    for (const Case& c : cases) {
        Fixture f(c.text);
        f.sel.select(c.anchor, c.caret);
        EXPECT_EQ(f.sel.anchor(), c.wantAnchor) << c.text;
        EXPECT_EQ(f.sel.caret(), c.wantCaret) << c.text;
    }
}

TEST(Selection, StepsOverCharactersWordsAndSelections) {
    struct Case {
        std::string text;
        std::size_t anchor, caret;
        bool forward, byWord, extend;
        std::size_t want;
    };
    const std::string jp = sjis(u"今日はWord　日和");  // 今日|は|Word|　|日和
    const Case cases[] = {
        {sjis(u"あい"), 0, 0, true, false, false, 2},
        {"a\r\nb", 1, 1, true, false, false, 3},   // over CR LF at once
        {"a\r\nb", 3, 3, false, false, false, 1},
        {"ab", 0, 0, false, false, false, 0},      // nowhere before the start
        {"ab", 2, 2, true, false, false, 2},       // nor after the end
        {"abcdef", 2, 4, false, false, false, 2},  // a selection collapses to its side
        {"abcdef", 4, 2, true, true, false, 4},
        {"abcdef", 2, 4, true, false, true, 5},    // extending steps from the caret
        {"abc  def", 0, 0, true, true, false, 5},  // the word and the blanks after it
        {"abc  def", 8, 8, false, true, false, 5},
        {"abc  def", 5, 5, false, true, false, 0}, // back over blanks to the word before
        {jp, 0, 0, true, true, false, 4},          // the scripts part the words
        {jp, 6, 6, true, true, false, 12},         // Word and the ideographic space
        {jp, 16, 16, false, true, false, 12},
        {jp, 12, 12, false, true, false, 6},
        {"ab\r\n  cd", 2, 2, true, true, false, 6},  // at a line end: over the break
        {"\r\n\r\n", 2, 2, true, true, false, 4},
        {"ab\r\ncd", 4, 4, false, true, false, 0},  // back from a line start: the word before
    };
    for (const Case& c : cases) {
        Fixture f(c.text);
        f.sel.select(c.anchor, c.caret);
        EXPECT_EQ(f.sel.stepTarget(c.forward, c.byWord, c.extend), c.want)
            << c.text << " from " << c.caret << (c.forward ? " on" : " back") << (c.byWord ? " by word" : "");
    }
}

TEST(Selection, MovesExtendCollapseAndKeepTheGoal) {
    Fixture f("abcdef");
    f.sel.moveTo(2, false);
    f.sel.moveTo(5, true, true);
    EXPECT_EQ(f.sel.anchor(), 2u);
    EXPECT_EQ(f.sel.caret(), 5u);
    EXPECT_TRUE(f.sel.upstream());
    f.sel.setGoal(30);
    f.sel.moveTo(4, true, false, true);  // from line to line: the goal stays
    EXPECT_EQ(f.sel.goal(), 30);
    f.sel.select(1, 3);                  // so it does when the selection is set
    EXPECT_TRUE(f.sel.hasGoal());
    f.sel.moveTo(4, false);
    EXPECT_FALSE(f.sel.hasGoal());
    EXPECT_TRUE(f.sel.empty());
    f.sel.select(1, 3, true);
    f.sel.setGoal(30);
    f.sel.collapse(9);
    EXPECT_EQ(f.sel.anchor(), 6u);
    EXPECT_EQ(f.sel.caret(), 6u);
    EXPECT_FALSE(f.sel.upstream());
    EXPECT_FALSE(f.sel.hasGoal());
}

TEST(Selection, EndsFollowChangesOfTheText) {
    struct Case {
        std::string text;
        std::size_t anchor, caret;
        std::size_t pos, len;
        std::string bytes;
        std::size_t wantAnchor, wantCaret;
    };
    const Case cases[] = {
        {"0123456789", 1, 8, 4, 2, "xyz", 1, 9},   // before stays, after moves with the text
        {"0123456789", 5, 3, 2, 4, "", 2, 2},      // inside what went: where it went
        {"0123456789", 4, 4, 4, 0, "ab", 6, 6},    // typed at the caret: after the new text
        {"0123456789", 6, 6, 2, 4, "Z", 3, 3},     // at the end of what went: after the new text
        {"a\rb\nc", 3, 3, 2, 1, "", 1, 1},         // CR and LF meet: not between them
        {sjis(u"あい"), 4, 4, 0, 4, "x", 1, 1},
    };
    for (const Case& c : cases) {
        Fixture f(c.text);
        f.sel.select(c.anchor, c.caret, true);
        f.sel.setGoal(12);
        f.doc.replace(c.pos, c.len, c.bytes, EditKind::Edit);
        EXPECT_EQ(f.sel.anchor(), c.wantAnchor) << c.text << " at " << c.pos;
        EXPECT_EQ(f.sel.caret(), c.wantCaret) << c.text << " at " << c.pos;
        EXPECT_FALSE(f.sel.upstream());
        EXPECT_FALSE(f.sel.hasGoal());
    }
}

}  // namespace
