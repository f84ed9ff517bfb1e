#include "dialogs/key_dialog.h"

#include <QFont>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

namespace verlo::dialogs {

namespace {

const QString kEncryptCaption = QStringLiteral("暗号化");
const QString kDecryptCaption = QStringLiteral("復号化");

}  // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    // A dialog frame with a title and no buttons in it: no system menu, no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    setWindowTitle(QStringLiteral("鍵入力ダイアログ"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));  // resolved through the program's face substitutions
    font.setPixelSize(12);
    setFont(font);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 8, 241, 20);
    Edit1->setMaxLength(std::numeric_limits<int>::max());
    Edit1->setAccessibleName(QStringLiteral("鍵"));  // the field has no label: what a screen reader calls it

    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(80, 40, 97, 25);
    Button1->setAutoDefault(false);
    Button1->setDefault(false);
    setTabOrder(Edit1, Button1);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);

    setFixedSize(257, 68);
    move(333, 242);
}

void TForm3::open(Mode mode) {
    Button1->setText(mode == Mode::Encrypt ? kEncryptCaption : kDecryptCaption);
    show();
    raise();
    activateWindow();
}

void TForm3::setKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }

void TForm3::Button1Click() {
    const Mode mode = Button1->text() == kEncryptCaption ? Mode::Encrypt : Mode::Decrypt;
    if (!keyHandler_ || keyHandler_(Edit1->text(), mode) == Outcome::Done)
        hide();
}

}  // namespace verlo::dialogs
