#include "dialogs/settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/settings.h"
#include "stamp/date_stamp.h"
#include "dialogs/new_document_page.h"
#include "dialogs/radio_group.h"
#include "dialogs/spin_edit.h"

namespace verlo::dialogs {
namespace {

template <std::size_t N>
QStringList formatNames(const char* const (&names)[N]) {
    QStringList list;
    for (const char* name : names) list << QString::fromUtf8(name);
    return list;
}

// "ＭＳ Ｐゴシック" first; on a machine without it, the proportional Japanese Gothic faces
// that stand in for it.
QFont dialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")});
    font.setPixelSize(12);
    return font;
}

QCheckBox* checkBox(const QString& caption, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// A stamp page: the two switches on the left, the format group on the right.
void layOutStampPage(QWidget* page, QCheckBox* on, QCheckBox* sub, RadioGroup* formats) {
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(6, 4, 6, 4);
    auto* switches = new QVBoxLayout;
    switches->addWidget(on);
    switches->addWidget(sub);
    switches->addStretch();
    row->addLayout(switches);
    row->addWidget(formats, 1);
}

// A page of labelled spin boxes.
void layOutSpinPage(QWidget* page, const QList<QPair<QLabel*, SpinEdit*>>& rows) {
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(8, 6, 8, 4);
    grid->setVerticalSpacing(4);
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].first->setBuddy(rows[i].second);
        grid->addWidget(rows[i].first, i, 0);
        grid->addWidget(rows[i].second, i, 1);
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(static_cast<int>(rows.size()), 1);
}

}  // namespace

TForm2::TForm2(settings::Settings& settings, AlphaGetter getAlpha, AlphaSetter setAlpha, QWidget* parent)
    : QDialog(parent), settings_(settings), getAlpha_(std::move(getAlpha)), setAlpha_(std::move(setAlpha)) {
    setObjectName(QStringLiteral("Form2"));
    // An ordinary resizable top-level window, modeless.
    setWindowFlags(Qt::Window);
    setModal(false);
    setWindowTitle(QStringLiteral("環境設定"));
    setFont(dialogFont());
    buildControls();
    move(197, 133);
    resize(342, 162);
    FormCreate();
}

void TForm2::buildControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    Label1 = new QLabel(QStringLiteral("一行の文字数"), TabSheet1);
    Label1->setObjectName(QStringLiteral("Label1"));
    SpinEdit1 = new SpinEdit(TabSheet1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    Label2 = new QLabel(QStringLiteral("一列の文字数"), TabSheet1);
    Label2->setObjectName(QStringLiteral("Label2"));
    SpinEdit2 = new SpinEdit(TabSheet1);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    layOutSpinPage(TabSheet1, {{Label1, SpinEdit1}, {Label2, SpinEdit2}});

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    Label3 = new QLabel(QStringLiteral("AlphaBlend値"), TabSheet2);
    Label3->setObjectName(QStringLiteral("Label3"));
    SpinEdit3 = new SpinEdit(TabSheet2);
    SpinEdit3->setObjectName(QStringLiteral("SpinEdit3"));
    SpinEdit3->setBounds(0, 255);
    layOutSpinPage(TabSheet2, {{Label3, SpinEdit3}});

    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    CheckBox1 = checkBox(QStringLiteral("有効"), "CheckBox1", TabSheet3);
    CheckBox2 = checkBox(QStringLiteral("曜日"), "CheckBox2", TabSheet3);
    RadioGroup1 = new RadioGroup(QStringLiteral("書式"), formatNames(stamp::kDateFormatNames), 2, TabSheet3);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    layOutStampPage(TabSheet3, CheckBox1, CheckBox2, RadioGroup1);

    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    CheckBox3 = checkBox(QStringLiteral("有効"), "CheckBox3", TabSheet4);
    CheckBox4 = checkBox(QStringLiteral("秒"), "CheckBox4", TabSheet4);
    RadioGroup2 = new RadioGroup(QStringLiteral("書式"), formatNames(stamp::kTimeFormatNames), 2, TabSheet4);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    layOutStampPage(TabSheet4, CheckBox3, CheckBox4, RadioGroup2);

    PageControl1->addTab(TabSheet1, QStringLiteral("行・列"));
    PageControl1->addTab(TabSheet2, QStringLiteral("透明化"));
    PageControl1->addTab(TabSheet3, QStringLiteral("日付書式"));
    PageControl1->addTab(TabSheet4, QStringLiteral("時間書式"));
    TabSheet5 = new NewDocumentPage;
    PageControl1->addTab(TabSheet5, QStringLiteral("新規文書"));
    PageControl1->setCurrentIndex(3);  // first shown on "時間書式"; later on the page last chosen

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button1->setMinimumSize(57, 25);
    Button2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setMinimumSize(57, 25);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 6, 6);
    column->setSpacing(6);
    column->addWidget(PageControl1, 1);
    column->addLayout(buttons);
}

void TForm2::FormCreate() {
    SpinEdit1->setValue(settings_.Gyou);
    SpinEdit2->setValue(settings_.Retsu);
    SpinEdit3->setValue(getAlpha_ ? getAlpha_() : 0);
    // A format index past the last item shows the last item; the setting stays as it is
    // until OK.
    RadioGroup1->setItemIndex(std::min<int>(settings_.FormDay, RadioGroup1->count() - 1));
    RadioGroup2->setItemIndex(std::min<int>(settings_.FormTime, RadioGroup2->count() - 1));
    CheckBox1->setChecked(settings_.DayTime & 1);
    CheckBox2->setChecked(settings_.DayTime & 2);
    CheckBox3->setChecked(settings_.DayTime & 4);
    CheckBox4->setChecked(settings_.DayTime & 8);
    TabSheet5->load(settings_);
}

void TForm2::showInFront() {
    show();
    raise();
    activateWindow();
}

std::uint8_t TForm2::dayTimeBits() const {
    return static_cast<std::uint8_t>((CheckBox1->isChecked() ? 1 : 0) | (CheckBox2->isChecked() ? 2 : 0) |
                                     (CheckBox3->isChecked() ? 4 : 0) | (CheckBox4->isChecked() ? 8 : 0));
}

std::uint8_t TForm2::formDayIndex() const { return static_cast<std::uint8_t>(RadioGroup1->itemIndex()); }
std::uint8_t TForm2::formTimeIndex() const { return static_cast<std::uint8_t>(RadioGroup2->itemIndex()); }

void TForm2::Button1Click() {
    settings_.Gyou = SpinEdit1->value();
    settings_.Retsu = SpinEdit2->value();
    // One byte: the number modulo 256 (300 gives 44, -1 gives 255).
    if (setAlpha_) setAlpha_(static_cast<std::uint8_t>(SpinEdit3->value()));
    TabSheet5->takeInto(settings_);
    hide();
    takeStampChoices(settings_);
}

void TForm2::takeStampChoices(settings::Settings& settings) const {
    settings.DayTime = dayTimeBits();
    settings.FormDay = formDayIndex();
    settings.FormTime = formTimeIndex();
}

void TForm2::Button2Click() { hide(); }

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Cancel has no key of its own: Esc does not close the dialog (the title bar's close
    // box does, and hides it like Cancel).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace verlo::dialogs
