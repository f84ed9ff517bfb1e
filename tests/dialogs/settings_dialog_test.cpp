// The settings dialog: loading, OK, Cancel, showing again, and its spin boxes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <climits>
#include <optional>

#include "settings/settings.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/new_document_page.h"
#include "dialogs/radio_group.h"
#include "dialogs/spin_edit.h"

using verlo::settings::Settings;
using verlo::dialogs::SpinEdit;
using verlo::dialogs::TForm2;

namespace {

// The main window's side of the dialog: its settings and its opacity value.
struct Host {
    Settings settings;
    int alpha = 128;
    std::optional<int> applied;  // the last value the dialog applied to the window

    std::unique_ptr<TForm2> dialog() {
        return std::make_unique<TForm2>(
            settings, [this] { return alpha; },
            [this](std::uint8_t v) {
                alpha = v;
                applied = v;
            });
    }
};

void retype(SpinEdit* box, const QString& text) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

void loseFocus(QWidget* w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w, &out);
}

QStringList itemTexts(const verlo::dialogs::RadioGroup* g) {
    QStringList texts;
    for (int i = 0; i < g->count(); ++i) texts << g->button(i)->text();
    return texts;
}

}  // namespace

TEST(TForm2, BuiltAsLaidOut) {
    Host host;
    auto form = host.dialog();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("環境設定"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isModal());
    EXPECT_EQ(form->pos(), QPoint(197, 133));
    EXPECT_EQ(form->font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form->font().pixelSize(), 12);

    QStringList tabs;
    for (int i = 0; i < form->PageControl1->count(); ++i) tabs << form->PageControl1->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"行・列", "透明化", "日付書式", "時間書式", "新規文書"}));
    EXPECT_EQ(itemTexts(form->RadioGroup1), (QStringList{"YY/MM/DD", "YYYY/MM/DD", "YYYY年MM月DD日", "MM月DD日"}));
    EXPECT_EQ(itemTexts(form->RadioGroup2), (QStringList{"18:30", "PM 6:30", "午後6時30分"}));
    EXPECT_EQ(form->RadioGroup1->title(), QStringLiteral("書式"));
    EXPECT_EQ(form->CheckBox2->text(), QStringLiteral("曜日"));
    EXPECT_EQ(form->CheckBox4->text(), QStringLiteral("秒"));
    EXPECT_EQ(form->Button1->text(), "OK");
    EXPECT_TRUE(form->Button1->isDefault());
    EXPECT_EQ(form->Button2->text(), QStringLiteral("キャンセル"));
    // The names the rest of the program finds them by.
    for (const char* name : {"SpinEdit1", "SpinEdit2", "SpinEdit3", "CheckBox1", "CheckBox2", "CheckBox3",
                             "CheckBox4", "RadioGroup1", "RadioGroup2", "Button1", "Button2"})
        EXPECT_NE(form->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(form->SpinEdit3->minValue(), 0);
    EXPECT_EQ(form->SpinEdit3->maxValue(), 255);
    EXPECT_EQ(form->SpinEdit1->minValue(), INT_MIN);
    EXPECT_EQ(form->SpinEdit1->maxValue(), INT_MAX);
}

TEST(TForm2, LoadsTheDefaults) {
    Host host;
    auto form = host.dialog();
    EXPECT_EQ(form->PageControl1->currentIndex(), 3);  // "時間書式"
    EXPECT_TRUE(form->CheckBox3->isChecked());
    EXPECT_FALSE(form->CheckBox4->isChecked());
    EXPECT_EQ(form->RadioGroup2->itemIndex(), 0);
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_FALSE(form->CheckBox2->isChecked());
    EXPECT_EQ(form->RadioGroup1->itemIndex(), 0);
    EXPECT_EQ(form->SpinEdit1->text(), "40");
    EXPECT_EQ(form->SpinEdit2->text(), "20");
    EXPECT_EQ(form->SpinEdit3->text(), "128");
    EXPECT_EQ(form->dayTimeBits(), 5);
}

