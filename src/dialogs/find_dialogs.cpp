#include "dialogs/find_dialogs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QValidator>
#include <QVBoxLayout>
#include <initializer_list>
#include <string_view>


namespace verlo::dialogs {
namespace {

// text as the document's table encodes it (a copy of it when it must not change), or as
// plain CP932 without one.
text::StandIns::Encoded encodeText(const QString& text, text::StandIns& standIns) {
    return standIns.encode(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                               static_cast<std::size_t>(text.size())));
}

// The fixed matching options, shown checked as they are in force and disabled.
QCheckBox* fixedOption(const QString& caption, bool inForce, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setChecked(inForce);
    box->setEnabled(false);
    return box;
}

// The line under the fields that says why an edit was refused.
QLabel* messageLine(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #b00000;"));
    label->hide();
    return label;
}

void showMessage(QLabel* label, const QString& text) {
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

// A button's mnemonic (Alt+A) clicks it at once. Qt would show the button pressed for a
// tenth of a second first, and only then run the command: the writer waits that long for
// every replace all.
class ClickAtOnce : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Shortcut || static_cast<QShortcutEvent*>(event)->isAmbiguous()) return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button == nullptr || !button->isEnabled()) return false;
        button->click();
        return true;
    }
};

void clickAtOnce(QDialog* dialog, std::initializer_list<QAbstractButton*> buttons) {
    auto* filter = new ClickAtOnce(dialog);
    for (QAbstractButton* b : buttons) b->installEventFilter(filter);
}

void presentDialog(QDialog* dialog, FindTextField* field) {
    if (!dialog->isVisible()) {
        dialog->show();
        field->setFocus();
        field->selectAll();
    }
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace

// ---- FindTextField

class FindTextField::Validator : public QValidator {
public:
    explicit Validator(FindTextField* owner) : QValidator(owner), field(owner) {}
    FindTextField* field;
    mutable QString reason;  // why the last refused edit was refused

    State validate(QString& input, int& /*pos*/) const override {
        const QString problem = FindTextField::problemWith(input, field->standIns_);
        if (problem.isEmpty()) return Acceptable;
        reason = problem;
        return Invalid;
    }
};

FindTextField::FindTextField(QWidget* parent) : QLineEdit(parent), validator_(new Validator(this)) {
    setValidator(validator_);
    connect(this, &QLineEdit::inputRejected, this, [this] { emit refused(validator_->reason); });
    setMinimumWidth(fontMetrics().averageCharWidth() * 32);
}

std::string FindTextField::bytes() const {
    text::StandIns plain;
    return encodeText(text(), standIns_ ? *standIns_ : plain).bytes;
}

QString FindTextField::problemWith(const QString& text, const text::StandIns* standIns) {
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
        return QStringLiteral("改行は検索や置換の文字列に入れられません。");
    }
    text::StandIns trial = standIns ? *standIns : text::StandIns();
    const text::StandIns::Encoded encoded = encodeText(text, trial);
    if (!encoded.ok()) {
        const std::u32string& chars = encoded.refused;
        const QString list = QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size()));
        if (encoded.full) return QStringLiteral("「%1」はこの文書にない文字なので、入れられません。").arg(list);
        return QStringLiteral("「%1」はShift-JISで表せない文字なので、入れられません。").arg(list);
    }
    if (encoded.bytes.size() > kMaxBytes) {
        return QStringLiteral("文字列は%1バイト（全角で%2文字）までです。").arg(kMaxBytes).arg(kMaxBytes / 2);
    }
    return {};
}

