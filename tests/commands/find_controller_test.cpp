// Find, find next and replace on a real edit control: where each search starts, the fixed
// matching options, what is selected after a hit, and replace all against the replace
// loop run step by step on the control itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <random>
#include <string>
#include <vector>

#include "edit/edit_control.h"
#include "text/codec.h"
#include "commands/find_controller.h"
#include "dialogs/find_dialogs.h"
#include "support/qt_helpers.h"

using verlo::edit::EditControl;
using verlo::commands::FindController;

namespace {

using verlo::test::fromCp932;

class FindControllerTest : public testing::Test {
protected:
    verlo::text::Document viewed;
    EditControl memo2{viewed};
    FindController controller{memo2, nullptr};

    void setFind(const std::string& s) { controller.findDialog().findField()->setText(fromCp932(s)); }
    void setReplace(const std::string& find, const std::string& replacement) {
        controller.replaceDialog().findField()->setText(fromCp932(find));
        controller.replaceDialog().replaceField()->setText(fromCp932(replacement));
    }
    std::pair<std::size_t, std::size_t> selection() const { return {memo2.selStart(), memo2.selLength()}; }
    using Sel = std::pair<std::size_t, std::size_t>;
};

const std::string kHyo = "\x95\x5C";  // 表, whose trail byte is a backslash

// The replace loop, one search and one replacement of the selection at a time.
void replaceLoop(EditControl& memo, const std::string& needle, const std::string& replacement) {
    memo.setSelStart(0);
    for (int guard = 0; guard < 10000; ++guard) {
        const std::size_t start = memo.selStart() + memo.selLength();
        const long long hit = memo.findText(start, memo.textLength(), needle, false, false);
        if (hit < 0) return;
        memo.setSelStart(static_cast<std::size_t>(hit));
        memo.setSelLength(needle.size());
        memo.replaceSelection(replacement, false);
    }
    ADD_FAILURE() << "the loop did not end";
}

}  // namespace

TEST_F(FindControllerTest, FindButtonStartsAtTheBeginningAndF3AtTheCaret) {
    memo2.setText("cat dog cat dog cat");
    setFind("cat");
    memo2.setSelStart(5);
    EXPECT_TRUE(controller.findFromDialog());
    EXPECT_EQ(selection(), Sel(0, 3));
    memo2.setSelStart(5);
    EXPECT_TRUE(controller.findNext());
    EXPECT_EQ(selection(), Sel(8, 3));
    // F3 at the very start of an occurrence finds that occurrence.
    memo2.setSelStart(16);
    EXPECT_TRUE(controller.findNext());
    EXPECT_EQ(selection(), Sel(16, 3));
}

TEST_F(FindControllerTest, RepeatedFindsWalkThroughAndDoNotWrap) {
    memo2.setText("cat dog cat dog cat");
    setFind("cat");
    std::vector<std::size_t> starts;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(controller.findFromDialog());
        starts.push_back(memo2.selStart());
    }
    EXPECT_EQ(starts, (std::vector<std::size_t>{0, 8, 16}));
    EXPECT_FALSE(controller.findFromDialog());
    EXPECT_FALSE(controller.findNext());
    EXPECT_EQ(selection(), Sel(16, 3));
}

TEST_F(FindControllerTest, FindMatchesCaseAndReplaceDoesNot) {
    memo2.setText("Word WORD word");
    setFind("word");
    EXPECT_TRUE(controller.findFromDialog());
    EXPECT_EQ(selection(), Sel(10, 4));
    setReplace("word", "x");
    EXPECT_EQ(controller.replaceAll(), 3u);
    EXPECT_EQ(memo2.text(), "x x x");
    // Full-width letters keep their case even when case is ignored.
    memo2.setText("\x82\x60\x82\x81");  // Ａａ
    setReplace("\x82\x81", "-");
    EXPECT_EQ(controller.replaceAll(), 1u);
    EXPECT_EQ(memo2.text(), "\x82\x60-");
}

