#include "dialogs/page_setup_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "print/page_layout.h"

namespace verlo::dialogs {
namespace {

const print::NumberPlace kPlaces[] = {print::NumberPlace::None, print::NumberPlace::BottomCentre,
                                      print::NumberPlace::BottomOutside, print::NumberPlace::TopOutside};

QDoubleSpinBox* millimetres(QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(0, 200);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

}  // namespace

PageSetupDialog::PageSetupDialog(const print::PageSetup& initial, const QFont& editorTextFont, QWidget* parent)
    : QDialog(parent), editorFont_(editorTextFont) {
    setWindowTitle(QStringLiteral("ページ設定"));
    preset = new QComboBox(this);
    preset->addItem(QStringLiteral("(書式を選ぶ)"));
    for (const print::Preset& p : print::presets()) preset->addItem(p.name);
    paper = new QComboBox(this);
    for (const print::Paper& p : print::papers()) paper->addItem(QString::fromLatin1(p.name));
    orientation = new QComboBox(this);
    orientation->addItems({QStringLiteral("縦"), QStringLiteral("横")});
    direction = new QComboBox(this);
    direction->addItems({QStringLiteral("縦書き"), QStringLiteral("横書き")});
    chars = new QSpinBox(this);
    chars->setRange(1, print::kMaxChars);
    lines = new QSpinBox(this);
    lines->setRange(1, print::kMaxLines);
    editorFont = new QCheckBox(QStringLiteral("編集画面のフォント"), this);
    font = new QFontComboBox(this);
    fontSize = new QDoubleSpinBox(this);
    fontSize->setRange(0, 200);
    fontSize->setDecimals(1);
    fontSize->setSuffix(QStringLiteral(" pt"));
    fontSize->setSpecialValueText(QStringLiteral("自動 (行に合わせる)"));
    for (QDoubleSpinBox*& m : margins) m = millimetres(this);
    numberPlace = new QComboBox(this);
    numberPlace->addItems({QStringLiteral("なし"), QStringLiteral("下の中央"), QStringLiteral("下の外側"),
                           QStringLiteral("上の外側")});
    numberFormat = new QLineEdit(this);
    numberFormat->setToolTip(QStringLiteral("# がページ番号になります (例: - # -)"));
    titleLines = new QCheckBox(QStringLiteral("1ページ目に題名 (ファイル名) と著者名を入れる"), this);
    author = new QLineEdit(this);
    grid = new QCheckBox(QStringLiteral("原稿用紙のます目を引く"), this);
    hang = new QCheckBox(QStringLiteral("行頭に来る、。を前の行の下にぶら下げる"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("書式(&P):"), preset);
    form->addRow(QStringLiteral("用紙:"), paper);
    form->addRow(QStringLiteral("用紙の向き:"), orientation);
    form->addRow(QStringLiteral("書字方向:"), direction);
    auto* size = new QHBoxLayout;
    size->addWidget(chars);
    size->addWidget(new QLabel(QStringLiteral("字 ×"), this));
    size->addWidget(lines);
    size->addWidget(new QLabel(QStringLiteral("行"), this));
    size->addStretch();
    form->addRow(QStringLiteral("字数と行数:"), size);
    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(editorFont);
    fontRow->addWidget(font, 1);
    form->addRow(QStringLiteral("フォント:"), fontRow);
    form->addRow(QStringLiteral("文字の大きさ:"), fontSize);
    auto* marginGrid = new QGridLayout;
    const QString names[] = {QStringLiteral("上"), QStringLiteral("下"), QStringLiteral("左"), QStringLiteral("右")};
    for (int i = 0; i < 4; ++i) {
        marginGrid->addWidget(new QLabel(names[i], this), i / 2, (i % 2) * 2);
        marginGrid->addWidget(margins[i], i / 2, (i % 2) * 2 + 1);
    }
    form->addRow(QStringLiteral("余白:"), marginGrid);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(numberPlace);
    numberRow->addWidget(new QLabel(QStringLiteral("書式"), this));
    numberRow->addWidget(numberFormat);
    form->addRow(QStringLiteral("ページ番号:"), numberRow);
    form->addRow(QString(), titleLines);
    form->addRow(QStringLiteral("著者名:"), author);
    form->addRow(QString(), grid);
    form->addRow(QString(), hang);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(editorFont, &QCheckBox::toggled, font, [this](bool on) {
        font->setEnabled(!on);
        if (on) showFace();
    });
    connect(titleLines, &QCheckBox::toggled, author, &QWidget::setEnabled);
    connect(preset, &QComboBox::activated, this, [this](int index) {
        if (index <= 0) return;
        print::PageSetup s = print::presets()[static_cast<std::size_t>(index - 1)].setup;
        const print::PageSetup now = setup();
        // A format changes the page, not the writer's font, title and author.
        s.fontFamily = now.fontFamily;
        s.titleLines = now.titleLines;
        s.author = now.author;
        show(s);
    });
    show(initial);
}

void PageSetupDialog::show(const print::PageSetup& s) {
    for (std::size_t i = 0; i < print::papers().size(); ++i)
        if (print::papers()[i].id == s.paper) paper->setCurrentIndex(static_cast<int>(i));
    orientation->setCurrentIndex(s.landscape ? 1 : 0);
    direction->setCurrentIndex(s.vertical ? 0 : 1);
    chars->setValue(s.chars);
    lines->setValue(s.lines);
    editorFont->setChecked(s.fontFamily.isEmpty());
    font->setEnabled(!s.fontFamily.isEmpty());
    font->setCurrentFont(QFont(print::pageFontFace(s, editorFont_)));
    fontSize->setValue(s.fontSize);
    const double values[] = {s.marginTop, s.marginBottom, s.marginLeft, s.marginRight};
    for (int i = 0; i < 4; ++i) margins[i]->setValue(values[i]);
    for (int i = 0; i < 4; ++i)
        if (kPlaces[i] == s.numbers) numberPlace->setCurrentIndex(i);
    numberFormat->setText(s.numberFormat);
    titleLines->setChecked(s.titleLines);
    author->setText(s.author);
    author->setEnabled(s.titleLines);
    grid->setChecked(s.grid);
    hang->setChecked(s.hang);
}

print::PageSetup PageSetupDialog::setup() const {
    print::PageSetup s;
    s.paper = print::papers()[static_cast<std::size_t>(std::max(0, paper->currentIndex()))].id;
    s.landscape = orientation->currentIndex() == 1;
    s.vertical = direction->currentIndex() == 0;
    s.chars = chars->value();
    s.lines = lines->value();
    s.fontFamily = editorFont->isChecked() ? QString() : font->currentFont().family();
    s.fontSize = fontSize->value();
    s.marginTop = margins[0]->value();
    s.marginBottom = margins[1]->value();
    s.marginLeft = margins[2]->value();
    s.marginRight = margins[3]->value();
    s.numbers = kPlaces[std::max(0, numberPlace->currentIndex())];
    s.numberFormat = numberFormat->text();
    s.titleLines = titleLines->isChecked();
    s.author = author->text();
    s.grid = grid->isChecked();
    s.hang = hang->isChecked();
    return s;
}

void PageSetupDialog::showFace() { font->setCurrentFont(QFont(print::pageFontFace(print::PageSetup(), editorFont_))); }

std::optional<print::PageSetup> PageSetupDialog::ask(QWidget* owner, const print::PageSetup& current,
                                                     const QFont& editorTextFont) {
    PageSetupDialog dialog(current, editorTextFont, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.setup();
}

}  // namespace verlo::dialogs
