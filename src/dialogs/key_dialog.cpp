#include "dialogs/key_dialog.h"

#include <QFont>
#include <QLineEdit>
#include <QPushButton>
#include <exception>
#include <limits>
#include <optional>
#include <string>

#include "cipher/text_cipher.h"
#include "cipher/key_text.h"
#include "edit/edit_control.h"
#include "platform/answerer.h"

namespace verlo::dialogs {

namespace {

const QString kEncryptCaption = QStringLiteral("暗号化");
const QString kDecryptCaption = QStringLiteral("復号化");

}  // namespace

TForm3::TForm3(edit::EditControl& memo2, QWidget* parent)
    : QDialog(parent), memo2_(memo2) {
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

void TForm3::Button1Click() {
    const bool encrypt = Button1->text() == kEncryptCaption;
    if (memo2_.isReadOnly()) {  // a file opened read-only stays as it is
        hide();
        return;
    }

    const QString keyText = Edit1->text();
    const cipher::KeyBytes key = cipher::keyBytesFromText(
        std::u16string_view(reinterpret_cast<const char16_t*>(keyText.utf16()), static_cast<std::size_t>(keyText.size())));
    if (!key.ok()) {
        platform::showError(this, QString::fromStdString(cipher::unencodableKeyMessage(key.unencodable)));
        return;
    }

    const std::string selected = memo2_.selectedText();
    const bool wholeText = selected.empty();
    const std::string source = wholeText ? memo2_.text() : selected;
    text::StandIns& standIns = memo2_.document().standIns();

    std::string result;
    try {
        if (encrypt) {
            // The cipher takes the text's CP932 form; a character that has none stands in the way.
            const text::StandIns::Encoded plain = standIns.toCodePage(source);
            if (!plain.ok()) {
                platform::showError(this, QStringLiteral("Shift-JIS で表せない文字があるため暗号化できません (%1)")
                                              .arg(QString::fromUcs4(plain.refused.data(),
                                                                     static_cast<qsizetype>(plain.refused.size()))));
                return;
            }
            result = cipher::EncryptText(plain.bytes, key.bytes);
        } else {
            std::optional<std::string> plain = cipher::DecryptForDocument(source, key.bytes);
            if (!plain) {
                // Not an error of the program: the text as given, without the full stop
                // that the standard error text would add.
                platform::answerer().error(this, QString::fromUtf8("だめです"));
                return;
            }
            text::StandIns::Encoded fitted = standIns.fromCodePage(*plain);
            if (!fitted.ok()) {
                platform::showError(this, QStringLiteral("この文書にはこれ以上の種類の特殊な文字を入れられないため復号化できません"));
                return;
            }
            result = std::move(fitted.bytes);
        }
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromUtf8(e.what()));
        return;
    }

    if (!wholeText)
        memo2_.replaceSelection(result, /*canUndo=*/false);
    else if (result != source)
        memo2_.setText(result);
    hide();
}

}  // namespace verlo::dialogs
