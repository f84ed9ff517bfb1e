// The writing direction: VerHor, the control's vertical option and the enabled states of
// "縦書き"/"横書き" move together, through the menu shortcuts as the user presses them.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <vector>

#include "commands/command_window.h"
#include "commands/direction.h"

using namespace verlo;
using verlo::test::CommandWindow;

namespace {

struct DirectionWindow : CommandWindow {
    commands::WritingDirection direction{*memo2, settings, *n15, *n16};

    DirectionWindow() {
        QObject::connect(n15, &QAction::triggered, [this] { direction.toVertical(); });
        QObject::connect(n16, &QAction::triggered, [this] { direction.toHorizontal(); });
    }

    void press(Qt::Key key) {
        QTest::keyClick(memo2, key);
        settle();
    }

    void expectState(bool vertical, int verHor) {
        EXPECT_EQ(settings.VerHor, verHor);
        EXPECT_EQ(memo2->isVertical(), vertical);
        EXPECT_EQ(direction.vertical(), vertical);
        EXPECT_EQ(n15->isEnabled(), !vertical);
        EXPECT_EQ(n16->isEnabled(), vertical);
    }
};

// What the control looked like whenever it was hidden or shown.
struct Snapshot {
    QEvent::Type event;
    int verHor;
    bool vertical;
    bool n15Enabled;
};

struct Recorder : QObject {
    DirectionWindow& w;
    std::vector<Snapshot> seen;
    explicit Recorder(DirectionWindow& window) : w(window) { w.memo2->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Show)
            seen.push_back({e->type(), w.settings.VerHor, w.memo2->isVertical(), w.n15->isEnabled()});
        return false;
    }
};

}  // namespace

TEST(WritingDirection, ShortcutsSwitchBackAndForthAndDoNothingInTheStateTheyLeadTo) {
    DirectionWindow w;
    w.direction.applyStored();
    w.show();
    const std::string text = "\x8F\x63\x8F\x91\x82\xAB\r\nabc";  // 縦書き CR LF abc
    w.memo2->setText(text);
    w.memo2->setModified(false);
    w.expectState(false, 0);

    w.press(Qt::Key_F11);  // already horizontal
    w.expectState(false, 0);

    w.press(Qt::Key_F12);
    w.expectState(true, 1);

    Recorder recorder(w);
    w.press(Qt::Key_F12);      // already vertical
    w.direction.toVertical();  // nor when the program calls it while disabled
    w.expectState(true, 1);
    EXPECT_TRUE(recorder.seen.empty());

    w.press(Qt::Key_F11);
    w.expectState(false, 0);
    w.direction.toHorizontal();
    w.expectState(false, 0);

    EXPECT_EQ(w.memo2->text(), text);
    EXPECT_FALSE(w.memo2->modified());
}

TEST(WritingDirection, SwitchingKeepsTextSelectionCaretAndFocus) {
    DirectionWindow w;
    // Another widget that could take the focus while the control is hidden.
    w.window.menuBar()->setCornerWidget(new QLineEdit);
    w.direction.applyStored();
    w.show();
    w.memo2->setText(verlo::test::fullWidth(30) + "\r\n" + verlo::test::fullWidth(30));
    w.memo2->setModified(false);
    w.memo2->setSelection(70, 8);  // made backwards: the caret before the anchor
    ASSERT_EQ(w.memo2->selStart(), 8u);

    for (Qt::Key key : {Qt::Key_F12, Qt::Key_F11}) {
        w.press(key);
        EXPECT_EQ(w.memo2->anchorPos(), 70u);
        EXPECT_EQ(w.memo2->caretPos(), 8u);
        EXPECT_EQ(w.memo2->selStart(), 8u);
        EXPECT_EQ(w.memo2->selLength(), 62u);
        EXPECT_FALSE(w.memo2->modified());
        EXPECT_TRUE(w.memo2->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), w.memo2);
    }
}

TEST(WritingDirection, TheControlIsHiddenWhileItsOptionChanges) {
    DirectionWindow w;
    w.direction.applyStored();
    w.show();
    Recorder recorder(w);

    w.direction.toVertical();
    w.direction.toHorizontal();

    // VerHor first, then hide, the option, show, and the menu last.
    ASSERT_EQ(recorder.seen.size(), 4u);
    EXPECT_EQ(recorder.seen[0].event, QEvent::Hide);
    EXPECT_EQ(recorder.seen[0].verHor, 1);
    EXPECT_FALSE(recorder.seen[0].vertical);
    EXPECT_EQ(recorder.seen[1].event, QEvent::Show);
    EXPECT_TRUE(recorder.seen[1].vertical);
    EXPECT_TRUE(recorder.seen[1].n15Enabled);
    EXPECT_EQ(recorder.seen[2].event, QEvent::Hide);
    EXPECT_EQ(recorder.seen[2].verHor, 0);
    EXPECT_TRUE(recorder.seen[2].vertical);
    EXPECT_EQ(recorder.seen[3].event, QEvent::Show);
    EXPECT_FALSE(recorder.seen[3].vertical);
    EXPECT_FALSE(recorder.seen[3].n15Enabled);
}

TEST(WritingDirection, StoredVerticalStartsVerticalWithoutHidingTheControl) {
    DirectionWindow w;
    w.settings.VerHor = 1;
    Recorder recorder(w);
    w.direction.applyStored();
    w.expectState(true, 1);
    EXPECT_TRUE(recorder.seen.empty());

    w.show();
    w.press(Qt::Key_F11);
    w.expectState(false, 0);
}

TEST(WritingDirection, StoredValueOtherThanZeroOrOneIsKeptUntilADirectionCommandRuns) {
    for (int stored : {2, -1, 0}) {
        DirectionWindow w;
        w.settings.VerHor = stored;
        w.direction.applyStored();
        w.show();
        w.expectState(false, stored);
        w.press(Qt::Key_F11);  // disabled: the stored value stays
        w.expectState(false, stored);

        w.press(Qt::Key_F12);
        w.expectState(true, 1);
        w.press(Qt::Key_F11);
        w.expectState(false, 0);
    }
}