TEST(TForm2, LoadsTheSwitchBits) {
    Host host;
    host.settings.DayTime = 15;
    auto all = host.dialog();
    EXPECT_TRUE(all->CheckBox1->isChecked() && all->CheckBox2->isChecked() && all->CheckBox3->isChecked() &&
                all->CheckBox4->isChecked());
    host.settings.DayTime = 0;
    auto none = host.dialog();
    EXPECT_EQ(none->dayTimeBits(), 0);
    host.settings.DayTime = 0xF2;  // higher bits are ignored
    auto weekdayOnly = host.dialog();
    EXPECT_EQ(weekdayOnly->dayTimeBits(), 2);
}

TEST(TForm2, FormatPastTheLastItemShowsTheLastUntilOk) {
    Host host;
    host.settings.FormDay = 7;
    host.settings.FormTime = 255;
    auto form = host.dialog();
    EXPECT_EQ(form->RadioGroup1->itemIndex(), 3);  // "MM月DD日"
    EXPECT_EQ(form->RadioGroup2->itemIndex(), 2);
    EXPECT_EQ(host.settings.FormDay, 7);
    EXPECT_EQ(host.settings.FormTime, 255);
    form->Button2Click();
    EXPECT_EQ(host.settings.FormDay, 7);
    form->Button1Click();
    EXPECT_EQ(host.settings.FormDay, 3);
    EXPECT_EQ(host.settings.FormTime, 2);
}

TEST(TForm2, OkStoresEverythingAndAppliesTheOpacity) {
    Host host;
    auto form = host.dialog();
    form->showInFront();
    ASSERT_TRUE(form->isVisible());
    form->SpinEdit1->setValue(0);
    form->SpinEdit2->setValue(-7);
    form->SpinEdit3->setValue(300);  // as if typed and confirmed without leaving the box
    form->CheckBox1->setChecked(false);
    form->CheckBox2->setChecked(true);
    form->CheckBox4->setChecked(true);
    form->RadioGroup1->setItemIndex(2);
    form->RadioGroup2->setItemIndex(1);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(host.settings.Gyou, 0);
    EXPECT_EQ(host.settings.Retsu, -7);
    EXPECT_EQ(host.applied, 44);  // 300 modulo 256
    EXPECT_EQ(host.settings.DayTime, 2 + 4 + 8);
    EXPECT_EQ(host.settings.FormDay, 2);
    EXPECT_EQ(host.settings.FormTime, 1);

    form->SpinEdit3->setValue(-1);
    form->Button1Click();
    EXPECT_EQ(host.applied, 255);
}

TEST(TForm2, CancelKeepsTheControlsAndChangesNoSetting) {
    Host host;
    auto form = host.dialog();
    form->showInFront();
    form->PageControl1->setCurrentIndex(2);
    form->CheckBox1->setChecked(false);
    form->RadioGroup1->setItemIndex(3);
    form->SpinEdit1->setValue(12);
    form->SpinEdit3->setValue(10);
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    const Settings defaults;
    EXPECT_EQ(host.settings.Gyou, defaults.Gyou);
    EXPECT_EQ(host.settings.DayTime, defaults.DayTime);
    EXPECT_EQ(host.settings.FormDay, defaults.FormDay);
    EXPECT_FALSE(host.applied.has_value());

    // Shown again: the cancelled values and the page last chosen, not reloaded.
    form->showInFront();
    EXPECT_EQ(form->PageControl1->currentIndex(), 2);
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->RadioGroup1->itemIndex(), 3);
    EXPECT_EQ(form->SpinEdit1->text(), "12");
    // What the closing write takes from the dialog.
    EXPECT_EQ(form->dayTimeBits(), 4);
    EXPECT_EQ(form->formDayIndex(), 3);
    EXPECT_EQ(form->formTimeIndex(), 0);

    // The close box hides it the same way.
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(host.settings.FormDay, defaults.FormDay);
}

