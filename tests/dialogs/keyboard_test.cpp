// Every dialog from the keyboard alone: Tab visits each control a user can act on, in the
// order the dialog reads (top to bottom, left to right, the buttons last), every stop has a
// name a screen reader can speak, and the options dialog's pages turn with Ctrl+Tab.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "dialogs/find_dialogs.h"
#include "dialogs/key_dialog.h"
#include "dialogs/radio_group.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/spin_edit.h"
#include "settings/settings.h"

using namespace verlo::dialogs;

namespace {

QString nameOf(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    if (iface && iface->role() == QAccessible::PageTabList) return w->property("currentTabText").toString();
    return iface ? iface->text(QAccessible::Name) : QString();
}

// The widgets Tab visits from `start` until it comes back to it; each must have a name.
QList<QWidget*> tabStops(QWidget* window, QWidget* start) {
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    start->setFocus(Qt::TabFocusReason);
    QList<QWidget*> stops{QApplication::focusWidget()};
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (now == stops.first()) break;
        stops << now;
    }
    for (QWidget* stop : stops) {
        if (auto* bar = qobject_cast<QTabBar*>(stop)) bar->setProperty("currentTabText", bar->tabText(bar->currentIndex()));
        EXPECT_FALSE(nameOf(stop).isEmpty()) << stop->metaObject()->className() << " " << stop->objectName().toStdString();
    }
    return stops;
}

template <class T>
T* child(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QPushButton* button(QWidget* parent, const QString& caption) {
    for (QPushButton* b : parent->findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    ADD_FAILURE() << caption.toStdString();
    return nullptr;
}

TEST(DialogKeyboard, FindAndReplaceReadFieldsThenButtons) {
    FindDialog find;
    find.findField()->setText(QStringLiteral("猫"));
    EXPECT_EQ(tabStops(&find, find.findField()),
              (QList<QWidget*>{find.findField(), find.findNextButton(), button(&find, QStringLiteral("キャンセル"))}));

    ReplaceDialog replace;
    replace.findField()->setText(QStringLiteral("猫"));
    EXPECT_EQ(tabStops(&replace, replace.findField()),
              (QList<QWidget*>{replace.findField(), replace.replaceField(), replace.findNextButton(),
                               replace.replaceButton(), replace.replaceAllButton(),
                               button(&replace, QStringLiteral("キャンセル"))}));
    // The labels' keys reach their fields.
    QTest::keyClick(&replace, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), replace.replaceField());
    QTest::keyClick(&replace, Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), replace.findField());
}

TEST(DialogKeyboard, OptionsPagesTurnWithCtrlTabAndReadInOrder) {
    verlo::settings::Settings settings;
    TForm2 form(settings, nullptr, nullptr);
    auto* pages = child<QTabWidget>(&form, "PageControl1");
    auto* ok = child<QPushButton>(&form, "Button1");
    auto* cancel = child<QPushButton>(&form, "Button2");
    auto* times = child<RadioGroup>(&form, "RadioGroup2");
    QRadioButton* checkedTime = nullptr;
    for (QRadioButton* r : times->findChildren<QRadioButton*>())
        if (r->isChecked()) checkedTime = r;
    ASSERT_NE(checkedTime, nullptr);

    QTabBar* bar = pages->tabBar();
    EXPECT_EQ(tabStops(&form, bar), (QList<QWidget*>{bar, child<QCheckBox>(&form, "CheckBox3"),
                                                     child<QCheckBox>(&form, "CheckBox4"), checkedTime, ok, cancel}));
    QTest::keyClick(bar, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 4);
    EXPECT_EQ(tabStops(&form, bar), (QList<QWidget*>{bar, child<QComboBox>(&form, "EncodingBox"),
                                                     child<QComboBox>(&form, "LineBreakBox"), ok, cancel}));
    QTest::keyClick(bar, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(tabStops(&form, bar), (QList<QWidget*>{bar, child<SpinEdit>(&form, "SpinEdit1"),
                                                     child<SpinEdit>(&form, "SpinEdit2"), ok, cancel}));
    QTest::keyClick(bar, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabStops(&form, bar), (QList<QWidget*>{bar, child<SpinEdit>(&form, "SpinEdit3"), ok, cancel}));
}

TEST(DialogKeyboard, KeyDialogReadsTheKeyThenTheButton) {
    QWidget owner;
    auto* form = new TForm3(&owner);
    form->open(TForm3::Mode::Encrypt);
    EXPECT_EQ(tabStops(form, form->Edit1), (QList<QWidget*>{form->Edit1, form->Button1}));
    form->hide();
}

}  // namespace
