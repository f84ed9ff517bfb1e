// The undo rules (undo_history.h), through the document that applies them.
#include "text/undo_history.h"

#include <gtest/gtest.h>

#include <string>

#include "text/document.h"

using namespace verlo::text;

namespace {

void type(Document& doc, std::size_t pos, std::string_view chars) {
    // One character at a time, each right after the one before.
    for (char c : chars) doc.replace(pos++, 0, std::string(1, c), EditKind::Typing);
}

int undoAll(Document& doc) {
    int steps = 0;
    while (doc.canUndo()) {
        doc.undo();
        ++steps;
    }
    return steps;
}

}  // namespace

TEST(UndoTyping, ConsecutiveTypingIsOneStep) {
    Document doc;
    type(doc, 0, "abc");
    const Range r = doc.undo();
    EXPECT_EQ(doc.text(), "");
    EXPECT_EQ(r.anchor, 0u);
    EXPECT_EQ(r.caret, 0u);
    EXPECT_FALSE(doc.canUndo());
    const Range rr = doc.redo();
    EXPECT_EQ(doc.text(), "abc");
    EXPECT_EQ(rr.caret, 3u);
    EXPECT_EQ(rr.anchor, 3u);
}

TEST(UndoTyping, WhatEndsARun) {
    struct Case {
        const char* what;
        void (*edit)(Document&);
        std::string text;
        int steps;
    };
    const Case cases[] = {
        {"typing elsewhere", [](Document& d) { type(d, 0, "ab"); type(d, 0, "x"); }, "xab", 2},
        {"breakTyping (the caret moved)", [](Document& d) { type(d, 0, "ab"); d.breakTyping(); type(d, 2, "c"); }, "abc", 2},
        {"a typed line break joins the run and ends it",
         [](Document& d) { type(d, 0, "ab"); d.replace(2, 0, "\r\n", EditKind::Typing); type(d, 4, "cd"); }, "ab\r\ncd", 2},
        {"a delete is a step of its own",
         [](Document& d) { type(d, 0, "abc"); d.replace(2, 1, "", EditKind::Edit); type(d, 2, "d"); }, "abd", 3},
        {"an edit (paste) is a step of its own",
         [](Document& d) { type(d, 0, "ab"); d.replace(2, 0, "XY", EditKind::Edit); type(d, 4, "c"); }, "abXYc", 3},
        {"undo and redo end the run", [](Document& d) { type(d, 0, "ab"); d.undo(); d.redo(); type(d, 2, "c"); }, "abc", 2},
        {"a group ends the run",
         [](Document& d) { type(d, 0, "a"); d.beginGroup(); d.endGroup(); type(d, 1, "b"); }, "ab", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc;
        c.edit(doc);
        EXPECT_EQ(doc.text(), c.text);
        EXPECT_EQ(undoAll(doc), c.steps);
        EXPECT_EQ(doc.text(), "");
    }
}

TEST(UndoTyping, TypingOverASelectionRestoresIt) {
    Document doc;
    doc.setText("one xyz two");
    doc.replace(4, 3, "a", EditKind::Typing);
    type(doc, 5, "bc");
    EXPECT_EQ(doc.text(), "one abc two");
    const Range r = doc.undo();
    EXPECT_EQ(doc.text(), "one xyz two");
    EXPECT_EQ(r.anchor, 4u);  // the restored text is selected
    EXPECT_EQ(r.caret, 7u);
    EXPECT_FALSE(doc.canUndo());
}

TEST(UndoGroups, ChangesInAGroupUndoAsOne) {
    Document doc;
    doc.setText("hello world");
    doc.beginGroup();
    doc.replace(0, 5, "", EditKind::Edit);          // delete the selection
    doc.beginGroup();                               // nested: still the same step
    doc.replace(0, 0, "bye", EditKind::Edit);       // insert the pasted text
    doc.endGroup();
    type(doc, 3, "!!");
    doc.endGroup();
    EXPECT_EQ(doc.text(), "bye!! world");
    doc.undo();
    EXPECT_EQ(doc.text(), "hello world");
    EXPECT_FALSE(doc.canUndo());
    doc.redo();
    EXPECT_EQ(doc.text(), "bye!! world");

    doc.beginGroup();
    doc.endGroup();
    doc.undo();  // the empty group left no step
    EXPECT_EQ(doc.text(), "hello world");
}

TEST(UndoGroups, BreakingTypingOrSettingTheSavePointInsideAGroupKeepsItWhole) {
    const struct {
        const char* name;
        void (*between)(Document&);
        bool modifiedAfterUndo;
    } cases[] = {
        {"breakTyping", [](Document& d) { d.breakTyping(); }, false},
        // The text saved in the middle of the group is no state undo or redo comes back to.
        {"setModified(false)", [](Document& d) { d.setModified(false); }, true},
        {"setModified(true)", [](Document& d) { d.setModified(true); }, true},
    };
    for (const auto& c : cases) {
        Document doc;
        doc.setModified(false);
        doc.beginGroup();
        type(doc, 0, "a");
        c.between(doc);
        type(doc, 1, "b");
        doc.endGroup();
        EXPECT_EQ(doc.modified(), true) << c.name;
        doc.undo();
        EXPECT_EQ(doc.text(), "") << c.name;
        EXPECT_FALSE(doc.canUndo()) << c.name;
        EXPECT_EQ(doc.modified(), c.modifiedAfterUndo) << c.name;
        doc.redo();
        EXPECT_EQ(doc.text(), "ab") << c.name;
        EXPECT_TRUE(doc.modified()) << c.name;
    }
}

TEST(UndoHistoryLimits, NotUndoableChangesEmptyTheHistory) {
    Document doc;
    type(doc, 0, "abc");
    doc.replace(0, 0, "x", EditKind::Edit);
    doc.undo();
    ASSERT_TRUE(doc.canRedo());
    doc.replace(1, 1, "B", EditKind::NotUndoable);
    EXPECT_FALSE(doc.canUndo());
    EXPECT_FALSE(doc.canRedo());
    EXPECT_EQ(doc.text(), "aBc");
    const Range r = doc.undo();  // nothing to undo: no change
    EXPECT_EQ(doc.text(), "aBc");
    EXPECT_EQ(r.anchor, 0u);
    EXPECT_EQ(r.caret, 0u);
    doc.redo();
    EXPECT_EQ(doc.text(), "aBc");
}

TEST(UndoHistoryLimits, ANewStepDiscardsRedo) {
    Document doc;
    type(doc, 0, "ab");
    doc.undo();
    doc.replace(0, 0, "z", EditKind::Edit);
    EXPECT_FALSE(doc.canRedo());
    doc.undo();
    EXPECT_EQ(doc.text(), "");
    EXPECT_FALSE(doc.canUndo());
}

TEST(UndoSavePoint, ModifiedFollowsTheSavePoint) {
    Document doc;
    doc.setText("saved");
    doc.setModified(false);
    type(doc, 5, "!");
    EXPECT_TRUE(doc.modified());
    doc.undo();
    EXPECT_FALSE(doc.modified());  // back at the save point
    doc.redo();
    EXPECT_TRUE(doc.modified());
    doc.setModified(false);        // saved again, after "!"
    doc.undo();
    EXPECT_TRUE(doc.modified());
    doc.redo();
    EXPECT_FALSE(doc.modified());
}

TEST(UndoSavePoint, SavingEndsTheTypingRun) {
    Document doc;
    type(doc, 0, "ab");
    doc.setModified(false);
    type(doc, 2, "c");  // would have joined the run; the save point lies between
    EXPECT_TRUE(doc.modified());
    doc.undo();
    EXPECT_EQ(doc.text(), "ab");
    EXPECT_FALSE(doc.modified());
}

TEST(UndoSavePoint, UnreachableSavePointKeepsTheTextModified) {
    struct Case {
        const char* what;
        void (*lose)(Document&);
    };
    const Case cases[] = {
        {"a new step after undoing past the save point",
         [](Document& d) { d.undo(); d.replace(0, 0, "x", EditKind::Edit); }},
        {"a not-undoable change", [](Document& d) { d.replace(0, 0, "x", EditKind::NotUndoable); }},
        {"emptying the history while modified", [](Document& d) { d.replace(0, 0, "x", EditKind::Edit); d.emptyUndo(); }},
        {"setModified(true)", [](Document& d) { d.setModified(true); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc;
        type(doc, 0, "ab");
        doc.setModified(false);
        c.lose(doc);
        EXPECT_TRUE(doc.modified());
        for (int i = 0; i < 4; ++i) {
            doc.undo();
            EXPECT_TRUE(doc.modified());
        }
        while (doc.canRedo()) {
            doc.redo();
            EXPECT_TRUE(doc.modified());
        }
        doc.setModified(false);
        EXPECT_FALSE(doc.modified());
    }
}

TEST(UndoSavePoint, EmptyingTheHistoryOfASavedTextKeepsItUnmodified) {
    Document doc;
    type(doc, 0, "ab");
    doc.setModified(false);
    doc.emptyUndo();
    EXPECT_FALSE(doc.modified());
    EXPECT_FALSE(doc.canUndo());
    type(doc, 2, "c");
    doc.undo();
    EXPECT_FALSE(doc.modified());
}

TEST(UndoRanges, UndoSelectsWhatItRestored) {
    Document doc;
    doc.setText("abcdef");
    doc.replace(1, 3, "", EditKind::Edit);  // delete "bcd"
    Range r = doc.undo();
    EXPECT_EQ(doc.text(), "abcdef");
    EXPECT_EQ(r.anchor, 1u);
    EXPECT_EQ(r.caret, 4u);
    r = doc.redo();
    EXPECT_EQ(r.anchor, 1u);
    EXPECT_EQ(r.caret, 1u);
    doc.replace(2, 1, "XYZ", EditKind::Edit);  // "aef" -> "aeXYZ"
    r = doc.redo();                            // nothing to redo
    EXPECT_EQ(r.caret, 0u);
    r = doc.undo();
    EXPECT_EQ(doc.text(), "aef");
    EXPECT_EQ(r.anchor, 2u);
    EXPECT_EQ(r.caret, 3u);
    r = doc.redo();
    EXPECT_EQ(r.caret, 5u);
}