TEST_F(FindControllerTest, F3BeforeTheDialogWasUsedFindsNothingAndChangesNothing) {
    memo2.setText("abc");
    memo2.setSelection(1, 2);
    EXPECT_FALSE(controller.findNext());
    EXPECT_EQ(selection(), Sel(1, 1));
    EXPECT_EQ(memo2.text(), "abc");
    // The replace dialog's string is not F3's.
    setReplace("c", "");
    EXPECT_FALSE(controller.findNext());
    EXPECT_EQ(selection(), Sel(1, 1));
}

TEST_F(FindControllerTest, DoubleByteHitsAreSelectedByTheirByteLength) {
    memo2.setText(kHyo + "\\" + "\x82\xA0\x82\xA2" "\\");  // 表\あい\.
    setFind("\\");
    EXPECT_TRUE(controller.findFromDialog());
    EXPECT_EQ(selection(), Sel(2, 1));  // not the trail byte of 表
    EXPECT_TRUE(controller.findFromDialog());
    EXPECT_EQ(selection(), Sel(7, 1));
    setFind("\x82\xA0\x82\xA2");
    memo2.setSelStart(0);
    EXPECT_TRUE(controller.findFromDialog());
    EXPECT_EQ(selection(), Sel(3, 4));
    EXPECT_EQ(memo2.selectedText(), "\x82\xA0\x82\xA2");
}

TEST_F(FindControllerTest, ReplaceAllTakesEachOccurrenceOnceAndLeavesTheCaretAfterTheLast) {
    memo2.setText("banana");
    setReplace("a", "aa");
    EXPECT_EQ(controller.replaceAll(), 3u);
    EXPECT_EQ(memo2.text(), "baanaanaa");
    EXPECT_EQ(selection(), Sel(9, 0));

    memo2.setText("a-b-c");
    setReplace("-", "");
    EXPECT_EQ(controller.replaceAll(), 2u);
    EXPECT_EQ(memo2.text(), "abc");
    EXPECT_EQ(selection(), Sel(2, 0));
    EXPECT_FALSE(memo2.document().canUndo());  // the program's replacement is not undoable

    memo2.setSelection(1, 3);
    setReplace("zz", "y");
    EXPECT_EQ(controller.replaceAll(), 0u);
    EXPECT_EQ(memo2.text(), "abc");
    EXPECT_EQ(selection(), Sel(0, 0));
}

TEST_F(FindControllerTest, ReplaceOneSkipsTheSelectionAndStartsOverAfterwards) {
    memo2.setText("one two one two one");
    setFind("one");
    setReplace("one", "1");
    ASSERT_TRUE(controller.findFromDialog());  // selects the first "one"
    EXPECT_TRUE(controller.replaceOne());      // replaces the second
    EXPECT_EQ(memo2.text(), "one two 1 two one");
    EXPECT_EQ(selection(), Sel(9, 0));
    // Nothing selected now: the next press searches from the beginning of the text.
    EXPECT_TRUE(controller.replaceOne());
    EXPECT_EQ(memo2.text(), "1 two 1 two one");
    EXPECT_EQ(selection(), Sel(1, 0));
    memo2.setSelection(12, 15);  // the last "one" selected: nothing after it
    EXPECT_FALSE(controller.replaceOne());
    EXPECT_EQ(memo2.text(), "1 two 1 two one");
    EXPECT_EQ(selection(), Sel(12, 3));
}

TEST_F(FindControllerTest, ReplaceDialogFindNextIgnoresCaseFromAfterTheSelection) {
    memo2.setText("Ab ab AB");
    setReplace("ab", "");
    memo2.setSelStart(1);
    EXPECT_TRUE(controller.findFromReplaceDialog());  // from the caret, not from the beginning
    EXPECT_EQ(selection(), Sel(3, 2));
    EXPECT_TRUE(controller.findFromReplaceDialog());
    EXPECT_EQ(selection(), Sel(6, 2));
    EXPECT_FALSE(controller.findFromReplaceDialog());
    EXPECT_EQ(selection(), Sel(6, 2));
    EXPECT_EQ(memo2.text(), "Ab ab AB");
}