TEST(TForm2, EnterPressesOkAndEscapeDoesNothing) {
    Host host;
    auto form = host.dialog();
    form->showInFront();
    retype(form->SpinEdit1, "33");
    QTest::keyClick(form->SpinEdit1, Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    QTest::keyClick(form->SpinEdit1, Qt::Key_Return);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(host.settings.Gyou, 33);
}

TEST(SpinEdit, TextThatIsNotAWholeNumberGivesZero) {
    Host host;
    host.settings.Gyou = 40;
    auto form = host.dialog();
    SpinEdit* box = form->SpinEdit1;
    for (const char* typed : {"", "-", "+", "1-2", "--5", "99999999999"}) {
        retype(box, typed);
        EXPECT_EQ(box->text(), typed);
        EXPECT_EQ(box->value(), 0) << typed;
        loseFocus(box);
        EXPECT_EQ(box->text(), typed) << "left as typed";
    }
    retype(box, "+15");
    EXPECT_EQ(box->value(), 15);
    retype(box, "");
    form->Button1Click();
    EXPECT_EQ(host.settings.Gyou, 0);
}

TEST(SpinEdit, OnlyDigitsAndSignsCanBeTyped) {
    SpinEdit box;
    retype(&box, "a1 b2x");
    EXPECT_EQ(box.text(), "12");
    EXPECT_EQ(box.value(), 12);
}

TEST(SpinEdit, BoundsHoldTheOpacityBox) {
    SpinEdit box;
    box.setBounds(0, 255);
    box.setValue(254);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.value(), 255);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.value(), 255);  // the arrows stop at the bound
    box.setValue(1);
    box.stepBy(-5);
    EXPECT_EQ(box.value(), 0);

    retype(&box, "999");
    EXPECT_EQ(box.value(), 999);  // until the box loses the focus
    loseFocus(&box);
    EXPECT_EQ(box.text(), "255");
    retype(&box, "-3");
    loseFocus(&box);
    EXPECT_EQ(box.text(), "0");
}

TEST(SpinEdit, UnboundedStepsStopAtTheEndsOfInt) {
    SpinEdit box;
    box.setValue(INT_MAX);
    box.stepBy(1);
    EXPECT_EQ(box.value(), INT_MAX);
    box.setValue(INT_MIN);
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.value(), INT_MIN);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.value(), INT_MIN + 1);
    retype(&box, "-");
    box.stepBy(1);  // a text that is no number steps from 0
    EXPECT_EQ(box.value(), 1);
}

TEST(TForm2, NewDocumentPageShowsTheStoredChoiceAndStoresItsIdOnOk) {
    Host host;
    host.settings.Encoding = "utf-8";   // read in any case, kept as written while unchanged
    host.settings.LineBreak = "NEL";    // unknown: shown as the default
    auto form = host.dialog();
    verlo::dialogs::NewDocumentPage* page = form->TabSheet5;
    EXPECT_EQ(page->encodingBox->currentText(), QStringLiteral("UTF-8"));
    EXPECT_EQ(page->lineBreakBox->currentText(), QStringLiteral("CR LF"));
    form->Button1Click();
    EXPECT_EQ(host.settings.Encoding, "utf-8");
    EXPECT_EQ(host.settings.LineBreak, "NEL");

    page->encodingBox->setCurrentIndex(page->encodingBox->findText(QStringLiteral("UTF-16LE")));
    page->lineBreakBox->setCurrentIndex(page->lineBreakBox->findText(QStringLiteral("LF")));
    form->Button2Click();
    EXPECT_EQ(host.settings.Encoding, "utf-8");
    form->Button1Click();
    EXPECT_EQ(host.settings.Encoding, "UTF-16LE");
    EXPECT_EQ(host.settings.LineBreak, "LF");
}
