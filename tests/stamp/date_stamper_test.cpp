// The F5 command on a real edit control, with the switches read from the settings dialog.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "edit/edit_control.h"
#include "settings/settings.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/radio_group.h"
#include "stamp/date_stamp.h"
#include "text/document.h"

using verlo::edit::EditControl;
using verlo::settings::Settings;
using verlo::dialogs::TForm2;
using verlo::stamp::DateStamper;
using verlo::stamp::StampSwitches;

namespace {

const QDateTime kExample(QDate(2026, 3, 5), QTime(18, 7, 9));

// The main window's side: memo2, the settings, the dialog, and a clock that counts its readings.
struct Window {
    verlo::text::Document viewed;
    EditControl memo2{viewed};
    Settings settings;
    int alpha = 128;
    TForm2 form2{settings, [this] { return alpha; }, [this](std::uint8_t v) { alpha = v; }};
    QDateTime now = kExample;
    int clockReadings = 0;
    DateStamper stamper{memo2, settings,
                        [this] {
                            return StampSwitches{form2.CheckBox1->isChecked(), form2.CheckBox2->isChecked(),
                                                 form2.CheckBox3->isChecked(), form2.CheckBox4->isChecked()};
                        },
                        [this] {
                            ++clockReadings;
                            return now;
                        }};
};

}  // namespace

TEST(DateStamper, DefaultSettingsInsertAtTheCaretNotUndoable) {
    Window w;
    w.memo2.setText("ab");
    w.memo2.setSelStart(1);
    w.memo2.replaceSelection("x", true);  // something the user could undo
    ASSERT_TRUE(w.memo2.document().canUndo());
    w.stamper.stamp();
    EXPECT_EQ(w.memo2.text(), "ax26/03/05 18:07b");
    EXPECT_EQ(w.memo2.selStart(), 16u);
    EXPECT_EQ(w.memo2.selLength(), 0u);
    EXPECT_FALSE(w.memo2.document().canUndo());
    EXPECT_EQ(w.clockReadings, 1);
}

TEST(DateStamper, ReplacesTheSelectionWithCodePageBytes) {
    Window w;
    w.form2.CheckBox2->setChecked(true);
    w.form2.CheckBox4->setChecked(true);
    w.settings.FormDay = 2;
    w.settings.FormTime = 2;
    w.memo2.setText("[old]");
    w.memo2.setSelection(1, 4);
    w.stamper.stamp();
    // [ 2026年03月05日 (木) 午後6時07分09秒 ]
    EXPECT_EQ(w.memo2.text(), "[2026\x94\x4E" "03\x8C\x8E" "05\x93\xFA (\x96\xD8) "
                              "\x8C\xDF\x8C\xE3" "6\x8E\x9E" "07\x95\xAA" "09\x95\x62]");
}

TEST(DateStamper, BothSwitchesOff) {
    Window w;
    w.form2.CheckBox1->setChecked(false);
    w.form2.CheckBox3->setChecked(false);
    w.memo2.setText("abcd");
    w.memo2.setSelection(1, 3);
    w.stamper.stamp();
    EXPECT_EQ(w.memo2.text(), "ad");  // the selection is deleted

    // Nothing selected: nothing changes, and what could be undone still can.
    w.memo2.replaceSelection("z", true);
    w.stamper.stamp();
    EXPECT_EQ(w.memo2.text(), "azd");
    EXPECT_TRUE(w.memo2.document().canUndo());
}

TEST(DateStamper, CheckBoxesActAtOnceFormatsOnlyAfterOk) {
    Window w;
    w.form2.showInFront();
    // Ticked in the open dialog, without OK: the next stamp has the seconds.
    w.form2.CheckBox4->setChecked(true);
    w.stamper.stamp();
    EXPECT_EQ(w.memo2.text(), "26/03/05 18:07:09");

    // A format chosen without OK waits for OK.
    w.memo2.setText("");
    w.form2.RadioGroup2->setItemIndex(1);
    w.form2.Button2Click();
    w.stamper.stamp();
    EXPECT_EQ(w.memo2.text(), "26/03/05 18:07:09");
    w.memo2.setText("");
    w.form2.Button1Click();
    w.stamper.stamp();
    EXPECT_EQ(w.memo2.text(), "26/03/05 PM6:07:09");

    // Cancel after unticking the date: the next stamp has no date part.
    w.memo2.setText("");
    w.form2.showInFront();
    w.form2.CheckBox1->setChecked(false);
    w.form2.Button2Click();
    w.stamper.stamp();
    EXPECT_EQ(w.memo2.text(), "PM6:07:09");
}

TEST(DateStamper, EachStampReadsTheClockOnce) {
    Window w;
    w.stamper.stamp();
    w.now = QDateTime(QDate(2026, 3, 1), QTime(0, 0, 5));
    w.memo2.replaceSelection("|", false);
    w.stamper.stamp();
    EXPECT_EQ(w.memo2.text(), "26/03/05 18:07|26/03/01 0:00");
    EXPECT_EQ(w.clockReadings, 2);
}

TEST(ReadClock, TheFractionIsDropped) {
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime reading = verlo::stamp::ReadClock();
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_EQ(reading.time().msec(), 0);
    EXPECT_LE(reading, after);              // never rounded up past the clock
    EXPECT_GT(reading.addSecs(1), before);  // the second the reading was taken in
}