// ---- FindDialog

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent),
      findField_(new FindTextField(this)),
      findNextButton_(new QPushButton(QStringLiteral("次を検索(&F)"), this)),
      message_(messageLine(this)) {
    setWindowTitle(QStringLiteral("検索"));
    setModal(false);

    auto* findLabel = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    findLabel->setBuddy(findField_);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);

    // Searches always run down the text; both choices are shown, neither can be changed.
    auto* direction = new QGroupBox(QStringLiteral("方向"), this);
    auto* up = new QRadioButton(QStringLiteral("上へ(&U)"), direction);
    auto* down = new QRadioButton(QStringLiteral("下へ(&D)"), direction);
    down->setChecked(true);
    direction->setEnabled(false);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up);
    directionLayout->addWidget(down);

    auto* fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findField_, 0, 1);
    auto* options = new QVBoxLayout;
    options->addWidget(fixedOption(QStringLiteral("単語単位で探す(&W)"), false, this));
    options->addWidget(fixedOption(QStringLiteral("大文字と小文字を区別する(&C)"), true, this));
    auto* lower = new QHBoxLayout;
    lower->addLayout(options);
    lower->addWidget(direction);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(lower);
    left->addWidget(message_);
    left->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNextButton_);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* main = new QHBoxLayout(this);
    main->addLayout(left, 1);
    main->addLayout(buttons);

    findNextButton_->setDefault(true);
    findNextButton_->setEnabled(false);
    connect(findField_, &QLineEdit::textChanged, this,
            [this](const QString& text) { findNextButton_->setEnabled(!text.isEmpty()); });
    connect(findField_, &QLineEdit::textEdited, this, [this] { showMessage(message_, {}); });
    connect(findField_, &FindTextField::refused, this, [this](const QString& reason) { showMessage(message_, reason); });
    connect(findNextButton_, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    clickAtOnce(this, {findNextButton_});
}

void FindDialog::present() { presentDialog(this, findField_); }

// ---- ReplaceDialog

ReplaceDialog::ReplaceDialog(QWidget* parent)
    : QDialog(parent),
      findField_(new FindTextField(this)),
      replaceField_(new FindTextField(this)),
      findNextButton_(new QPushButton(QStringLiteral("次を検索(&F)"), this)),
      replaceButton_(new QPushButton(QStringLiteral("置換して次に(&R)"), this)),
      replaceAllButton_(new QPushButton(QStringLiteral("すべて置換(&A)"), this)),
      message_(messageLine(this)) {
    setWindowTitle(QStringLiteral("置換"));
    setModal(false);

    auto* findLabel = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    findLabel->setBuddy(findField_);
    auto* replaceLabel = new QLabel(QStringLiteral("置換後の文字列(&P):"), this);
    replaceLabel->setBuddy(replaceField_);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);

    auto* fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findField_, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(replaceField_, 1, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    // Replacing ignores letter case and never asks for whole words.
    left->addWidget(fixedOption(QStringLiteral("単語単位で探す(&W)"), false, this));
    left->addWidget(fixedOption(QStringLiteral("大文字と小文字を区別する(&C)"), false, this));
    left->addWidget(message_);
    left->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNextButton_);
    buttons->addWidget(replaceButton_);
    buttons->addWidget(replaceAllButton_);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* main = new QHBoxLayout(this);
    main->addLayout(left, 1);
    main->addLayout(buttons);

    findNextButton_->setDefault(true);
    for (QPushButton* b : {findNextButton_, replaceButton_, replaceAllButton_}) b->setEnabled(false);
    connect(findField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        for (QPushButton* b : {findNextButton_, replaceButton_, replaceAllButton_}) b->setEnabled(!text.isEmpty());
    });
    for (FindTextField* field : {findField_, replaceField_}) {
        connect(field, &QLineEdit::textEdited, this, [this] { showMessage(message_, {}); });
        connect(field, &FindTextField::refused, this, [this](const QString& reason) { showMessage(message_, reason); });
    }
    connect(findNextButton_, &QPushButton::clicked, this, &ReplaceDialog::findNext);
    connect(replaceButton_, &QPushButton::clicked, this, &ReplaceDialog::replace);
    connect(replaceAllButton_, &QPushButton::clicked, this, &ReplaceDialog::replaceAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    clickAtOnce(this, {findNextButton_, replaceButton_, replaceAllButton_});
}

void ReplaceDialog::present() { presentDialog(this, findField_); }

}  // namespace verlo::dialogs