TEST_F(FindControllerTest, TheDialogsButtonsRunTheCommands) {
    memo2.setText("x a x");
    auto& dialog = controller.replaceDialog();
    setReplace("x", "y");
    QSignalSpy changed(&memo2, &EditControl::changed);
    dialog.replaceAllButton()->click();
    EXPECT_EQ(memo2.text(), "y a y");
    EXPECT_GE(changed.count(), 1);
    setFind("a");
    controller.findDialog().findNextButton()->click();
    EXPECT_EQ(selection(), Sel(2, 1));
}

TEST_F(FindControllerTest, FindGivesTheControlTheFocusAndReplaceDoesNot) {
    verlo::text::Document viewed;
    QWidget window;
    auto* memo = new EditControl(viewed, &window);
    auto* other = new QLineEdit(&window);
    FindController c(*memo, &window);
    memo->setText("find me");
    window.show();
    other->setFocus();
    c.findDialog().findField()->setText("me");
    c.showFindDialog();
    QCoreApplication::processEvents();
    ASSERT_TRUE(c.findDialog().isVisible());
    ASSERT_EQ(QApplication::activeWindow(), &c.findDialog());
    EXPECT_TRUE(c.findFromDialog());
    QCoreApplication::processEvents();
    EXPECT_EQ(window.focusWidget(), memo);
    EXPECT_EQ(QApplication::activeWindow(), &window);
    EXPECT_TRUE(c.findDialog().isVisible());  // the dialog stays open

    other->setFocus();
    c.replaceDialog().findField()->setText("find");
    c.showReplaceDialog();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &c.replaceDialog());
    memo->setSelStart(0);
    EXPECT_TRUE(c.replaceOne());
    QCoreApplication::processEvents();
    EXPECT_EQ(window.focusWidget(), other);
    EXPECT_EQ(QApplication::activeWindow(), &c.replaceDialog());
}

TEST_F(FindControllerTest, ReplaceAllAgreesWithTheLoopOnTheControl) {
    // Valid characters and lone lead bytes; no line breaks in the strings (the dialogs
    // refuse them) and no replacement that ends with a lone lead byte.
    const std::vector<std::string> pieces = {"a", "A", "b", "\\", " ", kHyo, "\x82\x60", "\x82\x81", "\x83\x41",
                                             "\x83\x61", "\xB1", "\x81", "1", "\r\n", "\n"};
    std::mt19937 rng(99);
    auto pick = [&](int lo, int hi, bool lineBreaks) {
        std::string s;
        const int n = std::uniform_int_distribution<int>(lo, hi)(rng);
        for (int i = 0; i < n; ++i) {
            const std::size_t k = std::uniform_int_distribution<std::size_t>(0, pieces.size() - (lineBreaks ? 1 : 3))(rng);
            s += pieces[k];
        }
        return s;
    };
    verlo::text::Document loopText;
    EditControl loop{loopText};
    for (int round = 0; round < 400; ++round) {
        const std::string text = pick(0, 30, true);
        const std::string needle = pick(1, 2, false);
        std::string replacement = pick(0, 2, false);
        if (round % 4 == 0) replacement += needle;
        if (!replacement.empty() && replacement.back() == '\x81') replacement += "a";
        memo2.setText(text);
        setReplace(needle, replacement);
        ASSERT_EQ(controller.replaceDialog().findBytes(), needle);
        controller.replaceAll();
        loop.setText(text);
        replaceLoop(loop, needle, replacement);
        ASSERT_EQ(memo2.text(), loop.text()) << "round " << round;
        ASSERT_EQ(selection(), Sel(loop.selStart(), loop.selLength())) << "round " << round;
    }
}
